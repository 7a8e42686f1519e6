#pragma once
// Line kernels that carry many independent lines at once, one per vector lane,
// for the variants wider than the baseline. Each instruction-set file includes
// this header, supplies the vector operations as a policy type P (defined in
// that file's unnamed namespace) and is compiled with that instruction set's
// flags. Everything here is a template of P or sits in an unnamed namespace,
// so no code built for a wider instruction set can leak into another file.
//
// Each lane sees exactly the baseline's operations in the baseline's order,
// one rounding each; only the number of lines in flight differs. Work that is
// the same for every line of a pass (positions, knot indices, weights) is done
// once per pass and worker with the baseline's scalar operations.
//
// A walk carries NV vectors of W lanes (L = NV * W lanes):
// - vertical pass: L / 4 neighbouring column groups, the lanes in memory order;
// - horizontal pass: W / 3 rows per vector (rounded down), the row's y, cb, cr
//   in three neighbouring lanes.
// Its knots lie in the slot after the position table: knot p is L values then
// L curvatures, so one walk over n samples needs (n + 2) * 8 * L bytes.
//
// A policy P provides:
//   V, W                  vector of W float lanes (4, 8 or 16)
//   MAX_VECTORS           vectors one walk may keep in flight
//   LINE_BUFFERS          the variant's line buffers per slot (>= 1 + W / 4)
//   WALK_BYTES            knot memory a walk should stay within (L2 cache)
//   load, store           aligned float vectors
//   add, sub, mul, set1, zero
//   widen(p)              W int16 -> floats, exactly
//   widen_part(p, count)  the first count (< W) int16, other lanes 0
//   narrow(p, v)          round to nearest even (MXCSR), saturate, W int16
//   narrow_part(p, v, count)
//   widen_pixel(dst, src, bytes)  8 bytes: 4 int16; 6 bytes: 3 int16 and 0;
//                         to 4 floats at dst (4-byte aligned)
//   prefetch(p)
#include <cstdint>

#include "kernels.h"

namespace {

// Output i of a line of n samples resampled to m: the knot k it falls after
// and the weights of knots k and k + 1.
struct POSITION {
  int32_t k;
  float t;   // fraction past knot k
  float a;   // 1 - t
  float wa;  // a^3 - a
  float wt;  // t^3 - t
};

// Start of a slot: the (n, m) whose positions follow. The first line buffer
// (32 K bytes) holds the header and up to K - 3 positions; the zero-filled
// new block never matches, since n >= 1.
struct SLOT_HEADER {
  int32_t n;
  int32_t m;
  int32_t pad[14];
};
static_assert(sizeof(SLOT_HEADER) == 64, "positions start on a cache line");

constexpr int prefetch_rows = 16;  // vertical walks fetch this many rows ahead

template <class P>
const POSITION* position_table(SPLINE_LINE* slot, int32_t n, int32_t m) {
  auto* header = reinterpret_cast<SLOT_HEADER*>(slot);
  auto* table = reinterpret_cast<POSITION*>(header + 1);
  if (header->n == n && header->m == m) return table;
  const float s = static_cast<float>(n) / static_cast<float>(m);
  for (int32_t i = 0; i < m; ++i) {
    // The baseline's roundings: three for the position, exact fractions.
    const float u = static_cast<float>(i) + 0.5f;
    const float q = s * u;
    const float x = q + 0.5f;
    const int32_t k = static_cast<int32_t>(x);
    const float kf = static_cast<float>(k);
    const float t = x - kf;
    const float a = (1.0f - x) + kf;
    table[i] = POSITION{k, t, a, (a * a) * a - a, (t * t) * t - t};
  }
  header->n = n;
  header->m = m;
  return table;
}

template <class P>
float* walk_knots(SPLINE_LINE* slot, const PASS_JOB& job) {
  return reinterpret_cast<float*>(slot + job.knots);
}

// Vectors a walk over lines of n samples carries: as many as stay within the
// slot and WALK_BYTES, between 1 and MAX_VECTORS. One always fits the slot.
template <class P>
int walk_vectors(const PASS_JOB& job, int32_t n) {
  const int64_t capacity = static_cast<int64_t>(P::LINE_BUFFERS - 1) * job.knots * sizeof(KNOT);
  const int64_t budget = capacity < P::WALK_BYTES ? capacity : P::WALK_BYTES;
  const int64_t per_vector = (static_cast<int64_t>(n) + 2) * 2 * P::W * sizeof(float);
  const int64_t nv = budget / per_vector;
  return nv < 1 ? 1 : nv > P::MAX_VECTORS ? P::MAX_VECTORS : static_cast<int>(nv);
}

// Thomas elimination of one walk. fetch(j, out) yields sample j of every lane
// (out[0 .. NV - 1]), once per sample, in order. With StoreValues false the
// values of knots 1 .. n are already in place and only knots 0 and n + 1 are
// written.
template <class P, int NV, bool StoreValues, class Fetch>
inline void solve_walk(float* knots, const FACTOR_TABLE* table, int32_t n, Fetch fetch) {
  using V = typename P::V;
  constexpr int W = P::W;
  constexpr int L = NV * W;
  const V zero = P::zero();
  const V six = P::set1(6.0f);
  V cur[NV], d[NV], c[NV];
  fetch(0, cur);
  for (int v = 0; v < NV; ++v) {
    P::store(knots + v * W, cur[v]);
    P::store(knots + L + v * W, zero);
    d[v] = zero;  // V_1 - V_0 = s_0 - s_0
    c[v] = zero;
  }
  float* knot = knots;
  // One forward step: d carries V_{p+1} - V_p into the next step as its
  // V_p - V_{p-1}, the same difference of the same two values.
  auto step = [&](int32_t p, const V* next) {
    knot += 2 * L;
    const V f = P::set1(table[p - 1].lane[0]);
    for (int v = 0; v < NV; ++v) {
      const V dn = P::sub(next[v], cur[v]);
      const V r = P::mul(P::sub(dn, d[v]), six);  // exact for int16 samples
      c[v] = P::mul(P::sub(r, c[v]), f);
      if (StoreValues) P::store(knot + v * W, cur[v]);
      P::store(knot + L + v * W, c[v]);
      d[v] = dn;
      cur[v] = next[v];
    }
  };
  for (int32_t p = 1; p < n; ++p) {
    V next[NV];
    fetch(p, next);
    step(p, next);
  }
  {
    V last[NV];
    for (int v = 0; v < NV; ++v) last[v] = cur[v];
    step(n, last);  // V_{n+1} repeats s_{n-1}
  }
  knot += 2 * L;
  for (int v = 0; v < NV; ++v) {
    P::store(knot + v * W, cur[v]);
    P::store(knot + L + v * W, zero);
  }
  // Back substitution, M_n = c_n; the chain stays in registers.
  for (int32_t p = n - 1; p >= 1; --p) {
    float* m = knots + static_cast<intptr_t>(p) * 2 * L + L;
    const V f = P::set1(table[p - 1].lane[0]);
    for (int v = 0; v < NV; ++v) {
      c[v] = P::sub(P::load(m + v * W), P::mul(f, c[v]));
      P::store(m + v * W, c[v]);
    }
  }
}

// Evaluates the walk's splines at the m outputs and hands put(i, r) the NV
// result vectors of output i, in increasing order of i.
template <class P, int NV, class Put>
inline void resample_walk(const float* knots, const POSITION* positions, int32_t m, Put put) {
  using V = typename P::V;
  constexpr int W = P::W;
  constexpr int L = NV * W;
  const V sixth = P::set1(1.0f / 6.0f);
  for (int32_t i = 0; i < m; ++i) {
    const POSITION& e = positions[i];
    const float* k0 = knots + static_cast<intptr_t>(e.k) * 2 * L;
    const float* k1 = k0 + 2 * L;
    const V wa = P::set1(e.wa);
    const V wt = P::set1(e.wt);
    const V t = P::set1(e.t);
    const V a = P::set1(e.a);
    V r[NV];
    for (int v = 0; v < NV; ++v) {
      const V curv = P::mul(P::add(P::mul(wa, P::load(k0 + L + v * W)), P::mul(wt, P::load(k1 + L + v * W))),
                            sixth);
      const V lin = P::add(P::mul(P::load(k1 + v * W), t), P::mul(P::load(k0 + v * W), a));
      r[v] = P::add(curv, lin);
    }
    put(i, r);
  }
}

// One vertical walk: `lanes` int16 (more than (NV - 1) * W, at most NV * W)
// from `base` down the rows.
template <class P, int NV>
void column_walk(const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions, uint8_t* base,
                 int32_t lanes) {
  using V = typename P::V;
  constexpr int W = P::W;
  const int last = lanes - (NV - 1) * W;  // int16 in the last vector
  const intptr_t pitch = job.pitch;
  const int32_t bytes = 2 * lanes;
  float* knots = walk_knots<P>(slot, job);
  auto fetch = [&](int32_t j, V* out) {
    const uint8_t* row = base + j * pitch;
    const uint8_t* ahead = row + prefetch_rows * pitch;
    for (int32_t b = 0; b < bytes; b += 64) P::prefetch(ahead + b);
    P::prefetch(ahead + bytes - 1);
    for (int v = 0; v < NV - 1; ++v) out[v] = P::widen(row + 2 * W * v);
    out[NV - 1] = last == W ? P::widen(row + 2 * W * (NV - 1)) : P::widen_part(row + 2 * W * (NV - 1), last);
  };
  for (int32_t r = 0; r < prefetch_rows && r < job.n; ++r) {
    for (int32_t b = 0; b < bytes; b += 64) P::prefetch(base + r * pitch + b);
  }
  solve_walk<P, NV, true>(knots, job.table, job.n, fetch);
  resample_walk<P, NV>(knots, positions, job.m, [&](int32_t i, const V* r) {
    uint8_t* row = base + i * pitch;
    for (int v = 0; v < NV - 1; ++v) P::narrow(row + 2 * W * v, r[v]);
    if (last == W) {
      P::narrow(row + 2 * W * (NV - 1), r[NV - 1]);
    } else {
      P::narrow_part(row + 2 * W * (NV - 1), r[NV - 1], last);
    }
  });
}

// One horizontal walk over `count` rows from `first` (0 < count <= NV * W / 3
// rows); missing rows repeat the last one, which then is written twice with
// the same bytes.
template <class P, int NV>
void row_walk(const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions, int32_t first,
              int32_t count) {
  using V = typename P::V;
  constexpr int W = P::W;
  constexpr int L = NV * W;
  constexpr int per_vector = (W - 1) / 3;  // the fourth lane of a row needs room too
  constexpr int R = NV * per_vector;
  const int32_t n = job.n;
  const int32_t m = job.m;
  uint8_t* rows[R];
  int lane[R];
  for (int r = 0; r < R; ++r) {
    rows[r] = job.frame + static_cast<intptr_t>(first + (r < count ? r : count - 1)) * job.pitch;
    lane[r] = W * (r / per_vector) + 3 * (r % per_vector);
  }
  float* knots = walk_knots<P>(slot, job);

  // Values of knots 1 .. n. A pixel brings four lanes; the next row of the
  // vector overwrites the fourth. Lanes that no row reaches are cleared.
  for (int32_t p = 0; p < n; ++p) {
    float* value = knots + static_cast<intptr_t>(p + 1) * 2 * L;
    const int bytes = p + 1 < n ? 8 : 6;  // nothing past the row's last pixel
    if (3 * per_vector + 1 < W) {
      for (int v = 0; v < NV; ++v) P::store(value + v * W, P::zero());
    }
    for (int r = 0; r < R; ++r) P::widen_pixel(value + lane[r], rows[r] + 6 * static_cast<intptr_t>(p), bytes);
  }
  solve_walk<P, NV, false>(knots, job.table, n, [&](int32_t j, V* out) {
    const float* value = knots + static_cast<intptr_t>(j + 1) * 2 * L;
    for (int v = 0; v < NV; ++v) out[v] = P::load(value + v * W);
  });

  alignas(64) int16_t stage[L];
  resample_walk<P, NV>(knots, positions, m, [&](int32_t i, const V* r) {
    for (int v = 0; v < NV; ++v) P::narrow(stage + v * W, r[v]);
    const intptr_t at = 6 * static_cast<intptr_t>(i);
    if (i + 1 < m) {
      // Eight bytes: the fourth lands on pixel i + 1, which output i + 1 rewrites.
      for (int k = 0; k < R; ++k) __builtin_memcpy(rows[k] + at, stage + lane[k], 8);
    } else {
      for (int k = 0; k < R; ++k) __builtin_memcpy(rows[k] + at, stage + lane[k], 6);
    }
  });
}

// The widest walk instantiation not above `nv` (1 .. NV).
template <class P, int NV>
void column_walk_of(int nv, const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions,
                    uint8_t* base, int32_t lanes) {
  if constexpr (NV > 1) {
    if (nv < NV) return column_walk_of<P, NV - 1>(nv, job, slot, positions, base, lanes);
  }
  column_walk<P, NV>(job, slot, positions, base, lanes);
}

template <class P, int NV>
void row_walk_of(int nv, const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions,
                 int32_t first, int32_t count) {
  if constexpr (NV > 1) {
    if (nv < NV) return row_walk_of<P, NV - 1>(nv, job, slot, positions, first, count);
  }
  row_walk<P, NV>(job, slot, positions, first, count);
}

// KERNEL_VARIANT::column_groups: walks as wide as the slot and cache allow.
template <class P>
void wide_column_groups(const PASS_JOB& job, SPLINE_LINE* slot, int32_t first, int32_t end) {
  if (job.m <= 0 || first >= end) return;
  const POSITION* positions = position_table<P>(slot, job.n, job.m);
  const int32_t groups_per_vector = P::W / 4;
  const int32_t walk_groups = walk_vectors<P>(job, job.n) * groups_per_vector;
  for (int32_t g = first; g < end;) {
    const int32_t groups = end - g < walk_groups ? end - g : walk_groups;
    int32_t lanes = 4 * groups;
    if (g + groups == job.groups) lanes -= 4 - job.tail_lanes;
    const int nv = (lanes + P::W - 1) / P::W;
    column_walk_of<P, P::MAX_VECTORS>(nv, job, slot, positions, job.frame + 8 * static_cast<intptr_t>(g),
                                      lanes);
    g += groups;
  }
}

// KERNEL_VARIANT::pixel_rows.
template <class P>
void wide_pixel_rows(const PASS_JOB& job, SPLINE_LINE* slot, int32_t first, int32_t end) {
  if (job.m <= 0 || first >= end) return;
  const POSITION* positions = position_table<P>(slot, job.n, job.m);
  constexpr int32_t per_vector = (P::W - 1) / 3;
  const int32_t walk_rows = walk_vectors<P>(job, job.n) * per_vector;
  for (int32_t r = first; r < end;) {
    const int32_t count = end - r < walk_rows ? end - r : walk_rows;
    const int nv = (count + per_vector - 1) / per_vector;
    row_walk_of<P, P::MAX_VECTORS>(nv, job, slot, positions, r, count);
    r += count;
  }
}

}  // namespace
