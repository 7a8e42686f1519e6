// Every kernel variant against the baseline ("sse"): the same bytes in the
// whole buffer, image and margins alike. Frames run through every width and
// height remainder of the widest walk, lines of 1 to 3000 samples, enlarging
// and shrinking (columns from samples kept in the knots), both pass orders,
// one to three threads and sixteen (whose slots are too small for 16-lane
// walks over long rows, and for 8-lane ones over columns nearly as long as
// the buffer's longest side), each buffer between inaccessible pages.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <sstream>
#include <string>

#include "images.h"
#include "kernels.h"
#include "resize.h"
#include "thread_pool.h"
#include "work_area.h"

namespace {

const KERNEL_VARIANT* offered(const char* name) {
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v)
    if (std::strcmp((*v)->name, name) == 0) return *v;
  return nullptr;
}

struct CASE {
  int32_t w, h, tw, th;
  int32_t max_w, max_h;
  bool vertical_first;
  int threads;
};

std::string describe(const CASE& c) {
  std::ostringstream s;
  s << c.w << "x" << c.h << " -> " << c.tw << "x" << c.th << " in a " << c.max_w << "x" << c.max_h
    << " buffer, " << (c.vertical_first ? "vertical" : "horizontal") << " first, " << c.threads
    << " thread(s)";
  return s.str();
}

class VariantExactness : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() {
    for (int threads : {1, 2, 3, 16}) pools[threads - 1] = create_thread_pool(threads);
  }
  static void TearDownTestSuite() {
    for (THREAD_POOL*& p : pools) {
      destroy_thread_pool(p);
      p = nullptr;
    }
  }
  void SetUp() override {
    variant = offered(GetParam());
    if (!variant) GTEST_SKIP() << "this processor does not run the " << GetParam() << " kernels";
    baseline = offered("sse");
    ASSERT_NE(baseline, nullptr);
  }
  void TearDown() override {
    force_kernels(nullptr);
    force_new_row_stores(NEW_ROW_STORES::automatic);
    release_work_area();
  }

  // Resizes f with `kernels` and checks that they, and no other variant, ran.
  static void resize(const CASE& c, const KERNEL_VARIANT* kernels, const FRAME_BUFFER& f) {
    ASSERT_TRUE(force_kernels(kernels->name));
    FRAME frame{f.frame.buffer, c.w, c.h, c.max_w, c.max_h};
    const RUNNER runner = pool_runner(pools[c.threads - 1]);
    ASSERT_TRUE(
        resize_frame(frame, c.tw, c.th, c.vertical_first, c.threads > 1 ? &runner : nullptr));
    ASSERT_NE(work_area.kernels, nullptr);
    ASSERT_STREQ(work_area.kernels->name, kernels->name) << describe(c);
    EXPECT_EQ(frame.w, c.tw);
    EXPECT_EQ(frame.h, c.th);
  }

  // The baseline and the variant on copies of one frame (mixed content, or
  // flat lines with rare spikes); reports the first sample where the buffers
  // differ.
  void check(const CASE& c, uint32_t seed, CONTENT content = CONTENT::mixed) {
    FRAME_BUFFER expected, actual;
    make_guarded_frame(expected, c.max_w, c.max_h);
    make_guarded_frame(actual, c.max_w, c.max_h);
    fill_test_frame(expected.frame, seed, content);
    fill_test_frame(actual.frame, seed, content);
    resize(c, baseline, expected);
    resize(c, variant, actual);
    EXPECT_EQ(first_difference(whole_buffer(expected.frame), whole_buffer(actual.frame)), "")
        << variant->name << " differs from sse for " << describe(c);
  }

  // Each case with each content in turn, the seeds counting up from `seed`;
  // stops after the first case that fails.
  template <size_t N>
  void check_each(const CASE (&cases)[N], uint32_t seed, std::initializer_list<CONTENT> contents) {
    for (const CASE& c : cases) {
      for (CONTENT content : contents) check(c, seed++, content);
      if (HasFailure()) return;
    }
  }

  static THREAD_POOL* pools[16];  // by thread count: 1, 2, 3 and 16
  const KERNEL_VARIANT* variant = nullptr;
  const KERNEL_VARIANT* baseline = nullptr;
};

THREAD_POOL* VariantExactness::pools[16];

// Widths 1 to 200 and heights 1 to 90 (each over the widest walk: 16 column
// groups, 20 rows, 16 lanes per vector), the last column group cut by the
// row's end in every other buffer; enlarging and shrinking alternate.
TEST_P(VariantExactness, FramesOfEveryWidthAndHeightRemainder) {
  for (int32_t i = 0; i < 200; ++i) {
    CASE c{};
    c.w = 1 + i;
    c.h = 1 + (i * 37) % 90;
    if (i % 2 == 0) {
      c.tw = c.w + 1 + (i % 7) * 5;
      c.th = 2 * c.h + 1;
    } else {
      c.tw = c.w > 1 ? c.w / 2 : 2;
      c.th = c.h > 3 ? c.h - 1 - i % 3 : c.h + 3;
    }
    c.max_w = (c.w > c.tw ? c.w : c.tw) + (i / 2 % 2) * (1 + i % 5);
    c.max_h = (c.h > c.th ? c.h : c.th) + (i / 4 % 2) * 2;
    c.vertical_first = i % 3 == 0;
    c.threads = 1 + i % 3;
    check(c, i);
    if (HasFailure()) return;
  }
}

// Lines of 1 to 3000 samples in either pass, to and from 1 and 3000.
TEST_P(VariantExactness, LinesOfOneToThreeThousandSamples) {
  const int32_t lengths[][2] = {{1, 3000},    {3000, 1},    {2, 3000},    {3000, 2},
                                {2999, 3000}, {3000, 2999}, {1777, 2048}, {2048, 1777},
                                {3, 5},       {640, 1923},  {1923, 641},  {17, 16}};
  int seed = 1000;
  for (const auto& len : lengths) {
    for (int32_t lines : {3, 23, 45}) {
      const int32_t n = len[0], m = len[1];
      const int32_t big = n > m ? n : m;
      // Horizontal: rows of n pixels to m; vertical: columns of n rows to m.
      check(CASE{n, lines, m, lines, big, lines, false, 1 + seed % 3}, seed);
      check(CASE{lines, n, lines, m, lines, big, true, 1 + (seed + 1) % 3}, seed + 1);
      seed += 2;
      if (HasFailure()) return;
    }
  }
}

// Larger frames through both passes on several threads, with flat lines
// whose curvatures fade into the flush-to-zero range.
TEST_P(VariantExactness, BothPassesOnSeveralThreads) {
  const CASE cases[] = {
      {1000, 301, 1919, 601, 1919, 601, false, 2}, {1919, 601, 1000, 301, 1919, 601, true, 3},
      {733, 437, 1283, 211, 1283, 437, true, 2},   {733, 437, 1283, 211, 1283, 437, false, 3},
      {400, 400, 803, 333, 803, 400, false, 2},    {1000, 301, 1919, 601, 1919, 601, false, 16},
      {1919, 601, 1000, 301, 1919, 601, true, 16}, {200, 1000, 150, 1001, 200, 1001, true, 16},
  };
  check_each(cases, 77, {CONTENT::mixed, CONTENT::spikes});
}

// Enlarged columns: the rows past the source's go past the caches in whole
// 64-byte lines where a row starts one. Buffers whose rows all start a line
// (widths of 32k pixels), every other row (32k + 16) and one row in 32;
// walks that fill their lines, a last walk of 14 groups with a partial
// vector, rows cut inside the last group; one thread, and steps of one walk
// or less on two and three. The stores past the caches are forced, whatever
// the processor's default.
TEST_P(VariantExactness, RowsPastTheSourceOnAndOffCacheLines) {
  force_new_row_stores(NEW_ROW_STORES::streamed);
  const CASE cases[] = {
      {1280, 90, 1280, 301, 1280, 301, false, 1}, {1000, 77, 1000, 250, 1024, 250, true, 1},
      {1290, 64, 1290, 199, 1296, 200, false, 1}, {1290, 64, 1290, 199, 1296, 200, false, 2},
      {999, 50, 1001, 173, 1001, 173, false, 3},  {1280, 33, 700, 400, 1280, 400, true, 2},
      {100, 40, 100, 97, 128, 97, false, 3},
  };
  check_each(cases, 500, {CONTENT::mixed});
}

// Shrunk columns, whose walks keep their samples in the knots: full-range
// and spiked samples; the last walk with a partial vector (3000 int16 a row)
// or a group cut by the row's end (3003); by one row and by a factor of 360;
// after a horizontal pass that left its own bytes in the slot; 1 to 3 threads.
TEST_P(VariantExactness, ShrunkColumnsFromTheirKeptSamples) {
  const CASE cases[] = {
      {1000, 600, 1000, 401, 1000, 600, false, 1},
      {1001, 300, 1001, 299, 1001, 300, true, 2},
      {1001, 1080, 1001, 3, 1001, 1080, true, 3},
      {1001, 500, 1203, 250, 1203, 500, false, 1},
  };
  check_each(cases, 900, {CONTENT::extreme, CONTENT::spikes});
}

// Small frames of assorted sizes in one 128 x 128 buffer, random walks and
// full-range noise in turn, one thread.
TEST_P(VariantExactness, SmallFramesOfWalksAndNoise) {
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    const CASE c{1 + static_cast<int32_t>(seed * 37 % 90),
                 1 + static_cast<int32_t>(seed * 53 % 70),
                 1 + static_cast<int32_t>(seed * 71 % 120),
                 1 + static_cast<int32_t>(seed * 29 % 100),
                 128,
                 128,
                 seed % 3 == 0,
                 1};
    check(c, seed, seed % 2 == 0 ? CONTENT::extreme : CONTENT::smooth);
    if (HasFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, VariantExactness,
                         ::testing::Values("portable", "sse2", "avx2", "avx512"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param);
                         });

}  // namespace
