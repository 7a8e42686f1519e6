// The memory floor of a job: every byte of the source read once and every
// byte of the target written once, with no arithmetic worth the name; on one
// thread and, each thread taking its share of both, on the pool's threads.
#include <cstring>
#include <memory>

#include "buffers.h"
#include "cells.h"
#include "thread_pool.h"

namespace {

struct MEMORY {
  FRAME_MEMORY src, dst;
  size_t src_words, dst_bytes;
  volatile uint64_t sink[64];
};

// Thread `part` of `parts` reads and writes its share.
void touch_share(int part, int parts, void* memory, void*) {
  auto* m = static_cast<MEMORY*>(memory);
  const size_t words_from = m->src_words * part / parts,
               words_to = m->src_words * (part + 1) / parts;
  const size_t bytes_from = m->dst_bytes * part / parts,
               bytes_to = m->dst_bytes * (part + 1) / parts;
  const auto* s = static_cast<const uint64_t*>(m->src.get());
  uint64_t sum = 0;
  for (size_t i = words_from; i < words_to; ++i) sum += s[i];
  std::memset(static_cast<uint8_t*>(m->dst.get()) + bytes_from, static_cast<int>(sum & 0x7f),
              bytes_to - bytes_from);
  m->sink[part] = sum;
}

}  // namespace

std::vector<CELL> memory_floor_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                     const BENCH_OPTIONS& options, THREAD_POOL* pool) {
  auto m = std::make_shared<MEMORY>();
  const size_t src_bytes = sizeof(PIXEL_YC) * source.size();
  m->src_words = src_bytes / sizeof(uint64_t);
  m->dst_bytes = sizeof(PIXEL_YC) * static_cast<size_t>(job.tw) * job.th;
  m->src = frame_memory(src_bytes, options.huge_pages);
  m->dst = frame_memory(m->dst_bytes, options.huge_pages);
  std::memcpy(m->src.get(), source.data(), src_bytes);
  auto runner = std::make_shared<RUNNER>(pool_runner(pool));
  std::vector<CELL> cells;
  for (int threads : {1, thread_pool_size(pool)}) {
    CELL c;
    c.implementation = "memory floor (read source, write target)";
    c.threads = threads;
    if (threads > 1) {
      c.frame = [m, runner] { runner->run(runner->context, touch_share, m.get(), nullptr); };
    } else {
      c.frame = [m] { touch_share(0, 1, m.get(), nullptr); };
    }
    cells.push_back(std::move(c));
  }
  return cells;
}
