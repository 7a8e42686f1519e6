#pragma once
// The plane path of y4m streams: every plane of a frame resized by the
// library at its own size and depth (morvane_resize_planes), each code a
// sample on a straight line whatever the plane and the range, the chroma's
// targets where its siting puts them.
#include <cstdint>

#include "morvane.h"
#include "y4m_header.h"

// The jobs of one frame's planes (format.planes of them): the source's
// planes in `in`, the target's in `out`, each as a y4m frame lays them out
// (y4m_frame_bytes; the planes one after the other, rows packed).
void plane_jobs(const Y4M_FORMAT& source, const Y4M_FORMAT& target, const uint8_t* in, uint8_t* out,
                morvane_plane_job jobs[3]);

// Where plane `plane`'s target samples fall along an axis (across: along
// the rows) when the picture goes from `source` to `target`: the plane call's
// own grid where the plane has the picture's size on that axis; otherwise
// the picture's own ratio, with the chroma's siting (centred, or co-sited
// with the even luma samples), so that the chroma of the result sits where
// the tag says.
morvane_axis plane_grid(const Y4M_FORMAT& source, const Y4M_FORMAT& target, int plane, bool across);
