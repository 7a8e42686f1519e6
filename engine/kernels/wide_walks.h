#pragma once
// The walks of the wide kernel variants: a walk takes a run of column groups
// or rows, stages their samples for the lanes of wide_lanes.h and writes the
// outputs back, and wide_variant() makes a KERNEL_VARIANT of a policy. Like
// the lanes, everything here is a template of the policy P or sits in an
// unnamed namespace.
//
// A walk carries NV vectors of W lanes (L = NV * W): in the vertical pass
// L / 4 neighbouring column groups, lanes in memory order; in the horizontal
// pass rows_per_vector rows per vector, row j's y, cb, cr in lanes
// 3j .. 3j + 2 (PIXEL_LANES) or else 4j + 1 .. 4j + 3; or, with DENSE_ROWS,
// NV * W / 3 rows, row j in lanes 3j .. 3j + 2 of the walk's L. Its knots
// fill the worker's slot (FLOAT_KNOTS, ROW_KNOTS, WORD_KNOTS); the pass's
// positions come with the job. Why it is laid out so: docs/design.md,
// "Kernel variants".
//
// Beside the operations of wide_lanes.h a policy P provides:
//   MAX_VECTORS           vectors one walk may keep in flight
//   widen(p)              W int16 -> floats, exactly
//   widen_part(p, count)  the first count (< W) int16, other lanes 0
//   narrow(p, v)          round to nearest even (MXCSR), saturate, W int16
//   narrow_part(p, v, count)
//   narrow2(p, a, b)      narrow(p, a) and narrow(p + 2 * W bytes, b) at once
//   stream2(p, a, b)      narrow2 with non-temporal stores, p aligned to 4 * W
//                         bytes; needed only where 64 bytes are at most 16 lanes
//   prefetch(p)           into the first-level cache
//   prefetch_l2(p)        into the second-level cache
//   narrower              the variant that takes a pass whose lines are too
//                         long for one vector's walk in the worker's slot
//   PIXEL_LANES           true: the policy moves blocks of pixels between the
//                         (W - 1) / 3 rows of a vector and its lanes itself, with
//     place_pixels<NV>(dst, stride, rows, n)   pixel p of rows[j] into int16
//                         lanes 3j .. 3j + 2 of the L int16 at dst + p * stride
//     spread_pixels<NV>(rows, stage, stride, m)   int16 lanes 3j .. 3j + 2 of
//                         output i (at stage + i * stride) to pixel i of rows[j]
//                         false: pixel by pixel, 8 bytes at a time
//   DENSE_ROWS            optional, true: rows three lanes apart across the
//                         walk's vectors (dense_rows), pixel by pixel
//   MAX_ROW_VECTORS       optional: vectors a row walk may keep in flight, where
//                         fewer than MAX_VECTORS (row_walk_vectors)
#include <cstdint>

#include "kernels.h"
#include "wide_lanes.h"

namespace {

// Knot memory a vertical walk may use: all the slot holds, since wide walks
// share the page walks of their rows.
constexpr int64_t column_walk_bytes = int64_t{1} << 40;
// Knot and staging memory a horizontal walk may use: near the L2 cache size.
constexpr int64_t row_walk_bytes_limit = 512 * 1024;
// Vertical walks hint rows this far ahead of the fetch and of the stores.
constexpr int prefetch_rows = 32;

// Hints every cache line of `bytes` bytes from p, which need not start a line.
template <void (*Hint)(const void*)>
inline void prefetch_span(const uint8_t* p, int bytes) {
  for (int b = 0; b < bytes; b += 64) Hint(p + b);
  Hint(p + bytes - 1);
}

// Vectors of lines in a row step, and in a column walk over the longest lines
// the slot holds: four, or the policy's most where that is fewer.
template <class P>
constexpr int step_vectors() {
  return P::MAX_VECTORS < 4 ? P::MAX_VECTORS : 4;
}

// Knot buffers of K knots (32 bytes a knot) per slot with 16 workers, the
// block's tables included: nearly 64 bytes a knot, enough for a one-vector
// walk of the 8-lane policies over all lines but columns within 4% of K.
// Fewer workers share the same block in larger slots, and walks widen with
// them; where one vector does not fit (16 lanes over long lines, 8 over such
// columns, with many workers), the policy's narrower variant takes the lines.
constexpr int32_t wide_line_buffers = 2;

// Vectors a walk carries when it needs `per_lane` bytes for each of its
// lanes: as many as stay within the slot and `limit` bytes, but `at_least`
// when the slot holds them; between 1 and MAX_VECTORS. The caller has made
// sure that one vector fits. Vertical walks gain from width beyond the L2
// cache (a walk touches one page per row, and wide walks share the page
// walks); horizontal ones only need two vectors to hide the latency of their
// chains.
template <class P>
int walk_vectors(const PASS_JOB& job, int64_t per_lane, int64_t limit, int at_least) {
  const int64_t capacity = job.slot_bytes;
  const int64_t per_vector = per_lane * P::W;
  const int64_t wanted = limit > at_least * per_vector ? limit : at_least * per_vector;
  const int64_t nv = (capacity < wanted ? capacity : wanted) / per_vector;
  return nv < 1 ? 1 : nv > P::MAX_VECTORS ? P::MAX_VECTORS : static_cast<int>(nv);
}

// Where a walk keeps its knots. Vertical walks: knot p is L float values
// then L forward-sweep values c_p. Horizontal walks: the c_p of all knots as
// floats, then the values of all knots as int16 (they are int16 samples, so
// nothing is lost), which the row walk places before the sweep; the smaller
// knots keep long rows inside the L2 cache.
template <class P, int NV>
struct FLOAT_KNOTS {
  static constexpr int L = NV * P::W;
  static constexpr bool hoist_values = false;  // read by the evaluation as memory operands
  float* base;
  float* c(int32_t p) const { return base + static_cast<intptr_t>(p) * 2 * L + L; }
  typename P::V value(int32_t p, int v) const {
    return P::load(base + static_cast<intptr_t>(p) * 2 * L + v * P::W);
  }
  void store_value(int32_t p, int v, typename P::V x) const {
    P::store(base + static_cast<intptr_t>(p) * 2 * L + v * P::W, x);
  }
};

// Whether the column walks of P read their knots' samples again from the
// rows where they can: for 16-lane vectors, whose walks cover 128 bytes of a
// row. The avx2 walks, 64 bytes of a row and so twice the row pages per
// byte, were 5 to 18% slower so on an AMD EPYC (avx512: 0 to 12% faster).
// Not with eight vector registers, where the samples, widened once per knot
// for its outputs, go to the stack and back: float knots, read by the
// evaluation as they are, were 7 to 16% faster there (on four of five
// vertical passes; 3% slower on 3840x2160->3840x1080).
template <class P>
constexpr bool rows_hold_knot_values() {
  return P::W >= 16 && !eight_vector_registers;
}

// Vertical walks of an enlarging pass whose outputs never overwrite a row
// before the evaluation has read it (PASS_JOB::samples_stay_in_rows): knot p
// is its L forward-sweep values c_p alone, and its values are read again from
// source row p - 1 (knot 0 from row 0, knot n + 1 from row n - 1), once per
// knot with outputs. Half the knot bytes of FLOAT_KNOTS.
template <class P, int NV, bool Full>
struct ROW_KNOTS {
  static constexpr int L = NV * P::W;
  static constexpr bool hoist_values = true;
  float* cs;
  const uint8_t* base;
  intptr_t pitch;
  int32_t n;
  int last;  // int16 in the last vector
  float* c(int32_t p) const { return cs + static_cast<intptr_t>(p) * L; }
  typename P::V value(int32_t p, int v) const {
    const int32_t row = p < 1 ? 0 : p > n ? n - 1 : p - 1;
    const uint8_t* at = base + row * pitch + 2 * P::W * v;
    if (Full || v < NV - 1) return P::widen(at);
    return P::widen_part(at, last);
  }
};

template <class P, int NV>
struct WORD_KNOTS {
  static constexpr int L = NV * P::W;
  static constexpr bool hoist_values = true;  // widened once per knot with outputs
  float* cs;
  int16_t* values;
  float* c(int32_t p) const { return cs + static_cast<intptr_t>(p) * L; }
  typename P::V value(int32_t p, int v) const {
    return P::widen(values + static_cast<intptr_t>(p) * L + v * P::W);
  }
  static int64_t bytes_per_lane(int32_t n) {
    return (static_cast<int64_t>(n) + 2) * (sizeof(float) + sizeof(int16_t));
  }
  // V_0 = V_1 and V_{n+1} = V_n, once knots 1 .. n hold their values.
  void repeat_end_values(int32_t n) const {
    __builtin_memcpy(values, values + L, sizeof(int16_t) * L);
    __builtin_memcpy(values + static_cast<intptr_t>(n + 1) * L,
                     values + static_cast<intptr_t>(n) * L, sizeof(int16_t) * L);
  }
};

// Whether the column walks of P that keep their knots' samples (shrinking,
// and enlarging where the rows do not hold them) keep them as the int16
// they are (WORD_KNOTS, 6 bytes a lane and knot) rather than as floats
// (FLOAT_KNOTS, 8): fewer knot bytes against a widening per knot read. On
// an AMD EPYC the 16-lane walks were 6 to 20% faster so on one thread; the
// avx2 walks no faster shrinking and 6 to 9% slower enlarging. With eight
// vector registers the 16-lane walks keep floats too, as above.
template <class P>
constexpr bool column_knots_in_words() {
  return P::W >= 16 && !eight_vector_registers;
}

// Column groups: `lanes` int16 (more than (NV - 1) * W, at most NV * W, the
// last vector partial unless Full) from `base` down the rows. With Keep,
// the int16 of row j are copied as they are read to kept + (j + 1) * L, the
// values of knot j + 1 in WORD_KNOTS (in a partial last vector the lanes
// past the row's end keep what they held; their outputs are never stored).
template <class P, int NV, bool Full, bool Keep = false>
struct COLUMN_SOURCE {
  static constexpr int L = NV * P::W;
  const uint8_t* base;
  intptr_t pitch;
  int last;  // int16 in the last vector
  int16_t* kept = nullptr;
  const uint8_t* row = nullptr;
  int16_t* keep = nullptr;

  void seek(int32_t j) {
    row = base + j * pitch;
    if constexpr (Keep) keep = kept + static_cast<intptr_t>(j + 1) * L;
    prefetch_span<P::prefetch>(row + prefetch_rows * pitch, NV * P::W * 2);
  }
  typename P::V get(int v) const {
    const uint8_t* at = row + 2 * P::W * v;
    const bool whole = Full || v < NV - 1;
    if constexpr (Keep) __builtin_memcpy(keep + P::W * v, at, whole ? 2 * P::W : 2 * last);
    return whole ? P::widen(at) : P::widen_part(at, last);
  }
};

// Vectors From .. To - 1 of r as int16 at their places from p on, two at a
// time: one pack of a pair takes fewer shuffles than two narrowings. Stream:
// with non-temporal stores, for an even count from an aligned place.
template <class P, int From, int To, bool Stream = false, int NV>
inline void narrow_vectors(void* p, const typename P::V (&r)[NV]) {
  static_assert(!Stream || (To - From) % 2 == 0);
  auto* at = static_cast<uint8_t*>(p);
#pragma GCC unroll 16
  for (int v = From; v + 1 < To; v += 2) {
    if constexpr (Stream) {
      P::stream2(at + 2 * P::W * v, r[v], r[v + 1]);
    } else {
      P::narrow2(at + 2 * P::W * v, r[v], r[v + 1]);
    }
  }
  if constexpr ((To - From) % 2 == 1) P::narrow(at + 2 * P::W * (To - 1), r[To - 1]);
}

// The outputs of a column walk, going up the rows. Rows from `unread` on
// (past the source's rows when enlarging, where the job streams them; else
// none) were not read by the sweep and are never read again: where such a
// row starts a 64-byte line, the whole lines of its full vectors go past the
// caches, without reads for ownership; the rest is fetched for writing
// ahead of the stores. Going up, the sink also hints the next walk's bytes
// of each source row into the second-level cache (passing(p) at knot p), so
// that the next sweep reads from there.
template <class P, int NV, bool Full>
struct COLUMN_SINK {
  static constexpr int full_vectors = Full ? NV : NV - 1;
  // Vectors of whole 64-byte lines from the start of a line.
  static constexpr int streamed = full_vectors / (32 / P::W) * (32 / P::W);
  uint8_t* base;
  intptr_t pitch;
  int last;
  int32_t unread;
  const uint8_t* next;  // the next walk's first row, or null
  int next_bytes;
  uint8_t* row = nullptr;
  bool stream = false;

  bool streams(int32_t i, const uint8_t* at) const {
    return streamed > 0 && i >= unread && (reinterpret_cast<uintptr_t>(at) & 63) == 0;
  }
  void seek(int32_t i) {
    row = base + i * pitch;
    stream = streams(i, row);
    if (i >= prefetch_rows) {
      const uint8_t* ahead = row - prefetch_rows * pitch;
      const int from = streams(i - prefetch_rows, ahead) ? streamed * P::W * 2 : 0;
      for (int b = from; b < NV * P::W * 2; b += 64) __builtin_prefetch(ahead + b, 1, 3);
    }
  }
  void passing(int32_t p) const {
    if (next) prefetch_span<P::prefetch_l2>(next + p * pitch, next_bytes);
  }
  void put(const typename P::V (&r)[NV]) const {
    if constexpr (streamed > 0) {
      if (stream) {
        narrow_vectors<P, 0, streamed, true>(row, r);
        narrow_vectors<P, streamed, full_vectors>(row, r);
      } else {
        narrow_vectors<P, 0, full_vectors>(row, r);
      }
    } else {
      narrow_vectors<P, 0, full_vectors>(row, r);
    }
    if constexpr (!Full) P::narrow_part(row + 2 * P::W * (NV - 1), r[NV - 1], last);
  }
};

// Where a column walk goes: `lanes` int16 of every row from `base` on; and the
// bytes of the walk after it, which its way back up hints (none: null).
struct COLUMN_SPAN {
  uint8_t* base;
  int32_t lanes;
  const uint8_t* next;
  int32_t next_lanes;
};

template <class P, int NV, bool Full>
void column_walk(const PASS_JOB& job, KNOT* slot, const POSITION* positions,
                 const COLUMN_SPAN& span) {
  using V = typename P::V;
  uint8_t* const base = span.base;
  const int last = span.lanes - (NV - 1) * P::W;
  const intptr_t pitch = job.pitch;
  float* knots = reinterpret_cast<float*>(slot);
  for (int32_t r = 0; r < prefetch_rows && r < job.n; ++r)
    prefetch_span<P::prefetch>(base + r * pitch, 2 * span.lanes);
  COLUMN_SOURCE<P, NV, Full> source{base, pitch, last};
  const int32_t unread = job.stream_new_rows ? job.n : INT32_MAX;
  COLUMN_SINK<P, NV, Full> sink{base, pitch, last, unread, span.next, 2 * span.next_lanes};
  V c[NV];
  if constexpr (rows_hold_knot_values<P>()) {
    if (job.samples_stay_in_rows) {
      const ROW_KNOTS<P, NV, Full> layout{knots, base, pitch, job.n, last};
      forward_sweep<P, NV, false>(layout, job.table, job.n, source, c);
      back_substitute_and_resample<P, NV>(layout, job.table, job.n, positions, job.m, c, sink);
      return;
    }
  }
  if constexpr (column_knots_in_words<P>()) {
    const WORD_KNOTS<P, NV> layout{
        knots, reinterpret_cast<int16_t*>(knots + (static_cast<intptr_t>(job.n) + 2) * NV * P::W)};
    COLUMN_SOURCE<P, NV, Full, true> keeping{base, pitch, last, layout.values};
    forward_sweep<P, NV, false>(layout, job.table, job.n, keeping, c);
    layout.repeat_end_values(job.n);
    back_substitute_and_resample<P, NV>(layout, job.table, job.n, positions, job.m, c, sink);
    return;
  }
  const FLOAT_KNOTS<P, NV> layout{knots};
  forward_sweep<P, NV, true>(layout, job.table, job.n, source, c);
  back_substitute_and_resample<P, NV>(layout, job.table, job.n, positions, job.m, c, sink);
}

// Outputs narrowed into a staging area, output i at stage + i * L int16.
template <class P, int NV>
struct LANE_STAGE_SINK {
  int16_t* stage;
  int16_t* at = nullptr;
  void seek(int32_t i) { at = stage + static_cast<intptr_t>(i) * NV * P::W; }
  void put(const typename P::V (&r)[NV]) const { narrow_vectors<P, 0, NV>(at, r); }
};

// Samples of a row walk, placed in the knots before the sweep.
template <class P, class Knots>
struct PLACED_SOURCE {
  const Knots& knots;
  int32_t j = 0;
  void seek(int32_t sample) { j = sample + 1; }
  typename P::V get(int v) const { return knots.value(j, v); }
};

// Rows of a vector: five of three lanes in 16 where the policy moves pixels
// by permutes, otherwise one per four lanes.
template <class P>
constexpr int rows_per_vector() {
  return P::PIXEL_LANES ? (P::W - 1) / 3 : P::W / 4;
}

// Whether the row walks of P pack their rows three lanes apart across all
// their vectors (P::DENSE_ROWS): row j's y, cb, cr in lanes 3j .. 3j + 2 of
// the walk's L, so that a walk of NV vectors takes NV * W / 3 rows, and
// pixel by pixel with 8-byte copies. On an AMD EPYC the avx2 and sse2 walks
// were faster so on every job (docs/design.md, "Kernel variants").
template <class P>
constexpr bool dense_rows() {
  if constexpr (requires { P::DENSE_ROWS; }) {
    return P::DENSE_ROWS;
  } else {
    return false;
  }
}
// Vectors a row walk of P may keep in flight: P::MAX_ROW_VECTORS where the
// policy says, else MAX_VECTORS.
template <class P>
constexpr int row_walk_vectors() {
  if constexpr (requires { P::MAX_ROW_VECTORS; }) {
    return P::MAX_ROW_VECTORS < P::MAX_VECTORS ? P::MAX_ROW_VECTORS : P::MAX_VECTORS;
  } else {
    return P::MAX_VECTORS;
  }
}
// Vectors of a whole dense walk: three carry 8 rows of 8 lanes, 4 of 4, no
// lane idle.
constexpr int dense_vectors = 3;

// Rows a walk of nv vectors takes.
template <class P>
constexpr int walk_rows(int nv) {
  return dense_rows<P>() ? nv * P::W / 3 : nv * rows_per_vector<P>();
}

// Outputs of a walk of rows, each pixel as the 8 bytes that end with it: the
// 2 bytes before it belong to the pixel before, which is written later since
// the outputs go from the last to the first. Output 0 is its 6 bytes alone.
template <class P, int NV>
struct PIXEL_SINK {
  static constexpr int R = NV * P::W / 4;
  uint8_t* const* rows;
  alignas(64) int16_t stage[NV * P::W] = {};
  intptr_t at = 0;
  void seek(int32_t i) { at = 6 * static_cast<intptr_t>(i); }
  void put(const typename P::V (&r)[NV]) {
    narrow_vectors<P, 0, NV>(stage, r);
    if (at > 0) {
      for (int k = 0; k < R; ++k) __builtin_memcpy(rows[k] + at - 2, stage + 4 * k, 8);
    } else {
      for (int k = 0; k < R; ++k) __builtin_memcpy(rows[k], stage + 4 * k + 1, 6);
    }
  }
};

// Bytes per lane of a row walk over n samples to m outputs: int16 values and
// float c_p per knot, and where the policy moves pixels itself int16 staging
// per output (the last block of four read whole).
template <class P>
int64_t row_walk_bytes(int32_t n, int32_t m) {
  const int64_t staging =
      P::PIXEL_LANES || dense_rows<P>() ? (static_cast<int64_t>(m) + 3) * sizeof(int16_t) : 0;
  return WORD_KNOTS<P, 1>::bytes_per_lane(n) + staging;
}

// One horizontal walk over `count` rows from `first` (0 < count <= NV *
// rows_per_vector rows); missing rows repeat the last one, which then is
// written twice with the same bytes.
template <class P, int NV>
void row_walk(const PASS_JOB& job, KNOT* slot, const POSITION* positions, int32_t first,
              int32_t count) {
  using V = typename P::V;
  constexpr int L = NV * P::W;
  constexpr int R = walk_rows<P>(NV);
  const int32_t n = job.n;
  uint8_t* rows[R];
  for (int r = 0; r < R; ++r)
    rows[r] = job.frame + static_cast<intptr_t>(first + (r < count ? r : count - 1)) * job.pitch;
  float* memory = reinterpret_cast<float*>(slot);
  const WORD_KNOTS<P, NV> knots{
      memory, reinterpret_cast<int16_t*>(memory + (static_cast<intptr_t>(n) + 2) * L)};
  // Values of knots 1 .. n, then V_0 = s_0 and V_{n+1} = s_{n-1}.
  if constexpr (P::PIXEL_LANES) {
    P::template place_pixels<NV>(knots.values + L, L, rows, n);
  } else if constexpr (dense_rows<P>()) {
    // Pixel p of row r as the 8 bytes that begin with it, rows and knots in
    // order: the 2 bytes past it land on the next row's lane (or the next
    // knot's first), which is written after. The last pixel, 6 bytes alone.
    int16_t* value = knots.values + L;
    for (int32_t p = 0; p + 1 < n; ++p, value += L) {
      for (int r = 0; r < R; ++r)
        __builtin_memcpy(value + 3 * r, rows[r] + 6 * static_cast<intptr_t>(p), 8);
    }
    for (int r = 0; r < R; ++r)
      __builtin_memcpy(value + 3 * r, rows[r] + 6 * static_cast<intptr_t>(n - 1), 6);
  } else {
    int16_t* value = knots.values + L;
    for (int r = 0; r < R; ++r) {
      value[4 * r] = 0;
      __builtin_memcpy(value + 4 * r + 1, rows[r], 6);
    }
    for (int32_t p = 1; p < n; ++p) {
      value += L;
      for (int r = 0; r < R; ++r)
        __builtin_memcpy(value + 4 * r, rows[r] + 6 * static_cast<intptr_t>(p) - 2, 8);
    }
  }
  knots.repeat_end_values(n);
  PLACED_SOURCE<P, WORD_KNOTS<P, NV>> source{knots};
  V c[NV];
  forward_sweep<P, NV, false>(knots, job.table, n, source, c);
  if constexpr (P::PIXEL_LANES) {
    int16_t* stage = knots.values + (static_cast<intptr_t>(n) + 2) * L;
    LANE_STAGE_SINK<P, NV> sink{stage};
    back_substitute_and_resample<P, NV>(knots, job.table, n, positions, job.m, c, sink);
    P::template spread_pixels<NV>(rows, stage, L, job.m);
  } else if constexpr (dense_rows<P>()) {
    // Staged whole first, then each pixel as the 8 bytes that end with it,
    // from the last: the 2 bytes before it are written again by the pixel
    // before. (Taken straight from the narrowed vectors, 8-byte reads that
    // straddle two stores stall; staged, the avx2 walks were 1.0 to 1.3
    // times slower enlarging.)
    int16_t* stage = knots.values + (static_cast<intptr_t>(n) + 2) * L;
    LANE_STAGE_SINK<P, NV> sink{stage};
    back_substitute_and_resample<P, NV>(knots, job.table, n, positions, job.m, c, sink);
    for (int32_t i = job.m - 1; i >= 1; --i) {
      const int16_t* o = stage + static_cast<intptr_t>(i) * L;
      for (int r = 0; r < R; ++r)
        __builtin_memcpy(rows[r] + 6 * static_cast<intptr_t>(i) - 2, o + 3 * r - 1, 8);
    }
    for (int r = 0; r < R; ++r) __builtin_memcpy(rows[r], stage + 3 * r, 6);
  } else {
    PIXEL_SINK<P, NV> sink{rows};
    back_substitute_and_resample<P, NV>(knots, job.table, n, positions, job.m, c, sink);
  }
}

// The widest walk instantiation not above `nv` (1 .. NV).
template <class P, int NV>
void column_walk_of(int nv, bool full, const PASS_JOB& job, KNOT* slot, const POSITION* positions,
                    const COLUMN_SPAN& span) {
  if constexpr (NV > 1) {
    if (nv < NV) return column_walk_of<P, NV - 1>(nv, full, job, slot, positions, span);
  }
  if (full) {
    column_walk<P, NV, true>(job, slot, positions, span);
  } else {
    column_walk<P, NV, false>(job, slot, positions, span);
  }
}

template <class P, int NV>
void row_walk_of(int nv, const PASS_JOB& job, KNOT* slot, const POSITION* positions, int32_t first,
                 int32_t count) {
  if constexpr (NV > 1) {
    if (nv < NV) return row_walk_of<P, NV - 1>(nv, job, slot, positions, first, count);
  }
  row_walk<P, NV>(job, slot, positions, first, count);
}

// Lines of the next walk when `left` lines remain and a walk takes at most
// `most` (a multiple of `unit`, the lines of one vector): the remaining lines
// are shared evenly among as few walks as can take them, in whole vectors, so
// that no walk is left with a single vector whose chains stall.
inline int32_t next_walk(int32_t left, int32_t most, int32_t unit) {
  const int32_t walks = (left + most - 1) / most;
  const int32_t even = ((left + walks - 1) / walks + unit - 1) / unit * unit;
  return even < left ? even : left;
}

// KERNEL_VARIANT::column_groups: walks as wide as the slot allows.
template <class P>
void wide_column_groups(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end) {
  if (job.m <= 0 || first >= end) return;
  const int64_t per_lane = (static_cast<int64_t>(job.n) + 2) * 2 * sizeof(float);
  if (per_lane * P::W > job.slot_bytes) return P::narrower->column_groups(job, slot, first, end);
  constexpr int32_t groups_per_vector = P::W / 4;
  const int32_t most = walk_vectors<P>(job, per_lane, column_walk_bytes, 1) * groups_per_vector;
  // Int16 of the walk over `groups` groups from g.
  const auto lanes_of = [&](int32_t g, int32_t groups) {
    return 4 * groups - (g + groups == job.groups ? 4 - job.tail_lanes : 0);
  };
  int32_t groups = next_walk(end - first, most, groups_per_vector);
  for (int32_t g = first; g < end;) {
    const int32_t after = g + groups;
    const int32_t next_groups = after < end ? next_walk(end - after, most, groups_per_vector) : 0;
    const COLUMN_SPAN span{job.frame + 8 * static_cast<intptr_t>(g), lanes_of(g, groups),
                           next_groups > 0 ? job.frame + 8 * static_cast<intptr_t>(after) : nullptr,
                           next_groups > 0 ? lanes_of(after, next_groups) : 0};
    const int nv = (span.lanes + P::W - 1) / P::W;
    column_walk_of<P, P::MAX_VECTORS>(nv, span.lanes == nv * P::W, job, slot, job.positions, span);
    g = after;
    groups = next_groups;
  }
}

// KERNEL_VARIANT::pixel_rows.
template <class P>
void wide_pixel_rows(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end) {
  if (job.m <= 0 || first >= end) return;
  const int64_t per_lane = row_walk_bytes<P>(job.n, job.m);
  if (per_lane * P::W > job.slot_bytes) return P::narrower->pixel_rows(job, slot, first, end);
  if constexpr (dense_rows<P>()) {
    // Walks of dense_vectors, or as many as the slot holds; the last one of
    // as few vectors as its rows need.
    const int64_t fit = job.slot_bytes / (per_lane * P::W);
    const int32_t most = walk_rows<P>(fit < dense_vectors ? static_cast<int>(fit) : dense_vectors);
    for (int32_t r = first; r < end;) {
      const int32_t count = end - r < most ? end - r : most;
      const int nv = (3 * count + P::W - 1) / P::W;
      row_walk_of<P, dense_vectors>(nv, job, slot, job.positions, r, count);
      r += count;
    }
    return;
  }
  constexpr int32_t per_vector = rows_per_vector<P>();
  constexpr int most_vectors = row_walk_vectors<P>();
  const int fit = walk_vectors<P>(job, per_lane, row_walk_bytes_limit, 2);
  const int32_t most = (fit < most_vectors ? fit : most_vectors) * per_vector;
  for (int32_t r = first; r < end;) {
    const int32_t count = next_walk(end - r, most, per_vector);
    const int nv = (count + per_vector - 1) / per_vector;
    row_walk_of<P, most_vectors>(nv, job, slot, job.positions, r, count);
    r += count;
  }
}

// The KERNEL_VARIANT of policy P.
template <class P>
constexpr KERNEL_VARIANT wide_variant(const char* name) {
  constexpr int32_t widest_walk_groups = P::MAX_VECTORS * P::W / 4;
  return KERNEL_VARIANT{
      name,
      wide_line_buffers,
      true,
      // A widest column walk per step, but at least the reference's 8 groups (64 bytes a row).
      widest_walk_groups > 8 ? widest_walk_groups : 8,
      P::W / 4,
      // step_vectors of rows: one walk, or two of two for long rows, so threads
      // end together; dense rows: one walk, in steps of one vector's rows.
      dense_rows<P>() ? walk_rows<P>(dense_vectors) : step_vectors<P>() * rows_per_vector<P>(),
      dense_rows<P>() ? walk_rows<P>(1) : rows_per_vector<P>(),
      wide_column_groups<P>,
      wide_pixel_rows<P>,
  };
}

}  // namespace
