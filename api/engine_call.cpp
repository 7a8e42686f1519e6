#include "engine_call.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "kernels.h"
#include "low_pass.h"

namespace {

// The engine keeps one work block and one kernel choice for the process:
// calls take turns on them.
std::mutex& engine_turn() {
  static std::mutex turn;
  return turn;
}

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

int run_in_turn(morvane_context& context, const PLANE_JOB* jobs, int32_t count,
                const morvane_options& options) {
  const std::lock_guard<std::mutex> turn(engine_turn());
  CALL_KERNELS kernels;
  if (options.kernels && *options.kernels && std::strcmp(options.kernels, "auto") != 0) {
    if (!force_kernels(options.kernels)) return MORVANE_ERROR_KERNELS;
    kernels.forced = true;
  }
  const RUNNER* run = context_runner(context);
  PLANE_JOB left[4];  // the jobs with a pass left after the low-pass
  if (options.antialias) {
    std::copy(jobs, jobs + count, left);
    count = low_pass_jobs(left, count, context.low_passed, run);
    if (count < 0) return MORVANE_ERROR_MEMORY;
    if (count == 0) return MORVANE_OK;
    jobs = left;
  }
  return resize_planes(context.passes, jobs, count, options.vertical_first, run)
             ? MORVANE_OK
             : MORVANE_ERROR_MEMORY;
}

}  // namespace

int run_plane_jobs(morvane_context& context, const PLANE_JOB* jobs, int32_t count,
                   const morvane_options& options) {
  try {
    return run_in_turn(context, jobs, count, options);
  } catch (const std::exception&) {  // no memory for a thread or a lock
    return MORVANE_ERROR_MEMORY;
  }
}

morvane_options options_or_defaults(const morvane_options* options) {
  morvane_options o;
  morvane_options_init(&o);
  return options ? *options : o;
}
