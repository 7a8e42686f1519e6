// Keystrokes typed into the real size field, and a whole session from
// loading the list to saving it and loading it again.
#include <gtest/gtest.h>

#include "size_controls_fixture.h"
#include "size_controls.h"

namespace {

// Characters that reached the edit field's own procedure.
std::string passed_chars;
WNDPROC field_proc = nullptr;

LRESULT CALLBACK spy_field_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CHAR) passed_chars += static_cast<char>(wparam);
  return CallWindowProcA(field_proc, window, message, wparam, lparam);
}

// A field wide enough for ten characters: the field does not scroll, so it
// takes only as much text as it can show.
class SizeField : public FilterWindowTest {
 protected:
  void SetUp() override {
    FilterWindowTest::SetUp();
    open_window(600, 240);
    ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
    host.redraws = 0;
    clear_field();
  }
  void clear_field() {
    SendMessageA(size_controls.edit_field, EM_SETSEL, 0, -1);
    type_keys("\b");
  }
};

TEST_F(SizeField, DigitsLowercaseXAndAsteriskPassOtherPrintablesAreDropped) {
  type_keys("12*4x");
  EXPECT_EQ(edit_text(), "12*4x");
  type_keys("X-+/:aZ~!");
  EXPECT_EQ(edit_text(), "12*4x");
  type_keys(" 5\b6");
  EXPECT_EQ(edit_text(), "12*4x 6");
  EXPECT_EQ(host.redraws, 0);
}

TEST_F(SizeField, TypingDropsTheSelectionAndNotifiesNothingTheFilterActsOn) {
  ASSERT_EQ(selection(), -1) << "clearing the field was an edit";
  EXPECT_GT(host.combo_commands, 0) << "the combo box reports edits to the filter window";
  EXPECT_EQ(host.redraws, 0);
  SendMessageA(size_controls.combo, CB_SETCURSEL, 0, 0);
  type_keys("1");
  EXPECT_EQ(selection(), -1);
}

TEST_F(SizeField, RefusedCharactersAndEnterNeverReachTheField) {
  field_proc = size_controls.edit_proc;
  size_controls.edit_proc = spy_field_proc;
  passed_chars.clear();
  type_keys("1x-X*2 \b\r");
  size_controls.edit_proc = field_proc;
  EXPECT_EQ(passed_chars, "1x*2 \b");
}

TEST_F(SizeField, AtMostTenCharactersCanBeTyped) {
  type_keys("123456789012");
  EXPECT_EQ(edit_text(), "1234567890");
}

TEST_F(SizeField, ANarrowFieldTakesOnlyWhatItCanShow) {
  deliver(WM_FILTER_EXIT);
  close_window();
  open_window(300, 240);
  ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
  SendMessageA(size_controls.edit_field, EM_SETSEL, 0, -1);
  type_keys("1234567890");
  EXPECT_LT(edit_text().size(), 10u);
  EXPECT_EQ(edit_text(), std::string("1234567890").substr(0, edit_text().size()));
}

TEST_F(SizeField, EnterClicksTheSetButtonAndIsNotTyped) {
  type_keys("1920x1080\r");
  EXPECT_EQ(host.track[0], 1920);
  EXPECT_EQ(host.track[1], 1080);
  EXPECT_EQ(window_updates(), 1);
  EXPECT_EQ(host.redraws, 1);
  EXPECT_EQ(edit_text(), "1920x1080");
  EXPECT_EQ(list_texts(), (std::vector<std::string>{"640x480", "1920x1080"}));
  EXPECT_EQ(selection(), 1);
}

TEST_F(SizeField, EnterOnTextWithoutTwoNumbersKeepsTheTextAndTheTracks) {
  type_keys("640X480\r");  // the X is dropped: one number, 640480
  EXPECT_EQ(edit_text(), "640480");
  EXPECT_EQ(host.track[0], 640);
  EXPECT_EQ(window_updates(), 0);
  EXPECT_EQ(host.redraws, 0);
  EXPECT_EQ(list_texts(), std::vector<std::string>{"640x480"});
}

TEST_F(SizeField, TypedTextIsCleanedAndClampedOnEnter) {
  type_keys("12*40000\r");
  EXPECT_EQ(edit_text(), "32x9999");
  EXPECT_EQ(host.track[0], 32);
  EXPECT_EQ(host.track[1], 2048);
}

TEST_F(SizeField, SessionSavesTheListAndTheNextWindowLoadsItBack) {
  type_keys("800x600\r");
  clear_field();
  type_keys("720*480\r");
  ASSERT_EQ(host.track[0], 720);
  SendMessageA(size_controls.combo, CB_SETCURSEL, 1, 0);  // picked 800x600 from the list
  EXPECT_EQ(deliver(WM_FILTER_EXIT), 1);
  close_window();
  EXPECT_EQ(host.settings,
            (std::map<std::string, int32_t>{
                {"size_00", 31457920}, {"size_01", -39322400}, {"size_02", 31458000}}));

  open_window(600, 240);
  ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
  EXPECT_EQ(list_texts(), (std::vector<std::string>{"640x480", "800x600", "720x480"}));
  EXPECT_EQ(selection(), 1);
  EXPECT_EQ(edit_text(), "800x600");
  host.redraws = 0;
  type_keys("\r");
  EXPECT_EQ(host.track[0], 800);
  EXPECT_EQ(host.track[1], 600);
  EXPECT_EQ(host.redraws, 1);
}

}  // namespace
