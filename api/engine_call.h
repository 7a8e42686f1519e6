#pragma once
// One call on the engine: its options applied, its planes resized in its
// context's work area on its context's threads.
#include <cstdint>

#include "context.h"
#include "morvane.h"
#include "plane.h"

// Resizes the jobs (at most 4) as resize_planes does, under `options`
// (already checked; its thread count is the context's): low-passed first
// with antialias, with the kernel variant named, in the context's buffers
// and work area. Calls in different contexts run side by side.
// MORVANE_OK, MORVANE_ERROR_KERNELS or MORVANE_ERROR_MEMORY.
int run_plane_jobs(morvane_context& context, const PLANE_JOB* jobs, int32_t count,
                   const morvane_options& options);

// `options`, or the defaults for null.
morvane_options options_or_defaults(const morvane_options* options);
