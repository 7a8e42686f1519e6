#include "window_message.h"

#include "check_caption.h"
#include "size_controls.h"
#include "track_range.h"
#include "work_area.h"

int apply_size(FILTER* filter) {
  FRAME_SIZE size{};
  if (!read_selected_size(&size)) return 0;
  filter->track[0] = clamp_to_track(size.width, filter->track_s[0], filter->track_e[0]);
  filter->track[1] = clamp_to_track(size.height, filter->track_s[1], filter->track_e[1]);
  return filter->exfunc->filter_window_update(filter);
}

HOST_ENTRY BOOL __cdecl handle_window_message(HWND window, UINT message, WPARAM wparam, LPARAM,
                                              void*, FILTER* filter) noexcept {
  switch (message) {
    case WM_COMMAND:
      // Only a click of the set button; the combo box (id 0) notifies here too.
      if (HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == set_button_id)
        return apply_size(filter);
      return 0;
    case WM_FILTER_INIT:
      return create_size_controls(window, filter, vertical_first_caption);
    case WM_FILTER_EXIT:
      return destroy_size_controls(filter);
    case WM_FILTER_CHANGE_ACTIVE:
      // Switching on leaves the memory to be made again by the next frame.
      if (!filter->exfunc->is_filter_active(filter)) release_work_area();
      return 0;
    default:
      return 0;
  }
}
