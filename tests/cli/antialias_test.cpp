// Shrinking with --antialias: sines above the target's Nyquist frequency are
// stopped, the passband is kept, and enlarged axes are left as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "low_pass.h"
#include "morvane.h"
#include "thread_pool.h"

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double amplitude = 8000;

// A w x h plane of int16 samples resized to tw x th on the given grids, as
// the tool resizes one: through the library's 16-bit planes, a sample being
// the code less 32768.
std::vector<int16_t> library_resized(const std::vector<int16_t>& in, int32_t w, int32_t h,
                                     int32_t tw, int32_t th, morvane_axis across, morvane_axis down,
                                     bool antialias, int threads) {
  std::vector<uint16_t> codes(in.size()), out_codes(static_cast<size_t>(tw) * th);
  for (size_t i = 0; i < in.size(); ++i) codes[i] = static_cast<uint16_t>(in[i] + 32768);
  const morvane_plane_job job{
      codes.data(), ptrdiff_t{2} * w, w,   h, out_codes.data(), ptrdiff_t{2} * tw, tw,
      th,           across,           down};
  morvane_options options;
  morvane_options_init(&options);
  options.threads = threads;
  options.antialias = antialias ? 1 : 0;
  EXPECT_EQ(morvane_resize_planes(nullptr, &job, 1, 16, &options), MORVANE_OK);
  std::vector<int16_t> out(out_codes.size());
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<int16_t>(out_codes[i] - 32768);
  return out;
}

// Resizes a plane of w x h samples made by `sample` to tw x th.
template <class SAMPLE>
std::vector<int16_t> resized(int32_t w, int32_t h, int32_t tw, int32_t th, bool antialias,
                             SAMPLE sample) {
  std::vector<int16_t> in(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) in[static_cast<size_t>(y) * w + x] = sample(x, y);
  return library_resized(in, w, h, tw, th, morvane_axis{0.5f, w, tw}, morvane_axis{0.5f, h, th},
                         antialias, 2);
}

// The amplitude, relative to the source's, of a sine of f cycles per source
// sample in a line of m samples taken at source positions (i + 1/2) n / m -
// 1/2: least squares on cosine, sine and a constant at those positions, which
// is where an aliased sine lands. The first and last eight samples are left
// out (the edges).
double amplitude_in(const std::vector<int16_t>& line, int32_t n, double f) {
  const int32_t m = static_cast<int32_t>(line.size());
  double a[3][4] = {};
  for (int32_t i = 8; i < m - 8; ++i) {
    const double p = (i + 0.5) * n / m - 0.5;
    const double basis[3] = {std::cos(2 * pi * f * p), std::sin(2 * pi * f * p), 1};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) a[r][c] += basis[r] * basis[c];
      a[r][3] += basis[r] * line[i];
    }
  }
  for (int c = 0; c < 3; ++c)  // Gauss-Jordan, the matrix is well conditioned
    for (int r = 0; r < 3; ++r)
      if (r != c) {
        const double k = a[r][c] / a[c][c];
        for (int j = 0; j < 4; ++j) a[r][j] -= k * a[c][j];
      }
  return std::hypot(a[0][3] / a[0][0], a[1][3] / a[1][1]) / amplitude;
}

TEST(Antialias, SinesAboveTheTargetsNyquistAreStoppedAndThePassbandKept) {
  // Frequencies as multiples of the target's Nyquist frequency, with the
  // most each may keep (0.5: the passband, which must keep 0.90 at least).
  struct CASE {
    double of_nyquist;
    double most;
  };
  const CASE cases[] = {{0.5, 0}, {1.2, 0.35}, {1.6, 0.10}, {1.8, 0.10}, {2.3, 0.10}, {2.7, 0.10}};
  // Whole and fractional ratios: 360 samples shrunk to m.
  for (const int32_t m : {180, 120, 240, 144})
    for (const bool across : {true, false})
      for (const CASE& c : cases) {
        const int32_t n = 360;
        const double f = c.of_nyquist * 0.5 * m / n;
        if (f >= 0.5) continue;
        SCOPED_TRACE(std::to_string(n) + " to " + std::to_string(m) +
                     (across ? " across" : " down") + ", " + std::to_string(f) +
                     " cycles per sample");
        const auto sine = [&](int32_t x, int32_t y) {
          return static_cast<int16_t>(
              std::lround(amplitude * std::cos(2 * pi * f * (across ? x : y) + 0.3)));
        };
        const std::vector<int16_t> plain =
            across ? resized(n, 3, m, 3, false, sine) : resized(3, n, 3, m, false, sine);
        const std::vector<int16_t> out =
            across ? resized(n, 3, m, 3, true, sine) : resized(3, n, 3, m, true, sine);
        std::vector<int16_t> line(m), plain_line(m);
        for (int32_t i = 0; i < m; ++i) {
          line[i] = out[across ? m + i : 3 * i + 1];
          plain_line[i] = plain[across ? m + i : 3 * i + 1];
        }
        const double kept = amplitude_in(line, n, f);
        if (c.of_nyquist < 1) {
          EXPECT_GE(kept, 0.90);
        } else {
          EXPECT_LE(kept, c.most);
          if (c.of_nyquist >= 1.6) {
            EXPECT_GT(amplitude_in(plain_line, n, f), 0.2) << "no alias to stop";
          }
        }
      }
}

TEST(Antialias, EnlargedAxesAndFlatPlanesAreUnchanged) {
  const auto texture = [](int32_t x, int32_t y) {
    return static_cast<int16_t>((x * 7919 + y * 104729) % 30001 - 15000);
  };
  // Both axes enlarged: the very bits of the plain resize.
  EXPECT_TRUE(resized(31, 17, 64, 40, true, texture) == resized(31, 17, 64, 40, false, texture));
  // One axis shrinks: the other is left alone (a plane constant across gets
  // no horizontal change when only the height shrinks).
  const auto rows = [](int32_t, int32_t y) { return static_cast<int16_t>(y % 5 * 3000); };
  const std::vector<int16_t> out = resized(20, 60, 41, 20, true, rows);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 1; x < 41; ++x) ASSERT_EQ(out[y * 41 + x], out[y * 41]) << x << "," << y;
  // A flat plane keeps every value, whatever the ratio.
  for (const int16_t v :
       {int16_t{-32768}, int16_t{-16384}, int16_t{0}, int16_t{12345}, int16_t{32767}})
    for (const int32_t tw : {1, 7, 33}) {
      const std::vector<int16_t> flat =
          resized(97, 50, tw, 9, true, [&](int32_t, int32_t) { return v; });
      for (const int16_t s : flat) ASSERT_EQ(s, v) << tw;
    }
}

}  // namespace

namespace {

TEST(Antialias, FilteredSamplesKeepTheGridsGeometry) {
  // A ramp is its own low-pass: shrunk along a chroma plane's grid (co-sited
  // or centred, on a picture twice as fine), it must land where the plain
  // spline puts it, away from the edges.
  struct CASE {
    float offset;
    int32_t n, m;
  };
  const CASE cases[] = {{0.25f, 200, 80}, {0.5f, 200, 80}, {0.25f, 210, 70}, {0.5f, 150, 100}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.offset) + ": " + std::to_string(c.n) + " to " +
                 std::to_string(c.m));
    std::vector<int16_t> in(static_cast<size_t>(c.n) * 2);
    for (int32_t x = 0; x < c.n; ++x) in[x] = in[c.n + x] = static_cast<int16_t>(100 * x - 10000);
    std::vector<int16_t> out[2];
    for (int aa = 0; aa < 2; ++aa)
      out[aa] = library_resized(in, c.n, 2, c.m, 2, morvane_axis{c.offset, 2 * c.n, 2 * c.m},
                                morvane_axis{0.5f, 2, 2}, aa == 1, 1);
    for (int32_t i = 4; i < c.m - 4; ++i) ASSERT_NEAR(out[1][i], out[0][i], 1) << i;
  }
}

}  // namespace

namespace {

// The low-pass runs 16 lines side by side, rows through a transpose: every
// layout of the same samples (rows or columns, packed or one channel of
// three, any count of lines and threads) must give the same bits, and those
// must be the plan's weighted sums.
TEST(Antialias, EveryLayoutGivesThePlansSums) {
  struct CASE {
    int32_t n, lines, m, threads;
  };
  const CASE cases[] = {{37, 23, 20, 1}, {100, 5, 33, 2}, {64, 33, 17, 2}, {9, 16, 4, 1}};
  std::mt19937 random(7);
  for (const CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.n) + " to " + std::to_string(c.m) + ", " +
                 std::to_string(c.lines) + " lines");
    std::vector<int16_t> rows(static_cast<size_t>(c.n) * c.lines), columns(rows.size()),
        threes(rows.size() * 3);
    for (int32_t y = 0; y < c.lines; ++y)
      for (int32_t x = 0; x < c.n; ++x) {
        const int16_t v = static_cast<int16_t>(random() % 65536 - 32768);
        rows[y * c.n + x] = columns[x * c.lines + y] = threes[(y * c.n + x) * 3 + 1] = v;
      }
    LOW_PASS_PLAN plan;
    ASSERT_TRUE(plan_low_pass(plan, c.n, c.m, own_grid(c.n, c.m)));
    const std::unique_ptr<THREAD_POOL, void (*)(THREAD_POOL*)> pool(create_thread_pool(c.threads),
                                                                    destroy_thread_pool);
    const RUNNER runner = pool_runner(pool.get());
    std::vector<int16_t> across(static_cast<size_t>(c.m) * c.lines), down(across.size()),
        strided(across.size() * 3);
    ASSERT_TRUE(low_pass(PLANE{rows.data(), c.n, c.lines, c.n, 1},
                         PLANE{across.data(), c.m, c.lines, c.m, 1}, AXIS::across, plan, &runner));
    ASSERT_TRUE(low_pass(PLANE{columns.data(), c.lines, c.n, c.lines, 1},
                         PLANE{down.data(), c.lines, c.m, c.lines, 1}, AXIS::down, plan, &runner));
    ASSERT_TRUE(low_pass(PLANE{threes.data() + 1, c.n, c.lines, 3 * c.n, 3},
                         PLANE{strided.data() + 1, c.m, c.lines, 3 * c.m, 3}, AXIS::across, plan,
                         nullptr));
    for (int32_t y = 0; y < c.lines; ++y)
      for (int32_t j = 0; j < c.m; ++j) {
        const int16_t v = across[y * c.m + j];
        ASSERT_EQ(down[j * c.lines + y], v) << j << "," << y;
        ASSERT_EQ(strided[(y * c.m + j) * 3 + 1], v) << j << "," << y;
        double sum = 0;
        for (int32_t t = 0; t < plan.taps; ++t)
          sum += double{plan.weights[j * plan.taps + t]} *
                 rows[y * c.n + std::clamp(plan.first[j] + t, 0, c.n - 1)];
        ASSERT_NEAR(v, std::clamp(sum, -32768.0, 32767.0), 0.51) << j << "," << y;
      }
  }
}

}  // namespace
