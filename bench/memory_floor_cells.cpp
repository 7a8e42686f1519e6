// The memory floor of a job: every byte of the source read once and every
// byte of the target written once, with no arithmetic worth the name.
#include <cstring>
#include <memory>

#include "buffers.h"
#include "cells.h"

std::vector<CELL> memory_floor_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                     const BENCH_OPTIONS& options) {
  struct MEMORY {
    FRAME_MEMORY src, dst;
    size_t src_words, dst_bytes;
    volatile uint64_t sink;
  };
  auto m = std::make_shared<MEMORY>();
  const size_t src_bytes = sizeof(PIXEL_YC) * source.size();
  m->src_words = src_bytes / sizeof(uint64_t);
  m->dst_bytes = sizeof(PIXEL_YC) * static_cast<size_t>(job.tw) * job.th;
  m->src = frame_memory(src_bytes, options.huge_pages);
  m->dst = frame_memory(m->dst_bytes, options.huge_pages);
  std::memcpy(m->src.get(), source.data(), src_bytes);
  CELL c;
  c.implementation = "memory floor (read source, write target)";
  c.frame = [m] {
    const auto* s = static_cast<const uint64_t*>(m->src.get());
    uint64_t sum = 0;
    for (size_t i = 0; i < m->src_words; ++i) sum += s[i];
    std::memset(m->dst.get(), static_cast<int>(sum & 0x7f), m->dst_bytes);
    m->sink = sum;
  };
  return {std::move(c)};
}
