// Baseline line kernels: SSE single precision over four lanes, MMX for the
// int16 <-> int32 steps. Only the first SSE generation is used, so this file
// is the reference every faster variant must match bit for bit.
#include <xmmintrin.h>

#include <cstring>

#include "kernels.h"
#include "position.h"

namespace {

// int16 x4 -> float x4, exact: sign mask by comparison with zero, interleave,
// then two int32 at a time to float.
inline __m128 widen(__m64 s) {
  const __m64 sign = _mm_cmpgt_pi16(_mm_setzero_si64(), s);
  return _mm_cvtpi32x2_ps(_mm_unpacklo_pi16(s, sign), _mm_unpackhi_pi16(s, sign));
}

inline __m64 load_bytes(const void* p, int bytes) {
  __m64 s = _mm_setzero_si64();
  std::memcpy(&s, p, bytes);
  return s;
}

// float x4 -> int16 x4: round to nearest even (MXCSR), saturate to int16.
inline __m64 narrow(__m128 r) {
  return _mm_packs_pi32(_mm_cvtps_pi32(r), _mm_cvtps_pi32(_mm_movehl_ps(r, r)));
}

inline void store(KNOT& knot, __m128 v, __m128 m) {
  _mm_store_ps(knot.v.lane, v);
  _mm_store_ps(knot.m.lane, m);
}

// The Thomas elimination shared by both solvers. fetch(j) returns sample j;
// it is called once per sample, in order.
template <class Fetch>
inline void solve_line(KNOT* knot, const VEC4* table, int32_t n, Fetch fetch) {
  const __m128 zero = _mm_setzero_ps();
  const __m128 six = _mm_set1_ps(6.0f);
  __m128 prev = fetch(0);  // V_{p-1}
  store(knot[0], prev, zero);
  __m128 cur = prev;  // V_p (knot 1 holds s_0)
  __m128 c = zero;
  for (int32_t p = 1; p <= n; ++p) {
    const __m128 next = p < n ? fetch(p) : cur;  // V_{p+1}
    // Exact for int16 data: every step stays below 2^24 in magnitude.
    const __m128 r = _mm_mul_ps(_mm_sub_ps(_mm_sub_ps(next, cur), _mm_sub_ps(cur, prev)), six);
    c = _mm_mul_ps(_mm_sub_ps(r, c), _mm_load_ps(table[p - 1].lane));
    store(knot[p], cur, c);
    prev = cur;
    cur = next;
  }
  store(knot[n + 1], cur, zero);
  __m128 m = c;  // M_n = c_n
  for (int32_t p = n - 1; p >= 1; --p) {
    m = _mm_sub_ps(_mm_load_ps(knot[p].m.lane), _mm_mul_ps(_mm_load_ps(table[p - 1].lane), m));
    _mm_store_ps(knot[p].m.lane, m);
  }
}

// Evaluates the spline at the centres of m target samples and hands each
// rounded result to store(i, packed int16 x4).
template <class Store>
inline void resample_line(const KNOT* knot, int32_t n, int32_t m, Store store_output) {
  if (m <= 0) return;
  const float step = line_step(n, m);
  const __m128 sixth = _mm_set1_ps(1.0f / 6.0f);
  for (int32_t i = 0; i < m; ++i) {
    const POSITION e = locate_output(step, i);
    const KNOT& k0 = knot[e.k];
    const KNOT& k1 = knot[e.k + 1];
    const __m128 curv =
        _mm_mul_ps(_mm_add_ps(_mm_mul_ps(_mm_set1_ps(e.wa), _mm_load_ps(k0.m.lane)),
                              _mm_mul_ps(_mm_set1_ps(e.wt), _mm_load_ps(k1.m.lane))),
                   sixth);
    const __m128 lin = _mm_add_ps(_mm_mul_ps(_mm_load_ps(k1.v.lane), _mm_set1_ps(e.t)),
                                  _mm_mul_ps(_mm_load_ps(k0.v.lane), _mm_set1_ps(e.a)));
    store_output(i, narrow(_mm_add_ps(curv, lin)));
  }
}

inline void prefetch(const uint8_t* p) {
  _mm_prefetch(reinterpret_cast<const char*>(p), _MM_HINT_T0);
}

// Column fetch with the prefetch pattern of a walk down the rows: rows 0-5
// before the first fetch, then row j + 6 with the fetch of row j >= 1.
// Hints past the last row are harmless.
template <int Bytes>
struct COLUMN_FETCH {
  const uint8_t* first;
  int32_t pitch;
  __m128 operator()(int32_t j) const {
    const uint8_t* p = first + static_cast<intptr_t>(j) * pitch;
    if (j == 0) {
      for (int r = 0; r < 6; ++r) prefetch(first + static_cast<intptr_t>(r) * pitch);
    } else {
      prefetch(p + static_cast<intptr_t>(6) * pitch);
    }
    return widen(load_bytes(p, Bytes));
  }
};

}  // namespace

void solve_pixel_row(KNOT* line, const VEC4* table, const PIXEL_YC* row, int32_t n) {
  const uint8_t* base = reinterpret_cast<const uint8_t*>(row);
  solve_line(line, table, n, [base, n](int32_t j) {
    // Eight bytes reach the next pixel's y (lane 3, unused); the last pixel
    // is read as its six bytes alone. Each size is a constant of its own
    // branch, so that the copy is a load, not a call.
    const uint8_t* p = base + 6 * static_cast<intptr_t>(j);
    return widen(j + 1 < n ? load_bytes(p, 8) : load_bytes(p, 6));
  });
}

void solve_column_group(KNOT* line, const VEC4* table, const void* first, int32_t n,
                        int32_t pitch) {
  solve_line(line, table, n, COLUMN_FETCH<8>{static_cast<const uint8_t*>(first), pitch});
}

void solve_partial_group(KNOT* line, const VEC4* table, const void* first, int32_t n, int32_t pitch,
                         int32_t lanes) {
  const uint8_t* base = static_cast<const uint8_t*>(first);
  solve_line(line, table, n, [base, pitch, lanes](int32_t j) {
    return widen(load_bytes(base + static_cast<intptr_t>(j) * pitch, 2 * lanes));
  });
}

void resample_pixel_row(const KNOT* line, int32_t n, int32_t m, PIXEL_YC* destination) {
  uint8_t* base = reinterpret_cast<uint8_t*>(destination);
  resample_line(line, n, m, [base, m](int32_t i, __m64 out) {
    if (i + 1 < m) {
      std::memcpy(base + 6 * static_cast<intptr_t>(i), &out, 8);
    } else {
      std::memcpy(base + 6 * static_cast<intptr_t>(i), &out, 6);
    }
  });
}

void resample_column_group(const KNOT* line, int32_t n, int32_t m, void* destination,
                           int32_t pitch) {
  uint8_t* base = static_cast<uint8_t*>(destination);
  resample_line(line, n, m, [base, pitch](int32_t i, __m64 out) {
    std::memcpy(base + static_cast<intptr_t>(i) * pitch, &out, 8);
  });
}

void resample_partial_group(const KNOT* line, int32_t n, int32_t m, void* destination,
                            int32_t pitch, int32_t lanes) {
  uint8_t* base = static_cast<uint8_t*>(destination);
  resample_line(line, n, m, [base, pitch, lanes](int32_t i, __m64 out) {
    std::memcpy(base + static_cast<intptr_t>(i) * pitch, &out, 2 * lanes);
  });
}

namespace {

void sse_column_groups(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end) {
  for (int32_t g = first; g < end; ++g) {
    uint8_t* base = job.frame + 8 * static_cast<intptr_t>(g);
    if (g == job.groups - 1 && job.tail_lanes < 4) {
      solve_partial_group(slot, job.table, base, job.n, job.pitch, job.tail_lanes);
      resample_partial_group(slot, job.n, job.m, base, job.pitch, job.tail_lanes);
    } else {
      solve_column_group(slot, job.table, base, job.n, job.pitch);
      resample_column_group(slot, job.n, job.m, base, job.pitch);
    }
  }
}

void sse_pixel_rows(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end) {
  for (int32_t r = first; r < end; ++r) {
    auto* row = reinterpret_cast<PIXEL_YC*>(job.frame + static_cast<intptr_t>(r) * job.pitch);
    solve_pixel_row(slot, job.table, row, job.n);
    resample_pixel_row(slot, job.n, job.m, row);
  }
}

}  // namespace

const KERNEL_VARIANT sse_kernels = {"sse", 1, false, 8, 8, 1, 1, sse_column_groups, sse_pixel_rows};
