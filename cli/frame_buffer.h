#pragma once
// An engine frame buffer that the tools own: max_h rows of max_w pixels from
// the page allocator, zero-filled, with transparent huge pages asked for
// (a column walk touches one page per row, so fewer, larger pages save TLB
// misses). Freed when the FRAME_BUFFER goes.
#include <cstddef>

#include "resize.h"

struct FRAME_BUFFER {
  FRAME frame{};
  size_t bytes = 0;

  FRAME_BUFFER() = default;
  FRAME_BUFFER(const FRAME_BUFFER&) = delete;
  FRAME_BUFFER& operator=(const FRAME_BUFFER&) = delete;
  ~FRAME_BUFFER();
};

// Makes `buffer` hold a max_w x max_h buffer with an empty image (w = h = 0).
// Throws TOOL_ERROR naming `name` when the size is refused or no memory is had.
void make_frame_buffer(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h, const char* name);

// The pixel at (x, y) of the buffer.
inline PIXEL_YC* pixel_at(const FRAME& f, int32_t x, int32_t y) {
  return f.buffer + static_cast<size_t>(y) * static_cast<size_t>(f.max_w) + static_cast<size_t>(x);
}
