// Keystrokes typed into the real size field, and a whole session from
// loading the list to saving it and loading it again.
#include <gtest/gtest.h>

#include <cstring>

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

// Text put on the clipboard, as another program copies it.
void put_on_clipboard(HWND owner, const std::string& text) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  ASSERT_NE(memory, nullptr);
  std::memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
  GlobalUnlock(memory);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  ASSERT_NE(SetClipboardData(CF_TEXT, memory), nullptr);
  CloseClipboard();
}

// Text that comes whole (a paste, or text sent by a program) is read whole by
// the set button, typed characters' limit of 10 notwithstanding; text the
// field would cut (past the 63 characters read, wider than the field, or
// beyond a line break) leaves the field as it was. Never another size.
TEST_F(SizeField, PastedAndSentTextIsTakenWholeOrNotAtAll) {
  enum class HOW { paste, ctrl_v, shift_insert, replace_selection, set_text };
  struct CASE {
    HOW how;
    std::string text;
    const char* field;  // after the text came
    int w, h;           // the tracks after Enter
  };
  const std::string long_text = "1920x1080" + std::string(55, ' ');  // 64 characters
  const CASE cases[] = {
      {HOW::paste, "1920 x 1080", "1920 x 1080", 1920, 1080},
      {HOW::paste, "10000x10000", "10000x10000", 2048, 2048},  // 9999x9999 in the track ranges
      {HOW::ctrl_v, "1280 by 720\r\n", "1280 by 720", 1280, 720},
      {HOW::shift_insert, "1600 x 1200", "1600 x 1200", 1600, 1200},
      {HOW::replace_selection, "3840 x 2160", "3840 x 2160", 2048, 2048},
      {HOW::set_text, "1024 x 768 ", "1024 x 768 ", 1024, 768},
      {HOW::paste, long_text, "640x480", 640, 480},
      {HOW::replace_selection, long_text, "640x480", 640, 480},
      {HOW::set_text, long_text, "640x480", 640, 480},
      {HOW::paste, "1920\r\n1080", "640x480", 640, 480},
      {HOW::paste, "1234567890123456789012345678901234567890x9", "640x480", 640, 480},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases) + ": \"" + c.text + "\"");
    // The field holds 640x480, all of it selected, and no entry is chosen.
    SendMessageA(size_controls.combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetWindowTextA(size_controls.combo, "640x480");
    SendMessageA(size_controls.edit_field, EM_SETSEL, 0, -1);
    HWND field = size_controls.edit_field;
    switch (c.how) {
      case HOW::paste:
      case HOW::ctrl_v:
      case HOW::shift_insert:
        put_on_clipboard(host.window, c.text);
        if (c.how == HOW::paste) SendMessageA(field, WM_PASTE, 0, 0);
        if (c.how == HOW::ctrl_v) SendMessageA(field, WM_CHAR, 0x16, 1);
        if (c.how == HOW::shift_insert) {
          BYTE keys[256] = {};
          GetKeyboardState(keys);
          keys[VK_SHIFT] = 0x80;
          SetKeyboardState(keys);
          SendMessageA(field, WM_KEYDOWN, VK_INSERT, 1);
          keys[VK_SHIFT] = 0;
          SetKeyboardState(keys);
        }
        break;
      case HOW::replace_selection:
        SendMessageA(field, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(c.text.c_str()));
        break;
      case HOW::set_text:
        SetWindowTextA(size_controls.combo, c.text.c_str());
        break;
    }
    pump_messages();
    EXPECT_EQ(edit_text(), c.field);
    type_keys("\r");
    EXPECT_EQ(host.track[0], c.w);
    EXPECT_EQ(host.track[1], c.h);
  }
  EXPECT_EQ(list_texts(), (std::vector<std::string>{"640x480", "1920x1080", "9999x9999", "1280x720",
                                                    "1600x1200", "3840x2160", "1024x768"}));

  // Typing keeps its limit of 10 characters beside a longer pasted text.
  put_on_clipboard(host.window, "1920 x 1080");
  SendMessageA(size_controls.edit_field, EM_SETSEL, 0, -1);
  SendMessageA(size_controls.edit_field, WM_PASTE, 0, 0);
  type_keys("5");
  EXPECT_EQ(edit_text(), "1920 x 1080");
  type_keys("\b\b55");
  EXPECT_EQ(edit_text(), "1920 x 105");
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
