#pragma once
// Resizing as the tool does it: every channel as a plane (plane.h), the
// passes in buffers of their own sizes, on the tool's threads; the engine's
// failure as an error line.
#include <string>
#include <vector>

#include "engine_threads.h"
#include "low_pass.h"
#include "plane.h"

// A PLANE_WORK as the tool keeps one: huge pages asked for (column walks
// touch one page per row).
void prepare_plane_work(PLANE_WORK& work);

// The low-pass's taps and samples for up to four jobs, two axes each, kept
// from call to call (the frames of a stream).
struct LOW_PASS_WORK {
  LOW_PASS_SAMPLES jobs[4];
};

// resize_planes; throws TOOL_ERROR naming `name` when it fails (it can only
// lack memory for jobs the tool built). antialias, when not null: every
// source is first low-passed along each axis that shrinks (low_pass.h) into
// its samples at the target's size along that axis, and the engine resizes
// what is left.
void resize_planes_or_fail(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count,
                           bool vertical_first, LOW_PASS_WORK* antialias,
                           const ENGINE_THREADS& threads, const std::string& name);

// Channels 0 .. channels - 1 of the image of `source` resized into the image
// of `target`, whose w and h must be the target size: the bits resize_frame
// gives them in one buffer.
void resize_frame_channels(PLANE_WORK& work, const FRAME& source, const FRAME& target, int channels,
                           bool vertical_first, LOW_PASS_WORK* antialias,
                           const ENGINE_THREADS& threads, const std::string& name);
