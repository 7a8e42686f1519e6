#pragma once
// One y4m frame's planes (Y, then Cb, then Cr; 8-bit samples or 16-bit
// little-endian words) to and from a YC48 frame (yc48_image.h): the editor's
// way, in which chroma lives at every pixel. Mono frames have luma alone, and
// zero chroma in YC48.
//
// In: chroma is first brought to every pixel, then converted. Across a
// co-sited axis an even pixel takes its sample and an odd one the mean of the
// two beside it; across a centred axis a pixel takes 3/4 of the nearer sample
// and 1/4 of the farther one. The edges repeat the last sample.
// Out: a co-sited axis takes the chroma of the even pixel, a centred axis the
// mean of the two pixels the sample covers.
// The weights are kept exact: the host's formula is applied to the weighted
// sum, never to a rounded mean.
#include <cstdint>
#include <vector>

#include "y4m_header.h"
#include "yc48_image.h"

// Fills `frame` from `planes` (y4m_frame_bytes(format) bytes): sets its w and
// h to the format's, for which its pixels must have room.
void planes_to_frame(const uint8_t* planes, const Y4M_FORMAT& format, YC48_IMAGE& frame);

// Writes the image of `frame` as planes of `format` (whose width and height
// must be the frame's w and h) into `planes`.
void frame_to_planes(const YC48_IMAGE& frame, const Y4M_FORMAT& format, uint8_t* planes);

// The same for image rows [first_row, end_row) only, so that parts of a frame
// can be converted at once on several threads; the frame's w and h are not
// touched (and must be the format's). Out: a chroma row belongs to the part that holds its first
// row.
void planes_to_frame(const uint8_t* planes, const Y4M_FORMAT& format, YC48_IMAGE& frame,
                     int32_t first_row, int32_t end_row);
void frame_to_planes(const YC48_IMAGE& frame, const Y4M_FORMAT& format, uint8_t* planes,
                     int32_t first_row, int32_t end_row);
