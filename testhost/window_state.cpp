#include "window_state.h"

#include <commctrl.h>

#include <vector>

#include "filter_window.h"
#include "page_watch.h"
#include "table_dump.h"
#include "test_host.h"

namespace {

constexpr int set_button_id = 1202;

std::string readable(const std::string& text) {
  if (text.empty()) return text;
  const std::string utf8 = cp932_to_utf8(text.c_str());
  return utf8.empty() ? text : utf8;
}

// A window's text as the ANSI functions give it, in UTF-8 when it is valid
// code page 932, else as it is.
std::string window_text(HWND window) {
  const int length = GetWindowTextLengthA(window);
  std::vector<char> text(length > 0 ? length + 1 : 1, '\0');
  if (length > 0) GetWindowTextA(window, text.data(), length + 1);
  return readable(text.data());
}

void print_tracks(FILE* out) {
  const FILTER* filter = test_host.filter;
  for (size_t i = 0; i < test_host.track.size(); ++i) {
    const char* name = filter->track_name && filter->track_name[i] ? filter->track_name[i] : "";
    std::fprintf(out, "  track %d %s: %d, range %d..%d", static_cast<int>(i),
                 readable(name).c_str(), test_host.track[i],
                 filter->track_s ? filter->track_s[i] : 0,
                 filter->track_e ? filter->track_e[i] : 0);
    if (filter_window.window && i < filter_window.sliders.size()) {
      HWND slider = filter_window.sliders[i];
      std::fprintf(out, "; slider %d in %d..%d, field \"%s\"",
                   static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)),
                   static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0)),
                   static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0)),
                   window_text(filter_window.fields[i]).c_str());
    }
    std::fputc('\n', out);
  }
  for (size_t j = 0; j < test_host.check.size(); ++j) {
    const char* name = filter->check_name && filter->check_name[j] ? filter->check_name[j] : "";
    std::fprintf(out, "  check %d %s: %d", static_cast<int>(j), readable(name).c_str(),
                 test_host.check[j]);
    if (filter_window.window && j < filter_window.check_boxes.size())
      std::fprintf(
          out, "; box %d",
          SendMessageA(filter_window.check_boxes[j], BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    std::fputc('\n', out);
  }
}

void print_size_list(FILE* out) {
  HWND combo = find_size_combo();
  if (!combo) {
    std::fprintf(out, "  list: none\n");
    return;
  }
  const int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  std::fprintf(out, "  list: %d entries, selected %d\n", count,
               static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(SendMessageA(combo, CB_GETLBTEXTLEN, i, 0));
    std::vector<char> text(length > 0 ? length + 1 : 1, '\0');
    if (length > 0) SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    std::fprintf(out, "  entry %d: %s = %ld\n", i, readable(text.data()).c_str(),
                 static_cast<long>(SendMessageA(combo, CB_GETITEMDATA, i, 0)));
  }
  std::fprintf(out, "  edit: \"%s\"\n", window_text(combo).c_str());
}

void print_children(FILE* out) {
  for (HWND child = GetWindow(filter_window.window, GW_CHILD); child;
       child = GetWindow(child, GW_HWNDNEXT)) {
    char class_name[64] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, filter_window.window, reinterpret_cast<POINT*>(&r), 2);
    std::fprintf(out, "  child %s \"%s\" id %d: (%ld, %ld) %ldx%ld%s\n", class_name,
                 window_text(child).c_str(), GetDlgCtrlID(child), r.left, r.top, r.right - r.left,
                 r.bottom - r.top,
                 IsWindowVisible(child) || !IsWindowVisible(filter_window.window) ? "" : " hidden");
  }
}

}  // namespace

HWND find_size_combo() {
  return filter_window.window ? FindWindowExA(filter_window.window, nullptr, "COMBOBOX", nullptr)
                              : nullptr;
}

HWND find_size_field() {
  HWND combo = find_size_combo();
  if (!combo) return nullptr;
  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  return GetComboBoxInfo(combo, &parts) ? parts.hwndItem : nullptr;
}

HWND find_set_button() {
  if (!filter_window.window) return nullptr;
  HWND button = GetDlgItem(filter_window.window, set_button_id);
  char class_name[16] = {};
  if (button) GetClassNameA(button, class_name, sizeof class_name);
  return lstrcmpiA(class_name, "BUTTON") == 0 ? button : nullptr;
}

void print_window_state(FILE* out) {
  std::fprintf(out, "state:\n");
  if (filter_window.window) {
    RECT client{};
    GetClientRect(filter_window.window, &client);
    std::fprintf(out, "  window: open, client %ldx%ld, WM_FILTER_INIT returned %d\n", client.right,
                 client.bottom, filter_window.init_result);
  } else {
    std::fprintf(out, "  window: closed\n");
  }
  std::fprintf(out, "  filter: %s\n", test_host.filter_active ? "on" : "off");
  if (test_host.filter) print_tracks(out);
  if (filter_window.window) {
    print_size_list(out);
    print_children(out);
  }
  std::fprintf(out, "  frames processed: %d, passed unprocessed: %d",
               filter_window.frames_processed, filter_window.frames_passed);
  if (filter_window.frames_processed > 0)
    std::fprintf(out, ", last func_proc %d, image %dx%d", filter_window.last.result,
                 filter_window.last.w, filter_window.last.h);
  std::fputc('\n', out);
  if (!filter_window.frame_error.empty())
    std::fprintf(out, "  frame error: %s\n", filter_window.frame_error.c_str());
  const PAGE_MEMORY memory = held_page_memory();
  std::fprintf(out, "  work memory: %u bytes in %u blocks\n", static_cast<unsigned>(memory.bytes),
               static_cast<unsigned>(memory.blocks));
  print_settings(out);
}

void print_settings(FILE* out) {
  std::vector<char> section(32768, '\0');
  const DWORD length =
      GetPrivateProfileSectionA(test_host.section.c_str(), section.data(),
                                static_cast<DWORD>(section.size()), test_host.ini_path.c_str());
  std::fprintf(out, "  settings [%s]:", readable(test_host.section).c_str());
  if (length == 0) std::fprintf(out, " none");
  for (const char* entry = section.data(); *entry; entry += lstrlenA(entry) + 1)
    std::fprintf(out, "%s %s", entry == section.data() ? "" : ",", entry);
  std::fputc('\n', out);
}
