#include "filter_window.h"

#include <commctrl.h>

#include "misaligned_call.h"
#include "test_host.h"
#include "top_window.h"

FILTER_WINDOW filter_window;

namespace {

constexpr char window_class[] = "morvane_testhost_filter";
constexpr DWORD window_style =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Control ids of the host's own children, clear of any id a filter uses.
constexpr int label_id = 0x100;
constexpr int slider_id = 0x200;
constexpr int field_id = 0x300;
constexpr int check_id = 0x400;
constexpr UINT filter_on_command = 0x0010;  // system menu item "Filter on"

// Rows of the layout, in pixels.
constexpr int margin = 6;
constexpr int row_height = 26;
constexpr int label_width = 20;
constexpr int field_width = 52;
constexpr int check_height = 22;

// What the host hands func_WndProc as its edit handle: something, never looked into.
int edit_handle_stand_in;

int index_of(const std::vector<HWND>& windows, HWND window) {
  for (size_t i = 0; i < windows.size(); ++i)
    if (windows[i] == window) return static_cast<int>(i);
  return -1;
}

void set_number(HWND field, int value) { SetWindowTextA(field, std::to_string(value).c_str()); }

// A slider was moved: the track takes its position.
void take_slider(int track) {
  const int position =
      static_cast<int>(SendMessageA(filter_window.sliders[track], TBM_GETPOS, 0, 0));
  if (position == test_host.track[track]) return;
  test_host.track[track] = position;
  filter_window.updating = true;
  set_number(filter_window.fields[track], position);
  filter_window.updating = false;
  process_current_frame();
}

void take_check_box(int check) {
  test_host.check[check] =
      SendMessageA(filter_window.check_boxes[check], BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  process_current_frame();
}

void mark_filter_on(HWND window) {
  CheckMenuItem(GetSystemMenu(window, FALSE), filter_on_command,
                MF_BYCOMMAND | (test_host.filter_active ? MF_CHECKED : MF_UNCHECKED));
}

LRESULT CALLBACK filter_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  FILTER* filter = test_host.filter;
  if (filter && filter->func_WndProc) {
    const int answer = static_cast<int>(
        call_misaligned(as_code(filter->func_WndProc), STACK_SKEW::by4, as_arg(window), message,
                        static_cast<uint32_t>(wparam), static_cast<uint32_t>(lparam),
                        as_arg(&edit_handle_stand_in), as_arg(filter)));
    if (message == WM_FILTER_INIT) filter_window.init_result = answer;
    if (message == WM_FILTER_EXIT)
      filter_window.exit_result = answer;  // the window ends; nothing to redraw
    else if (answer)
      process_current_frame();
  }

  switch (message) {
    case WM_HSCROLL: {
      const int track = index_of(filter_window.sliders, reinterpret_cast<HWND>(lparam));
      if (track >= 0 && !filter_window.updating) take_slider(track);
      return 0;
    }
    case WM_COMMAND: {
      const int check = LOWORD(wparam) - check_id;
      if (HIWORD(wparam) == BN_CLICKED && check >= 0 &&
          check < static_cast<int>(filter_window.check_boxes.size()) &&
          reinterpret_cast<HWND>(lparam) == filter_window.check_boxes[check])
        take_check_box(check);
      break;
    }
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == filter_on_command) {
        set_filter_active(!test_host.filter_active);
        return 0;
      }
      break;
    case WM_CLOSE:
      close_filter_window();
      return 0;
    case WM_DESTROY:
      if (filter_window.window == window) {
        filter_window.window = nullptr;
        if (filter) filter->hwnd = nullptr;
      }
      break;
    default:
      break;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

bool register_filter_window_class() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  return register_window_class(window_class, filter_window_proc);
}

HWND make_child(HWND parent, const char* window_class_name, const char* text, DWORD style, int x,
                int y, int w, int h, int id) {
  HWND child = CreateWindowExA(0, window_class_name, text, WS_CHILD | WS_VISIBLE | style, x, y, w,
                               h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleA(nullptr), nullptr);
  if (child)
    SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
  return child;
}

bool make_controls(HWND window, const FILTER& filter, const WINDOW_SETUP& setup, int client_w,
                   int client_h) {
  const int tracks = filter.track_n > 0 ? filter.track_n : 0;
  const int checks = filter.check_n > 0 ? filter.check_n : 0;
  const int slider_x = margin + label_width + 4;
  const int slider_w = client_w - slider_x - field_width - margin - 4;
  for (int i = 0; i < tracks; ++i) {
    const int y = margin + i * row_height;
    const char* name = filter.track_name && filter.track_name[i] ? filter.track_name[i] : "";
    filter_window.labels.push_back(
        make_child(window, "STATIC", name, SS_RIGHT, margin, y + 4, label_width, 18, label_id + i));
    filter_window.sliders.push_back(make_child(window, TRACKBAR_CLASSA, "", TBS_HORZ | TBS_NOTICKS,
                                               slider_x, y, slider_w, row_height - 2,
                                               slider_id + i));
    filter_window.fields.push_back(
        make_child(window, "EDIT", "", WS_BORDER | ES_READONLY | ES_RIGHT,
                   client_w - margin - field_width, y + 2, field_width, 20, field_id + i));
  }
  for (int j = 0; j < checks; ++j) {
    const int y = client_h - 1 - (checks - j) * row_height + (row_height - check_height);
    const char* name = filter.check_name && filter.check_name[j] ? filter.check_name[j] : "";
    const char* caption = setup.rename_checks ? setup.check_caption.c_str() : name;
    filter_window.check_boxes.push_back(make_child(window, "BUTTON", caption, BS_AUTOCHECKBOX,
                                                   margin, y, client_w - 2 * margin, check_height,
                                                   check_id + j));
  }
  for (const auto* group : {&filter_window.labels, &filter_window.sliders, &filter_window.fields,
                            &filter_window.check_boxes})
    for (HWND child : *group)
      if (!child) return false;
  return true;
}

}  // namespace

bool open_filter_window(const PLUGIN& plugin, const WINDOW_SETUP& setup, CURRENT_FRAME frame,
                        std::string& error) {
  FILTER* filter = plugin.table;
  if (filter_window.window) {
    error = "the filter window is open already";
    return false;
  }
  filter_window = FILTER_WINDOW{};
  filter_window.plugin = &plugin;
  filter_window.init_result = -1;
  filter_window.exit_result = -1;
  filter_window.frame = std::move(frame);
  if (!register_filter_window_class()) {
    error = "cannot register the filter window's class";
    return false;
  }

  const int tracks = filter->track_n > 0 ? filter->track_n : 0;
  const int checks = filter->check_n > 0 ? filter->check_n : 0;
  const int client_w = setup.client_w > 0 ? setup.client_w : default_client_width;
  const int client_h =
      setup.client_h > 0 ? setup.client_h : 2 * margin + (tracks + checks) * row_height;
  HWND window = create_top_window(window_class, filter->name ? filter->name : "filter",
                                  window_style, client_w, client_h);
  if (!window) {
    error = "cannot make the filter window (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  filter_window.window = window;
  RECT client{};
  GetClientRect(window, &client);
  if (client.right != client_w || client.bottom != client_h ||
      !make_controls(window, *filter, setup, client_w, client_h)) {
    error = "cannot make the filter window's controls at a client size of " +
            std::to_string(client_w) + "x" + std::to_string(client_h);
    DestroyWindow(window);
    filter_window.window = nullptr;
    return false;
  }
  HMENU menu = GetSystemMenu(window, FALSE);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, filter_on_command, "Filter on");
  mark_filter_on(window);

  filter->hwnd = window;
  show_filter_values();
  if (setup.visible) show_filter_window();
  SendMessageA(window, WM_FILTER_INIT, 0, 0);
  pump_messages();
  return true;
}

bool filter_window_is_open() { return filter_window.window != nullptr; }

void close_filter_window() {
  HWND window = filter_window.window;
  if (!window) return;
  SendMessageA(window, WM_FILTER_EXIT, 0, 0);
  DestroyWindow(window);
  pump_messages();
}

void show_filter_values() {
  const FILTER* filter = test_host.filter;
  if (!filter_window.window || !filter) return;
  filter_window.updating = true;
  for (size_t i = 0; i < filter_window.sliders.size() && i < test_host.track.size(); ++i) {
    HWND slider = filter_window.sliders[i];
    if (filter->track_s) SendMessageA(slider, TBM_SETRANGEMIN, FALSE, filter->track_s[i]);
    if (filter->track_e) SendMessageA(slider, TBM_SETRANGEMAX, FALSE, filter->track_e[i]);
    SendMessageA(slider, TBM_SETPOS, TRUE, test_host.track[i]);
    set_number(filter_window.fields[i], test_host.track[i]);
  }
  for (size_t j = 0; j < filter_window.check_boxes.size() && j < test_host.check.size(); ++j)
    SendMessageA(filter_window.check_boxes[j], BM_SETCHECK,
                 test_host.check[j] ? BST_CHECKED : BST_UNCHECKED, 0);
  filter_window.updating = false;
}

bool process_current_frame() {
  if (!filter_window.plugin) {
    filter_window.frame_error = "no filter window has been opened";
    return false;
  }
  if (!test_host.filter_active) {
    ++filter_window.frames_passed;
    return true;
  }
  FRAME_RESULT result;
  std::string error;
  const bool ran = run_frame_on(*filter_window.plugin, filter_window.frame.job,
                                filter_window.frame.pixels, result, error);
  if (!ran) filter_window.frame_error = error;
  if (result.result < 0) {
    ++filter_window.frames_passed;  // no func_proc: the frame passes unchanged
    return ran;
  }
  ++filter_window.frames_processed;
  filter_window.last = result;
  return ran;
}

void set_filter_active(bool active) {
  test_host.filter_active = active;
  if (!filter_window.window) return;
  mark_filter_on(filter_window.window);
  SendMessageA(filter_window.window, WM_FILTER_CHANGE_ACTIVE, 0, 0);
}

void show_filter_window() {
  HWND window = filter_window.window;
  if (!window || IsWindowVisible(window)) return;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  // The display maps the window a little later; until then it may draw again.
  const DWORD until = GetTickCount() + 500;
  while (GetTickCount() < until) {
    pump_messages();
    Sleep(20);
  }
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  pump_messages();
}

void run_until_closed() {
  show_filter_window();
  MSG msg;
  while (filter_window.window && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
