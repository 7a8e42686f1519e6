#pragma once
// Knot buffer and factor table of the natural cubic spline, and the baseline
// (first SSE generation) line kernels that solve and resample one line.
//
// A line of n samples fills knots 0 .. n + 1. Knot p is 32 bytes: the value
// vector V_p then the curvature vector M_p, four float lanes each. V_0 and
// V_{n+1} repeat the first and last sample; M_0 = M_{n+1} = 0.
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

using SPLINE_LINE = KNOT;   // a slot's knot buffer: SPLINE_LINE* points at knot 0
using FACTOR_TABLE = VEC4;  // FACTOR_TABLE* points at F[0]

// Fills F[0] .. F[count - 1]: F[0] = 0.25, F[j] = 1 / (4 - F[j - 1]), each
// operation rounded to single precision. F[0] is always written.
void build_factor_table(FACTOR_TABLE* table, int32_t count);

// Baseline kernels. Preconditions (not checked): n >= 1, the line buffer has
// room for n + 2 knots and the table at least n entries, both 16-byte aligned.
// They must run under the pass worker's MXCSR (round to nearest, FTZ).

// Fits the spline through pixels 0 .. n - 1 of a row (lanes y, cb, cr).
// Reads nothing past pixel n - 1.
void solve_pixel_row(SPLINE_LINE* line, const FACTOR_TABLE* table, const PIXEL_YC* row, int32_t n);

// Fits the spline through the 8-byte column group at `first`, rows 0 .. n - 1,
// `pitch` bytes apart (even, not necessarily a multiple of 8).
void solve_column_group(SPLINE_LINE* line, const FACTOR_TABLE* table, const void* first, int32_t n,
                        int32_t pitch);

// Writes m resampled pixels from `destination`. Stores 8 bytes per pixel (the
// fourth lane lands on the next pixel and is overwritten by it) except for the
// last pixel, which is stored as its 6 bytes alone, so nothing past pixel m - 1
// is ever written. m <= 0 writes nothing.
void resample_pixel_row(const SPLINE_LINE* line, int32_t n, int32_t m, PIXEL_YC* destination);

// Writes m resampled 8-byte column-group samples, row i at destination + i * pitch.
void resample_column_group(const SPLINE_LINE* line, int32_t n, int32_t m, void* destination,
                           int32_t pitch);

// The same column-group kernels for a group of which only the first `lanes`
// int16 (1 to 3) lie inside the row: only those are read and written.
void solve_partial_group(SPLINE_LINE* line, const FACTOR_TABLE* table, const void* first, int32_t n,
                         int32_t pitch, int32_t lanes);
void resample_partial_group(const SPLINE_LINE* line, int32_t n, int32_t m, void* destination,
                            int32_t pitch, int32_t lanes);
