#include "frame_resize.h"

#include "low_pass.h"
#include "tool_error.h"

void prepare_plane_work(PLANE_WORK& work) { work.options.huge_pages = true; }

void resize_planes_or_fail(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count,
                           bool vertical_first, bool antialias, const ENGINE_THREADS& threads,
                           const std::string& name) {
  for (int32_t j = 0; antialias && j < count; ++j) {
    const PLANE_JOB& job = jobs[j];
    if (!low_pass(job.source, AXIS::across, job.target.w, &threads.runner) ||
        !low_pass(job.source, AXIS::down, job.target.h, &threads.runner))
      fail(name, "out of memory for the low-pass");
  }
  if (!resize_planes(work, jobs, count, vertical_first, &threads.runner))
    fail(name, "out of memory for the engine's work buffers");
}

void resize_frame_channels(PLANE_WORK& work, const FRAME& source, const FRAME& target, int channels,
                           bool vertical_first, bool antialias, const ENGINE_THREADS& threads,
                           const std::string& name) {
  PLANE_JOB jobs[3];
  for (int c = 0; c < channels; ++c)
    jobs[c] = PLANE_JOB{frame_channel(source, c), frame_channel(target, c),
                        own_grid(source.w, target.w), own_grid(source.h, target.h)};
  resize_planes_or_fail(work, jobs, channels, vertical_first, antialias, threads, name);
}
