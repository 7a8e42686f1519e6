// morvane_resize_planes and morvane_resize_plane: codes of one depth through
// the engine's int16 samples (sample_codes.h) and back, each plane on the
// grid its job gives.
#include <initializer_list>

#include "call_checks.h"
#include "context.h"
#include "engine_call.h"
#include "morvane.h"
#include "sample_planes.h"

namespace {

bool known_depth(int depth) { return depth == 8 || depth == 10 || depth == 12 || depth == 16; }

IMAGE_ARGS source_of(const morvane_plane_job& job, int bytes) {
  return IMAGE_ARGS{job.source, job.source_stride, job.source_width, job.source_height, bytes, 1};
}

IMAGE_ARGS target_of(const morvane_plane_job& job, int bytes) {
  return IMAGE_ARGS{job.target, job.target_stride, job.target_width, job.target_height, bytes, 1};
}

// MORVANE_OK, or the first fault of the call's arguments.
int check_call(const morvane_plane_job* jobs, int count, int depth,
               const morvane_options* options) {
  if (!jobs) return MORVANE_ERROR_NULL_POINTER;
  if (count < 1 || count > 4) return MORVANE_ERROR_COUNT;
  if (!known_depth(depth)) return MORVANE_ERROR_DEPTH;
  const int bytes = depth == 8 ? 1 : 2;
  for (int j = 0; j < count; ++j)
    for (int status :
         {check_image(source_of(jobs[j], bytes)), check_image(target_of(jobs[j], bytes)),
          check_grid(jobs[j].across), check_grid(jobs[j].down)})
      if (status != MORVANE_OK) return status;
  // No target may share a byte with a source or another target.
  for (int j = 0; j < count; ++j)
    for (int k = 0; k < count; ++k) {
      const IMAGE_ARGS target = target_of(jobs[k], bytes);
      int status = check_apart(source_of(jobs[j], bytes), target);
      if (status == MORVANE_OK && j < k) status = check_apart(target_of(jobs[j], bytes), target);
      if (status != MORVANE_OK) return status;
    }
  return check_options(options);
}

AXIS_GRID grid_of(const morvane_axis& axis) {
  return AXIS_GRID{axis.offset, axis.span, axis.target_span};
}

int resize_in(morvane_context& context, const morvane_plane_job* jobs, int count, int depth,
              const morvane_options& options) {
  CODE_PLANE sources[4], targets[4];
  PLANE_JOB plane_jobs[4];
  for (int j = 0; j < count; ++j) {
    const morvane_plane_job& job = jobs[j];
    if (!hold_samples(context.sources[j], uint64_t{1} * job.source_width * job.source_height) ||
        !hold_samples(context.targets[j], uint64_t{1} * job.target_width * job.target_height))
      return MORVANE_ERROR_MEMORY;
    // The source's codes are only read.
    sources[j] =
        CODE_PLANE{static_cast<unsigned char*>(const_cast<void*>(job.source)), job.source_stride,
                   context.sources[j].data(), job.source_width, job.source_height};
    targets[j] = CODE_PLANE{static_cast<unsigned char*>(job.target), job.target_stride,
                            context.targets[j].data(), job.target_width, job.target_height};
    plane_jobs[j] = PLANE_JOB{
        PLANE{sources[j].samples, job.source_width, job.source_height, job.source_width, 1},
        PLANE{targets[j].samples, job.target_width, job.target_height, job.target_width, 1},
        grid_of(job.across), grid_of(job.down)};
  }
  const SAMPLE_SCALE scale = sample_scale(depth);
  const RUNNER* runner = context_runner(context);
  if (!convert_planes(sources, count, scale, true, runner)) return MORVANE_ERROR_MEMORY;
  if (const int status = run_plane_jobs(context, plane_jobs, count, options); status != MORVANE_OK)
    return status;
  return convert_planes(targets, count, scale, false, runner) ? MORVANE_OK : MORVANE_ERROR_MEMORY;
}

}  // namespace

extern "C" int morvane_resize_planes(morvane_context* context, const morvane_plane_job* jobs,
                                     int count, int depth, const morvane_options* options) {
  if (const int status = check_call(jobs, count, depth, options); status != MORVANE_OK)
    return status;
  const morvane_options o = options_or_defaults(options);
  std::unique_ptr<morvane_context> own;
  morvane_context* in = call_context(context, o, own);
  return in ? resize_in(*in, jobs, count, depth, o) : MORVANE_ERROR_MEMORY;
}

extern "C" int morvane_context_resize_plane(morvane_context* context, const void* source,
                                            ptrdiff_t source_stride, int source_width,
                                            int source_height, void* target,
                                            ptrdiff_t target_stride, int target_width,
                                            int target_height, int depth,
                                            const morvane_options* options) {
  const morvane_plane_job job{source,
                              source_stride,
                              source_width,
                              source_height,
                              target,
                              target_stride,
                              target_width,
                              target_height,
                              morvane_axis{0.5f, source_width, target_width},
                              morvane_axis{0.5f, source_height, target_height}};
  return morvane_resize_planes(context, &job, 1, depth, options);
}

extern "C" int morvane_resize_plane(const void* source, ptrdiff_t source_stride, int source_width,
                                    int source_height, void* target, ptrdiff_t target_stride,
                                    int target_width, int target_height, int depth,
                                    const morvane_options* options) {
  return morvane_context_resize_plane(nullptr, source, source_stride, source_width, source_height,
                                      target, target_stride, target_width, target_height, depth,
                                      options);
}
