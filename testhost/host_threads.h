#pragma once
// The host's exec_multi_thread_func on real Win32 threads: every call runs the
// worker once on each of the pool's threads at the same time and returns when
// all have ended. Each worker is entered on a misaligned stack.
#include "filter_abi.h"

constexpr int max_host_threads = 32;

struct HOST_THREADS;

HOST_THREADS* start_host_threads(int count);  // null when count is outside 1 .. 32
void stop_host_threads(HOST_THREADS* threads);

// worker(i, count, param1, param2) for i = 0 .. count - 1, one per thread, from
// the calling thread's point of view all at once. TRUE once all have returned.
BOOL run_on_host_threads(HOST_THREADS* threads, MULTI_THREAD_FUNC worker, void* param1,
                         void* param2);
