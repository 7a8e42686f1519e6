#include "engine_threads.h"

#include <string>
#include <thread>

#include "exit_signals.h"
#include "thread_lines.h"
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
    say_threads_started(threads.count, thread_pool_size(threads.pool));
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
  say_running_on_one(before);
  return true;
}

int default_thread_count() {
  const unsigned n = std::thread::hardware_concurrency();
  return n < 1 ? 1 : n > 64 ? 64 : static_cast<int>(n);
}
