// Size texts: the field's reading rules, and the sizes the engine takes.
#include <gtest/gtest.h>

#include <climits>

#include "frame_size.h"

namespace {

struct READ_CASE {
  const char* text;
  int32_t w;
  int32_t h;
};

TEST(SizeText, ReadsTheFirstTwoNumbersWhateverSeparatesThem) {
  const READ_CASE cases[] = {
      {"1280x720", 1280, 720},
      {"1920*1080", 1920, 1080},
      {"0640x0480", 640, 480},
      {"640 by 480", 640, 480},
      {"-640x480", 640, 480},
      {"1x2x3", 1, 2},
      {"  7\t8  ", 7, 8},
      {"W64 H36", 64, 36},
      {"0x0", 0, 0},
      {"12\xe3\x80\x80"
       "40",
       12, 40},  // bytes of 0x80 and above separate too
  };
  for (const READ_CASE& c : cases) {
    int32_t w = -1, h = -1;
    ASSERT_TRUE(read_size_numbers(c.text, w, h)) << c.text;
    EXPECT_EQ(w, c.w) << c.text;
    EXPECT_EQ(h, c.h) << c.text;
  }
}

TEST(SizeText, FewerThanTwoNumbersFailAndLeaveTheOutputsAlone) {
  for (const char* text : {"", "640", "x480", "axb", "640x", " * "}) {
    int32_t w = 5, h = 6;
    EXPECT_FALSE(read_size_numbers(text, w, h)) << text;
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 6);
  }
}

TEST(SizeText, DigitRunsTooLargeForAnIntSaturate) {
  int32_t w = 0, h = 0;
  ASSERT_TRUE(read_size_numbers("2147483647x2147483648", w, h));
  EXPECT_EQ(w, INT32_MAX);
  EXPECT_EQ(h, INT32_MAX);
  // Wrapping would turn 4294967936 (2^32 + 640) into 640.
  ASSERT_TRUE(read_size_numbers("4294967936x99999999999999999999999", w, h));
  EXPECT_EQ(w, INT32_MAX);
  EXPECT_EQ(h, INT32_MAX);
  ASSERT_TRUE(read_size_numbers("000000000000000000000640x2147483646", w, h));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 2147483646);
}

TEST(SizeText, EngineTakesOneToTheLimitOnEachAxis) {
  EXPECT_EQ(check_frame_size(1, 1), "");
  EXPECT_EQ(check_frame_size(frame_side_limit, frame_side_limit), "");
  EXPECT_NE(check_frame_size(0, 480).find("no pixels"), std::string::npos);
  EXPECT_NE(check_frame_size(640, 0).find("no pixels"), std::string::npos);
  EXPECT_NE(check_frame_size(frame_side_limit + 1, 1).find("limit"), std::string::npos);
  EXPECT_NE(check_frame_size(1, INT32_MAX).find("limit"), std::string::npos);
}

}  // namespace
