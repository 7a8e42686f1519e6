#pragma once
// Line kernels that carry many independent lines at once, one per vector lane,
// for the variants wider than the baseline. Each instruction-set file includes
// this header, supplies the vector operations as a policy type P (defined in
// that file's unnamed namespace) and is compiled with that instruction set's
// flags. Everything here is a template of P or sits in an unnamed namespace,
// so no code built for a wider instruction set can leak into another file.
//
// The loops over a walk's vectors are unrolled by pragma, so that a walk's
// vectors stay in registers whatever the compiler's unrolling heuristics.
//
// Each lane sees exactly the baseline's operations in the baseline's order,
// one rounding each; only the number of lines in flight differs. Work that is
// the same for every line of a pass (positions, knot indices, weights) is done
// once per pass and worker with the baseline's scalar operations.
//
// A walk carries NV vectors of W lanes (L = NV * W lanes):
// - vertical pass: L / 4 neighbouring column groups, the lanes in memory order;
// - horizontal pass: (W - 1) / 3 rows per vector, each row's y, cb, cr in
//   three neighbouring lanes (lanes 3j .. 3j + 2 for the vector's row j).
// Its knots lie in the slot after the position table: knot p is L values then
// L forward-sweep values, so a walk over n samples needs (n + 2) * 8 * L bytes.
// The back substitution runs from the last knot down together with the
// evaluation, so the curvatures stay in registers and the outputs of a line
// are written from the last to the first.
//
// A policy P provides:
//   V, W                  vector of W float lanes (4, 8 or 16)
//   MAX_VECTORS           vectors one walk may keep in flight
//   LINE_BUFFERS          the variant's line buffers per slot (>= 1 + W / 4)
//   COLUMN_WALK_BYTES     knot memory a vertical walk may use
//   ROW_WALK_BYTES        knot and staging memory a horizontal walk may use
//   load, store           aligned float vectors
//   add, sub, mul, set1, zero
//   widen(p)              W int16 -> floats, exactly
//   widen_part(p, count)  the first count (< W) int16, other lanes 0
//   narrow(p, v)          round to nearest even (MXCSR), saturate, W int16
//   narrow_part(p, v, count)
//   prefetch(p)
//   PREFETCH_ROWS         vertical walks hint rows this far ahead of the fetch
//   PIXEL_LANES           true: the policy moves blocks of pixels between the
//                         W / 3 rows of a vector and its lanes itself, with
//     place_pixels(dst, stride, rows, n)   pixel p of rows[j] into lanes
//                         3j .. 3j + 2 of the vector at dst + p * stride floats
//     spread_pixels(rows, stage, stride, m)   int16 lanes 3j .. 3j + 2 of
//                         output i (at stage + i * stride) to pixel i of rows[j]
//                         false: pixel by pixel, with
//     widen_pixel(dst, src, bytes)  8 bytes: 4 int16; 6 bytes: 3 int16 and 0;
//                                 to 4 floats at dst (4-byte aligned)
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
// slot and `limit` bytes, but `at_least` when the slot holds them; between 1
// and MAX_VECTORS. A walk of one vector always fits the slot, output staging
// (2 bytes per lane and output, with the last block of four read whole)
// included. Vertical walks gain from width beyond the L2 cache (a walk
// touches one page per row, and wide walks share the page walks); horizontal
// ones only need two vectors to hide the latency of their chains.
template <class P>
int walk_vectors(const PASS_JOB& job, int32_t n, int32_t staged_outputs, int64_t limit, int at_least) {
  const int64_t capacity = static_cast<int64_t>(P::LINE_BUFFERS - 1) * job.knots * sizeof(KNOT);
  const int64_t per_vector =
      ((static_cast<int64_t>(n) + 2) * 2 * sizeof(float) + static_cast<int64_t>(staged_outputs) * 2) * P::W;
  const int64_t wanted = limit > at_least * per_vector ? limit : at_least * per_vector;
  const int64_t nv = (capacity < wanted ? capacity : wanted) / per_vector;
  return nv < 1 ? 1 : nv > P::MAX_VECTORS ? P::MAX_VECTORS : static_cast<int>(nv);
}

// Forward sweep of one walk. The source yields the samples: seek(j) once per
// sample j, in order, then get(v) for each vector. Stores V_p and c_p of every
// knot (only V_0 and V_{n+1} with StoreValues false, when the values of knots
// 1 .. n are in place already) and leaves c_n in c.
template <class P, int NV, bool StoreValues, class Source>
inline void forward_sweep(float* knots, const FACTOR_TABLE* table, int32_t n, Source& source,
                          typename P::V (&c)[NV]) {
  using V = typename P::V;
  constexpr int W = P::W;
  constexpr int L = NV * W;
  const V zero = P::zero();
  const V six = P::set1(6.0f);
  V cur[NV], d[NV];
  source.seek(0);
  #pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    cur[v] = source.get(v);
    P::store(knots + v * W, cur[v]);
    d[v] = zero;  // V_1 - V_0 = s_0 - s_0
    c[v] = zero;
  }
  // Knot p from V_{p+1}: d carries V_{p+1} - V_p into the next step as its
  // V_p - V_{p-1}, the same difference of the same two values.
  float* knot = knots;
  for (int32_t p = 1; p < n; ++p) {
    knot += 2 * L;
    source.seek(p);
    const V f = P::set1(table[p - 1].lane[0]);
    #pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      const V next = source.get(v);
      const V dn = P::sub(next, cur[v]);
      const V r = P::mul(P::sub(dn, d[v]), six);  // exact for int16 samples
      c[v] = P::mul(P::sub(r, c[v]), f);
      if (StoreValues) P::store(knot + v * W, cur[v]);
      P::store(knot + L + v * W, c[v]);
      d[v] = dn;
      cur[v] = next;
    }
  }
  knot += 2 * L;  // knot n, whose right neighbour V_{n+1} repeats s_{n-1}
  const V f = P::set1(table[n - 1].lane[0]);
  #pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    const V dn = P::sub(cur[v], cur[v]);
    const V r = P::mul(P::sub(dn, d[v]), six);
    c[v] = P::mul(P::sub(r, c[v]), f);
    if (StoreValues) P::store(knot + v * W, cur[v]);
    P::store(knot + 2 * L + v * W, cur[v]);
  }
}

// Back substitution from M_n = c_n down, each M_p = c_p - F[p - 1] * M_{p+1},
// and the evaluation of every output between knots p and p + 1 as soon as
// M_p is known, from output m - 1 down to 0. The sink takes output i:
// seek(i), then put(v, r) for each vector.
template <class P, int NV, class Sink>
inline void back_substitute_and_resample(const float* knots, const FACTOR_TABLE* table, int32_t n,
                                         const POSITION* positions, int32_t m, const typename P::V (&cn)[NV],
                                         Sink& sink) {
  using V = typename P::V;
  constexpr int W = P::W;
  constexpr int L = NV * W;
  const V sixth = P::set1(1.0f / 6.0f);
  V mk[NV], mk1[NV];  // M_p and M_{p+1}
  #pragma GCC unroll 16
  for (int v = 0; v < NV; ++v) {
    mk[v] = cn[v];
    mk1[v] = P::zero();
  }
  int32_t i = m - 1;
  auto resample_at = [&](int32_t p) {
    const float* k0 = knots + static_cast<intptr_t>(p) * 2 * L;
    const float* k1 = k0 + 2 * L;
    for (; i >= 0 && positions[i].k == p; --i) {
      const POSITION& e = positions[i];
      const V wa = P::set1(e.wa);
      const V wt = P::set1(e.wt);
      const V t = P::set1(e.t);
      const V a = P::set1(e.a);
      sink.seek(i);
      #pragma GCC unroll 16
      for (int v = 0; v < NV; ++v) {
        const V curv = P::mul(P::add(P::mul(wa, mk[v]), P::mul(wt, mk1[v])), sixth);
        const V lin = P::add(P::mul(P::load(k1 + v * W), t), P::mul(P::load(k0 + v * W), a));
        sink.put(v, P::add(curv, lin));
      }
    }
  };
  resample_at(n);
  for (int32_t p = n - 1; p >= 1 && i >= 0; --p) {
    const float* c = knots + static_cast<intptr_t>(p) * 2 * L + L;
    const V f = P::set1(table[p - 1].lane[0]);
    #pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      mk1[v] = mk[v];
      mk[v] = P::sub(P::load(c + v * W), P::mul(f, mk[v]));
    }
    resample_at(p);
  }
  if (i >= 0) {
    #pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) {
      mk1[v] = mk[v];
      mk[v] = P::zero();  // M_0
    }
    resample_at(0);
  }
}

// Column groups: `lanes` int16 (more than (NV - 1) * W, at most NV * W, the
// last vector partial unless Full) from `base` down the rows.
template <class P, int NV, bool Full>
struct COLUMN_SOURCE {
  const uint8_t* base;
  intptr_t pitch;
  int last;  // int16 in the last vector
  const uint8_t* row = nullptr;

  void seek(int32_t j) {
    row = base + j * pitch;
    const uint8_t* ahead = row + P::PREFETCH_ROWS * pitch;
    for (int b = 0; b < NV * P::W * 2; b += 64) P::prefetch(ahead + b);
    P::prefetch(ahead + NV * P::W * 2 - 1);
  }
  typename P::V get(int v) const {
    if (Full || v < NV - 1) return P::widen(row + 2 * P::W * v);
    return P::widen_part(row + 2 * P::W * v, last);
  }
};

template <class P, int NV, bool Full>
struct COLUMN_SINK {
  uint8_t* base;
  intptr_t pitch;
  int last;
  uint8_t* row = nullptr;

  void seek(int32_t i) { row = base + i * pitch; }
  void put(int v, typename P::V r) const {
    if (Full || v < NV - 1) {
      P::narrow(row + 2 * P::W * v, r);
    } else {
      P::narrow_part(row + 2 * P::W * v, r, last);
    }
  }
};

template <class P, int NV, bool Full>
void column_walk(const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions, uint8_t* base,
                 int32_t lanes) {
  using V = typename P::V;
  const int last = lanes - (NV - 1) * P::W;
  const intptr_t pitch = job.pitch;
  float* knots = walk_knots<P>(slot, job);
  for (int32_t r = 0; r < P::PREFETCH_ROWS && r < job.n; ++r) {
    for (int b = 0; b < 2 * lanes; b += 64) P::prefetch(base + r * pitch + b);
  }
  COLUMN_SOURCE<P, NV, Full> source{base, pitch, last};
  V c[NV];
  forward_sweep<P, NV, true>(knots, job.table, job.n, source, c);
  COLUMN_SINK<P, NV, Full> sink{base, pitch, last};
  back_substitute_and_resample<P, NV>(knots, job.table, job.n, positions, job.m, c, sink);
}

// Outputs narrowed into a staging area, output i at stage + i * L int16.
template <class P, int NV>
struct LANE_STAGE_SINK {
  int16_t* stage;
  int16_t* at = nullptr;
  void seek(int32_t i) { at = stage + static_cast<intptr_t>(i) * NV * P::W; }
  void put(int v, typename P::V r) const { P::narrow(at + v * P::W, r); }
};

// Rows whose values are placed in the knot buffer before the sweep, and whose
// outputs go through a small staging array.
template <class P, int NV>
struct KNOT_SOURCE {
  const float* knots;
  const float* value = nullptr;
  void seek(int32_t j) { value = knots + static_cast<intptr_t>(j + 1) * 2 * NV * P::W; }
  typename P::V get(int v) const { return P::load(value + v * P::W); }
};

template <class P, int NV>
struct STAGED_SINK {
  static constexpr int per_vector = (P::W - 1) / 3;
  static constexpr int R = NV * per_vector;
  uint8_t* const* rows;
  alignas(64) int16_t stage[NV * P::W] = {};
  intptr_t at = 0;
  void seek(int32_t i) { at = 6 * static_cast<intptr_t>(i); }
  void put(int v, typename P::V r) {
    P::narrow(stage + v * P::W, r);
    if (v < NV - 1) return;
    for (int k = 0; k < R; ++k)
      __builtin_memcpy(rows[k] + at, stage + P::W * (k / per_vector) + 3 * (k % per_vector), 6);
  }
};

// One horizontal walk over `count` rows from `first` (0 < count <= NV * W / 3
// rows); missing rows repeat the last one, which then is written twice with
// the same bytes.
template <class P, int NV>
void row_walk(const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions, int32_t first,
              int32_t count) {
  using V = typename P::V;
  constexpr int W = P::W;
  constexpr int L = NV * W;
  constexpr int per_vector = (W - 1) / 3;
  constexpr int R = NV * per_vector;
  const int32_t n = job.n;
  uint8_t* rows[R];
  for (int r = 0; r < R; ++r)
    rows[r] = job.frame + static_cast<intptr_t>(first + (r < count ? r : count - 1)) * job.pitch;
  float* knots = walk_knots<P>(slot, job);
  V c[NV];
  if constexpr (P::PIXEL_LANES) {
    #pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) P::place_pixels(knots + 2 * L + v * W, 2 * L, rows + per_vector * v, n);
    KNOT_SOURCE<P, NV> source{knots};
    forward_sweep<P, NV, false>(knots, job.table, n, source, c);
    int16_t* stage = reinterpret_cast<int16_t*>(knots + (static_cast<intptr_t>(n) + 2) * 2 * L);
    LANE_STAGE_SINK<P, NV> sink{stage};
    back_substitute_and_resample<P, NV>(knots, job.table, n, positions, job.m, c, sink);
    #pragma GCC unroll 16
    for (int v = 0; v < NV; ++v) P::spread_pixels(rows + per_vector * v, stage + v * W, L, job.m);
  } else {
    // Values of knots 1 .. n. A pixel brings four lanes; the next row of the
    // vector overwrites the fourth. Lanes that no row reaches are cleared.
    for (int32_t p = 0; p < n; ++p) {
      float* value = knots + static_cast<intptr_t>(p + 1) * 2 * L;
      const int bytes = p + 1 < n ? 8 : 6;  // nothing past the row's last pixel
      if (3 * per_vector + 1 < W) {
        #pragma GCC unroll 16
        for (int v = 0; v < NV; ++v) P::store(value + v * W, P::zero());
      }
      for (int r = 0; r < R; ++r)
        P::widen_pixel(value + W * (r / per_vector) + 3 * (r % per_vector), rows[r] + 6 * static_cast<intptr_t>(p),
                       bytes);
    }
    KNOT_SOURCE<P, NV> source{knots};
    forward_sweep<P, NV, false>(knots, job.table, n, source, c);
    STAGED_SINK<P, NV> sink{rows};
    back_substitute_and_resample<P, NV>(knots, job.table, n, positions, job.m, c, sink);
  }
}

// The widest walk instantiation not above `nv` (1 .. NV).
template <class P, int NV>
void column_walk_of(int nv, bool full, const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions,
                    uint8_t* base, int32_t lanes) {
  if constexpr (NV > 1) {
    if (nv < NV) return column_walk_of<P, NV - 1>(nv, full, job, slot, positions, base, lanes);
  }
  if (full) {
    column_walk<P, NV, true>(job, slot, positions, base, lanes);
  } else {
    column_walk<P, NV, false>(job, slot, positions, base, lanes);
  }
}

template <class P, int NV>
void row_walk_of(int nv, const PASS_JOB& job, SPLINE_LINE* slot, const POSITION* positions, int32_t first,
                 int32_t count) {
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
  const int32_t walk_groups = walk_vectors<P>(job, job.n, 0, P::COLUMN_WALK_BYTES, 1) * groups_per_vector;
  for (int32_t g = first; g < end;) {
    const int32_t groups = end - g < walk_groups ? end - g : walk_groups;
    int32_t lanes = 4 * groups;
    if (g + groups == job.groups) lanes -= 4 - job.tail_lanes;
    const int nv = (lanes + P::W - 1) / P::W;
    column_walk_of<P, P::MAX_VECTORS>(nv, lanes == nv * P::W, job, slot, positions,
                                      job.frame + 8 * static_cast<intptr_t>(g), lanes);
    g += groups;
  }
}

// KERNEL_VARIANT::pixel_rows.
template <class P>
void wide_pixel_rows(const PASS_JOB& job, SPLINE_LINE* slot, int32_t first, int32_t end) {
  if (job.m <= 0 || first >= end) return;
  const POSITION* positions = position_table<P>(slot, job.n, job.m);
  constexpr int32_t per_vector = (P::W - 1) / 3;
  const int32_t walk_rows = walk_vectors<P>(job, job.n, P::PIXEL_LANES ? job.m + 3 : 0, P::ROW_WALK_BYTES, 2) * per_vector;
  for (int32_t r = first; r < end;) {
    const int32_t count = end - r < walk_rows ? end - r : walk_rows;
    const int nv = (count + per_vector - 1) / per_vector;
    row_walk_of<P, P::MAX_VECTORS>(nv, job, slot, positions, r, count);
    r += count;
  }
}

}  // namespace
