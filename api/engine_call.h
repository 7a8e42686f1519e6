#pragma once
// One call's turn on the engine: its options applied, its threads started and
// ended, its planes resized.
#include <cstdint>

#include "morvane.h"
#include "plane.h"

// Resizes the jobs (at most 4) as resize_planes does, under `options`
// (already checked): low-passed first with antialias, on options.threads
// threads, with the kernel variant named. Calls from several threads take
// turns. MORVANE_OK, MORVANE_ERROR_KERNELS or MORVANE_ERROR_MEMORY.
int run_plane_jobs(const PLANE_JOB* jobs, int32_t count, const morvane_options& options);

// `options`, or the defaults for null.
morvane_options options_or_defaults(const morvane_options* options);
