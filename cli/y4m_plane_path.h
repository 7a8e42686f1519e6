#pragma once
// The plane path of y4m streams: each plane of a frame as int16 samples, so
// that the engine resizes every plane at its own size (plane.h), at its own
// depth, each code a sample on a straight line whatever the plane and the
// range (sample_codes.h).
#include <cstdint>

#include "plane.h"
#include "sample_codes.h"
#include "y4m_header.h"

// Samples in one frame's planes, and views of them at `samples`: the planes
// one after the other, rows packed.
uint64_t frame_samples(const Y4M_FORMAT& format);
void sample_planes(const Y4M_FORMAT& format, int16_t* samples, PLANE planes[3]);

// Rows [first, end) of plane `plane` of a frame (y4m_frame_bytes bytes at
// `frame`) into its view, and back.
void plane_to_samples(const uint8_t* frame, const Y4M_FORMAT& format, int plane,
                      const SAMPLE_SCALE& scale, const PLANE& samples, int32_t first, int32_t end);
void samples_to_plane(const PLANE& samples, const Y4M_FORMAT& format, int plane,
                      const SAMPLE_SCALE& scale, uint8_t* frame, int32_t first, int32_t end);

// Where plane `plane`'s target samples fall along `axis` when the picture
// goes from `source` to `target`: the engine's own grid where the plane has
// the picture's size on that axis; otherwise the picture's own ratio, with
// the chroma's siting (centred, or co-sited with the even luma samples), so
// that the chroma of the result sits where the tag says.
AXIS_GRID plane_grid(const Y4M_FORMAT& source, const Y4M_FORMAT& target, int plane, AXIS axis);
