#pragma once
// PNG pictures as YC48. The colour goes through YC48 (grey as luma with zero
// chroma, RGB by the BT.601 weights); alpha, when present, travels on the
// luma scale as a channel of its own (a plane of int16), so the library
// resizes it like any other channel.
#include "png_file.h"
#include "yc48_image.h"

// One row of `format.width` pixels of interleaved samples (format.channels
// each, format.depth bits) to YC48 pixels, and its alpha, when the format has
// alpha, to every `alpha_step`th int16 from `alpha` (which may then not be
// null).
void row_to_yc48(const uint16_t* samples, const PNG_PICTURE& format, YC48_PIXEL* colour,
                 int16_t* alpha, int alpha_step);

// The reverse: a row of samples of the format from YC48 pixels and alpha.
void row_from_yc48(const YC48_PIXEL* colour, const int16_t* alpha, int alpha_step,
                   const PNG_PICTURE& format, uint16_t* samples);

// Whole pictures (the demo, the tests): sets the w and h of `colour` to the
// picture's, for which its pixels must have room, and fills it; and `alpha`
// (one int16 a pixel, rows of picture.width), which must be given when the
// picture has alpha.
void picture_to_frames(const PNG_PICTURE& picture, YC48_IMAGE& colour, int16_t* alpha);

// Makes `picture` the image of `colour` (colour.w x colour.h) with the given
// channels and depth; `alpha` (laid out likewise) is read when the channels
// include alpha.
void frames_to_picture(const YC48_IMAGE& colour, const int16_t* alpha, int channels, int depth,
                       PNG_PICTURE& picture);
