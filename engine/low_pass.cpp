#include "low_pass.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "pass_mode.h"
#include "spline.h"

namespace {

constexpr double kaiser_beta = 3.0;
constexpr double half_width_in_targets = 2.0;
constexpr int32_t strip = 16;  // columns filtered together down a plane

// sin(pi x) from arithmetic alone: reduced to [-1/2, 1/2], then its series.
double sin_pi(double x) {
  x -= 2.0 * std::floor(x / 2.0);  // [0, 2)
  double sign = 1.0;
  if (x >= 1.0) {
    x -= 1.0;
    sign = -1.0;
  }
  if (x > 0.5) x = 1.0 - x;
  const double t = 3.14159265358979323846 * x;
  double term = t, sum = t;
  for (int i = 1; i < 12; ++i) {
    term *= -(t * t) / ((2.0 * i) * (2.0 * i + 1.0));
    sum += term;
  }
  return sign * sum;
}

// The modified Bessel function of order 0, from its series.
double bessel_i0(double x) {
  double term = 1.0, sum = 1.0;
  for (int i = 1; i < 40; ++i) {
    term *= (x / (2.0 * i)) * (x / (2.0 * i));
    sum += term;
  }
  return sum;
}

struct LOW_PASS_JOB {
  PLANE from, to;
  AXIS axis;
  int32_t n;      // source samples along the axis
  int32_t count;  // filtered samples along it
  int32_t step;
  int32_t first_tap;  // the offset of taps[0] from each output's first sample
  int32_t taps;
  const float* weights;
  bool symmetric;  // an odd count of taps centred on the output: taken in pairs
  std::atomic<bool> failed{false};
};

// Rounded to nearest even (the passes' MXCSR) and saturated, four at a time
// where the samples are next to each other; the same bits either way.
template <int STEP>
void store(const float* from, int16_t* to, int32_t count, ptrdiff_t step) {
  const ptrdiff_t s = STEP ? STEP : step;
  int32_t i = 0;
  if (s == 1)
    for (; i + 4 <= count; i += 4) {
      const __m128i v = _mm_cvtps_epi32(_mm_loadu_ps(from + i));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(to + i), _mm_packs_epi32(v, v));
    }
  for (; i < count; ++i) {
    const int32_t v = _mm_cvtss_si32(_mm_set_ss(from[i]));
    to[i * s] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
  }
}

template <int STEP>
void load(const int16_t* from, float* to, int32_t count, ptrdiff_t step) {
  const ptrdiff_t s = STEP ? STEP : step;
  for (int32_t i = 0; i < count; ++i) to[i] = from[i * s];
}

// Samples the filter reads before the first and after the last source
// sample (repeating them).
int32_t margin(const LOW_PASS_JOB& job) {
  return std::max(-job.first_tap, job.first_tap + job.taps - 1 + job.step) + 1;
}

// out[i] = the sum over t of weights[t] * in[i + t * tap], in t's order (in
// pairs of equal weights, the centre first, when symmetric), for `count`
// outputs next to each other. Each output is one lane: a wider vector does
// the same operations on more of them (no FMA), so the clone for AVX2 gives
// the bits of the plain one.
__attribute__((target_clones("avx2", "default"))) void weigh(const float* in, ptrdiff_t tap,
                                                             int32_t count, const float* weights,
                                                             int32_t taps, bool symmetric,
                                                             float* out) {
  const int32_t h = symmetric ? taps / 2 : 0;
  const float* centre = in + h * tap;
  for (int32_t i = 0; i < count; ++i) out[i] = weights[h] * centre[i];
  if (symmetric) {
    for (int32_t k = 1; k <= h; ++k) {
      const float w = weights[h + k];
      const float* before = centre - k * tap;
      const float* after = centre + k * tap;
      for (int32_t i = 0; i < count; ++i) out[i] += w * (before[i] + after[i]);
    }
  } else {
    for (int32_t t = 1; t < taps; ++t) {
      const float w = weights[t];
      const float* row = in + t * tap;
      for (int32_t i = 0; i < count; ++i) out[i] += w * row[i];
    }
  }
}

// The same with outputs `step` samples apart along one line (in[i * step + t]).
void weigh_spaced(const float* in, int32_t step, int32_t count, const float* weights, int32_t taps,
                  bool symmetric, float* out) {
  const int32_t h = symmetric ? taps / 2 : 0;
  for (int32_t j = 0; j < count; ++j) out[j] = weights[h] * in[j * step + h];
  if (symmetric) {
    for (int32_t k = 1; k <= h; ++k) {
      const float w = weights[h + k];
      for (int32_t j = 0; j < count; ++j)
        out[j] += w * (in[j * step + h - k] + in[j * step + h + k]);
    }
  } else {
    for (int32_t t = 1; t < taps; ++t) {
      const float w = weights[t];
      for (int32_t j = 0; j < count; ++j) out[j] += w * in[j * step + t];
    }
  }
}

template <int STEP>
void filter_rows(LOW_PASS_JOB& job, int32_t first, int32_t end) {
  const int32_t n = job.n, pad = margin(job);
  std::unique_ptr<float[]> padded(new (std::nothrow) float[n + 2 * pad]),
      out(new (std::nothrow) float[job.count]);
  if (!padded || !out) {
    job.failed = true;
    return;
  }
  for (int32_t y = first; y < end; ++y) {
    load<STEP>(job.from.samples + y * job.from.pitch, padded.get() + pad, n, job.from.step);
    for (int32_t i = 0; i < pad; ++i) {
      padded[i] = padded[pad];
      padded[pad + n + i] = padded[pad + n - 1];
    }
    const float* at = padded.get() + pad + job.first_tap;
    if (job.step == 1)
      weigh(at, 1, job.count, job.weights, job.taps, job.symmetric, out.get());
    else
      weigh_spaced(at, job.step, job.count, job.weights, job.taps, job.symmetric, out.get());
    store<STEP>(out.get(), job.to.samples + y * job.to.pitch, job.count, job.to.step);
  }
}

template <int STEP>
void filter_columns(LOW_PASS_JOB& job, int32_t first_strip, int32_t end_strip) {
  const int32_t n = job.n, pad = margin(job);
  const size_t rows = static_cast<size_t>(n) + 2 * pad;
  // With a step of 1 the outputs of a strip lie as its rows do, and one call
  // weighs them all; otherwise one call per output row.
  const size_t outputs = job.step == 1 ? static_cast<size_t>(job.count) * strip : strip;
  std::unique_ptr<float[]> padded(new (std::nothrow) float[rows * strip]),
      out(new (std::nothrow) float[outputs]);
  if (!padded || !out) {
    job.failed = true;
    return;
  }
  for (int32_t s = first_strip; s < end_strip; ++s) {
    const int32_t x0 = s * strip, width = std::min(strip, job.from.w - x0);
    for (size_t r = 0; r < rows; ++r) {
      const int32_t y = std::clamp<int32_t>(static_cast<int32_t>(r) - pad, 0, n - 1);
      load<STEP>(job.from.samples + y * job.from.pitch + static_cast<ptrdiff_t>(x0) * job.from.step,
                 &padded[r * strip], width, job.from.step);
      std::fill(&padded[r * strip + width], &padded[(r + 1) * strip], 0.0f);
    }
    // Each column is one lane; rows are `strip` floats apart.
    const float* first = &padded[(pad + job.first_tap) * strip];
    if (job.step == 1)
      weigh(first, strip, job.count * strip, job.weights, job.taps, job.symmetric, out.get());
    for (int32_t j = 0; j < job.count; ++j) {
      const float* row = out.get() + (job.step == 1 ? static_cast<size_t>(j) * strip : 0);
      if (job.step != 1)
        weigh(first + static_cast<size_t>(j) * job.step * strip, strip, width, job.weights,
              job.taps, job.symmetric, out.get());
      store<STEP>(row, job.to.samples + j * job.to.pitch + static_cast<ptrdiff_t>(x0) * job.to.step,
                  width, job.to.step);
    }
  }
}

HOST_ENTRY void low_pass_worker(int thread_id, int thread_num, void* param, void*) {
  LOW_PASS_JOB& job = *static_cast<LOW_PASS_JOB*>(param);
  const bool across = job.axis == AXIS::across;
  const int32_t lines = across ? job.from.h : (job.from.w + strip - 1) / strip;
  const auto [first, end] = line_share(lines, thread_id, thread_num);
  if (first >= end) return;
  const PASS_MODE mode(PASS_MODE::restore);
  const bool packed = job.from.step == 1 && job.to.step == 1;
  if (across)
    packed ? filter_rows<1>(job, first, end) : filter_rows<0>(job, first, end);
  else
    packed ? filter_columns<1>(job, first, end) : filter_columns<0>(job, first, end);
}

}  // namespace

LOW_PASS_PLAN plan_low_pass(int32_t n, int32_t m, float offset) {
  const int32_t step = std::max(n / m, 1);
  const double phase = double{offset} * (step - 1);
  const double reach = half_width_in_targets * n / m;
  // Taps the window reaches (it is zero at +-reach itself).
  const int32_t first_tap = static_cast<int32_t>(std::floor(phase - reach)) + 1;
  const int32_t last_tap = static_cast<int32_t>(std::ceil(phase + reach)) - 1;
  const int32_t count = static_cast<int32_t>(std::floor((n - 1 - phase) / step)) + 1;
  return LOW_PASS_PLAN{step, phase, count, first_tap, last_tap - first_tap + 1};
}

void low_pass_taps(int32_t n, int32_t m, const LOW_PASS_PLAN& plan, float* taps) {
  const double ratio = static_cast<double>(n) / m;  // source samples per target sample
  std::vector<double> w(plan.taps);
  double sum = 0;
  for (int32_t t = 0; t < plan.taps; ++t) {
    const double d = (plan.first_tap + t - plan.phase) / ratio;  // in target samples
    const double sinc = d == 0 ? 1.0 : sin_pi(d) / (3.14159265358979323846 * d);
    const double edge = 1.0 - (d / half_width_in_targets) * (d / half_width_in_targets);
    const double window =
        edge <= 0 ? 0.0 : bessel_i0(kaiser_beta * std::sqrt(edge)) / bessel_i0(kaiser_beta);
    w[t] = sinc * window;
    sum += w[t];
  }
  for (int32_t t = 0; t < plan.taps; ++t) taps[t] = static_cast<float>(w[t] / sum);
}

AXIS_GRID low_passed_grid(const AXIS_GRID& grid, const LOW_PASS_PLAN& plan) {
  return AXIS_GRID{grid.offset, grid.span, grid.target_span * plan.step};
}

bool low_pass(const PLANE& from, const PLANE& to, AXIS axis, int32_t target,
              const LOW_PASS_PLAN& plan, const RUNNER* runner) {
  const bool across = axis == AXIS::across;
  const int32_t n = across ? from.w : from.h;
  std::unique_ptr<float[]> taps(new (std::nothrow) float[plan.taps]);
  if (!taps) return false;
  low_pass_taps(n, target, plan, taps.get());
  LOW_PASS_JOB job;
  job.from = from;
  job.to = to;
  job.axis = axis;
  job.n = n;
  job.count = plan.count;
  job.step = plan.step;
  job.first_tap = plan.first_tap;
  job.taps = plan.taps;
  job.weights = taps.get();
  job.symmetric = plan.phase == std::floor(plan.phase) && plan.taps % 2 == 1 &&
                  plan.first_tap + plan.taps / 2 == static_cast<int32_t>(plan.phase);
  const bool ran = run_workers(runner, low_pass_worker, &job, nullptr);
  return ran && !job.failed;
}

namespace {

// `samples` sized for a w x h plane, as a plane; false when no memory could be had.
bool plane_in(std::vector<int16_t>& samples, int32_t w, int32_t h, PLANE& plane) {
  try {
    samples.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  } catch (const std::bad_alloc&) {
    return false;
  }
  plane = PLANE{samples.data(), w, h, w, 1};
  return true;
}

}  // namespace

bool low_pass_job(PLANE_JOB& job, std::vector<int16_t> (&own)[2], const RUNNER* runner) {
  if (job.target.w < job.source.w) {
    const LOW_PASS_PLAN plan = plan_low_pass(job.source.w, job.target.w, job.across.offset);
    PLANE filtered;
    if (!plane_in(own[0], plan.count, job.source.h, filtered) ||
        !low_pass(job.source, filtered, AXIS::across, job.target.w, plan, runner))
      return false;
    job.source = filtered;
    job.across = low_passed_grid(job.across, plan);
  }
  if (job.target.h < job.source.h) {
    const LOW_PASS_PLAN plan = plan_low_pass(job.source.h, job.target.h, job.down.offset);
    PLANE filtered;
    if (!plane_in(own[1], job.source.w, plan.count, filtered) ||
        !low_pass(job.source, filtered, AXIS::down, job.target.h, plan, runner))
      return false;
    job.source = filtered;
    job.down = low_passed_grid(job.down, plan);
  }
  return true;
}
