// YC48 conversions: the host's anchor points, lossless round trips where the
// precision allows, and the 16-bit and weighted-sum forms agreeing with the
// plain 8-bit formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "yc48_colour.h"

namespace {

TEST(Colour, LimitedRangeAnchorsLandOnTheYc48Scale) {
  EXPECT_EQ(luma_to_yc48(16, 8), 0);
  EXPECT_EQ(luma_to_yc48(235, 8), 4096);
  EXPECT_EQ(chroma_to_yc48(128, 0, 8), 0);
  EXPECT_EQ(chroma_to_yc48(16, 0, 8), -2048);
  EXPECT_EQ(chroma_to_yc48(240, 0, 8), 2048);
  EXPECT_EQ(luma_from_yc48(0, 8), 16);
  EXPECT_EQ(luma_from_yc48(4096, 8), 235);
  EXPECT_EQ(chroma_from_yc48(0, 0, 8), 128);
  EXPECT_EQ(chroma_from_yc48(-2048, 0, 8), 16);
  EXPECT_EQ(chroma_from_yc48(2048, 0, 8), 240);
  // Overshoot is clamped only on the way out.
  EXPECT_EQ(luma_from_yc48(-3000, 8), 0);
  EXPECT_EQ(luma_from_yc48(9000, 8), 255);
  EXPECT_EQ(luma_from_yc48(9000, 16), 65535);
  EXPECT_EQ(chroma_from_yc48(-9000, 0, 16), 0);
}

TEST(Colour, EveryEightBitSampleSurvivesTheRoundTrip) {
  for (int v = 0; v <= 255; ++v) {
    EXPECT_EQ(luma_from_yc48(luma_to_yc48(v, 8), 8), v) << "Y " << v;
    EXPECT_EQ(chroma_from_yc48(chroma_to_yc48(v, 0, 8), 0, 8), v) << "C " << v;
  }
}

TEST(Colour, DeeperSamplesAreEightBitsWithMoreFraction) {
  for (int depth : {10, 12, 16})
    for (int v = 0; v <= 255; ++v) {
      EXPECT_EQ(luma_to_yc48(v << (depth - 8), depth), luma_to_yc48(v, 8)) << depth << ": " << v;
      EXPECT_EQ(chroma_to_yc48(v << (depth - 8), 0, depth), chroma_to_yc48(v, 0, 8))
          << depth << ": " << v;
    }
  // One YC48 step is about 14 sixteen-bit steps: a round trip stays within
  // half of one, on both sides (no bias).
  int low = 0, high = 0;
  for (int v = 16 << 8; v <= 240 << 8; ++v) {
    const int dy = luma_from_yc48(luma_to_yc48(v, 16), 16) - v;
    const int dc = chroma_from_yc48(chroma_to_yc48(v, 0, 16), 0, 16) - v;
    ASSERT_LE(std::abs(dy), 7) << v;
    ASSERT_LE(std::abs(dc), 7) << v;
    low += (dy < 0) + (dc < 0);
    high += (dy > 0) + (dc > 0);
  }
  EXPECT_NEAR(double(low) / high, 1.0, 0.05);
  // The anchors of the scale.
  EXPECT_NEAR(luma_from_yc48(0, 16), 16 << 8, 7);
  EXPECT_NEAR(luma_from_yc48(4096, 16), 235 << 8, 7);
  EXPECT_NEAR(chroma_from_yc48(0, 0, 16), 128 << 8, 7);
  EXPECT_NEAR(chroma_from_yc48(2048, 0, 16), 240 << 8, 7);
}

TEST(Colour, EveryCodeUpToTwelveBitsSurvivesTheRoundTripInBothRanges) {
  // From the smallest code (0) to the largest, limited and full range: a
  // YC48 step is finer than a code step up to 12 bits.
  for (int depth : {8, 10, 12}) {
    const int max = (1 << depth) - 1;
    for (int v = 0; v <= max; ++v) {
      ASSERT_EQ(luma_from_yc48(luma_to_yc48(v, depth), depth), v) << depth << " Y " << v;
      ASSERT_EQ(chroma_from_yc48(chroma_to_yc48(v, 0, depth), 0, depth), v) << depth << " C " << v;
      ASSERT_EQ(level_from_yc48(level_to_yc48(v, max), max), v) << depth << " full Y " << v;
      ASSERT_EQ(full_chroma_from_yc48(full_chroma_to_yc48(v, 0, depth), 0, depth), v)
          << depth << " full C " << v;
    }
  }
  // The anchors of the full range: the scale's ends and middle.
  EXPECT_EQ(level_to_yc48(1023, 1023), 4096);
  EXPECT_EQ(full_chroma_to_yc48(512, 0, 10), 0);
  EXPECT_EQ(full_chroma_to_yc48(128, 0, 8), 0);
  EXPECT_EQ(full_chroma_to_yc48(0, 0, 8), -2056);  // 128 codes of 4096 / 255 below
  EXPECT_EQ(full_chroma_to_yc48(255, 0, 8), 2040);
  EXPECT_EQ(full_chroma_from_yc48(0, 0, 8), 128);
  EXPECT_EQ(full_chroma_from_yc48(-9000, 0, 12), 0);
  EXPECT_EQ(full_chroma_from_yc48(9000, 0, 12), 4095);
  // Weighted sums are exact means in the full range too.
  for (int c = 0; c <= 255; ++c)
    EXPECT_EQ(full_chroma_to_yc48(16 * c, 4, 8), full_chroma_to_yc48(c, 0, 8)) << c;
  for (int c = -2100; c <= 2100; ++c)
    EXPECT_EQ(full_chroma_from_yc48(4 * c, 2, 10), full_chroma_from_yc48(c, 0, 10)) << c;
}

TEST(Colour, WeightedSumsAreConvertedAsExactMeans) {
  for (int c = 0; c <= 255; ++c) {
    EXPECT_EQ(chroma_to_yc48(16 * c, 4, 8), chroma_to_yc48(c, 0, 8));
    EXPECT_EQ(chroma_to_yc48(16 * (c << 8), 4, 16), chroma_to_yc48(c << 8, 0, 16));
  }
  for (int c = -2100; c <= 2100; ++c) {
    EXPECT_EQ(chroma_from_yc48(2 * c, 1, 8), chroma_from_yc48(c, 0, 8));
    EXPECT_EQ(chroma_from_yc48(4 * c, 2, 16), chroma_from_yc48(c, 0, 16));
  }
  // The mean of 100 and 101 is 100.5, which a rounded mean would lose:
  // 100.5 converts to ((100.5 - 128) * 4681 + 164) >> 8 = -503.
  EXPECT_EQ(chroma_to_yc48(8 * 100 + 8 * 101, 4, 8), -503);
  // On the way out (c * 7 + 16450) >> 7 turns -9 into 128 and -10 into 127;
  // their mean -9.5 gives 127, where a mean rounded up to -9 would give 128.
  EXPECT_EQ(chroma_from_yc48(-9, 0, 8), 128);
  EXPECT_EQ(chroma_from_yc48(-10, 0, 8), 127);
  EXPECT_EQ(chroma_from_yc48(-9 - 10, 1, 8), 127);
}

// The BT.601 definition in floating point, for comparison.
void reference_yc48(int r, int g, int b, int max, double out[3]) {
  const double R = double(r) / max, G = double(g) / max, B = double(b) / max;
  const double Y = 0.299 * R + 0.587 * G + 0.114 * B;
  out[0] = 4096 * Y;
  out[1] = 4096 * (B - Y) / 1.772;
  out[2] = 4096 * (R - Y) / 1.402;
}

TEST(Colour, RgbFollowsTheBt601DefinitionAndItsAnchors) {
  EXPECT_EQ(rgb_to_yc48(255, 255, 255, 255).y, 4096);
  EXPECT_EQ(rgb_to_yc48(0, 0, 255, 255).cb, 2048);
  EXPECT_EQ(rgb_to_yc48(255, 0, 0, 255).cr, 2048);
  EXPECT_EQ(rgb_to_yc48(65535, 65535, 65535, 65535).y, 4096);
  const YC48_PIXEL grey = rgb_to_yc48(77, 77, 77, 255);
  EXPECT_EQ(grey.cb, 0);
  EXPECT_EQ(grey.cr, 0);
  for (int max : {255, 65535}) {
    const int step = max / 17;
    for (int r = 0; r <= max; r += step)
      for (int g = 0; g <= max; g += step)
        for (int b = 0; b <= max; b += step) {
          double want[3];
          reference_yc48(r, g, b, max, want);
          const YC48_PIXEL p = rgb_to_yc48(r, g, b, max);
          ASSERT_LE(std::abs(p.y - want[0]), 0.5 + 1e-9) << r << " " << g << " " << b;
          ASSERT_LE(std::abs(p.cb - want[1]), 0.5 + 1e-9) << r << " " << g << " " << b;
          ASSERT_LE(std::abs(p.cr - want[2]), 0.5 + 1e-9) << r << " " << g << " " << b;
        }
  }
}

TEST(Colour, EightBitRgbSurvivesTheRoundTrip) {
  uint16_t back[3];
  for (int r = 0; r <= 255; r += 3)
    for (int g = 0; g <= 255; g += 3)
      for (int b = 0; b <= 255; b += 3) {
        rgb_from_yc48(rgb_to_yc48(r, g, b, 255), 255, back);
        ASSERT_EQ(back[0], r) << r << " " << g << " " << b;
        ASSERT_EQ(back[1], g) << r << " " << g << " " << b;
        ASSERT_EQ(back[2], b) << r << " " << g << " " << b;
      }
  // Overshoot past white and below black is clamped to the range.
  rgb_from_yc48(YC48_PIXEL{4600, 300, -300}, 255, back);
  EXPECT_EQ(back[0], 255);
  rgb_from_yc48(YC48_PIXEL{-200, 0, 0}, 65535, back);
  EXPECT_EQ(back[1], 0);
}

TEST(Colour, LevelsKeepEightBitsExactlyAndSixteenToTheScale) {
  for (int v = 0; v <= 255; ++v) EXPECT_EQ(level_from_yc48(level_to_yc48(v, 255), 255), v);
  for (int v = 0; v <= 65535; v += 13)
    EXPECT_LE(std::abs(level_from_yc48(level_to_yc48(v, 65535), 65535) - v), 8) << v;
  EXPECT_EQ(level_to_yc48(65535, 65535), 4096);
  EXPECT_EQ(level_from_yc48(5000, 255), 255);
  EXPECT_EQ(level_from_yc48(-5, 255), 0);
}

}  // namespace
