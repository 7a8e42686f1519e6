#pragma once
// The plane path of y4m streams: each plane of a frame as int16 samples, so
// that the engine resizes every plane at its own size (plane.h), at its own
// depth. A code is a sample on a straight line whatever the plane and the
// range: shifted up to 15 bits and centred (code * 2^(15 - depth) - 16384),
// so an 8-bit code carries 7 fraction bits through both passes and the
// spline's overshoot keeps room inside int16; a 16-bit code is the code less
// 32768, where int16's saturation is the clamp to the codes. On the way out a
// sample is rounded to the nearest code (halves up) and clamped, so a pass
// adds no bias, and a flat plane of any code comes back as that code.
#include <cstdint>

#include "plane.h"
#include "y4m_header.h"

// Code <-> sample of one depth.
struct SAMPLE_SCALE {
  int shift;       // 15 - depth, 0 at 16 bits
  int32_t offset;  // 16384, 32768 at 16 bits
  int32_t max;     // the largest code
};

SAMPLE_SCALE sample_scale(int depth);
// A code above the largest is read as the largest.
int16_t code_to_sample(uint32_t code, const SAMPLE_SCALE& scale);
uint16_t sample_to_code(int16_t sample, const SAMPLE_SCALE& scale);

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
