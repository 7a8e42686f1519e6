// Building and ending the size controls on a real filter window.
#include <gtest/gtest.h>

#include <cstring>

#include "size_controls_fixture.h"
#include "size_controls.h"
#include "size_edit_proc.h"

namespace {

using SizeControls = FilterWindowTest;

int height_of(HWND window) { return place_of(window).height; }

TEST_F(SizeControls, RowBesideTheNarrowedCheckBoxIsLaidOutFromTheMeasuredSizes) {
  open_window(300, 240);
  CREATION_WATCH watch;
  ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
  ASSERT_NE(size_controls.combo, nullptr);
  ASSERT_NE(size_controls.button, nullptr);

  // With a combo box 21 high: button (168, 219) 44x19, combo (216, 218) 82x21.
  const int hc = height_of(size_controls.combo);
  ASSERT_GT(hc, 2);
  EXPECT_EQ(place_of(host.check_box), (PLACE{10, 200, 150, 20}));
  EXPECT_EQ(place_of(size_controls.button), (PLACE{168, 240 - hc, 44, hc - 2}));
  EXPECT_EQ(place_of(size_controls.combo), (PLACE{216, 239 - hc, 82, hc}));

  // The combo box is created beside the check box, 8 check box heights tall
  // with its list, before it is moved to the bottom.
  const HINSTANCE instance = host.filter.dll_hinst;
  ASSERT_EQ(watch.created.size(), 2u);
  const CREATED& combo = watch.created[0];
  EXPECT_EQ(combo.window_class, "COMBOBOX");
  EXPECT_EQ(combo.text, "");
  EXPECT_EQ(combo.place, (PLACE{216, 200, 132, 160}));
  EXPECT_EQ(combo.style, 0x50000002u);
  EXPECT_EQ(combo.ex_style, 0u);
  EXPECT_EQ(combo.id, 0);
  EXPECT_EQ(combo.instance, instance);
  const CREATED& button = watch.created[1];
  EXPECT_EQ(button.window_class, "BUTTON");
  EXPECT_EQ(button.text, "set->");
  EXPECT_EQ(button.place, (PLACE{168, 240 - hc, 44, hc - 2}));
  EXPECT_EQ(button.style, 0x50000001u);
  EXPECT_EQ(button.ex_style, 0u);
  EXPECT_EQ(button.id, 1202);
  EXPECT_EQ(button.instance, instance);
  EXPECT_EQ(GetDlgCtrlID(size_controls.button), 1202);
  EXPECT_EQ(GetParent(size_controls.combo), host.window);
}

TEST_F(SizeControls, OddClientWidthIsHalvedDownward) {
  open_window(301, 240);
  ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
  const int hc = height_of(size_controls.combo);
  EXPECT_EQ(place_of(host.check_box), (PLACE{10, 200, 150, 20}));
  EXPECT_EQ(place_of(size_controls.button), (PLACE{168, 240 - hc, 44, hc - 2}));
  EXPECT_EQ(place_of(size_controls.combo), (PLACE{216, 239 - hc, 83, hc}));
}

TEST_F(SizeControls, ControlsShareTheMessageFontAndTheListComesFromTheSettings) {
  host.settings = {{"size_00", 31457920}, {"size_01", -47187200}};
  open_window(300, 240);
  ASSERT_EQ(deliver(WM_FILTER_INIT), 1);

  HFONT font = size_controls.font;
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(size_controls.combo, WM_GETFONT, 0, 0)), font);
  EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(size_controls.button, WM_GETFONT, 0, 0)), font);
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = 340;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
  LOGFONTA made{};
  ASSERT_EQ(GetObjectA(font, sizeof made, &made), static_cast<int>(sizeof made));
  EXPECT_STREQ(made.lfFaceName, metrics.lfMessageFont.lfFaceName);
  EXPECT_EQ(made.lfHeight, metrics.lfMessageFont.lfHeight);
  create_dialog_font();
  EXPECT_EQ(size_controls.font, font) << "a held font is kept";

  EXPECT_EQ(list_texts(), (std::vector<std::string>{"640x480", "1280x720"}));
  EXPECT_EQ(selection(), 1);
  EXPECT_EQ(edit_text(), "1280x720");

  COMBOBOXINFO parts{};
  parts.cbSize = sizeof parts;
  ASSERT_TRUE(GetComboBoxInfo(size_controls.combo, &parts));
  EXPECT_EQ(size_controls.edit_field, parts.hwndItem);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(parts.hwndItem, GWL_WNDPROC)),
            &size_edit_proc);
  EXPECT_NE(size_controls.edit_proc, nullptr);
  EXPECT_EQ(SendMessageA(parts.hwndItem, EM_GETLIMITTEXT, 0, 0), 10);
}

TEST_F(SizeControls, ExitRestoresTheFieldSavesTheListAndDeletesTheFont) {
  open_window(300, 240);
  ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
  const SIZE_CONTROLS built = size_controls;
  host.saved.clear();

  EXPECT_EQ(deliver(WM_FILTER_EXIT), 1);
  EXPECT_EQ(host.saved, (std::vector<std::pair<std::string, int32_t>>{{"size_00", -31457920}}));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(built.edit_field, GWL_WNDPROC)),
            built.edit_proc);
  EXPECT_EQ(GetObjectType(built.font), 0u) << "the font is deleted";
  const SIZE_CONTROLS cleared{};
  EXPECT_EQ(std::memcmp(&size_controls, &cleared, sizeof cleared), 0);

  // The controls stay (they end with the window), but without the keystroke rule.
  EXPECT_TRUE(IsWindow(built.combo));
  SendMessageA(built.edit_field, EM_SETSEL, 0, -1);
  SendMessageA(built.edit_field, WM_CHAR, 'X', 1);
  char text[16] = {};
  GetWindowTextA(built.combo, text, sizeof text);
  EXPECT_STREQ(text, "X");

  host.saved.clear();
  EXPECT_EQ(deliver(WM_FILTER_EXIT), 1) << "a second exit finds nothing to end";
  EXPECT_TRUE(host.saved.empty());
}

TEST_F(SizeControls, WithoutTheCheckBoxNothingIsBuiltAndExitSavesNothing) {
  open_window(300, 240, 10, 200, 20, "vertical");
  const PLACE before = place_of(host.check_box);
  EXPECT_EQ(deliver(WM_FILTER_INIT), 0);
  EXPECT_EQ(place_of(host.check_box), before);
  EXPECT_EQ(FindWindowExA(host.window, nullptr, "COMBOBOX", nullptr), nullptr);
  EXPECT_EQ(size_controls.font, nullptr);
  EXPECT_TRUE(host.loaded.empty());

  EXPECT_EQ(deliver(WM_FILTER_EXIT), 1);
  EXPECT_TRUE(host.saved.empty());
}

TEST_F(SizeControls, RefusedSetButtonLeavesTheComboAtItsCreationPlaceAndExitStillSaves) {
  open_window(300, 240);
  {
    CREATION_WATCH refusal("BUTTON");
    EXPECT_EQ(deliver(WM_FILTER_INIT), 0);
    ASSERT_EQ(refusal.created.size(), 2u) << "the set button was asked for";
  }
  EXPECT_EQ(place_of(host.check_box), (PLACE{10, 200, 150, 20}));
  ASSERT_NE(size_controls.combo, nullptr);
  EXPECT_EQ(size_controls.button, nullptr);
  EXPECT_NE(size_controls.font, nullptr);
  const PLACE created = place_of(size_controls.combo);
  EXPECT_EQ(created.x, 216);
  EXPECT_EQ(created.y, 200);
  EXPECT_EQ(created.width, 132);
  EXPECT_EQ(list_texts(), std::vector<std::string>{"640x480"});
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongA(size_controls.edit_field, GWL_WNDPROC)),
            &size_edit_proc);

  // Enter has no button to click.
  type_keys("800x600\r");
  EXPECT_EQ(window_updates(), 0);
  EXPECT_EQ(host.track[0], 640);

  const HFONT font = size_controls.font;
  host.saved.clear();
  EXPECT_EQ(deliver(WM_FILTER_EXIT), 1);
  EXPECT_EQ(host.saved.size(), 1u);
  EXPECT_EQ(GetObjectType(font), 0u);
  EXPECT_EQ(size_controls.combo, nullptr);
}

TEST_F(SizeControls, RefusedComboLeavesTheNarrowedCheckBoxAndTheFontOnly) {
  open_window(300, 240);
  {
    CREATION_WATCH refusal("COMBOBOX");
    EXPECT_EQ(deliver(WM_FILTER_INIT), 0);
  }
  EXPECT_EQ(place_of(host.check_box), (PLACE{10, 200, 150, 20}));
  EXPECT_EQ(size_controls.combo, nullptr);
  EXPECT_EQ(size_controls.button, nullptr);
  EXPECT_EQ(FindWindowExA(host.window, nullptr, "BUTTON", "set->"), nullptr);
  EXPECT_TRUE(host.loaded.empty());
  const HFONT font = size_controls.font;
  ASSERT_NE(font, nullptr);

  EXPECT_EQ(deliver(WM_FILTER_EXIT), 1);
  EXPECT_TRUE(host.saved.empty());
  EXPECT_EQ(GetObjectType(font), 0u);
}

}  // namespace
