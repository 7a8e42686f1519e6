#include "work_area.h"

#include <xmmintrin.h>

#include <atomic>
#include <cstring>
#include <limits>

#include "pages.h"

WORK_AREA work_area;

int32_t knot_capacity(int32_t height, int32_t width) {
  if (height < 1 || width < 1) return 0;
  const int64_t k = (static_cast<int64_t>(height > width ? height : width) + 10) & ~int64_t{7};
  return k > std::numeric_limits<int32_t>::max() / 64 ? 0 : static_cast<int32_t>(k);
}

namespace {

// Bytes of a block of K knots per buffer and `lines` buffers per slot, or 0
// when that does not fit this platform's address space.
size_t block_size(int32_t k, int32_t lines) {
  const uint64_t bytes =
      static_cast<uint64_t>(k) * (sizeof(KNOT) * work_slots * lines + sizeof(VEC4));
  return bytes > std::numeric_limits<size_t>::max() / 2 ? 0 : static_cast<size_t>(bytes);
}

bool block_fits(int32_t height, int32_t width, const KERNEL_VARIANT* kernels) {
  return work_area.memory && work_area.buffer_height == height && work_area.buffer_width == width &&
         work_area.kernels == kernels;
}

}  // namespace

bool prepare_work_area(int32_t height, int32_t width) {
  // Every frame starts both passes from line 0, whether or not a block is made.
  std::atomic_ref<int32_t>(work_area.vertical_counter).exchange(0);
  std::atomic_ref<int32_t>(work_area.horizontal_counter).exchange(0);

  const KERNEL_VARIANT* kernels = active_kernels();
  if (block_fits(height, width, kernels)) return true;
  release_work_area();

  const int32_t k = knot_capacity(height, width);
  const size_t bytes = k ? block_size(k, kernels->line_buffers) : 0;
  void* memory = bytes ? allocate_pages(bytes) : nullptr;
  if (!memory) return false;

  work_area.memory = memory;
  work_area.block_bytes = bytes;
  work_area.kernels = kernels;
  work_area.buffer_height = height;
  work_area.buffer_width = width;
  work_area.slot_stride = 2 * k * kernels->line_buffers;
  work_area.line_buffers = static_cast<KNOT*>(memory);
  work_area.factor_table = reinterpret_cast<VEC4*>(static_cast<uint8_t*>(memory) +
                                                   sizeof(KNOT) * static_cast<size_t>(k) *
                                                       work_slots * kernels->line_buffers);
  // The table is built on the caller's thread, whose SSE mode is the host's
  // (or a codec's): build it under the mode the passes use, so that its
  // entries never depend on who called, then hand the caller's mode back.
  const unsigned callers_mode = _mm_getcsr();
  _mm_setcsr(pass_mxcsr);
  build_factor_table(work_area.factor_table, k);
  _mm_setcsr(callers_mode);
  return true;
}

void release_work_area() {
  if (!work_area.memory) return;
  release_pages(work_area.memory, work_area.block_bytes);
  std::memset(&work_area, 0, sizeof work_area);
}
