#pragma once
// The plane path of y4m streams: each plane of a frame as int16 samples, so
// that the engine resizes every plane at its own size (plane.h). Samples are
// on the YC48 scale of their channel (luma_to_yc48, chroma_to_yc48, or the
// full range's), so a 4:4:4 frame's planes hold exactly the channels the
// YC48 path makes of it; 16-bit samples may instead keep all 16 bits (the
// code less 32768).
#include <cstdint>
#include <vector>

#include "plane.h"
#include "y4m_header.h"

// Code <-> sample tables of one format, for luma (0) and chroma (1).
struct SAMPLE_SCALE {
  std::vector<int16_t> in[2];    // code -> sample
  std::vector<uint16_t> out[2];  // sample + 32768 -> code, clamped to the codes
};

// `whole`: 16-bit codes less 32768, whatever the range; otherwise (and for
// fewer bits) the YC48 scale.
void make_sample_scale(const Y4M_FORMAT& format, bool whole, SAMPLE_SCALE& scale);

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
