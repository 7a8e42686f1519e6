// The keystroke rule of the size field and the fitting into track ranges.
#include <gtest/gtest.h>

#include "keystroke_rule.h"
#include "track_range.h"

namespace {

constexpr uint32_t key_down_message = 0x0100;     // WM_KEYDOWN
constexpr uint32_t system_char_message = 0x0106;  // WM_SYSCHAR

TEST(ClassifyKeystroke, SortsTypedCharactersIntoPassClickAndBeep) {
  const struct {
    uintptr_t code;
    KEYSTROKE outcome;
  } cases[] = {
      {'0', KEYSTROKE::pass_on},
      {'9', KEYSTROKE::pass_on},
      {'x', KEYSTROKE::pass_on},
      {'*', KEYSTROKE::pass_on},
      {' ', KEYSTROKE::pass_on},
      {'\b', KEYSTROKE::pass_on},
      {'\n', KEYSTROKE::pass_on},
      {0x16, KEYSTROKE::pass_on},  // Ctrl+V
      {0x7F, KEYSTROKE::pass_on},
      {0x80, KEYSTROKE::pass_on},
      {0x82, KEYSTROKE::pass_on},
      {0xFF, KEYSTROKE::pass_on},
      {'\r', KEYSTROKE::click_set_button},
      {'X', KEYSTROKE::beep},
      {'-', KEYSTROKE::beep},
      {'+', KEYSTROKE::beep},
      {'/', KEYSTROKE::beep},
      {':', KEYSTROKE::beep},
      {'!', KEYSTROKE::beep},
      {'~', KEYSTROKE::beep},
      {'a', KEYSTROKE::beep},
      {')', KEYSTROKE::beep},
      {'+' + 0x100, KEYSTROKE::pass_on},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(classify_keystroke(char_message, c.code), c.outcome);
  }
}

TEST(ClassifyKeystroke, OnlyCharacterMessagesAreFiltered) {
  for (uintptr_t code : {uintptr_t{'X'}, uintptr_t{'\r'}, uintptr_t{'-'}}) {
    EXPECT_EQ(classify_keystroke(key_down_message, code), KEYSTROKE::pass_on);
    EXPECT_EQ(classify_keystroke(system_char_message, code), KEYSTROKE::pass_on);
  }
}

TEST(ClampToTrack, AppliesTheMinimumFirstAndTheMaximumLast) {
  EXPECT_EQ(clamp_to_track(4000, 32, 2048), 2048);
  EXPECT_EQ(clamp_to_track(3000, 32, 2048), 2048);
  EXPECT_EQ(clamp_to_track(40, 64, 2048), 64);
  EXPECT_EQ(clamp_to_track(640, 32, 2048), 640);
  EXPECT_EQ(clamp_to_track(2048, 32, 2048), 2048);
  EXPECT_EQ(clamp_to_track(75, 100, 50), 50);
  EXPECT_EQ(clamp_to_track(10, 100, 50), 50);
}

}  // namespace
