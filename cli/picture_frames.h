#pragma once
// PNG pictures as YC48. The colour goes through YC48 (grey as luma with zero
// chroma, RGB by the BT.601 weights); alpha, when present, travels on the
// luma scale as a channel of its own (a plane, or the luma of a second
// frame), so the engine resizes it like any other channel.
#include "png_file.h"
#include "resize.h"

// One row of `format.width` pixels of interleaved samples (format.channels
// each, format.depth bits) to YC48 pixels, and its alpha, when the format has
// alpha, to every `alpha_step`th int16 from `alpha` (which may then not be
// null).
void row_to_yc48(const uint16_t* samples, const PNG_PICTURE& format, PIXEL_YC* colour,
                 int16_t* alpha, int alpha_step);

// The reverse: a row of samples of the format from YC48 pixels and alpha.
void row_from_yc48(const PIXEL_YC* colour, const int16_t* alpha, int alpha_step,
                   const PNG_PICTURE& format, uint16_t* samples);

// Whole pictures (the demo, the tests): fills the top-left picture.width x
// picture.height of `colour` (and of `alpha`, which must be given when the
// picture has alpha) and sets w and h.
void picture_to_frames(const PNG_PICTURE& picture, FRAME& colour, FRAME* alpha);

// Makes `picture` the image of the frames (colour.w x colour.h) with the
// given channels and depth; `alpha` is read when the channels include alpha.
void frames_to_picture(const FRAME& colour, const FRAME* alpha, int channels, int depth,
                       PNG_PICTURE& picture);
