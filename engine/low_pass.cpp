#include "low_pass.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <new>
#include <vector>

#include "spline.h"

namespace {

constexpr double kaiser_beta = 3.0;
constexpr double half_width_in_targets = 2.0;
constexpr int32_t strip = 64;  // columns filtered together down a plane

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
  PLANE plane;
  AXIS axis;
  int32_t n;
  int32_t half;
  const float* taps;
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

// out[i] = taps[0] * in[i] + sum over k of taps[k] * (in[i - k] + in[i + k]),
// in k's order, for `count` outputs; `in` points at the first output's
// centre, and in[i - k] is `lane` floats before in[i].
void filter(const float* in, ptrdiff_t lane, int32_t count, const float* taps, int32_t half,
            float* out) {
  for (int32_t i = 0; i < count; ++i) out[i] = taps[0] * in[i];
  for (int32_t k = 1; k <= half; ++k) {
    const float w = taps[k];
    const float* before = in - k * lane;
    const float* after = in + k * lane;
    for (int32_t i = 0; i < count; ++i) out[i] += w * (before[i] + after[i]);
  }
}

template <int STEP>
void filter_rows(LOW_PASS_JOB& job, int32_t first, int32_t end) {
  const PLANE& p = job.plane;
  const int32_t n = job.n, half = job.half;
  std::unique_ptr<float[]> padded(new (std::nothrow) float[n + 2 * half]),
      out(new (std::nothrow) float[n]);
  if (!padded || !out) {
    job.failed = true;
    return;
  }
  for (int32_t y = first; y < end; ++y) {
    int16_t* row = p.samples + y * p.pitch;
    load<STEP>(row, padded.get() + half, n, p.step);
    for (int32_t i = 0; i < half; ++i) {
      padded[i] = padded[half];
      padded[half + n + i] = padded[half + n - 1];
    }
    filter(padded.get() + half, 1, n, job.taps, half, out.get());
    store<STEP>(out.get(), row, n, p.step);
  }
}

template <int STEP>
void filter_columns(LOW_PASS_JOB& job, int32_t first_strip, int32_t end_strip) {
  const PLANE& p = job.plane;
  const int32_t n = job.n, half = job.half;
  const size_t rows = static_cast<size_t>(n) + 2 * half;
  std::unique_ptr<float[]> padded(new (std::nothrow) float[rows * strip]);
  if (!padded) {
    job.failed = true;
    return;
  }
  float out[strip];
  for (int32_t s = first_strip; s < end_strip; ++s) {
    const int32_t x0 = s * strip, width = std::min(strip, p.w - x0);
    for (size_t r = 0; r < rows; ++r) {
      const int32_t y = std::clamp<int32_t>(static_cast<int32_t>(r) - half, 0, n - 1);
      load<STEP>(p.samples + y * p.pitch + static_cast<ptrdiff_t>(x0) * p.step, &padded[r * strip],
                 width, p.step);
    }
    // Each output column is one lane; rows are `strip` floats apart.
    for (int32_t y = 0; y < n; ++y) {
      filter(&padded[(y + half) * strip], strip, width, job.taps, half, out);
      store<STEP>(out, p.samples + y * p.pitch + static_cast<ptrdiff_t>(x0) * p.step, width,
                  p.step);
    }
  }
}

HOST_ENTRY void low_pass_worker(int thread_id, int thread_num, void* param, void*) {
  LOW_PASS_JOB& job = *static_cast<LOW_PASS_JOB*>(param);
  const bool across = job.axis == AXIS::across;
  const int32_t lines = across ? job.plane.h : (job.plane.w + strip - 1) / strip;
  const int32_t first = static_cast<int32_t>(int64_t{lines} * thread_id / thread_num);
  const int32_t end = static_cast<int32_t>(int64_t{lines} * (thread_id + 1) / thread_num);
  if (first >= end) return;
  const unsigned saved = _mm_getcsr();
  _mm_setcsr(pass_mxcsr);
  const bool packed = job.plane.step == 1;
  if (across)
    packed ? filter_rows<1>(job, first, end) : filter_rows<0>(job, first, end);
  else
    packed ? filter_columns<1>(job, first, end) : filter_columns<0>(job, first, end);
  _mm_setcsr(saved);
}

}  // namespace

int32_t low_pass_half_width(int32_t n, int32_t m) {
  return static_cast<int32_t>(std::ceil(half_width_in_targets * n / m));
}

void low_pass_taps(int32_t n, int32_t m, float* taps) {
  const double ratio = static_cast<double>(n) / m;  // source samples per target sample
  const double reach = half_width_in_targets * ratio;
  const int32_t half = low_pass_half_width(n, m);
  std::vector<double> w(half + 1);
  double sum = 0;
  for (int32_t k = 0; k <= half; ++k) {
    const double x = k / ratio;  // in target samples
    const double sinc = k == 0 ? 1.0 : sin_pi(x) / (3.14159265358979323846 * x);
    const double edge = 1.0 - (k / reach) * (k / reach);
    const double window =
        edge <= 0 ? 0.0 : bessel_i0(kaiser_beta * std::sqrt(edge)) / bessel_i0(kaiser_beta);
    w[k] = sinc * window;
    sum += k == 0 ? w[k] : 2 * w[k];
  }
  for (int32_t k = 0; k <= half; ++k) taps[k] = static_cast<float>(w[k] / sum);
}

bool low_pass(const PLANE& plane, AXIS axis, int32_t target, const RUNNER* runner) {
  const int32_t n = axis == AXIS::across ? plane.w : plane.h;
  if (target >= n || target < 1) return true;
  const int32_t half = low_pass_half_width(n, target);
  std::unique_ptr<float[]> taps(new (std::nothrow) float[half + 1]);
  if (!taps) return false;
  low_pass_taps(n, target, taps.get());
  LOW_PASS_JOB job;
  job.plane = plane;
  job.axis = axis;
  job.n = n;
  job.half = half;
  job.taps = taps.get();
  const bool ran = runner ? runner->run(runner->context, low_pass_worker, &job, nullptr)
                          : run_on_one_thread(low_pass_worker, &job, nullptr);
  return ran && !job.failed;
}
