// morvane_resize_yc48: the frame's three channels as planes straight from
// the caller's buffers, on the engine's own grid, so each gets the bits the
// video filter gives it.
#include <initializer_list>

#include "call_checks.h"
#include "context.h"
#include "engine_call.h"
#include "morvane.h"

extern "C" int morvane_context_resize_yc48(morvane_context* context, const int16_t* source,
                                           ptrdiff_t source_stride, int source_width,
                                           int source_height, int16_t* target,
                                           ptrdiff_t target_stride, int target_width,
                                           int target_height, const morvane_options* options) {
  const IMAGE_ARGS from{source, source_stride, source_width, source_height, 6, 2};
  const IMAGE_ARGS to{target, target_stride, target_width, target_height, 6, 2};
  for (int status :
       {check_image(from), check_image(to), check_apart(from, to), check_options(options)})
    if (status != MORVANE_OK) return status;

  // resize_planes only reads a job's source.
  auto* in = const_cast<int16_t*>(source);
  PLANE_JOB jobs[3];
  for (int c = 0; c < 3; ++c)
    jobs[c] =
        PLANE_JOB{PLANE{in + c, source_width, source_height, source_stride / 2, 3},
                  PLANE{target + c, target_width, target_height, target_stride / 2, 3},
                  own_grid(source_width, target_width), own_grid(source_height, target_height)};
  const morvane_options o = options_or_defaults(options);
  std::unique_ptr<morvane_context> own;
  morvane_context* in_context = call_context(context, o, own);
  return in_context ? run_plane_jobs(*in_context, jobs, 3, o) : MORVANE_ERROR_MEMORY;
}

extern "C" int morvane_resize_yc48(const int16_t* source, ptrdiff_t source_stride, int source_width,
                                   int source_height, int16_t* target, ptrdiff_t target_stride,
                                   int target_width, int target_height,
                                   const morvane_options* options) {
  return morvane_context_resize_yc48(nullptr, source, source_stride, source_width, source_height,
                                     target, target_stride, target_width, target_height, options);
}
