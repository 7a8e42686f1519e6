#pragma once
// The tool's .yc48 frames (the format: yc48_file.h), with its error lines.
#include <cstdint>

#include "file_io.h"
#include "resize.h"

// Reads one w x h frame into the top-left of `frame` (which must have room)
// and sets frame.w, frame.h. The file must hold exactly one frame: a shorter
// or longer file throws TOOL_ERROR naming it and its length (for one that
// goes on, the length read before the tool stopped looking).
void read_yc48_frame(INPUT_FILE& in, FRAME& frame, int32_t w, int32_t h);

// Writes the image of `frame` (w x h pixels) as a .yc48 frame.
void write_yc48_frame(OUTPUT_FILE& out, const FRAME& frame);
