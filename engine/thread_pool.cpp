#include "thread_pool.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

// Passes follow each other closely (two per frame, frames back to back), so
// both sides spin briefly on an atomic before they sleep on a condition
// variable: a wake-up through the kernel costs tens of microseconds, a
// noticeable share of a frame of a few milliseconds.
struct THREAD_POOL {
  int count = 1;
  std::mutex mutex;
  std::condition_variable start;
  std::condition_variable done;
  std::atomic<uint64_t> generation{0};  // changed, under the mutex, once per run
  std::atomic<int> pending{0};          // workers of the current run still going
  bool stopping = false;                // under the mutex
  MULTI_THREAD_FUNC worker = nullptr;   // the run's task, set before generation
  void* param1 = nullptr;
  void* param2 = nullptr;
  std::vector<std::thread> threads;
};

namespace {

constexpr int spin_rounds = 4000;

inline void pause() {
#if defined(__i386__) || defined(__x86_64__)
  _mm_pause();
#else
  std::this_thread::yield();
#endif
}

template <class Ready>
bool spin_until(Ready ready) {
  for (int i = 0; i < spin_rounds; ++i) {
    if (ready()) return true;
    pause();
  }
  return false;
}

void serve(THREAD_POOL* pool, int index) {
  uint64_t seen = 0;
  for (;;) {
    if (!spin_until([&] { return pool->generation.load(std::memory_order_acquire) != seen; })) {
      std::unique_lock lock(pool->mutex);
      pool->start.wait(lock, [&] {
        return pool->stopping || pool->generation.load(std::memory_order_relaxed) != seen;
      });
      if (pool->stopping) return;
    }
    seen = pool->generation.load(std::memory_order_acquire);
    pool->worker(index, pool->count, pool->param1, pool->param2);
    if (pool->pending.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      std::lock_guard lock(pool->mutex);
      pool->done.notify_one();
    }
  }
}

bool run_on_pool(void* context, MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  auto* pool = static_cast<THREAD_POOL*>(context);
  pool->worker = worker;
  pool->param1 = param1;
  pool->param2 = param2;
  pool->pending.store(pool->count - 1, std::memory_order_relaxed);
  {
    std::lock_guard lock(pool->mutex);
    pool->generation.fetch_add(1, std::memory_order_release);
  }
  pool->start.notify_all();
  worker(0, pool->count, param1, param2);
  auto finished = [&] { return pool->pending.load(std::memory_order_acquire) == 0; };
  if (!spin_until(finished)) {
    std::unique_lock lock(pool->mutex);
    pool->done.wait(lock, finished);
  }
  return true;
}

}  // namespace

THREAD_POOL* create_thread_pool(int count) {
  if (count < 1 || count > 64) return nullptr;
  auto* pool = new THREAD_POOL;
  pool->threads.reserve(static_cast<size_t>(count - 1));
  // The system may refuse a thread (no memory for its stack, a process
  // limit): the pool then runs on the threads it has. The count changes
  // before any run, and a worker reads it only in a run.
  for (int i = 1; i < count; ++i) {
    try {
      pool->threads.emplace_back(serve, pool, i);
    } catch (const std::system_error&) {
      break;
    }
  }
  pool->count = 1 + static_cast<int>(pool->threads.size());
  return pool;
}

void destroy_thread_pool(THREAD_POOL* pool) {
  if (!pool) return;
  {
    std::lock_guard lock(pool->mutex);
    pool->stopping = true;
  }
  pool->start.notify_all();
  for (std::thread& t : pool->threads) t.join();
  delete pool;
}

int thread_pool_size(const THREAD_POOL* pool) { return pool->count; }

RUNNER pool_runner(THREAD_POOL* pool) { return RUNNER{run_on_pool, pool}; }
