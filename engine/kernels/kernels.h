#pragma once
// Kernel variants: one pass's worth of lines at a time, so that a variant may
// carry several independent lines in its vector lanes. Every variant gives the
// bytes of the baseline ("sse") exactly.
#include <cstdint>

#include "position.h"
#include "spline.h"

// What a pass worker hands a variant: the lines of one pass over the frame.
struct PASS_JOB {
  uint8_t* frame;      // buffer start
  int32_t pitch;       // bytes from one buffer row to the next
  int32_t n;           // source samples per line
  int32_t m;           // target samples per line
  int32_t groups;      // vertical pass: column groups G
  int32_t tail_lanes;  // int16 of group G - 1 inside the row (4 = all)
  const VEC4* table;
  const POSITION* positions;  // outputs 0 .. m - 1; null unless the variant uses them
  int64_t slot_bytes;         // the worker's slot, at least line_buffers knot buffers
  // Vertical pass: every output i follows a knot k <= i (see WORK_AREA).
  bool samples_stay_in_rows;
  // Vertical pass: output rows past the source's go past the caches where
  // they start a cache line (new_rows_streamed()).
  bool stream_new_rows;
};

struct KERNEL_VARIANT {
  const char* name;
  // The block's slots: 16 of line_buffers knot buffers of K knots (32 bytes a
  // knot); with positions, the factor and position tables come out of the
  // same bytes. A pass of fewer workers shares the slots out among them.
  int32_t line_buffers;
  bool positions;  // the block holds the pass's position table (PASS_JOB::positions)
  // Column groups or rows a worker takes per counter step: at most
  // groups_per_step or rows_per_step, fewer (whole units) where that keeps
  // more workers busy.
  int32_t groups_per_step;
  int32_t group_unit;
  int32_t rows_per_step;
  int32_t row_unit;
  // Solves and resamples column groups [first, end); group groups - 1 honours tail_lanes.
  void (*column_groups)(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end);
  // Solves and resamples rows [first, end) with n source and m target pixels.
  void (*pixel_rows)(const PASS_JOB& job, KNOT* slot, int32_t first, int32_t end);
};

extern const KERNEL_VARIANT sse_kernels;       // first SSE generation, the reference
extern const KERNEL_VARIANT portable_kernels;  // plain scalar C++, same operations
// Many lines in flight, one per lane (wide_walks.h); each needs its
// instruction set, which kernel_choice.cpp checks before offering it.
extern const KERNEL_VARIANT sse2_kernels;
extern const KERNEL_VARIANT avx2_kernels;
extern const KERNEL_VARIANT avx512_kernels;

// The process-wide choice, which the plug-in's frames use: the fastest this
// processor runs, unless forced.
const KERNEL_VARIANT* active_kernels();

// Forces the variant named `name` ("sse", "portable", ...) for later frames;
// an empty name or "auto" restores the automatic choice. Returns false, and
// changes nothing, when the name is unknown or the processor lacks it.
bool force_kernels(const char* name);

// The variant named `name`, for a caller that hands it to the engine
// itself: null, "" or "auto" give the process-wide choice. Null when the
// name is unknown or the processor lacks it. Changes no choice.
const KERNEL_VARIANT* find_kernels(const char* name);

// Variants this processor can run, the fastest last; null-terminated.
const KERNEL_VARIANT* const* available_kernels();

// How the wide column walks write the output rows past the source's when
// enlarging, which nothing reads again: with non-temporal stores of whole
// lines (no read for ownership), or through the caches. Automatic: streamed
// on Intel processors, where a prototype of the walks measured them faster,
// cached elsewhere (on an AMD EPYC they were slower). Either way the bytes
// are the same; tests force each.
enum class NEW_ROW_STORES { automatic, streamed, cached };
void force_new_row_stores(NEW_ROW_STORES how);
bool new_rows_streamed();
