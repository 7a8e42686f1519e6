#include "engine_call.h"

#include <algorithm>

#include "kernels.h"
#include "low_pass.h"

int run_plane_jobs(morvane_context& context, const PLANE_JOB* jobs, int32_t count,
                   const morvane_options& options) {
  // The variant the call names runs in the context's own work area; the
  // process-wide choice stays as it is.
  const KERNEL_VARIANT* kernels = find_kernels(options.kernels);
  if (!kernels) return MORVANE_ERROR_KERNELS;
  context.passes.kernels = kernels;
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

morvane_options options_or_defaults(const morvane_options* options) {
  morvane_options o;
  morvane_options_init(&o);
  return options ? *options : o;
}
