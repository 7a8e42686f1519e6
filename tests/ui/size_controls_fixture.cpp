#include "size_controls_fixture.h"

#include <algorithm>
#include <ostream>

#include "check_caption.h"
#include "filter.h"
#include "size_controls.h"
#include "top_window.h"
#include "window_message.h"

namespace {

constexpr char filter_window_class[] = "morvane_test_filter_window";

// The host of the running test; the filter window's procedure reports here.
WINDOW_HOST* fake_host = nullptr;

LRESULT CALLBACK filter_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (fake_host && fake_host->window == window) {
    if (message == WM_COMMAND && LOWORD(wparam) == 0) ++fake_host->combo_commands;
    fake_host->last_result =
        handle_window_message(window, message, wparam, lparam, nullptr, &fake_host->filter);
    if (fake_host->last_result) ++fake_host->redraws;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

CREATION_WATCH* watch = nullptr;
const char* refused_class = nullptr;

LRESULT CALLBACK watch_creation(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HCBT_CREATEWND && fake_host && watch) {
    const CREATESTRUCTA* cs = reinterpret_cast<CBT_CREATEWNDA*>(lparam)->lpcs;
    if (cs->hwndParent == fake_host->window && !IS_INTRESOURCE(cs->lpszClass)) {
      watch->created.push_back({cs->lpszClass,
                                cs->lpszName ? cs->lpszName : "",
                                {cs->x, cs->y, cs->cx, cs->cy},
                                static_cast<DWORD>(cs->style),
                                cs->dwExStyle,
                                reinterpret_cast<INT_PTR>(cs->hMenu),
                                cs->hInstance});
      if (refused_class && lstrcmpiA(cs->lpszClass, refused_class) == 0) return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

}  // namespace

void PrintTo(const PLACE& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ") " << p.width << "x" << p.height;
}

PLACE place_of(HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

CREATION_WATCH::CREATION_WATCH(const char* refused) {
  watch = this;
  refused_class = refused;
  hook_ = SetWindowsHookExA(WH_CBT, watch_creation, nullptr, GetCurrentThreadId());
}

CREATION_WATCH::~CREATION_WATCH() {
  UnhookWindowsHookEx(hook_);
  watch = nullptr;
  refused_class = nullptr;
}

void FilterWindowTest::SetUp() {
  ASSERT_EQ(size_controls.combo, nullptr) << "an earlier test left size controls behind";
  fake_host = &host;
  start_fake_host(host, filter_table);
}

void FilterWindowTest::TearDown() {
  close_window();
  size_controls = {};
  stop_fake_host();
  fake_host = nullptr;
}

void FilterWindowTest::open_window(int client_width, int client_height, int check_x, int check_y,
                                   int check_height, const char* caption) {
  ASSERT_TRUE(register_window_class(filter_window_class, filter_window_proc));
  HWND window = create_top_window(filter_window_class, "Morvane",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                                  client_width, client_height);
  ASSERT_NE(window, nullptr);
  host.window = window;
  host.filter.hwnd = window;
  RECT client{};
  GetClientRect(window, &client);
  ASSERT_EQ(client.right, client_width);
  ASSERT_EQ(client.bottom, client_height);

  // Children that resemble the check box but are not it come first.
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  const char* check_caption = caption ? caption : vertical_first_caption;
  CreateWindowExA(0, "STATIC", check_caption, WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, window,
                  nullptr, instance, nullptr);
  CreateWindowExA(0, "BUTTON", "X", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 10, 40, 80, 20, window,
                  nullptr, instance, nullptr);
  host.check_box =
      CreateWindowExA(0, "BUTTON", check_caption, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, check_x,
                      check_y, 120, check_height, window, nullptr, instance, nullptr);
  ASSERT_NE(host.check_box, nullptr);
  // The window stays hidden: nothing here depends on it being drawn, and
  // mapping a window on the virtual display takes two seconds.
  pump_messages();
}

void FilterWindowTest::close_window() {
  if (!host.window) return;
  DestroyWindow(host.window);
  host.window = nullptr;
  pump_messages();
}

BOOL FilterWindowTest::deliver(UINT message, WPARAM wparam, LPARAM lparam) {
  host.last_result = -1;
  SendMessageA(host.window, message, wparam, lparam);
  return host.last_result;
}

int FilterWindowTest::window_updates() const {
  return static_cast<int>(
      std::count(host.window_updates.begin(), host.window_updates.end(), &host.filter));
}

void FilterWindowTest::type_keys(const std::string& keys) {
  for (const char c : keys)
    PostMessageA(size_controls.edit_field, WM_CHAR, static_cast<unsigned char>(c), 1);
  pump_messages();
}

std::string FilterWindowTest::edit_text() {
  char text[64] = {};
  GetWindowTextA(size_controls.combo, text, sizeof text);
  return text;
}

std::vector<std::string> FilterWindowTest::list_texts() {
  std::vector<std::string> out;
  const int n = static_cast<int>(SendMessageA(size_controls.combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char text[64] = {};
    SendMessageA(size_controls.combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    out.emplace_back(text);
  }
  return out;
}

int FilterWindowTest::selection() {
  return static_cast<int>(SendMessageA(size_controls.combo, CB_GETCURSEL, 0, 0));
}
