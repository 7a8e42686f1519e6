#pragma once
// The tool's worker threads: a pool made at the engine's first run, handed to
// the engine as its runner.
#include "resize.h"
#include "thread_pool.h"

struct ENGINE_THREADS {
  int count = 1;                // asked for
  THREAD_POOL* pool = nullptr;  // made at the first run
  RUNNER runner{};

  ENGINE_THREADS() = default;
  ENGINE_THREADS(const ENGINE_THREADS&) = delete;
  ENGINE_THREADS& operator=(const ENGINE_THREADS&) = delete;
  ~ENGINE_THREADS();
};

// Sets up `count` workers (1 .. 64), made when the runner first runs, so
// that a job's buffers are had before the threads' stacks take their share
// of memory. Throws TOOL_ERROR for another count. When the system refuses
// some threads, says so on standard error and goes on with the threads that
// started.
void start_engine_threads(ENGINE_THREADS& threads, int count);

// When memory runs short for a run's buffers with more than one thread
// running: ends the other threads (freeing their stacks), says so on
// standard error, and returns true, for the run to be tried again on one
// (the same bits, only later). False when there is no other thread.
bool run_on_fewer_threads(const ENGINE_THREADS& threads);

// Threads the tool uses by default: one per processor, at most 64.
int default_thread_count();
