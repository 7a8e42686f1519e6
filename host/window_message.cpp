#include "window_message.h"

#include "check_caption.h"
#include "filter_settings.h"
#include "size_controls.h"
#include "work_area.h"

namespace {

int update_filter_window(void* filter) {
  FILTER* fp = static_cast<FILTER*>(filter);
  return fp->exfunc->filter_window_update(fp);
}

}  // namespace

HOST_ENTRY BOOL __cdecl handle_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                                              void*, FILTER* filter) noexcept {
  FILTER_SETTINGS settings(filter);
  // Track 0 is the width, track 1 the height.
  const SIZE_HOST host{
      filter->dll_hinst,    &settings, filter->track, filter->track_s, filter->track_e,
      update_filter_window, filter};
  switch (message) {
    case WM_COMMAND:
      return is_set_button_click(wparam) ? apply_size(host) : 0;
    case WM_FILTER_INIT:
      return create_size_controls(window, host, vertical_first_caption);
    case WM_FILTER_EXIT:
      return destroy_size_controls(settings);
    case WM_FILTER_CHANGE_ACTIVE:
      // Switching on leaves the memory to be made again by the next frame.
      if (!filter->exfunc->is_filter_active(filter)) release_work_area();
      return 0;
    default:
      return 0;
  }
}
