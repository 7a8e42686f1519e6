// The arithmetic of the spline solver and the line resampler, pinned on cases
// whose values are known exactly.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cstring>
#include <new>
#include <vector>

#include "kernels.h"
#include "spline.h"

namespace {

// Runs the kernels under the pass workers' floating-point mode.
struct PASS_MODE {
  unsigned saved = _mm_getcsr();
  PASS_MODE() { _mm_setcsr(pass_mxcsr); }
  ~PASS_MODE() {
    _mm_setcsr(saved);
    _mm_empty();
  }
};

// Vectors of 32-byte aligned elements. The kernels need 16-byte alignment,
// which a 32-bit MinGW malloc does not give.
template <class T>
struct ALIGNED_ALLOCATOR {
  using value_type = T;
  ALIGNED_ALLOCATOR() = default;
  template <class U>
  ALIGNED_ALLOCATOR(const ALIGNED_ALLOCATOR<U>&) {}
  T* allocate(size_t n) {
    return static_cast<T*>(::operator new (n * sizeof(T), std::align_val_t{32}));
  }
  void deallocate(T* p, size_t) { ::operator delete (p, std::align_val_t{32}); }
  bool operator==(const ALIGNED_ALLOCATOR&) const { return true; }
};
template <class T>
using ALIGNED_VECTOR = std::vector<T, ALIGNED_ALLOCATOR<T>>;

struct LINE {
  explicit LINE(int n) : knots(n + 2), table(n + 3) { build_factor_table(table.data(), n + 3); }
  ALIGNED_VECTOR<KNOT> knots;
  ALIGNED_VECTOR<VEC4> table;
};

// Solves one column group whose lane 0 holds `samples` and lanes 1-3 hold
// the same samples negated, doubled (clamped) and zero.
LINE solve_lanes(const std::vector<int16_t>& samples) {
  const int n = static_cast<int>(samples.size());
  std::vector<int16_t> column(4 * n);
  for (int j = 0; j < n; ++j) {
    column[4 * j] = samples[j];
    column[4 * j + 1] = static_cast<int16_t>(-samples[j]);
    column[4 * j + 2] = samples[j];
    column[4 * j + 3] = 0;
  }
  LINE line(n);
  PASS_MODE mode;
  solve_column_group(line.knots.data(), line.table.data(), column.data(), n, 8);
  return line;
}

std::vector<float> curvatures(const LINE& line, int lane = 0) {
  std::vector<float> m;
  for (const KNOT& k : line.knots) m.push_back(k.m.lane[lane]);
  return m;
}

std::vector<float> values(const LINE& line, int lane = 0) {
  std::vector<float> v;
  for (const KNOT& k : line.knots) v.push_back(k.v.lane[lane]);
  return v;
}

TEST(FactorTable, ConvergesToTwoMinusRootThree) {
  ALIGNED_VECTOR<VEC4> table(40);
  build_factor_table(table.data(), 40);
  const float expected[] = {0.25f,       0.26666668f, 0.26785713f, 0.26794258f,
                            0.26794872f, 0.26794916f, 0.26794919f};
  for (int j = 0; j < 7; ++j) {
    for (int l = 0; l < 4; ++l)
      EXPECT_EQ(table[j].lane[l], expected[j]) << "entry " << j << " lane " << l;
  }
  for (int j = 7; j < 40; ++j) EXPECT_EQ(table[j].lane[0], table[6].lane[0]) << "entry " << j;
}

TEST(FactorTable, CountOfOneWritesOnlyTheFirstEntry) {
  ALIGNED_VECTOR<VEC4> table(2, VEC4{{-1, -1, -1, -1}});
  build_factor_table(table.data(), 1);
  EXPECT_EQ(table[0].lane[3], 0.25f);
  EXPECT_EQ(table[1].lane[0], -1.0f);
}

TEST(SplineSolver, KnownCurvatures) {
  // Two samples: M_1 = 2D, M_2 = -2D up to single-precision rounding.
  LINE two = solve_lanes({0, 1000});
  EXPECT_EQ(values(two), (std::vector<float>{0, 0, 1000, 1000}));
  EXPECT_EQ(curvatures(two), (std::vector<float>{0, 2000.0f, -2000.0001f, 0}));

  LINE three = solve_lanes({0, 1000, 0});
  EXPECT_EQ(curvatures(three), (std::vector<float>{0, 2571.4287f, -4285.7144f, 2571.4285f, 0}));

  // A ramp: only the duplicated ends bend it.
  LINE ramp = solve_lanes({0, 100, 200, 300, 400, 500, 600, 700});
  EXPECT_EQ(curvatures(ramp),
            (std::vector<float>{0, 160.78432f, -43.137260f, 11.764707f, -3.9215689f, 3.9215689f,
                                -11.764707f, 43.137257f, -160.78432f, 0}));
  // The negated lane solves to the exact negation; the zero lane stays zero.
  for (size_t p = 0; p < ramp.knots.size(); ++p) {
    EXPECT_EQ(ramp.knots[p].m.lane[1], -ramp.knots[p].m.lane[0]) << p;
    EXPECT_EQ(ramp.knots[p].m.lane[3], 0.0f) << p;
  }
}

TEST(SplineSolver, DegenerateLines) {
  LINE one = solve_lanes({-1234});
  EXPECT_EQ(values(one), (std::vector<float>{-1234, -1234, -1234}));
  EXPECT_EQ(curvatures(one), (std::vector<float>{0, 0, 0}));

  LINE flat = solve_lanes(std::vector<int16_t>(50, 777));
  for (float m : curvatures(flat)) EXPECT_EQ(m, 0.0f);
}

TEST(SplineSolver, ExtremeSamplesKeepSignAndStayBounded) {
  std::vector<int16_t> samples;
  for (int j = 0; j < 64; ++j) samples.push_back(j % 2 ? 32767 : -32768);
  LINE line = solve_lanes(samples);
  EXPECT_EQ(line.knots[1].v.lane[0], -32768.0f);
  EXPECT_EQ(line.knots[2].v.lane[0], 32767.0f);
  for (float m : curvatures(line)) EXPECT_LT(std::abs(m), 400000.0f);
}

TEST(SplineSolver, PixelRowReadsOnlyItsPixelsAndMatchesColumnSolve) {
  // A row of 5 pixels whose lanes y, cb, cr equal three column lines.
  const int n = 5;
  std::vector<PIXEL_YC> row = {
      {10, -5, 300}, {-200, 7, 0}, {4096, 2048, -2048}, {0, 0, 0}, {99, -99, 1}};
  std::vector<uint8_t> bytes(6 * n);
  std::memcpy(bytes.data(), row.data(), bytes.size());  // exactly the row, nothing after it
  LINE pixel(n);
  {
    PASS_MODE mode;
    solve_pixel_row(pixel.knots.data(), pixel.table.data(),
                    reinterpret_cast<PIXEL_YC*>(bytes.data()), n);
  }
  std::vector<int16_t> lane_y, lane_cr;
  for (const PIXEL_YC& p : row) {
    lane_y.push_back(p.y);
    lane_cr.push_back(p.cr);
  }
  EXPECT_EQ(curvatures(pixel, 0), curvatures(solve_lanes(lane_y), 0));
  EXPECT_EQ(curvatures(pixel, 2), curvatures(solve_lanes(lane_cr), 0));
  EXPECT_EQ(values(pixel, 2), values(solve_lanes(lane_cr), 0));
}

// Resamples lane 0 of `samples` to m outputs through a column group.
std::vector<int16_t> resample(const std::vector<int16_t>& samples, int m) {
  LINE line = solve_lanes(samples);
  std::vector<int16_t> out(4 * (m > 0 ? m : 1), 0x5A5A);
  PASS_MODE mode;
  resample_column_group(line.knots.data(), static_cast<int>(samples.size()), m, out.data(), 8);
  std::vector<int16_t> lane0;
  for (int i = 0; i < m; ++i) lane0.push_back(out[4 * i]);
  return lane0;
}

TEST(LineResampler, OvershootOfASingleStep) {
  // Positions 0.75, 1.25, 1.75, 2.25: -0.65625, 1.3125, 4.6875, 6.65625.
  EXPECT_EQ(resample({0, 6}, 4), (std::vector<int16_t>{-1, 1, 5, 7}));
  EXPECT_EQ(resample({0, 6}, 1), (std::vector<int16_t>{3}));
}

TEST(LineResampler, EqualSizesReproduceTheLine) {
  std::vector<int16_t> samples;
  for (int j = 0; j < 300; ++j) samples.push_back(static_cast<int16_t>((j * 7919) % 65536 - 32768));
  samples[0] = -32768;
  samples[1] = 32767;
  EXPECT_EQ(resample(samples, 300), samples);
}

TEST(LineResampler, ConstantAndSingleSampleLines) {
  EXPECT_EQ(resample(std::vector<int16_t>(17, -321), 40), std::vector<int16_t>(40, -321));
  EXPECT_EQ(resample(std::vector<int16_t>(17, -321), 3), std::vector<int16_t>(3, -321));
  EXPECT_EQ(resample({4242}, 9), std::vector<int16_t>(9, 4242));
}

TEST(LineResampler, SingleOutputTakesTheMiddle) {
  // Odd n: exactly the middle sample.
  EXPECT_EQ(resample({5, 17, 900, -3, 8}, 1), (std::vector<int16_t>{900}));
  // Even n: the cubic segment between samples n/2 - 1 and n/2 at t = 1/2.
  const std::vector<int16_t> samples = {0, 0, 64, 64, 0, 0};
  LINE line = solve_lanes(samples);
  const double mid = 0.5 * (line.knots[3].v.lane[0] + line.knots[4].v.lane[0]) -
                     0.375 * (line.knots[3].m.lane[0] + line.knots[4].m.lane[0]) / 6.0;
  EXPECT_NEAR(resample(samples, 1)[0], mid, 0.5);
  EXPECT_GT(mid, 64.0);  // a plateau between falling edges overshoots upwards
}

TEST(LineResampler, NothingIsWrittenForEmptyTargets) {
  LINE line = solve_lanes({1, 2, 3});
  std::vector<int16_t> out(8, 0x5A5A);
  PASS_MODE mode;
  resample_column_group(line.knots.data(), 3, 0, out.data(), 8);
  resample_column_group(line.knots.data(), 3, -4, out.data(), 8);
  resample_pixel_row(line.knots.data(), 3, 0, reinterpret_cast<PIXEL_YC*>(out.data()));
  EXPECT_EQ(out, std::vector<int16_t>(8, 0x5A5A));
}

TEST(LineResampler, RoundsHalfToEvenAndSaturates) {
  // A flat knot buffer (curvature 0) resampled at equal size returns V itself.
  const float v[] = {2.5f, 3.5f, -2.5f, -3.5f, 40000.0f, -40000.0f, 32767.4f, -32768.6f};
  const int16_t expected[] = {2, 4, -2, -4, 32767, -32768, 32767, -32768};
  const int n = 2;
  for (int c = 0; c < 2; ++c) {
    ALIGNED_VECTOR<KNOT> knots(n + 2);
    for (int p = 0; p < n + 2; ++p)
      for (int l = 0; l < 4; ++l) knots[p].v.lane[l] = v[4 * c + l], knots[p].m.lane[l] = 0.0f;
    std::vector<int16_t> out(4 * n);
    {
      PASS_MODE mode;
      resample_column_group(knots.data(), n, n, out.data(), 8);
    }
    for (int l = 0; l < 4; ++l) EXPECT_EQ(out[l], expected[4 * c + l]) << "value " << v[4 * c + l];
  }
}

TEST(LineResampler, IntegerShrinkSamplesBetweenPairs) {
  // Halving a ramp: each output lies midway between samples 2i and 2i + 1.
  std::vector<int16_t> ramp;
  for (int j = 0; j < 40; ++j) ramp.push_back(static_cast<int16_t>(16 * j));
  std::vector<int16_t> half = resample(ramp, 20);
  for (int i = 2; i < 18; ++i) EXPECT_EQ(half[i], 16 * 2 * i + 8) << i;
}

TEST(LineResampler, PixelRowWritesNothingPastItsLastPixel) {
  // m pixels of output into exactly 6 * m bytes followed by a sentinel.
  const int n = 7, m = 11;
  std::vector<PIXEL_YC> row(n);
  for (int j = 0; j < n; ++j)
    row[j] = PIXEL_YC{static_cast<int16_t>(100 * j), static_cast<int16_t>(-j), 5};
  LINE line(n);
  std::vector<uint8_t> dest(6 * m + 2, 0xEE);
  PASS_MODE mode;
  solve_pixel_row(line.knots.data(), line.table.data(), row.data(), n);
  resample_pixel_row(line.knots.data(), n, m, reinterpret_cast<PIXEL_YC*>(dest.data()));
  EXPECT_EQ(dest[6 * m], 0xEE);
  EXPECT_EQ(dest[6 * m + 1], 0xEE);
  // Every pixel, the last included, carries the same y as the column path.
  std::vector<int16_t> ys;
  for (const PIXEL_YC& p : row) ys.push_back(p.y);
  const std::vector<int16_t> column = resample(ys, m);
  for (int i = 0; i < m; ++i) {
    PIXEL_YC px;
    std::memcpy(&px, &dest[6 * i], 6);
    EXPECT_EQ(px.y, column[i]) << "pixel " << i;
    EXPECT_EQ(px.cr, 5) << "pixel " << i;
  }
}

}  // namespace
