#pragma once
// The tool's YC48 frames in page memory, with its error lines.
#include <cstdint>
#include <string>

#include "sample_buffer.h"
#include "yc48_image.h"

// Makes `buffer` hold a w x h frame, with transparent huge pages asked for (a
// column walk touches one page per row, so fewer, larger pages save TLB
// misses), and returns the frame. Throws TOOL_ERROR naming `name` when the
// size is refused or no memory is had.
YC48_IMAGE allocate_frame(SAMPLE_BUFFER& buffer, int32_t w, int32_t h, const std::string& name);

// The same without the error lines: false when the memory cannot be had.
bool make_frame(SAMPLE_BUFFER& buffer, int32_t w, int32_t h, YC48_IMAGE& frame);
