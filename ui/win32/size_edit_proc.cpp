#include "size_edit_proc.h"

#include "keystroke_rule.h"
#include "size_controls.h"
#include "whole_insertion.h"

static_assert(char_message == WM_CHAR);

HOST_ENTRY LRESULT CALLBACK size_edit_proc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (inserts_text(message, wparam))
    return insert_whole(window, size_controls.edit_proc, message, wparam, lparam);
  switch (classify_keystroke(message, wparam)) {
    case KEYSTROKE::click_set_button:
      // The click reaches the filter window as WM_COMMAND; Enter itself is dropped.
      SendMessageA(size_controls.button, BM_CLICK, 0, 0);
      return 0;
    case KEYSTROKE::beep:
      MessageBeep(0xFFFFFFFF);
      return 0;
    case KEYSTROKE::pass_on:
      break;
  }
  return CallWindowProcA(size_controls.edit_proc, window, message, wparam, lparam);
}
