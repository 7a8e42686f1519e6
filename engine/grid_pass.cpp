#include "grid_pass.h"

#include <xmmintrin.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "pass_mode.h"
#include "spline.h"

AXIS_GRID own_grid(int32_t n, int32_t m) { return AXIS_GRID{0.5f, n, m}; }

bool is_own_grid(const AXIS_GRID& grid, int32_t n, int32_t m) {
  return grid.offset == 0.5f && int64_t{grid.span} * m == int64_t{grid.target_span} * n;
}

namespace {

// Where target sample i falls: knot k and the weights of knots k and k + 1.
struct TARGET_POSITION {
  int32_t k;
  float t, a, wa, wt;
};

// The engine's position arithmetic with the grid's offset: for offset 0.5
// these are its operations exactly. Runs under pass_mxcsr.
TARGET_POSITION locate_target(float step, float offset, int32_t i, int32_t n) {
  const float u = static_cast<float>(i) + offset;
  const float q = step * u;
  const float x = q + (1.0f - offset);  // knot p holds sample p - 1
  int32_t k = static_cast<int32_t>(x);  // x > 0: truncation = integer part
  if (k > n) return TARGET_POSITION{n, 1.0f, 0.0f, 0.0f, 0.0f};
  const float kf = static_cast<float>(k);
  const float t = x - kf;
  const float a = (1.0f - x) + kf;
  return TARGET_POSITION{k, t, a, (a * a) * a - a, (t * t) * t - t};
}

inline __m128 evaluate(const KNOT* knot, const TARGET_POSITION& e) {
  const KNOT& k0 = knot[e.k];
  const KNOT& k1 = knot[e.k + 1];
  const __m128 curv = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(e.wa), _mm_load_ps(k0.m.lane)),
                                            _mm_mul_ps(_mm_set1_ps(e.wt), _mm_load_ps(k1.m.lane))),
                                 _mm_set1_ps(1.0f / 6.0f));
  const __m128 lin = _mm_add_ps(_mm_mul_ps(_mm_load_ps(k1.v.lane), _mm_set1_ps(e.t)),
                                _mm_mul_ps(_mm_load_ps(k0.v.lane), _mm_set1_ps(e.a)));
  return _mm_add_ps(curv, lin);
}

// Memory for `count` records aligned for SSE loads: operator new does not
// promise more than 8 bytes on every platform (32-bit MinGW).
template <class T>
struct ALIGNED {
  std::unique_ptr<unsigned char[]> block;
  T* data = nullptr;
  explicit ALIGNED(size_t count) : block(new (std::nothrow) unsigned char[sizeof(T) * count + 63]) {
    if (block)
      data = reinterpret_cast<T*>((reinterpret_cast<uintptr_t>(block.get()) + 63) & ~uintptr_t{63});
  }
};

// Rounded to nearest even by MXCSR, saturated to int16, as the reference does.
inline __m64 narrow(__m128 r) {
  return _mm_packs_pi32(_mm_cvtps_pi32(r), _mm_cvtps_pi32(_mm_movehl_ps(r, r)));
}

struct GRID_JOB {
  FRAME frame;
  AXIS axis;
  int32_t n, m;
  int32_t lines;       // rows across; column groups down
  int32_t tail_lanes;  // int16 of the last column group inside the row
  const VEC4* table;
  const TARGET_POSITION* positions;
  std::atomic<bool> failed{false};
};

void do_row(const GRID_JOB& job, KNOT* knots, int32_t r) {
  PIXEL_YC* row = job.frame.buffer + static_cast<intptr_t>(r) * job.frame.max_w;
  solve_pixel_row(knots, job.table, row, job.n);
  auto* bytes = reinterpret_cast<uint8_t*>(row);
  for (int32_t i = 0; i < job.m; ++i) {
    const __m64 out = narrow(evaluate(knots, job.positions[i]));
    std::memcpy(bytes + 6 * static_cast<intptr_t>(i), &out, 6);
  }
}

void do_column_group(const GRID_JOB& job, KNOT* knots, int32_t g) {
  uint8_t* base = reinterpret_cast<uint8_t*>(job.frame.buffer) + 8 * static_cast<intptr_t>(g);
  const int32_t pitch = 6 * job.frame.max_w;
  const int32_t lanes = g == job.lines - 1 ? job.tail_lanes : 4;
  if (lanes < 4)
    solve_partial_group(knots, job.table, base, job.n, pitch, lanes);
  else
    solve_column_group(knots, job.table, base, job.n, pitch);
  for (int32_t i = 0; i < job.m; ++i) {
    const __m64 out = narrow(evaluate(knots, job.positions[i]));
    std::memcpy(base + static_cast<intptr_t>(i) * pitch, &out, 2 * lanes);
  }
}

// Each worker takes an equal share of the lines, with a knot buffer of its own.
HOST_ENTRY void grid_worker(int thread_id, int thread_num, void* param, void*) {
  GRID_JOB& job = *static_cast<GRID_JOB*>(param);
  const auto [first, end] = line_share(job.lines, thread_id, thread_num);
  if (first >= end) return;
  const ALIGNED<KNOT> knots(static_cast<size_t>(job.n) + 2);
  if (!knots.data) {
    job.failed = true;
    return;
  }
  const PASS_MODE mode(PASS_MODE::restore_and_empty_mmx);
  for (int32_t line = first; line < end; ++line) {
    if (job.axis == AXIS::across)
      do_row(job, knots.data, line);
    else
      do_column_group(job, knots.data, line);
  }
}

}  // namespace

bool grid_pass(FRAME& frame, AXIS axis, int32_t target, const AXIS_GRID& grid,
               const RUNNER* runner) {
  const bool across = axis == AXIS::across;
  const int32_t n = across ? frame.w : frame.h;
  if (!frame.buffer || frame.w < 1 || frame.h < 1 || target < 1 ||
      target > (across ? frame.max_w : frame.max_h) || grid.span < 1 || grid.target_span < 1)
    return false;
  const ALIGNED<VEC4> table(static_cast<size_t>(n));
  const std::unique_ptr<TARGET_POSITION[]> positions(new (std::nothrow) TARGET_POSITION[target]);
  if (!table.data || !positions) return false;

  // The table and the positions are built under the passes' mode, whatever
  // the caller's.
  {
    const PASS_MODE mode(PASS_MODE::restore);
    build_factor_table(table.data, n);
    const float step = static_cast<float>(grid.span) / static_cast<float>(grid.target_span);
    for (int32_t i = 0; i < target; ++i) positions[i] = locate_target(step, grid.offset, i, n);
  }

  GRID_JOB job;
  job.frame = frame;
  job.axis = axis;
  job.n = n;
  job.m = target;
  job.table = table.data;
  job.positions = positions.get();
  if (across) {
    job.lines = frame.h;
    job.tail_lanes = 3;
  } else {
    job.lines = (6 * frame.w + 7) / 8;
    const int32_t row_bytes = 6 * frame.max_w;
    const int32_t tail_start = 8 * (job.lines - 1);
    job.tail_lanes = tail_start + 8 > row_bytes ? (row_bytes - tail_start) / 2 : 4;
  }
  const bool ran = run_workers(runner, grid_worker, &job, nullptr);
  if (!ran || job.failed) return false;
  (across ? frame.w : frame.h) = target;
  return true;
}
