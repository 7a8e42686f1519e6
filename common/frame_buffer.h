#pragma once
// A frame buffer in page memory of its own: max_h rows of max_w pixels,
// zero-filled, given back when the FRAME_BUFFER goes. The command-line tool
// asks for huge pages; the test host and the tests put guard pages around it.
// Pages are taken as they are first touched, so a buffer sized by a file's
// header costs only what its data fills.
#include <cstddef>
#include <cstdint>

#include "pages.h"
#include "resize.h"
#include "sample_buffer.h"

struct FRAME_BUFFER {
  FRAME frame{};  // its buffer and size; the image (w x h) starts empty
  PAGE_SPAN memory;

  FRAME_BUFFER() = default;
  FRAME_BUFFER(const FRAME_BUFFER&) = delete;
  FRAME_BUFFER& operator=(const FRAME_BUFFER&) = delete;
  ~FRAME_BUFFER();
};

// Bytes of w x h pixels, counted without overflow: 0 when a side is below 1,
// UINT64_MAX when the count does not fit in 64 bits.
uint64_t frame_bytes(int32_t w, int32_t h);

// Makes `buffer` hold max_w x max_h pixels (both at least 1) with an empty
// image, giving back what it held. False, with the buffer empty, when the
// memory cannot be had.
bool make_frame_buffer(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h,
                       const PAGE_OPTIONS& options);

void free_frame_buffer(FRAME_BUFFER& buffer);

// The pixel at (x, y) of the buffer.
inline PIXEL_YC* pixel_at(const FRAME& f, int32_t x, int32_t y) {
  return f.buffer + static_cast<size_t>(y) * static_cast<size_t>(f.max_w) + static_cast<size_t>(x);
}
