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

// Before any buffer is sized for a w x h frame: throws TOOL_ERROR, as
// read_yc48_frame would, when the input is a file whose length is not that
// of one such frame (a size far larger than the file is told as such, not as
// a lack of memory). Other inputs are left to read_yc48_frame.
void check_yc48_length(const INPUT_FILE& in, int32_t w, int32_t h);

// Writes the image of `frame` (w x h pixels) as a .yc48 frame.
void write_yc48_frame(OUTPUT_FILE& out, const FRAME& frame);
