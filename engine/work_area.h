#pragma once
// The engine's process-wide work memory: one block with a knot buffer per
// worker slot and the factor table, made on the first frame and held across
// frames, plus the two line counters that the workers of a pass share.
#include <cstddef>
#include <cstdint>

#include "kernels.h"
#include "spline.h"

constexpr int32_t work_slots = 16;  // workers with index 16 or more do nothing

struct alignas(64) WORK_AREA {
  void* memory;                   // the block; null while none is held
  int32_t slot_stride;            // 16-byte units from one slot's buffer to the next
  int32_t buffer_height;          // max_h of the frame the block was made for
  int32_t buffer_width;           // max_w likewise; the pitch of both passes
  KNOT* line_buffers;             // slot 0 (== memory)
  VEC4* factor_table;             // after the 16 slots
  const KERNEL_VARIANT* kernels;  // the variant the block was sized for
  size_t block_bytes;
  char spacer_before[128];     // keeps the counters off the fields every worker reads
  int32_t vertical_counter;    // next chunk of column groups (atomic)
  int32_t horizontal_counter;  // next row (atomic)
  char spacer_after[120];
};

extern WORK_AREA work_area;

// Knots per line buffer for a buffer of the given size: the smallest multiple
// of 8 that is at least max(width, height) + 3; 0 when the size is not usable.
int32_t knot_capacity(int32_t height, int32_t width);

// Resets both counters, then makes sure a block for this buffer size and the
// active kernel variant is held (re-creating it if it was made for another).
// True when ready; false when no memory could be had (the area is then empty).
bool prepare_work_area(int32_t height, int32_t width);

// Frees the block and clears the whole record. Safe to call with nothing held.
void release_work_area();
