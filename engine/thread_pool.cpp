#include "thread_pool.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

struct THREAD_POOL {
  int count = 1;
  std::mutex mutex;
  std::condition_variable start;
  std::condition_variable done;
  uint64_t generation = 0;
  int pending = 0;
  bool stopping = false;
  MULTI_THREAD_FUNC worker = nullptr;
  void* param1 = nullptr;
  void* param2 = nullptr;
  std::vector<std::thread> threads;
};

namespace {

void serve(THREAD_POOL* pool, int index) {
  uint64_t seen = 0;
  std::unique_lock lock(pool->mutex);
  for (;;) {
    pool->start.wait(lock, [&] { return pool->stopping || pool->generation != seen; });
    if (pool->stopping) return;
    seen = pool->generation;
    const MULTI_THREAD_FUNC worker = pool->worker;
    void* p1 = pool->param1;
    void* p2 = pool->param2;
    lock.unlock();
    worker(index, pool->count, p1, p2);
    lock.lock();
    if (--pool->pending == 0) pool->done.notify_one();
  }
}

int run_on_pool(void* context, MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  auto* pool = static_cast<THREAD_POOL*>(context);
  {
    std::lock_guard lock(pool->mutex);
    pool->worker = worker;
    pool->param1 = param1;
    pool->param2 = param2;
    pool->pending = pool->count - 1;
    ++pool->generation;
  }
  pool->start.notify_all();
  worker(0, pool->count, param1, param2);
  std::unique_lock lock(pool->mutex);
  pool->done.wait(lock, [&] { return pool->pending == 0; });
  return 1;
}

}  // namespace

THREAD_POOL* create_thread_pool(int count) {
  if (count < 1 || count > 64) return nullptr;
  auto* pool = new THREAD_POOL;
  pool->count = count;
  for (int i = 1; i < count; ++i) pool->threads.emplace_back(serve, pool, i);
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
