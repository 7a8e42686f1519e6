#include "window_session.h"

#include <cstring>

#include "frame_files.h"
#include "screenshot.h"
#include "test_host.h"
#include "window_state.h"

namespace {

struct SESSION {
  const PLUGIN* plugin;
  WINDOW_SETUP setup;
  const CURRENT_FRAME* frame;
  bool opened;  // once; later actions do not open it again by themselves
  FILE* out;
};

bool open_window(SESSION& s, std::string& error) {
  if (!open_filter_window(*s.plugin, s.setup, *s.frame, error)) return false;
  s.opened = true;
  RECT client{};
  GetClientRect(filter_window.window, &client);
  std::fprintf(s.out, "opened: client %ldx%ld, WM_FILTER_INIT returned %d\n", client.right,
               client.bottom, filter_window.init_result);
  return true;
}

void close_window(SESSION& s) {
  close_filter_window();
  std::fprintf(s.out, "closed: WM_FILTER_EXIT returned %d\n", filter_window.exit_result);
  print_settings(s.out);
}

// The window for an action that works in it: opened by the first such action.
bool need_window(SESSION& s, std::string& error) {
  if (filter_window_is_open()) return true;
  if (s.opened) {
    error = "the filter window is closed";
    return false;
  }
  return open_window(s, error);
}

HWND need(HWND control, const char* what, std::string& error) {
  if (!control) error = std::string("the filter window has no ") + what;
  return control;
}

bool paste_text(HWND field, const std::string& text, std::string& error) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!memory) {
    error = "no memory for the clipboard";
    return false;
  }
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  if (!OpenClipboard(filter_window.window)) {
    GlobalFree(memory);
    error = "cannot open the clipboard";
    return false;
  }
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_TEXT, memory) != nullptr;
  CloseClipboard();
  if (!placed) {
    GlobalFree(memory);
    error = "cannot put the text on the clipboard";
    return false;
  }
  SendMessageA(field, WM_PASTE, 0, 0);
  return true;
}

// A w x h test card for when no frame file is given: a luma ramp from left
// to right, chroma ramps from top to bottom, and a grid line every 16 pixels.
std::vector<PIXEL_YC> make_test_card(int w, int h) {
  std::vector<PIXEL_YC> pixels(static_cast<size_t>(w > 0 ? w : 0) *
                               static_cast<size_t>(h > 0 ? h : 0));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      PIXEL_YC& p = pixels[static_cast<size_t>(y) * w + x];
      const bool grid = x % 16 == 0 || y % 16 == 0;
      p.y = static_cast<int16_t>(grid ? 4096 : 4096 * x / (w > 1 ? w - 1 : 1));
      p.cb = static_cast<int16_t>(-2048 + 4096 * y / (h > 1 ? h - 1 : 1));
      p.cr = static_cast<int16_t>(2048 - 4096 * y / (h > 1 ? h - 1 : 1));
    }
  }
  return pixels;
}

// A control of the window, for an action that works on it: the window is
// opened by the first such action; null, with `error` set, without either.
HWND need_control(SESSION& s, HWND (*find)(), const char* what, std::string& error) {
  if (!need_window(s, error)) return nullptr;
  return need(find(), what, error);
}

bool set_client_size(SESSION& s, const WINDOW_ACTION& action, std::string& error) {
  if (filter_window_is_open()) {
    error = "the client size is set before the window opens";
    return false;
  }
  s.setup.client_w = action.a;
  s.setup.client_h = action.b;
  return true;
}

bool open_once(SESSION& s, std::string& error) {
  if (filter_window_is_open()) {
    error = "the filter window is open already";
    return false;
  }
  return open_window(s, error);
}

bool type_text(SESSION& s, const WINDOW_ACTION& action, std::string& error) {
  const HWND field = need_control(s, find_size_field, "size field", error);
  if (!field) return false;
  // Tabbing into the field selects its text, which the first key replaces.
  SendMessageA(field, EM_SETSEL, 0, -1);
  for (const char c : action.text) PostMessageA(field, WM_CHAR, static_cast<unsigned char>(c), 1);
  return true;
}

bool paste_over(SESSION& s, const WINDOW_ACTION& action, std::string& error) {
  const HWND field = need_control(s, find_size_field, "size field", error);
  if (!field) return false;
  SendMessageA(field, EM_SETSEL, 0, -1);  // pasting over the whole text
  return paste_text(field, action.text, error);
}

// The key itself; TranslateMessage makes the character from it.
bool press_enter(SESSION& s, std::string& error) {
  const HWND field = need_control(s, find_size_field, "size field", error);
  if (!field) return false;
  const UINT scan = MapVirtualKeyA(VK_RETURN, MAPVK_VK_TO_VSC);
  PostMessageA(field, WM_KEYDOWN, VK_RETURN, static_cast<LPARAM>(1 | scan << 16));
  PostMessageA(field, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(1 | scan << 16 | 3u << 30));
  return true;
}

// As a choice from the drop-down list: the selection moves and the combo box
// tells its parent.
bool pick_entry(SESSION& s, const WINDOW_ACTION& action, std::string& error) {
  const HWND combo = need_control(s, find_size_combo, "size list", error);
  if (!combo) return false;
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  if (action.a >= count) {
    error = "the size list has " + std::to_string(count) + " entries";
    return false;
  }
  SendMessageA(combo, CB_SETCURSEL, action.a, 0);
  SendMessageA(filter_window.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return true;
}

bool click_set(SESSION& s, std::string& error) {
  const HWND button = need_control(s, find_set_button, "set button", error);
  if (!button) return false;
  SendMessageA(button, BM_CLICK, 0, 0);
  return true;
}

// The window's current frame: the window opens for it, and a frame that
// cannot be run is the action's failure, not a quiet count of 0.
bool run_frame(SESSION& s, std::string& error) {
  if (!need_window(s, error)) return false;
  if (!process_current_frame()) {
    error = "the frame could not be processed: " + filter_window.frame_error;
    return false;
  }
  return true;
}

bool do_action(SESSION& s, const WINDOW_ACTION& action, std::string& error) {
  switch (action.kind) {
    case ACTION_KIND::size:
      return set_client_size(s, action, error);
    case ACTION_KIND::open:
      return open_once(s, error);
    case ACTION_KIND::type:
      return type_text(s, action, error);
    case ACTION_KIND::paste:
      return paste_over(s, action, error);
    case ACTION_KIND::enter:
      return press_enter(s, error);
    case ACTION_KIND::pick:
      return pick_entry(s, action, error);
    case ACTION_KIND::click:
      return click_set(s, error);
    case ACTION_KIND::off:
    case ACTION_KIND::on:
      set_filter_active(action.kind == ACTION_KIND::on);
      return true;
    case ACTION_KIND::frame:
      return run_frame(s, error);
    case ACTION_KIND::state:
      print_window_state(s.out);
      return true;
    case ACTION_KIND::shot:
      if (!need_window(s, error)) return false;
      show_filter_window();
      return save_window_bitmap(filter_window.window, action.text, error);
    case ACTION_KIND::close:
      if (!need_window(s, error)) return false;
      close_window(s);
      return true;
  }
  error = "unknown action";
  return false;
}

}  // namespace

bool make_current_frame(const FRAME_JOB* frame_file, CURRENT_FRAME& frame, std::string& error) {
  frame = CURRENT_FRAME{};
  if (!frame_file) {
    frame.job.frame_w = test_card_width;
    frame.job.frame_h = test_card_height;
    frame.pixels = make_test_card(test_card_width, test_card_height);
    return true;
  }
  frame.job = *frame_file;
  if (!read_frame_file(frame.job.input, frame.job.frame_w, frame.job.frame_h, frame.pixels, error))
    return false;
  if (frame.job.set_track && test_host.track.size() >= 2) {
    test_host.track[0] = frame.job.track_w;
    test_host.track[1] = frame.job.track_h;
  }
  if (frame.job.set_check && !test_host.check.empty()) test_host.check[0] = frame.job.check;
  // From here on the window's values are the frame's.
  frame.job.set_track = false;
  frame.job.set_check = false;
  frame.job.repeat = 0;
  return true;
}

int run_window_session(const PLUGIN& plugin, const WINDOW_OPTIONS& options,
                       const CURRENT_FRAME& frame, FILE* out) {
  SESSION s{&plugin, options.setup, &frame, false, out};
  s.setup.visible = options.interactive;
  std::string error;
  bool ok = true;
  for (size_t i = 0; ok && i < options.actions.size(); ++i) {
    const WINDOW_ACTION& action = options.actions[i];
    std::fprintf(out, "> %s\n", action.source.c_str());
    ok = do_action(s, action, error);
    pump_messages();
    if (!ok) error = "action " + std::to_string(i + 1) + " (" + action.source + "): " + error;
  }
  if (ok && options.interactive && !s.opened) ok = open_window(s, error);
  if (ok && filter_window_is_open() && !options.screenshot.empty()) {
    show_filter_window();
    ok = save_window_bitmap(filter_window.window, options.screenshot, error);
  }
  if (ok && options.interactive) {
    run_until_closed();
    if (!filter_window_is_open()) {
      std::fprintf(out, "closed by the user: WM_FILTER_EXIT returned %d\n",
                   filter_window.exit_result);
      print_window_state(out);
    }
  }
  if (filter_window_is_open()) {
    print_window_state(out);
    close_window(s);
  }
  std::fflush(out);
  if (!ok) {
    std::fprintf(stderr, "testhost: %s\n", error.c_str());
    return 2;
  }
  return 0;
}
