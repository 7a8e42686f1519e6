#include "work_area.h"

#include <xmmintrin.h>

#include <atomic>
#include <cstring>
#include <limits>

#include "pass_mode.h"
#include "pages.h"
#include "position.h"

WORK_AREA work_area;

int32_t knot_capacity(int32_t height, int32_t width) {
  if (height < 1 || width < 1) return 0;
  const int64_t k = (static_cast<int64_t>(height > width ? height : width) + 10) & ~int64_t{7};
  return k > std::numeric_limits<int32_t>::max() / 64 ? 0 : static_cast<int32_t>(k);
}

namespace {

// The parts of a block of K knots per buffer for `kernels`. The reference's:
// 16 slots of line_buffers knot buffers of K knots, then the factor table.
// A variant with position tables: 16 x line_buffers knot buffers' bytes in
// all, of which the factor table and the two position tables take the end and
// the slots the rest, in whole cache lines per slot.
struct BLOCK_LAYOUT {
  uint64_t slots;  // bytes of the slots, from the block's start
  uint64_t bytes;  // the whole block
};

// One position table of K entries, in whole cache lines.
uint64_t position_table_bytes(int32_t k) {
  return (uint64_t{sizeof(POSITION)} * static_cast<uint64_t>(k) + 63) / 64 * 64;
}

BLOCK_LAYOUT block_layout(int32_t k, const KERNEL_VARIANT* kernels) {
  const uint64_t knots = static_cast<uint64_t>(k);
  const uint64_t buffers = uint64_t{sizeof(KNOT)} * knots * work_slots * kernels->line_buffers;
  const uint64_t factors = uint64_t{sizeof(VEC4)} * knots;
  if (!kernels->positions) return BLOCK_LAYOUT{buffers, buffers + factors};
  const uint64_t tables = factors + 2 * position_table_bytes(k);
  return BLOCK_LAYOUT{(buffers - tables) / (64 * work_slots) * (64 * work_slots), buffers};
}

// The block's bytes, or 0 when they do not fit this platform's address space.
size_t block_size(const BLOCK_LAYOUT& layout) {
  return layout.bytes > std::numeric_limits<size_t>::max() / 2 ? 0
                                                               : static_cast<size_t>(layout.bytes);
}

// Runs fill() under the passes' SSE mode, whatever the caller's thread had
// (the host's, or a codec's), and hands the caller's mode back.
template <class Fill>
void under_pass_mode(Fill fill) {
  const PASS_MODE mode(PASS_MODE::restore);
  fill();
}

// A held block serves a buffer whose lines it can take and that needs at
// least half of it; only the recorded buffer size, the source of the passes'
// pitch, changes. (The tool's passes alternate between buffers of two
// shapes; a host keeps one buffer, and after a much smaller one its block is
// made anew, so that one huge frame does not hold its memory for good.)
bool block_fits(WORK_AREA& area, int32_t height, int32_t width, const KERNEL_VARIANT* kernels) {
  const int32_t k = knot_capacity(height, width);
  if (!area.memory || area.kernels != kernels || k == 0 || k > area.capacity ||
      k < area.capacity / 2)
    return false;
  area.buffer_height = height;
  area.buffer_width = width;
  return true;
}

}  // namespace

bool prepare_work_area(WORK_AREA& area, int32_t height, int32_t width,
                       const KERNEL_VARIANT& kernels) {
  // Every frame starts both passes from line 0, whether or not a block is made.
  std::atomic_ref<int32_t>(area.vertical_counter).exchange(0);
  std::atomic_ref<int32_t>(area.horizontal_counter).exchange(0);

  if (block_fits(area, height, width, &kernels)) return true;
  release_work_area(area);

  const int32_t k = knot_capacity(height, width);
  const BLOCK_LAYOUT layout = k ? block_layout(k, &kernels) : BLOCK_LAYOUT{0, 0};
  const size_t bytes = block_size(layout);
  void* memory = bytes ? allocate_pages(bytes) : nullptr;
  if (!memory) return false;

  auto* at = static_cast<uint8_t*>(memory);
  const size_t slots = static_cast<size_t>(layout.slots);
  area.memory = memory;
  area.block_bytes = bytes;
  area.kernels = &kernels;
  area.buffer_height = height;
  area.buffer_width = width;
  area.capacity = k;
  area.slot_stride = static_cast<int32_t>(slots / work_slots / sizeof(VEC4));
  area.line_buffers = static_cast<KNOT*>(memory);
  area.factor_table = reinterpret_cast<VEC4*>(at + slots);
  uint8_t* tables = at + slots + sizeof(VEC4) * k;
  for (POSITION_TABLE& table : area.positions) {
    table = POSITION_TABLE{};
    if (!kernels.positions) continue;
    table.entries = reinterpret_cast<POSITION*>(tables);
    tables += position_table_bytes(k);
  }
  // Built under the passes' mode, so that its entries never depend on who called.
  under_pass_mode([&area, k] { build_factor_table(area.factor_table, k); });
  return true;
}

void prepare_positions(WORK_AREA& area, PASS_AXIS axis, int32_t n, int32_t m) {
  POSITION_TABLE& table = area.positions[static_cast<int>(axis)];
  if (!table.entries || (table.n == n && table.m == m)) return;
  under_pass_mode([&table, n, m] {
    const float step = line_step(n, m);
    for (int32_t i = 0; i < m; ++i) table.entries[i] = locate_output(step, i);
  });
  table.knots_at_or_below_outputs = true;
  for (int32_t i = 0; i < m; ++i)
    if (table.entries[i].k > i) table.knots_at_or_below_outputs = false;
  table.n = n;
  table.m = m;
}

void release_work_area(WORK_AREA& area) {
  if (!area.memory) return;
  release_pages(area.memory, area.block_bytes);
  std::memset(&area, 0, sizeof area);
}

void release_work_area() { release_work_area(work_area); }
