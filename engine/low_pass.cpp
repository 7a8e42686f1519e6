#include "low_pass.h"

#include <immintrin.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <new>

#include "pass_mode.h"
#include "spline.h"

namespace {

constexpr double kaiser_beta = 3.0;
constexpr double half_width_in_targets = 2.0;
constexpr double pi = 3.14159265358979323846;

// Lines filtered together: 16 rows across, 16 columns down, one lane each.
constexpr int32_t lanes = 16;
struct alignas(64) LANES {
  float lane[lanes];
};

// sin(pi x) from arithmetic alone: reduced to [-1/2, 1/2], then its series.
double sin_pi(double x) {
  x -= 2.0 * std::floor(x / 2.0);  // [0, 2)
  double sign = 1.0;
  if (x >= 1.0) {
    x -= 1.0;
    sign = -1.0;
  }
  if (x > 0.5) x = 1.0 - x;
  const double t = pi * x;
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

// The filter at d target samples from its centre (zero from the window's
// half-width on).
double filter_at(double d) {
  const double edge = 1.0 - (d / half_width_in_targets) * (d / half_width_in_targets);
  if (edge <= 0) return 0.0;
  const double sinc = d == 0 ? 1.0 : sin_pi(d) / (pi * d);
  return sinc * bessel_i0(kaiser_beta * std::sqrt(edge)) / bessel_i0(kaiser_beta);
}

template <class T>
std::unique_ptr<T[]> take(size_t count) {
  return std::unique_ptr<T[]>(new (std::nothrow) T[count]);
}

// Lane buffers, 64-byte aligned so that a position's 16 lanes are one line.
struct LANE_BUFFER {
  void operator()(LANES* p) const { ::operator delete[](p, std::align_val_t{64}); }
};
std::unique_ptr<LANES[], LANE_BUFFER> take_lanes(size_t count) {
  return std::unique_ptr<LANES[], LANE_BUFFER>(static_cast<LANES*>(
      ::operator new[](count * sizeof(LANES), std::align_val_t{64}, std::nothrow)));
}

struct LOW_PASS_JOB {
  PLANE from, to;
  AXIS axis;
  const LOW_PASS_PLAN* plan;
  std::atomic<bool> failed{false};
};

// out[j] = the sum over t of weights[j * taps + t] * in[first[j] + t], in t's
// order, for every target j: each lane on its own, so that the AVX2 form
// does the very operations of the SSE one (no FMA) on twice the lanes, and
// gives its bits.
void weigh_sse(const LANES* in, const LOW_PASS_PLAN& plan, LANES* out) {
  const int32_t taps = plan.taps;
  for (int32_t j = 0; j < plan.m; ++j) {
    const float* w = &plan.weights[static_cast<size_t>(j) * taps];
    const float* at = in[plan.first[j]].lane;
    __m128 s[4];
    for (int k = 0; k < 4; ++k) s[k] = _mm_mul_ps(_mm_set1_ps(w[0]), _mm_load_ps(at + 4 * k));
    for (int32_t t = 1; t < taps; ++t) {
      const __m128 wt = _mm_set1_ps(w[t]);
      at += lanes;
      for (int k = 0; k < 4; ++k) s[k] = _mm_add_ps(s[k], _mm_mul_ps(wt, _mm_load_ps(at + 4 * k)));
    }
    for (int k = 0; k < 4; ++k) _mm_store_ps(out[j].lane + 4 * k, s[k]);
  }
}

__attribute__((target("avx2"))) void weigh_avx2(const LANES* in, const LOW_PASS_PLAN& plan,
                                                LANES* out) {
  const int32_t taps = plan.taps;
  for (int32_t j = 0; j < plan.m; ++j) {
    const float* w = &plan.weights[static_cast<size_t>(j) * taps];
    const float* at = in[plan.first[j]].lane;
    const __m256 w0 = _mm256_set1_ps(w[0]);
    __m256 s0 = _mm256_mul_ps(w0, _mm256_load_ps(at)),
           s1 = _mm256_mul_ps(w0, _mm256_load_ps(at + 8));
    for (int32_t t = 1; t < taps; ++t) {
      const __m256 wt = _mm256_set1_ps(w[t]);
      at += lanes;
      s0 = _mm256_add_ps(s0, _mm256_mul_ps(wt, _mm256_load_ps(at)));
      s1 = _mm256_add_ps(s1, _mm256_mul_ps(wt, _mm256_load_ps(at + 8)));
    }
    _mm256_store_ps(out[j].lane, s0);
    _mm256_store_ps(out[j].lane + 8, s1);
  }
}

void weigh(const LANES* in, const LOW_PASS_PLAN& plan, LANES* out) {
  static const bool avx2 = __builtin_cpu_supports("avx2");
  avx2 ? weigh_avx2(in, plan, out) : weigh_sse(in, plan, out);
}

int16_t rounded(float v) {
  return static_cast<int16_t>(std::clamp(_mm_cvtss_si32(_mm_set_ss(v)), -32768, 32767));
}

// The edges: the positions before and after the line repeat its first and
// last sample.
void repeat_edges(LANES* line, int32_t before, int32_t n, int32_t after) {
  std::fill(line, line + before, line[before]);
  std::fill(line + before + n, line + before + n + after, line[before + n - 1]);
}

// Four int16 samples as floats.
__m128 four_floats(const int16_t* at) {
  const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(at));
  return _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16));
}

// Rows first .. first + count - 1 (count <= 16) of `from`, one lane each, at
// line[0 ..]; lanes of rows past the plane are zero. Packed rows go four
// rows by four samples at a time, through a 4x4 transpose.
void load_rows(const PLANE& from, int32_t first, int32_t count, LANES* line) {
  if (count < lanes) std::memset(static_cast<void*>(line), 0, sizeof(LANES) * from.w);
  int32_t r = 0, x = 0;
  if (from.step == 1) {
    for (; r + 4 <= count; r += 4) {
      const int16_t* row = from.samples + (first + r) * from.pitch;
      for (x = 0; x + 4 <= from.w; x += 4) {
        __m128 a = four_floats(row + x), b = four_floats(row + from.pitch + x),
               c = four_floats(row + 2 * from.pitch + x), d = four_floats(row + 3 * from.pitch + x);
        _MM_TRANSPOSE4_PS(a, b, c, d);
        _mm_store_ps(line[x].lane + r, a);
        _mm_store_ps(line[x + 1].lane + r, b);
        _mm_store_ps(line[x + 2].lane + r, c);
        _mm_store_ps(line[x + 3].lane + r, d);
      }
    }
    for (int32_t q = 0; q < r; ++q)  // the samples past the last four
      for (int32_t y = x; y < from.w; ++y)
        line[y].lane[q] = from.samples[(first + q) * from.pitch + y];
  }
  for (; r < count; ++r) {
    const int16_t* row = from.samples + (first + r) * from.pitch;
    for (x = 0; x < from.w; ++x) line[x].lane[r] = row[x * from.step];
  }
}

// Lanes 0 .. count - 1 of out[0 .. m - 1] into rows first .. first + count -
// 1 of `to`, rounded to nearest even and saturated; packed rows four by four
// through a 4x4 transpose (the same rounding).
void store_rows(const LANES* out, int32_t m, const PLANE& to, int32_t first, int32_t count) {
  int32_t r = 0, j = 0;
  if (to.step == 1) {
    for (; r + 4 <= count; r += 4) {
      int16_t* row = to.samples + (first + r) * to.pitch;
      for (j = 0; j + 4 <= m; j += 4) {
        __m128 a = _mm_load_ps(out[j].lane + r), b = _mm_load_ps(out[j + 1].lane + r),
               c = _mm_load_ps(out[j + 2].lane + r), d = _mm_load_ps(out[j + 3].lane + r);
        _MM_TRANSPOSE4_PS(a, b, c, d);
        const __m128i ab = _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b));
        const __m128i cd = _mm_packs_epi32(_mm_cvtps_epi32(c), _mm_cvtps_epi32(d));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + j), ab);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + to.pitch + j), _mm_srli_si128(ab, 8));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + 2 * to.pitch + j), cd);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(row + 3 * to.pitch + j), _mm_srli_si128(cd, 8));
      }
    }
    for (int32_t q = 0; q < r; ++q)
      for (int32_t i = j; i < m; ++i)
        to.samples[(first + q) * to.pitch + i] = rounded(out[i].lane[q]);
  }
  for (; r < count; ++r) {
    int16_t* row = to.samples + (first + r) * to.pitch;
    for (j = 0; j < m; ++j) row[j * to.step] = rounded(out[j].lane[r]);
  }
}

// Columns first .. first + count - 1 (count <= 16) of `from`, one lane each.
void load_columns(const PLANE& from, int32_t first, int32_t count, LANES* line) {
  for (int32_t y = 0; y < from.h; ++y) {
    const int16_t* at = from.samples + y * from.pitch + static_cast<ptrdiff_t>(first) * from.step;
    float* lane = reinterpret_cast<float*>(line + y);
    int32_t c = 0;
    if (from.step == 1)
      for (; c < count; ++c) lane[c] = at[c];
    else
      for (; c < count; ++c) lane[c] = at[c * from.step];
    for (; c < lanes; ++c) lane[c] = 0;
  }
}

void store_columns(const LANES* out, int32_t m, const PLANE& to, int32_t first, int32_t count) {
  for (int32_t j = 0; j < m; ++j) {
    int16_t* at = to.samples + j * to.pitch + static_cast<ptrdiff_t>(first) * to.step;
    const float* lane = reinterpret_cast<const float*>(out + j);
    int32_t c = 0;
    if (to.step == 1)
      for (; c + 4 <= count; c += 4) {  // the same rounding, four at a time
        const __m128i v = _mm_cvtps_epi32(_mm_load_ps(lane + c));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at + c), _mm_packs_epi32(v, v));
      }
    for (; c < count; ++c) at[c * to.step] = rounded(lane[c]);
  }
}

HOST_ENTRY void low_pass_worker(int thread_id, int thread_num, void* param, void*) {
  LOW_PASS_JOB& job = *static_cast<LOW_PASS_JOB*>(param);
  const LOW_PASS_PLAN& plan = *job.plan;
  const bool across = job.axis == AXIS::across;
  const int32_t count = across ? job.from.h : job.from.w;  // lines
  const auto [first, end] = line_share((count + lanes - 1) / lanes, thread_id, thread_num);
  if (first >= end) return;
  const auto line = take_lanes(static_cast<size_t>(plan.before) + plan.n + plan.after);
  const auto out = take_lanes(plan.m);
  if (!line || !out) {
    job.failed = true;
    return;
  }
  const PASS_MODE mode(PASS_MODE::restore);
  LANES* const samples = line.get() + plan.before;
  for (int32_t s = first; s < end; ++s) {
    const int32_t at = s * lanes, strip = std::min(lanes, count - at);
    across ? load_rows(job.from, at, strip, samples) : load_columns(job.from, at, strip, samples);
    repeat_edges(line.get(), plan.before, plan.n, plan.after);
    weigh(samples, plan, out.get());
    across ? store_rows(out.get(), plan.m, job.to, at, strip)
           : store_columns(out.get(), plan.m, job.to, at, strip);
  }
}

}  // namespace

bool plan_low_pass(LOW_PASS_PLAN& plan, int32_t n, int32_t m, const AXIS_GRID& grid) {
  if (plan.n == n && plan.m == m && plan.grid.offset == grid.offset &&
      plan.grid.span == grid.span && plan.grid.target_span == grid.target_span && plan.first)
    return true;
  plan = LOW_PASS_PLAN{};
  const double scale = static_cast<double>(grid.span) / grid.target_span;  // sources per target
  const double reach = half_width_in_targets * scale;
  const int32_t taps = static_cast<int32_t>(std::floor(2 * reach)) + 1;
  auto first = take<int32_t>(m);
  auto weights = take<float>(static_cast<size_t>(m) * taps);
  auto w = take<double>(taps);
  if (!first || !weights || !w) return false;
  int32_t before = 0, after = 0;
  for (int32_t i = 0; i < m; ++i) {
    const double p = (i + double{grid.offset}) * scale - grid.offset;
    first[i] = static_cast<int32_t>(std::floor(p - reach)) + 1;
    double sum = 0;
    for (int32_t t = 0; t < taps; ++t) sum += w[t] = filter_at((first[i] + t - p) / scale);
    for (int32_t t = 0; t < taps; ++t)
      weights[static_cast<size_t>(i) * taps + t] = static_cast<float>(w[t] / sum);
    before = std::max(before, -first[i]);
    after = std::max(after, first[i] + taps - n);
  }
  plan.n = n;
  plan.grid = grid;
  plan.m = m;
  plan.taps = taps;
  plan.before = before;
  plan.after = after;
  plan.first = std::move(first);
  plan.weights = std::move(weights);
  return true;
}

bool low_pass(const PLANE& from, const PLANE& to, AXIS axis, const LOW_PASS_PLAN& plan,
              const RUNNER* runner) {
  LOW_PASS_JOB job;
  job.from = from;
  job.to = to;
  job.axis = axis;
  job.plan = &plan;
  const bool ran = run_workers(runner, low_pass_worker, &job, nullptr);
  return ran && !job.failed;
}

namespace {

// `samples` sized for a w x h plane, as a plane; false when no memory could
// be had.
bool plane_in(std::vector<int16_t>& samples, int32_t w, int32_t h, PLANE& plane) {
  try {
    samples.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  } catch (const std::bad_alloc&) {
    return false;
  }
  plane = PLANE{samples.data(), w, h, w, 1};
  return true;
}

// True when resize_planes would run no pass along that axis.
bool stays(const AXIS_GRID& grid, int32_t n, int32_t m) {
  return n == m && is_own_grid(grid, n, m);
}

// One job of low_pass_jobs; `done` when its target is written.
bool low_pass_job(PLANE_JOB& job, LOW_PASS_SAMPLES& own, const RUNNER* runner, bool& done) {
  done = false;
  const int32_t w = job.target.w, h = job.target.h;
  PLANE to;
  if (w < job.source.w) {
    if (!plan_low_pass(own.plans[0], job.source.w, w, job.across)) return false;
    done = h == job.source.h && stays(job.down, h, h);
    if (done)
      to = job.target;
    else if (!plane_in(own.samples[0], w, job.source.h, to))
      return false;
    if (!low_pass(job.source, to, AXIS::across, own.plans[0], runner)) return false;
    job.source = to;
    job.across = own_grid(w, w);
  }
  if (h < job.source.h) {
    if (!plan_low_pass(own.plans[1], job.source.h, h, job.down)) return false;
    done = stays(job.across, job.source.w, w);
    if (done)
      to = job.target;
    else if (!plane_in(own.samples[1], job.source.w, h, to))
      return false;
    if (!low_pass(job.source, to, AXIS::down, own.plans[1], runner)) return false;
    job.source = to;
    job.down = own_grid(h, h);
  }
  return true;
}

}  // namespace

int32_t low_pass_jobs(PLANE_JOB* jobs, int32_t count, LOW_PASS_SAMPLES* own, const RUNNER* runner) {
  int32_t kept = 0;
  for (int32_t j = 0; j < count; ++j) {
    PLANE_JOB job = jobs[j];
    bool done = false;
    if (!low_pass_job(job, own[j], runner, done)) return -1;
    if (!done) jobs[kept++] = job;
  }
  return kept;
}
