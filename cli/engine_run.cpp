#include "engine_run.h"

#include <cstdio>
#include <thread>

#include "exit_signals.h"
#include "frame_size.h"
#include "kernels.h"
#include "tool_error.h"

ENGINE_THREADS::~ENGINE_THREADS() { destroy_thread_pool(pool); }

namespace {

// The runner of ENGINE_THREADS: makes the pool at its first run.
bool run_on_engine_threads(void* context, MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  ENGINE_THREADS& threads = *static_cast<ENGINE_THREADS*>(context);
  if (!threads.pool) {
    {
      // The workers are born with the ending signals blocked: they go to the
      // main thread, which notes the temporary file before they can come.
      const ENDING_SIGNALS_HELD held;
      threads.pool = create_thread_pool(threads.count);
    }
    // Fewer threads give the same bits, only later.
    if (const int started = thread_pool_size(threads.pool); started < threads.count)
      std::fprintf(stderr,
                   "morvane: --threads %d: the system let only %d start; running on those\n",
                   threads.count, started);
  }
  const RUNNER pool = pool_runner(threads.pool);
  return pool.run(pool.context, worker, param1, param2);
}

}  // namespace

void start_engine_threads(ENGINE_THREADS& threads, int count) {
  destroy_thread_pool(threads.pool);
  threads.pool = nullptr;
  if (count < 1 || count > 64)
    fail("--threads " + std::to_string(count), "the thread count must be 1 to 64");
  threads.count = count;
  threads.runner = RUNNER{run_on_engine_threads, &threads};
}

bool run_on_fewer_threads(const ENGINE_THREADS& threads) {
  if (!threads.pool || thread_pool_size(threads.pool) == 1) return false;
  const int before = thread_pool_size(threads.pool);
  shrink_thread_pool(threads.pool, 1);
  std::fprintf(stderr,
               "morvane: memory ran short for the work buffers on %d threads; running on one\n",
               before);
  return true;
}

int default_thread_count() {
  const unsigned n = std::thread::hardware_concurrency();
  return n < 1 ? 1 : n > 64 ? 64 : static_cast<int>(n);
}

void choose_kernels(const std::string& name) {
  if (force_kernels(name.c_str())) return;
  std::string known;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v)
    known += std::string(", ") + (*v)->name;
  fail("--isa " + name, "no such kernel variant on this processor (auto" + known + ")");
}

void allocate_frame(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h, const std::string& name) {
  free_frame_buffer(buffer);
  if (const std::string wrong = check_frame_size(max_w, max_h); !wrong.empty()) fail(name, wrong);
  PAGE_OPTIONS options;
  options.huge_pages = true;
  if (!make_frame_buffer(buffer, max_w, max_h, options))
    fail(name, "out of memory for a " + std::to_string(max_w) + "x" + std::to_string(max_h) +
                   " frame buffer");
}

void resize_image(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                  const ENGINE_THREADS& threads, const std::string& name) {
  if (!resize_frame(frame, target_w, target_h, vertical_first, &threads.runner) &&
      !(run_on_fewer_threads(threads) &&
        resize_frame(frame, target_w, target_h, vertical_first, &threads.runner)))
    fail(name, "out of memory for the engine's work block");
}

namespace {

struct ROW_JOB {
  int32_t rows;
  const std::function<void(int32_t, int32_t)>* part;
};

void row_worker(int thread_id, int thread_num, void* job_param, void*) {
  const ROW_JOB& job = *static_cast<const ROW_JOB*>(job_param);
  const int64_t first = int64_t{job.rows} * thread_id / thread_num;
  const int64_t end = int64_t{job.rows} * (thread_id + 1) / thread_num;
  if (first < end) (*job.part)(static_cast<int32_t>(first), static_cast<int32_t>(end));
}

}  // namespace

void run_on_rows(const ENGINE_THREADS& threads, int32_t rows,
                 const std::function<void(int32_t, int32_t)>& part) {
  ROW_JOB job{rows, &part};
  threads.runner.run(threads.runner.context, row_worker, &job, nullptr);
}
