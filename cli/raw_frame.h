#pragma once
// Headerless .yc48 frames: rows of PIXEL_YC (y, cb, cr as little-endian
// int16), w x h pixels, no padding.
#include <cstdint>

#include "file_io.h"
#include "resize.h"

// Reads one w x h frame into the top-left of `frame` (which must have room)
// and sets frame.w, frame.h. The file must hold exactly one frame: a shorter
// or longer file throws TOOL_ERROR naming it and its length.
void read_yc48_frame(INPUT_FILE& in, FRAME& frame, int32_t w, int32_t h);

// Writes the image of `frame` (w x h pixels) as a .yc48 frame.
void write_yc48_frame(OUTPUT_FILE& out, const FRAME& frame);
