// The engine through resize_frame, for each kernel variant on one thread (no
// runner, as on a host without threads) and on a pool of two.
#include <cstring>
#include <memory>
#include <stdexcept>

#include "buffers.h"
#include "cells.h"
#include "kernels.h"
#include "resize.h"
#include "thread_pool.h"
#include "work_area.h"

namespace {

// One buffer per job, shared by the engine's cells, which run one at a time.
struct ENGINE_FRAME {
  JOB job;
  int32_t max_w, max_h;
  FRAME_MEMORY memory;
  const std::vector<PIXEL_YC>* source;
  bool vertical_first;

  PIXEL_YC* pixels() const { return static_cast<PIXEL_YC*>(memory.get()); }

  void restore() const {
    for (int32_t y = 0; y < job.sh; ++y)
      std::memcpy(pixels() + static_cast<size_t>(y) * max_w,
                  source->data() + static_cast<size_t>(y) * job.sw, sizeof(PIXEL_YC) * job.sw);
  }

  void resize(const RUNNER* runner) const {
    FRAME frame{pixels(), job.sw, job.sh, max_w, max_h};
    if (!resize_frame(frame, job.tw, job.th, vertical_first, runner) || frame.w != job.tw ||
        frame.h != job.th)
      throw std::runtime_error("the engine refused the frame " + job_name(job));
  }

  // FNV-1a over the target image, to compare the variants' outputs.
  uint64_t digest() const {
    uint64_t h = 1469598103934665603ull;
    for (int32_t y = 0; y < job.th; ++y) {
      const auto* row = reinterpret_cast<const uint8_t*>(pixels() + static_cast<size_t>(y) * max_w);
      for (size_t i = 0; i < sizeof(PIXEL_YC) * job.tw; ++i) h = (h ^ row[i]) * 1099511628211ull;
    }
    return h;
  }
};

std::string buffer_name(int32_t w, int32_t h) {
  return std::to_string(w) + "x" + std::to_string(h);
}

}  // namespace

std::vector<CELL> engine_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                               const BENCH_OPTIONS& options, THREAD_POOL* pool,
                               std::vector<uint64_t>* output_digests) {
  auto frame = std::make_shared<ENGINE_FRAME>();
  frame->job = job;
  frame->max_w = job.sw > job.tw ? job.sw : job.tw;
  frame->max_h = job.sh > job.th ? job.sh : job.th;
  frame->memory = frame_memory(sizeof(PIXEL_YC) * static_cast<size_t>(frame->max_w) * frame->max_h,
                               options.huge_pages);
  frame->source = &source;
  frame->vertical_first = options.vertical_first;
  auto runner = std::make_shared<RUNNER>(pool_runner(pool));

  std::vector<CELL> cells;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    const std::string name = (*v)->name;
    if (!options.isa.empty() && name != options.isa) continue;
    for (int threads : {1, thread_pool_size(pool)}) {
      // Null: one thread, as on a host without a thread runner.
      auto run = threads > 1 ? runner : std::shared_ptr<RUNNER>();
      CELL c;
      c.implementation = "engine " + name;
      c.threads = threads;
      // The first frame after a change of variant makes the work block: untimed.
      c.before_batch = [frame, name, run] {
        force_kernels(name.c_str());
        frame->restore();
        frame->resize(run.get());
      };
      c.before_frame = [frame] { frame->restore(); };
      c.frame = [frame, run] { frame->resize(run.get()); };
      c.after = [frame, output_digests] { output_digests->push_back(frame->digest()); };
      cells.push_back(std::move(c));
    }
  }
  return cells;
}

std::vector<MEMORY_RESULT> engine_work_memory(const std::vector<JOB>& jobs,
                                              const BENCH_OPTIONS& options) {
  std::vector<MEMORY_RESULT> memory;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    if (!options.isa.empty() && options.isa != (*v)->name) continue;
    std::vector<std::string> done;
    for (const JOB& job : jobs) {
      const int32_t w = job.sw > job.tw ? job.sw : job.tw;
      const int32_t h = job.sh > job.th ? job.sh : job.th;
      const std::string buffer = buffer_name(w, h);
      bool seen = false;
      for (const std::string& d : done) seen = seen || d == buffer;
      if (seen) continue;
      done.push_back(buffer);
      WORK_AREA area{};
      if (!prepare_work_area(area, h, w, **v))
        throw std::runtime_error("no work memory for " + buffer);
      memory.push_back({(*v)->name, buffer, area.block_bytes, false});
      release_work_area(area);
    }
  }
  return memory;
}
