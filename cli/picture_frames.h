#pragma once
// PNG pictures as engine frames. The colour goes through YC48 (grey as luma
// with zero chroma, RGB by the BT.601 weights); alpha, when present, travels
// as the luma of a second frame, on the luma scale, so the engine resizes it
// like any other channel.
#include "png_file.h"
#include "resize.h"

// Fills the top-left picture.width x picture.height of `colour` (and of
// `alpha`, which must be given when the picture has alpha) and sets w and h.
void picture_to_frames(const PNG_PICTURE& picture, FRAME& colour, FRAME* alpha);

// Makes `picture` the image of the frames (colour.w x colour.h) with the
// given channels and depth; `alpha` is read when the channels include alpha.
void frames_to_picture(const FRAME& colour, const FRAME* alpha, int channels, int depth,
                       PNG_PICTURE& picture);
