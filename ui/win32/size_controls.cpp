#include "size_controls.h"

#include <cstddef>

#include "size_edit_proc.h"
#include "size_list.h"
#include "track_range.h"
#include "win32_combo.h"

SIZE_CONTROLS size_controls;

namespace {

constexpr DWORD set_button_style = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
constexpr DWORD combo_style = WS_CHILD | WS_VISIBLE | CBS_DROPDOWN;
static_assert(set_button_style == 0x50000001 && combo_style == 0x50000002);

constexpr int set_button_width = 44;
constexpr int button_gap = 8;       // from the narrowed check box to the set button
constexpr int combo_offset = 48;    // from the set button's left edge to the combo box
constexpr int combo_list_rows = 8;  // creation height in check box heights
constexpr int typed_text_limit = 10;

int height_of(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r.bottom - r.top;
}

// Puts size_edit_proc on the combo box's edit field, keeping the procedure it
// replaces. Without the combo box's parts the field keeps taking every key.
void subclass_size_edit() {
  COMBOBOXINFO parts{};
  static_assert(sizeof parts == 52);
  parts.cbSize = sizeof parts;
  if (!GetComboBoxInfo(size_controls.combo, &parts)) return;
  size_controls.edit_field = parts.hwndItem;
  size_controls.edit_proc = reinterpret_cast<WNDPROC>(
      SetWindowLongA(parts.hwndItem, GWL_WNDPROC, reinterpret_cast<LONG>(&size_edit_proc)));
}

}  // namespace

int create_size_controls(HWND window, const SIZE_HOST& host, const char* check_caption) {
  HWND check = FindWindowExA(window, nullptr, "BUTTON", check_caption);
  if (!check) return 0;

  RECT client{};
  GetClientRect(window, &client);
  const int cw = client.right - client.left;
  const int cb = client.bottom;
  RECT check_rect{};
  GetWindowRect(check, &check_rect);
  const int hb = check_rect.bottom - check_rect.top;
  POINT corner{check_rect.left, check_rect.top};
  ScreenToClient(window, &corner);

  MoveWindow(check, corner.x, corner.y, cw / 2, hb, TRUE);

  size_controls = {};
  create_dialog_font();

  const int left = corner.x + cw / 2 + button_gap;
  size_controls.combo =
      CreateWindowExA(0, "COMBOBOX", "", combo_style, left + combo_offset, corner.y, cw - left,
                      combo_list_rows * hb, window, nullptr, host.instance, nullptr);
  if (!size_controls.combo) return 0;
  SendMessageA(size_controls.combo, CB_LIMITTEXT, typed_text_limit, 0);
  SendMessageA(size_controls.combo, WM_SETFONT, reinterpret_cast<WPARAM>(size_controls.font), 0);

  WIN32_COMBO list(size_controls.combo);
  load_size_list(list, *host.settings);
  subclass_size_edit();

  const int hc = height_of(size_controls.combo);
  size_controls.button = CreateWindowExA(
      0, "BUTTON", "set->", set_button_style, left, cb - hc, set_button_width, hc - 2, window,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(set_button_id)), host.instance, nullptr);
  if (!size_controls.button) return 0;
  SendMessageA(size_controls.button, WM_SETFONT, reinterpret_cast<WPARAM>(size_controls.font), 1);

  MoveWindow(size_controls.combo, left + combo_offset, cb - hc - 1, cw - (left + combo_offset) - 2,
             hc, TRUE);
  return 1;
}

void create_dialog_font() {
  if (size_controls.font) return;
  // The record without its last member (iPaddedBorderWidth): 340 bytes,
  // which every version of the system accepts.
  constexpr UINT metrics_size = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
  static_assert(metrics_size == 340);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = metrics_size;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics_size, &metrics, 0))
    size_controls.font = CreateFontIndirectA(&metrics.lfMessageFont);
  if (!size_controls.font)
    size_controls.font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int destroy_size_controls(SIZE_SETTINGS& settings) {
  if (size_controls.edit_field && size_controls.edit_proc)
    SetWindowLongA(size_controls.edit_field, GWL_WNDPROC,
                   reinterpret_cast<LONG>(size_controls.edit_proc));
  if (size_controls.combo) {
    WIN32_COMBO list(size_controls.combo);
    save_size_list(list, settings);
  }
  if (size_controls.font) DeleteObject(size_controls.font);
  size_controls = {};
  return 1;
}

bool is_set_button_click(WPARAM wparam) {
  return HIWORD(wparam) == BN_CLICKED && LOWORD(wparam) == set_button_id;
}

int apply_size(const SIZE_HOST& host) {
  WIN32_COMBO list(size_controls.combo);
  FRAME_SIZE size{};
  if (!read_selected_size(size_controls.combo ? &list : nullptr, &size)) return 0;
  host.track[0] = clamp_to_track(size.width, host.track_minimum[0], host.track_maximum[0]);
  host.track[1] = clamp_to_track(size.height, host.track_minimum[1], host.track_maximum[1]);
  return host.update_window(host.context);
}
