#include "frame_resize.h"

#include "low_pass.h"
#include "tool_error.h"

void prepare_plane_work(PLANE_WORK& work) { work.options.huge_pages = true; }

namespace {

PLANE plane_in(std::vector<int16_t>& samples, int32_t w, int32_t h) {
  samples.resize(static_cast<size_t>(w) * h);
  return PLANE{samples.data(), w, h, w, 1};
}

// Replaces the job's source, along each axis that shrinks, by its low-passed
// samples (low_pass.h) and its grid by theirs.
bool low_pass_job(PLANE_JOB& job, std::vector<int16_t> (&own)[2], const RUNNER* runner) {
  if (job.target.w < job.source.w) {
    const LOW_PASS_PLAN plan = plan_low_pass(job.source.w, job.target.w, job.across.offset);
    const PLANE filtered = plane_in(own[0], plan.count, job.source.h);
    if (!low_pass(job.source, filtered, AXIS::across, job.target.w, plan, runner)) return false;
    job.source = filtered;
    job.across = low_passed_grid(job.across, plan);
  }
  if (job.target.h < job.source.h) {
    const LOW_PASS_PLAN plan = plan_low_pass(job.source.h, job.target.h, job.down.offset);
    const PLANE filtered = plane_in(own[1], job.source.w, plan.count);
    if (!low_pass(job.source, filtered, AXIS::down, job.target.h, plan, runner)) return false;
    job.source = filtered;
    job.down = low_passed_grid(job.down, plan);
  }
  return true;
}

}  // namespace

void resize_planes_or_fail(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count,
                           bool vertical_first, LOW_PASS_WORK* antialias,
                           const ENGINE_THREADS& threads, const std::string& name) {
  PLANE_JOB filtered[4];
  if (antialias) {
    for (int32_t j = 0; j < count; ++j) {
      filtered[j] = jobs[j];
      if (!low_pass_job(filtered[j], antialias->samples[j], &threads.runner))
        fail(name, "out of memory for the low-pass");
    }
    jobs = filtered;
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
