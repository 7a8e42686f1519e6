// Reading typed size texts: the pieces under parse_size_text.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "size_text.h"

namespace {

TEST(ReadTwoNumbers, ReadsLikePercentDPercentDOnDigitsAndSpaces) {
  const struct {
    const char* text;
    bool ok;
    int32_t first, second;
  } cases[] = {
      {"640 480", true, 640, 480}, {"   640    480   ", true, 640, 480},
      {"1 2 3", true, 1, 2},       {"0640 0480", true, 640, 480},
      {"0 0", true, 0, 0},         {"640", false, 0, 0},
      {"640   ", false, 0, 0},     {"", false, 0, 0},
      {"    ", false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t a = -7;
    int32_t b = -7;
    EXPECT_EQ(read_two_numbers(c.text, &a, &b), c.ok);
    EXPECT_EQ(a, c.ok ? c.first : -7);
    EXPECT_EQ(b, c.ok ? c.second : -7);
  }
}

TEST(ReadTwoNumbers, DigitRunsTooLargeForAnIntSaturate) {
  const struct {
    std::string text;
    int32_t first, second;
  } cases[] = {
      {"2147483647 2147483646", INT32_MAX, 2147483646},
      {"2147483648 1", INT32_MAX, 1},
      {"2147483650 21474836470", INT32_MAX, INT32_MAX},
      {"99999999999999999999 5", INT32_MAX, 5},
      {std::string(63, '9').substr(0, 40) + " " + std::string(22, '8'), INT32_MAX, INT32_MAX},
      {"00000000000000000000000000000012 34", 12, 34},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t a = 0;
    int32_t b = 0;
    ASSERT_TRUE(read_two_numbers(c.text.c_str(), &a, &b));
    EXPECT_EQ(a, c.first);
    EXPECT_EQ(b, c.second);
  }
}

TEST(BlankNonDigits, KeepsOnlyAsciiDigits) {
  char text[] = "-1920*1080\x82\x4f\xff/:0";
  blank_non_digits(text);
  EXPECT_STREQ(text, " 1920 1080     0");
}

TEST(ClampTypedDimension, KeepsSizesWithin32And9999) {
  EXPECT_EQ(clamp_typed_dimension(0), 32);
  EXPECT_EQ(clamp_typed_dimension(31), 32);
  EXPECT_EQ(clamp_typed_dimension(33), 33);
  EXPECT_EQ(clamp_typed_dimension(9998), 9998);
  EXPECT_EQ(clamp_typed_dimension(10000), 9999);
  EXPECT_EQ(clamp_typed_dimension(INT32_MAX), 9999);
}

TEST(FormatSizeText, WritesWidthXHeightWithoutPadding) {
  char text[combo_text_size];
  format_size_text(text, 640, 480);
  EXPECT_STREQ(text, "640x480");
  format_size_text(text, 65535, 65535);
  EXPECT_STREQ(text, "65535x65535");
  format_size_text(text, 0, 7);
  EXPECT_STREQ(text, "0x7");
}

}  // namespace
