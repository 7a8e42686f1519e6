#include "whole_insertion.h"

#include <string>

#include "size_combo.h"

namespace {

constexpr size_t most_text = combo_text_size - 1;  // what parse_size_text reads
constexpr WPARAM ctrl_v = 0x16;

std::string text_of(HWND field) {
  const int length = GetWindowTextLengthA(field);
  std::string text(length > 0 ? static_cast<size_t>(length) + 1 : 1, '\0');
  const LRESULT n =
      SendMessageA(field, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return text;
}

// The clipboard's text without the line breaks at its end; false when it
// holds no text.
bool clipboard_text(HWND owner, std::string& text) {
  if (!OpenClipboard(owner)) return false;
  bool found = false;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      text = p;
      found = true;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
  return found;
}

}  // namespace

bool inserts_text(UINT message, WPARAM wparam) {
  return message == WM_PASTE || message == EM_REPLACESEL || message == WM_SETTEXT ||
         (message == WM_CHAR && wparam == ctrl_v) ||
         (message == WM_KEYDOWN && wparam == VK_INSERT && GetKeyState(VK_SHIFT) < 0 &&
          GetKeyState(VK_CONTROL) >= 0);
}

LRESULT insert_whole(HWND field, WNDPROC edit_proc, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CHAR || message == WM_KEYDOWN) {  // Ctrl+V, Shift+Insert
    message = WM_PASTE;
    wparam = lparam = 0;
  }
  const std::string before = text_of(field);
  DWORD start = 0, end = 0;
  SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  std::string inserted;
  if (message == WM_PASTE) {
    if (!clipboard_text(field, inserted))
      return CallWindowProcA(edit_proc, field, message, wparam, lparam);  // nothing to paste
  } else if (lparam) {
    inserted = reinterpret_cast<const char*>(lparam);
  }
  const std::string expected =
      message == WM_SETTEXT
          ? inserted
          : before.substr(0, start < before.size() ? start : before.size()) + inserted +
                (end < before.size() ? before.substr(end) : std::string());

  LRESULT result = 0;
  if (expected.size() <= most_text) {
    const LRESULT limit = SendMessageA(field, EM_GETLIMITTEXT, 0, 0);
    if (limit < static_cast<LRESULT>(most_text)) SendMessageA(field, EM_SETLIMITTEXT, most_text, 0);
    result = CallWindowProcA(edit_proc, field, message, wparam, lparam);
    if (limit < static_cast<LRESULT>(most_text)) SendMessageA(field, EM_SETLIMITTEXT, limit, 0);
    if (text_of(field) == expected) return result;
    // Cut by the field (its width, or a line break): what it held comes back.
    CallWindowProcA(edit_proc, field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(before.c_str()));
    SendMessageA(field, EM_SETSEL, start, end);
  }
  if (message == WM_PASTE) MessageBeep(0xFFFFFFFF);
  return 0;
}
