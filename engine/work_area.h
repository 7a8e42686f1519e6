#pragma once
// The engine's work memory: one block with a knot buffer per worker slot and
// the factor table, made on the first frame and held across frames, plus the
// two line counters that the workers of a pass share. Each area serves one
// frame at a time; areas apart from each other run side by side. The
// plug-in has one for the process (work_area); the planes path and the
// library hold their own.
#include <cstddef>
#include <cstdint>

#include "kernels.h"
#include "spline.h"

constexpr int32_t work_slots = 16;  // workers with index 16 or more do nothing

// Where each output of one pass (n samples to m) falls among the knots, for
// a variant that uses a position table.
struct POSITION_TABLE {
  POSITION* entries;  // null unless the variant uses positions
  int32_t n;          // the pass whose positions it holds; 0: none
  int32_t m;
  // Every output i of that pass follows a knot k <= i (an enlarging pass), so
  // a column walk that writes its outputs up from the last still finds the
  // samples of knots k and k + 1 in the frame's rows when it evaluates i.
  bool knots_at_or_below_outputs;
};

// The pass a position table serves: along the rows (the horizontal pass) or
// down the columns (the vertical one).
enum class PASS_AXIS { across = 0, down = 1 };

// The block: the slots' knot buffers, the factor table and, for a variant
// that uses them, a position table for each pass, so that the frames of a
// stream, whose two passes keep their sizes, fill them only once. With 16 workers
// slot s begins s * slot_stride vectors in; a pass of fewer workers shares
// the same bytes out among them, in larger slots.
struct alignas(64) WORK_AREA {
  void* memory;                   // the block; null while none is held
  int32_t slot_stride;            // 16-byte units from one slot to the next with 16 workers
  int32_t buffer_height;          // max_h of the frame the block was made for
  int32_t buffer_width;           // max_w likewise; the pitch of both passes
  int32_t capacity;               // K, knots per line buffer: the longest line the block takes
  KNOT* line_buffers;             // the slots (== memory)
  VEC4* factor_table;             // after the slots
  POSITION_TABLE positions[2];    // after the factor table, indexed by PASS_AXIS
  const KERNEL_VARIANT* kernels;  // the variant the block was sized for
  size_t block_bytes;
  char spacer_before[128];     // keeps the counters off the fields every worker reads
  int32_t vertical_counter;    // next chunk of column groups (atomic)
  int32_t horizontal_counter;  // next row (atomic)
  char spacer_after[120];
};

// The plug-in's area: resize_frame without an area, and release_work_area().
extern WORK_AREA work_area;

// Knots per line buffer for a buffer of the given size: the smallest multiple
// of 8 that is at least max(width, height) + 3; 0 when the size is not usable.
int32_t knot_capacity(int32_t height, int32_t width);

// Resets the area's counters, then makes sure it holds a block for `kernels`
// that takes this buffer's lines: a held block for that variant of at least
// this buffer's capacity, and at most twice it, is kept (it takes the
// buffer's size as the pitch of the passes); any other is made anew. The
// passes run in the area then run `kernels`.
// True when ready; false when no memory could be had (the area is then empty).
bool prepare_work_area(WORK_AREA& area, int32_t height, int32_t width,
                       const KERNEL_VARIANT& kernels);

// Fills the area's position table of `axis` for a pass of n samples to m
// (both at most the capacity), under the passes' SSE mode, unless it holds
// that pass already or the block has none. Before the pass's workers start.
void prepare_positions(WORK_AREA& area, PASS_AXIS axis, int32_t n, int32_t m);

// Frees the area's block and clears the whole record. Safe to call with
// nothing held; without an argument, the plug-in's area (its func_exit).
void release_work_area(WORK_AREA& area);
void release_work_area();
