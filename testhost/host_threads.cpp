#include "host_threads.h"

#include "misaligned_call.h"

struct HOST_THREADS {
  int count;
  HANDLE threads[max_host_threads];
  HANDLE start[max_host_threads];  // auto-reset, one per thread
  HANDLE done;                     // auto-reset, set by the last worker to end
  volatile LONG running;
  volatile LONG stopping;
  MULTI_THREAD_FUNC worker;
  void* param1;
  void* param2;
};

namespace {

struct THREAD_SEAT {
  HOST_THREADS* pool;
  int index;
};

// The skews differ between threads, so every misalignment a host can produce
// reaches the workers.
STACK_SKEW skew_of(int index) { return static_cast<STACK_SKEW>(4 + 4 * (index % 3)); }

DWORD WINAPI serve(void* seat_memory) {
  const THREAD_SEAT seat = *static_cast<THREAD_SEAT*>(seat_memory);
  delete static_cast<THREAD_SEAT*>(seat_memory);
  HOST_THREADS* pool = seat.pool;
  for (;;) {
    WaitForSingleObject(pool->start[seat.index], INFINITE);
    if (pool->stopping) return 0;
    call_misaligned(as_code(pool->worker), skew_of(seat.index), static_cast<uint32_t>(seat.index),
                    static_cast<uint32_t>(pool->count), as_arg(pool->param1), as_arg(pool->param2));
    if (InterlockedDecrement(&pool->running) == 0) SetEvent(pool->done);
  }
}

}  // namespace

HOST_THREADS* start_host_threads(int count) {
  if (count < 1 || count > max_host_threads) return nullptr;
  auto* pool = new HOST_THREADS{};
  pool->count = count;
  pool->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  for (int i = 0; i < count; ++i) {
    pool->start[i] = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto* seat = new THREAD_SEAT{pool, i};
    pool->threads[i] = CreateThread(nullptr, 0, serve, seat, 0, nullptr);
    if (!pool->threads[i]) {
      delete seat;
      CloseHandle(pool->start[i]);
      pool->count = i;  // stop the threads made so far
      stop_host_threads(pool);
      return nullptr;
    }
  }
  return pool;
}

void stop_host_threads(HOST_THREADS* pool) {
  if (!pool) return;
  InterlockedExchange(&pool->stopping, 1);
  for (int i = 0; i < pool->count; ++i) SetEvent(pool->start[i]);
  WaitForMultipleObjects(pool->count, pool->threads, TRUE, INFINITE);
  for (int i = 0; i < pool->count; ++i) {
    CloseHandle(pool->threads[i]);
    CloseHandle(pool->start[i]);
  }
  CloseHandle(pool->done);
  delete pool;
}

BOOL run_on_host_threads(HOST_THREADS* pool, MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  if (!pool || !worker) return FALSE;
  pool->worker = worker;
  pool->param1 = param1;
  pool->param2 = param2;
  InterlockedExchange(&pool->running, pool->count);
  for (int i = 0; i < pool->count; ++i) SetEvent(pool->start[i]);
  WaitForSingleObject(pool->done, INFINITE);
  return TRUE;
}
