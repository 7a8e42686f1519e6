// The set button: which WM_COMMAND applies a size, and how it is fitted into
// the track ranges before the window is told to update.
#include <gtest/gtest.h>

#include "size_controls_fixture.h"
#include "packed_size.h"
#include "size_controls.h"

namespace {

class SetButton : public FilterWindowTest {
 protected:
  // Opens the window with `packed` as the selected list entry.
  void open_with_selected(int32_t width, int32_t height) {
    host.settings = {{"size_00", -static_cast<int32_t>(pack_size(width, height))}};
    open_window(300, 240);
    ASSERT_EQ(deliver(WM_FILTER_INIT), 1);
    host.redraws = 0;
  }
  void click() {
    SendMessageA(size_controls.button, BM_CLICK, 0, 0);
    pump_messages();
  }
};

TEST_F(SetButton, ClickWritesTheSelectedSizeAndRedraws) {
  open_with_selected(1280, 720);
  click();
  EXPECT_EQ(host.track[0], 1280);
  EXPECT_EQ(host.track[1], 720);
  EXPECT_EQ(window_updates(), 1);
  EXPECT_EQ(host.redraws, 1);
}

TEST_F(SetButton, SizesAreFittedIntoTheTrackRanges) {
  const struct {
    int32_t width, height;
    int minimum[2], maximum[2];
    int expected[2];
  } cases[] = {
      {4000, 3000, {32, 32}, {2048, 2048}, {2048, 2048}},
      {40, 40, {64, 64}, {2048, 2048}, {64, 64}},
      {40, 4000, {100, 32}, {50, 2048}, {50, 2048}},
      {2048, 32, {32, 32}, {2048, 2048}, {2048, 32}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    open_with_selected(c.width, c.height);
    for (int i = 0; i < 2; ++i) {
      host.track_s[i] = c.minimum[i];
      host.track_e[i] = c.maximum[i];
    }
    click();
    EXPECT_EQ(host.track[0], c.expected[0]);
    EXPECT_EQ(host.track[1], c.expected[1]);
    EXPECT_EQ(host.redraws, 1);
    deliver(WM_FILTER_EXIT);
    close_window();
  }
}

TEST_F(SetButton, OtherCommandsAndNotificationsDoNothing) {
  open_with_selected(1280, 720);
  const LPARAM button = reinterpret_cast<LPARAM>(size_controls.button);
  const LPARAM combo = reinterpret_cast<LPARAM>(size_controls.combo);
  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(1202, BN_DOUBLECLICKED), button), 0);
  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(1202, BN_SETFOCUS), button), 0);
  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), combo), 0);
  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), combo), 0);
  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(1201, BN_CLICKED), 0), 0);
  EXPECT_EQ(deliver(WM_FILTER_UPDATE), 0);

  // Picking another entry from the list applies nothing by itself.
  SendMessageA(size_controls.combo, CB_SETCURSEL, 0, 0);
  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(0, CBN_SELENDOK), combo), 0);
  EXPECT_EQ(host.track[0], 640);
  EXPECT_EQ(host.track[1], 480);
  EXPECT_EQ(window_updates(), 0);
  EXPECT_EQ(host.redraws, 0);

  EXPECT_EQ(deliver(WM_COMMAND, MAKEWPARAM(1202, BN_CLICKED), button), 1);
  EXPECT_EQ(host.track[0], 1280);
}

TEST_F(SetButton, NothingToApplyChangesNothing) {
  open_with_selected(0, 480);  // an entry with no width
  click();
  EXPECT_EQ(window_updates(), 0);
  EXPECT_EQ(host.redraws, 0);
  EXPECT_EQ(host.track[0], 640);

  SendMessageA(size_controls.edit_field, EM_SETSEL, 0, -1);
  SendMessageA(size_controls.edit_field, WM_CHAR, '6', 1);
  SendMessageA(size_controls.edit_field, WM_CHAR, '4', 1);
  SendMessageA(size_controls.edit_field, WM_CHAR, '0', 1);  // one number only
  ASSERT_EQ(selection(), -1);
  click();
  EXPECT_EQ(window_updates(), 0);
  EXPECT_EQ(edit_text(), "640");
  EXPECT_EQ(list_texts(), std::vector<std::string>{"0x480"});
}

// The field takes at most ten typed characters, but a program may set any
// text; ten digits are already too many for an int.
TEST_F(SetButton, ALongDigitRunSaturatesAndEndsAtTheTrackMaximum) {
  open_with_selected(640, 480);
  host.track_e[0] = host.track_e[1] = 20000;
  SendMessageA(size_controls.edit_field, EM_SETSEL, 0, -1);
  SendMessageA(size_controls.edit_field, WM_CHAR, '\b', 1);
  ASSERT_EQ(selection(), -1);
  SetWindowTextA(size_controls.combo, (std::string(40, '9') + "x" + std::string(22, '4')).c_str());
  click();
  EXPECT_EQ(edit_text(), "9999x9999");
  EXPECT_EQ(host.track[0], 9999);
  EXPECT_EQ(host.track[1], 9999);
  EXPECT_EQ(selection(), 1);
}

}  // namespace
