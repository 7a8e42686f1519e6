#include "frame_resize.h"

#include <algorithm>

#include "tool_error.h"

void prepare_plane_work(PLANE_WORK& work) { work.options.huge_pages = true; }

void resize_planes_or_fail(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count,
                           bool vertical_first, LOW_PASS_WORK* antialias,
                           const ENGINE_THREADS& threads, const std::string& name) {
  PLANE_JOB left[4];  // the jobs with a pass left after the low-pass
  if (antialias) {
    std::copy(jobs, jobs + count, left);
    count = low_pass_jobs(left, count, antialias->jobs, &threads.runner);
    if (count < 0) fail(name, "out of memory for the low-pass");
    if (count == 0) return;
    jobs = left;
  }
  if (!resize_planes(work, jobs, count, vertical_first, &threads.runner) &&
      !(run_on_fewer_threads(threads) &&
        resize_planes(work, jobs, count, vertical_first, &threads.runner)))
    fail(name, "out of memory for the engine's work buffers");
}

void resize_frame_channels(PLANE_WORK& work, const FRAME& source, const FRAME& target, int channels,
                           bool vertical_first, LOW_PASS_WORK* antialias,
                           const ENGINE_THREADS& threads, const std::string& name) {
  PLANE_JOB jobs[3];
  for (int c = 0; c < channels; ++c)
    jobs[c] = PLANE_JOB{frame_channel(source, c), frame_channel(target, c),
                        own_grid(source.w, target.w), own_grid(source.h, target.h)};
  resize_planes_or_fail(work, jobs, channels, vertical_first, antialias, threads, name);
}
