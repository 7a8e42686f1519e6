#pragma once
// Colour weighted by its alpha (premultiplied) for resizing, and back.
// Resizing premultiplied colour lets each pixel's colour count as much as
// it is seen, so the colour stored under transparent pixels, which nobody
// sees, never bleeds into the visible fringe. A fully opaque pixel keeps its
// values exactly both ways.
//
// Back: colour times the full level over the resized alpha, rounded to
// nearest; where the resized alpha is zero or below no colour is left, and
// the colour is zero.
#include <cstdint>

#include "yc48_image.h"

// YC48 colour and alpha levels of one row (alpha 0 .. 4096, as
// level_to_yc48 gives; `alpha_step` int16 from one pixel's alpha to the next).
void premultiply_yc48(YC48_PIXEL* colour, const int16_t* alpha, int alpha_step, int32_t count);
void unpremultiply_yc48(YC48_PIXEL* colour, const int16_t* alpha, int alpha_step, int32_t count);

// A row of 16-bit samples (interleaved, the code less 32768) whose last
// channel is alpha. Weighted, the colour and the alpha are halved, to
// 15 bits about 0 (16384 less): the spline's overshoot of an alpha edge
// then keeps room inside int16 and colour over alpha stays the colour there.
// Back to codes: the colour over the halved alpha; the alpha codes from
// `alpha`, the same alpha resized on its own at its full 16 bits (the code
// less 32768, one sample a pixel), so that no alpha code is lost.
void premultiply_samples(int16_t* row, int32_t width, int channels);
void unpremultiply_samples(const int16_t* row, const int16_t* alpha, int32_t width, int channels,
                           uint16_t* codes);
