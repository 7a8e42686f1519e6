#include "thread_pool.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__i386__) || defined(__x86_64__)
#include <xmmintrin.h>
#endif

#if defined(__GLIBC__)
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

// One worker thread. With glibc its stack is a mapping of the pool's own,
// of worker_stack_bytes under a guard page, unmapped when the thread is
// joined: glibc keeps the stacks of its own making for reuse (up to 40 MiB
// of them), so ending threads to make room for a run's buffers would free
// nothing.
struct WORKER_THREAD {
#if defined(__GLIBC__)
  pthread_t id{};
  void* stack = nullptr;
#else
  std::thread thread;
#endif
};

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
  int keep = 64;                        // under the mutex: workers of this index and above end
  MULTI_THREAD_FUNC worker = nullptr;   // the run's task, set before generation
  void* param1 = nullptr;
  void* param2 = nullptr;
  std::vector<WORKER_THREAD> threads;
};

namespace {

constexpr int spin_rounds = 4000;

// A worker's stack: its deepest call is a kernel on one run of lines, a few
// KiB; the sanitizers' frames are several times larger, and ThreadSanitizer
// keeps its state for the thread (about 900 KiB) in the stack's thread-local
// block, refusing the thread when the stack cannot hold it. The system's
// default (often 8 MiB each) would make 64 threads take 512 MiB of address
// space, which an address-space limit (ulimit -v) counts.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t worker_stack_bytes = size_t{2} << 20;
#else
constexpr size_t worker_stack_bytes = size_t{256} << 10;
#endif

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
        return pool->stopping || index >= pool->keep ||
               pool->generation.load(std::memory_order_relaxed) != seen;
      });
      if (pool->stopping || index >= pool->keep) return;
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

#if defined(__GLIBC__)
struct WORKER_START {
  THREAD_POOL* pool;
  int index;
};

void* start_serving(void* start) {
  const WORKER_START s = *static_cast<WORKER_START*>(start);
  delete static_cast<WORKER_START*>(start);
  serve(s.pool, s.index);
  return nullptr;
}
#endif

// False when the system refuses the thread (no memory for its stack, a
// process limit).
bool start_worker(THREAD_POOL* pool, int index, WORKER_THREAD& w) {
#if defined(__GLIBC__)
  void* stack = mmap(nullptr, worker_stack_bytes, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
  if (stack == MAP_FAILED) return false;
  // A guard page below the stack: an overflow faults instead of writing on.
  mprotect(stack, static_cast<size_t>(sysconf(_SC_PAGESIZE)), PROT_NONE);
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstack(&attr, stack, worker_stack_bytes);
  auto* start = new WORKER_START{pool, index};
  const int refused = pthread_create(&w.id, &attr, start_serving, start);
  pthread_attr_destroy(&attr);
  if (refused) {
    delete start;
    munmap(stack, worker_stack_bytes);
    return false;
  }
  w.stack = stack;
  return true;
#else
  try {
    w.thread = std::thread(serve, pool, index);
    return true;
  } catch (const std::system_error&) {
    return false;
  }
#endif
}

void join_worker(WORKER_THREAD& w) {
#if defined(__GLIBC__)
  pthread_join(w.id, nullptr);
  munmap(w.stack, worker_stack_bytes);
#else
  w.thread.join();
#endif
}

}  // namespace

THREAD_POOL* create_thread_pool(int count) {
  if (count < 1 || count > 64) return nullptr;
  auto* pool = new THREAD_POOL;
  pool->threads.reserve(static_cast<size_t>(count - 1));
  // The system may refuse a thread: the pool then runs on the threads it
  // has. The count changes before any run, and a worker reads it only in a
  // run.
  for (int i = 1; i < count; ++i) {
    WORKER_THREAD w;
    if (!start_worker(pool, i, w)) break;
    pool->threads.push_back(std::move(w));
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
  for (WORKER_THREAD& w : pool->threads) join_worker(w);
  delete pool;
}

void shrink_thread_pool(THREAD_POOL* pool, int count) {
  if (count < 1 || count >= pool->count) return;
  {
    std::lock_guard lock(pool->mutex);
    pool->keep = count;
  }
  pool->start.notify_all();
  for (size_t i = static_cast<size_t>(count - 1); i < pool->threads.size(); ++i)
    join_worker(pool->threads[i]);
  pool->threads.resize(static_cast<size_t>(count - 1));
  pool->count = count;
}

int thread_pool_size(const THREAD_POOL* pool) { return pool->count; }

RUNNER pool_runner(THREAD_POOL* pool) { return RUNNER{run_on_pool, pool}; }
