// Sizes on the command line: two whole numbers joined by x or *, nothing
// else; and the sizes the engine takes.
#include <gtest/gtest.h>

#include <climits>
#include <string_view>

#include "frame_size.h"

namespace {

struct SIZE_CASE {
  std::string_view text;
  int32_t w;  // the size read, when `says` is empty
  int32_t h;
  const char* says;  // else a piece of the error phrase
};

constexpr const char* forms = "two whole numbers joined by x or *, such as 1280x720 or 1280*720";

TEST(SizeOption, TakesTwoNumbersJoinedByXOrStarAndNothingElse) {
  const SIZE_CASE cases[] = {
      {"1280x720", 1280, 720, ""},
      {"1920*1080", 1920, 1080, ""},
      {"0640x0480", 640, 480, ""},
      {"000000000000000000000640x0000000000000000000000480", 640, 480, ""},
      {"1x1", 1, 1, ""},
      {"65535x65535", 65535, 65535, ""},
      // Typos that a loose reading turned into another size, or into this one.
      {"3e2x10", 0, 0, forms},
      {"-5x5", 0, 0, forms},
      {"+5x5", 0, 0, forms},
      {"1920x1080junk", 0, 0, forms},
      {"1920x1080x3", 0, 0, forms},
      {"1920x1080 ", 0, 0, forms},
      {" 1920x1080", 0, 0, forms},
      {"1920 x 1080", 0, 0, forms},
      {"640 by 480", 0, 0, forms},
      {"1920X1080", 0, 0, forms},
      {"1920,1080", 0, 0, forms},
      {"1920x", 0, 0, forms},
      {"x1080", 0, 0, forms},
      {"1920", 0, 0, forms},
      {"", 0, 0, forms},
      {"12\xe3\x80\x80"
       "40",
       0, 0, forms},
      {std::string_view("16\0x8", 5), 0, 0, forms},
      // Well formed, but not a size the engine takes; never wrapped into one.
      {"0x0", 0, 0, "size 0x0 has no pixels"},
      {"640x0", 0, 0, "has no pixels"},
      {"65536x1", 0, 0, "above the engine's limit of 65535"},
      {"4294967936x480", 0, 0, "size 2147483647x480 is above the engine's limit"},
      {"640x99999999999999999999999", 0, 0, "above the engine's limit"},
  };
  for (const SIZE_CASE& c : cases) {
    int32_t w = -7, h = -7;
    const std::string wrong = read_size_option(c.text, w, h);
    if (*c.says == '\0') {
      EXPECT_EQ(wrong, "") << c.text;
      EXPECT_EQ(w, c.w) << c.text;
      EXPECT_EQ(h, c.h) << c.text;
    } else {
      EXPECT_NE(wrong.find(c.says), std::string::npos) << c.text << ": " << wrong;
      EXPECT_EQ(w, -7) << c.text << ": a refused size was written";
      EXPECT_EQ(h, -7) << c.text;
    }
  }
}

TEST(SizeOption, EngineTakesOneToTheLimitOnEachAxis) {
  EXPECT_EQ(check_frame_size(1, 1), "");
  EXPECT_EQ(check_frame_size(frame_side_limit, frame_side_limit), "");
  EXPECT_NE(check_frame_size(0, 480).find("no pixels"), std::string::npos);
  EXPECT_NE(check_frame_size(640, 0).find("no pixels"), std::string::npos);
  EXPECT_NE(check_frame_size(frame_side_limit + 1, 1).find("limit"), std::string::npos);
  EXPECT_NE(check_frame_size(1, INT32_MAX).find("limit"), std::string::npos);
}

}  // namespace
