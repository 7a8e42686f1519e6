#include "win32_combo.h"

namespace {

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return SendMessageA(window, message, wparam, lparam);
}

LPARAM text_param(const char* text) { return reinterpret_cast<LPARAM>(text); }

}  // namespace

int WIN32_COMBO::find_exact(const char* text) {
  return static_cast<int>(
      send(window, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text_param(text)));
}

int WIN32_COMBO::count() { return static_cast<int>(send(window, CB_GETCOUNT, 0, 0)); }

void WIN32_COMBO::delete_first() { send(window, CB_DELETESTRING, 0, 0); }

int WIN32_COMBO::add(const char* text) {
  return static_cast<int>(send(window, CB_ADDSTRING, 0, text_param(text)));
}

void WIN32_COMBO::set_item_size(int index, int32_t packed) {
  send(window, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(packed));
}

int32_t WIN32_COMBO::item_size(int index) {
  return static_cast<int32_t>(send(window, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void WIN32_COMBO::select(int index) { send(window, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

int WIN32_COMBO::selection() { return static_cast<int>(send(window, CB_GETCURSEL, 0, 0)); }

int WIN32_COMBO::get_text(char (&text)[combo_text_size]) {
  text[0] = '\0';
  LRESULT n = send(window, WM_GETTEXT, combo_text_size, reinterpret_cast<LPARAM>(text));
  if (n < 0) n = 0;
  if (n > combo_text_size - 1) n = combo_text_size - 1;
  text[n] = '\0';
  return static_cast<int>(n);
}

void WIN32_COMBO::set_text(const char* text) { send(window, WM_SETTEXT, 0, text_param(text)); }
