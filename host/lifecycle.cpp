#include "filter.h"
#include "work_area.h"

HOST_ENTRY BOOL __cdecl init_filter(FILTER* fp) {
  if (!fp || !fp->exfunc || !fp->exfunc->get_sys_info) return FALSE;
  SYS_INFO sys{};
  if (!fp->exfunc->get_sys_info(nullptr, &sys)) return FALSE;

  filter_table.track_s[0] = sys.min_w;
  filter_table.track_s[1] = sys.min_h;
  filter_table.track_e[0] = sys.max_w;
  filter_table.track_e[1] = sys.max_h;
  // The window shows the new ranges; its answer changes nothing here.
  if (fp->exfunc->filter_window_update) fp->exfunc->filter_window_update(fp);
  return TRUE;
}

HOST_ENTRY BOOL __cdecl exit_filter(FILTER*) {
  release_work_area();
  return TRUE;
}
