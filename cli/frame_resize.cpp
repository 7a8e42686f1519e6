#include "frame_resize.h"

#include "tool_error.h"

void prepare_plane_work(PLANE_WORK& work) { work.options.huge_pages = true; }

namespace {

PLANE plane_in(std::vector<int16_t>& samples, int32_t w, int32_t h) {
  samples.resize(static_cast<size_t>(w) * h);
  return PLANE{samples.data(), w, h, w, 1};
}

// True when resize_planes would run no pass along that axis.
bool stays(const AXIS_GRID& grid, int32_t n, int32_t m) {
  return n == m && is_own_grid(grid, n, m);
}

// Takes the job's every shrinking axis through the low-pass (low_pass.h):
// its source becomes the low-passed samples, at the target's size along
// those axes. The last low-pass writes straight into the target when no
// other axis has a pass left; the job is then done (true).
bool low_pass_job(PLANE_JOB& job, LOW_PASS_WORK::JOB& own, const RUNNER* runner, bool& done) {
  done = false;
  const int32_t w = job.target.w, h = job.target.h;
  if (w < job.source.w) {
    if (!plan_low_pass(own.plans[0], job.source.w, w, job.across)) return false;
    done = h == job.source.h && stays(job.down, h, h);
    const PLANE to = done ? job.target : plane_in(own.samples[0], w, job.source.h);
    if (!low_pass(job.source, to, AXIS::across, own.plans[0], runner)) return false;
    job.source = to;
    job.across = own_grid(w, w);
  }
  if (h < job.source.h) {
    if (!plan_low_pass(own.plans[1], job.source.h, h, job.down)) return false;
    done = stays(job.across, job.source.w, w);
    const PLANE to = done ? job.target : plane_in(own.samples[1], job.source.w, h);
    if (!low_pass(job.source, to, AXIS::down, own.plans[1], runner)) return false;
    job.source = to;
    job.down = own_grid(h, h);
  }
  return true;
}

}  // namespace

void resize_planes_or_fail(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count,
                           bool vertical_first, LOW_PASS_WORK* antialias,
                           const ENGINE_THREADS& threads, const std::string& name) {
  PLANE_JOB left[4];  // the jobs with a pass left after the low-pass
  if (antialias) {
    int32_t kept = 0;
    for (int32_t j = 0; j < count; ++j) {
      bool done = false;
      left[kept] = jobs[j];
      if (!low_pass_job(left[kept], antialias->jobs[j], &threads.runner, done))
        fail(name, "out of memory for the low-pass");
      kept += done ? 0 : 1;
    }
    jobs = left;
    count = kept;
    if (count == 0) return;
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
