#include "engine_call.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "kernels.h"
#include "low_pass.h"
#include "thread_pool.h"

namespace {

// The engine keeps one work block and one kernel choice for the process:
// calls take turns on them.
std::mutex& engine_turn() {
  static std::mutex turn;
  return turn;
}

// A pool whose threads take no signal: they are born with every signal
// blocked, so the caller's signals go to the caller's threads.
struct CALL_THREADS {
  THREAD_POOL* pool = nullptr;

  explicit CALL_THREADS(int count) {
    sigset_t all, before;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &before);
    pool = create_thread_pool(count);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
  }
  CALL_THREADS(const CALL_THREADS&) = delete;
  CALL_THREADS& operator=(const CALL_THREADS&) = delete;
  ~CALL_THREADS() { destroy_thread_pool(pool); }
};

// The variant a call names, forced for the call alone.
struct CALL_KERNELS {
  bool forced = false;

  CALL_KERNELS() = default;
  CALL_KERNELS(const CALL_KERNELS&) = delete;
  CALL_KERNELS& operator=(const CALL_KERNELS&) = delete;
  ~CALL_KERNELS() {
    if (forced) force_kernels("auto");
  }
};

int run_in_turn(const PLANE_JOB* jobs, int32_t count, const morvane_options& options) {
  const std::lock_guard<std::mutex> turn(engine_turn());
  CALL_KERNELS kernels;
  if (options.kernels && *options.kernels && std::strcmp(options.kernels, "auto") != 0) {
    if (!force_kernels(options.kernels)) return MORVANE_ERROR_KERNELS;
    kernels.forced = true;
  }
  const CALL_THREADS threads(options.threads > 1 ? options.threads : 1);
  if (!threads.pool) return MORVANE_ERROR_MEMORY;
  const RUNNER runner = pool_runner(threads.pool);
  const RUNNER* run = options.threads > 1 ? &runner : nullptr;

  PLANE_JOB left[4];  // the jobs with a pass left after the low-pass
  LOW_PASS_SAMPLES low_passed[4];
  if (options.antialias) {
    std::copy(jobs, jobs + count, left);
    count = low_pass_jobs(left, count, low_passed, run);
    if (count < 0) return MORVANE_ERROR_MEMORY;
    if (count == 0) return MORVANE_OK;
    jobs = left;
  }
  PLANE_WORK work;
  return resize_planes(work, jobs, count, options.vertical_first, run) ? MORVANE_OK
                                                                       : MORVANE_ERROR_MEMORY;
}

}  // namespace

int run_plane_jobs(const PLANE_JOB* jobs, int32_t count, const morvane_options& options) {
  try {
    return run_in_turn(jobs, count, options);
  } catch (const std::exception&) {  // no memory for a thread or a lock
    return MORVANE_ERROR_MEMORY;
  }
}

morvane_options options_or_defaults(const morvane_options* options) {
  morvane_options o;
  morvane_options_init(&o);
  return options ? *options : o;
}
