#pragma once
// Knot buffer and factor table of the natural cubic spline, and the reference
// (first SSE generation) line kernels that solve and resample one line.
//
// A line of n samples fills knots 0 .. n + 1 of a knot buffer (a KNOT* to
// knot 0). Knot p is 32 bytes: the value vector V_p then the curvature vector
// M_p, four float lanes each. V_0 and V_{n+1} repeat the first and last
// sample; M_0 = M_{n+1} = 0. The factor table is a VEC4* to F[0], each entry
// one factor in all four lanes.
#include <cstdint>

#include "pixel.h"

struct alignas(16) VEC4 {
  float lane[4];
};

struct alignas(32) KNOT {
  VEC4 v;
  VEC4 m;
};
static_assert(sizeof(KNOT) == 32, "a knot is two 16-byte vectors");

// The SSE control register (MXCSR) every line kernel runs under: all
// exceptions masked, round to nearest even, flush-to-zero on, DAZ off. The
// float-to-int16 conversions round by it.
constexpr unsigned pass_mxcsr = 0x9F80;

// Fills F[0] .. F[count - 1]: F[0] = 0.25, F[j] = 1 / (4 - F[j - 1]), each
// operation rounded to single precision. F[0] is always written.
void build_factor_table(VEC4* table, int32_t count);

// Reference kernels. Preconditions (not checked): n >= 1, the line buffer has
// room for n + 2 knots and the table at least n entries, both 16-byte aligned.
// They must run under pass_mxcsr.

// Fits the spline through pixels 0 .. n - 1 of a row (lanes y, cb, cr).
// Reads nothing past pixel n - 1.
void solve_pixel_row(KNOT* line, const VEC4* table, const PIXEL_YC* row, int32_t n);

// Fits the spline through the 8-byte column group at `first`, rows 0 .. n - 1,
// `pitch` bytes apart (even, not necessarily a multiple of 8).
void solve_column_group(KNOT* line, const VEC4* table, const void* first, int32_t n, int32_t pitch);

// Writes m resampled pixels from `destination`. Stores 8 bytes per pixel (the
// fourth lane lands on the next pixel and is overwritten by it) except for the
// last pixel, which is stored as its 6 bytes alone, so nothing past pixel m - 1
// is ever written. m <= 0 writes nothing.
void resample_pixel_row(const KNOT* line, int32_t n, int32_t m, PIXEL_YC* destination);

// Writes m resampled 8-byte column-group samples, row i at destination + i * pitch.
void resample_column_group(const KNOT* line, int32_t n, int32_t m, void* destination,
                           int32_t pitch);

// The same column-group kernels for a group of which only the first `lanes`
// int16 (1 to 3) lie inside the row: only those are read and written.
void solve_partial_group(KNOT* line, const VEC4* table, const void* first, int32_t n, int32_t pitch,
                         int32_t lanes);
void resample_partial_group(const KNOT* line, int32_t n, int32_t m, void* destination,
                            int32_t pitch, int32_t lanes);
