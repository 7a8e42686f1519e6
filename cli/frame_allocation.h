#pragma once
// The tool's frame buffers, with its error lines.
#include <cstdint>
#include <string>

#include "frame_buffer.h"

// Makes `buffer` hold a max_w x max_h frame buffer with an empty image, with
// transparent huge pages asked for (a column walk touches one page per row, so
// fewer, larger pages save TLB misses). Throws TOOL_ERROR naming `name` when
// the size is refused or no memory is had.
void allocate_frame(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h, const std::string& name);
