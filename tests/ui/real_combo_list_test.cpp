// The list rules on the platform's own drop-down combo box, which shows that
// the in-memory combo box behaves like it.
#include <windows.h>

#include <gtest/gtest.h>

#include "size_list_cases.h"
#include "win32_combo.h"

namespace {

// A drop-down combo box that scrolls its text, so that long texts can be
// pasted whatever their width.
struct REAL_COMBO_HOLDER {
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  HWND window =
      CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0,
                      0, 200, 160, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
  WIN32_COMBO combo{window};

  // Pastes over the whole text, as the user would.
  void type(const char* text) {
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    ASSERT_TRUE(GetComboBoxInfo(window, &parts));
    SendMessageA(parts.hwndItem, EM_SETSEL, 0, -1);
    SendMessageA(parts.hwndItem, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
  }

  REAL_COMBO_HOLDER() { EXPECT_NE(window, nullptr); }
  ~REAL_COMBO_HOLDER() { DestroyWindow(parent); }
  REAL_COMBO_HOLDER(const REAL_COMBO_HOLDER&) = delete;
  REAL_COMBO_HOLDER& operator=(const REAL_COMBO_HOLDER&) = delete;

  TEXTS texts() const {
    TEXTS out;
    const int n = static_cast<int>(SendMessageA(window, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
      char text[64] = {};
      SendMessageA(window, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      out.emplace_back(text);
    }
    return out;
  }
};

INSTANTIATE_TYPED_TEST_SUITE_P(RealCombo, SizeListRules, REAL_COMBO_HOLDER);

}  // namespace
