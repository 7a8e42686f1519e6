#include "frame_buffer.h"

#include "yc48_file.h"

FRAME_BUFFER::~FRAME_BUFFER() { free_frame_buffer(*this); }

static_assert(sizeof(PIXEL_YC) == 6, "a frame's pixels are those of its .yc48 file");

uint64_t frame_bytes(int32_t w, int32_t h) { return yc48_frame_bytes(w, h); }

bool make_frame_buffer(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h,
                       const PAGE_OPTIONS& options) {
  free_frame_buffer(buffer);
  const uint64_t bytes = frame_bytes(max_w, max_h);
  if (bytes == 0 || bytes > SIZE_MAX ||
      !map_pages(buffer.memory, static_cast<size_t>(bytes), options))
    return false;
  buffer.frame = FRAME{reinterpret_cast<PIXEL_YC*>(buffer.memory.data), 0, 0, max_w, max_h};
  return true;
}

void free_frame_buffer(FRAME_BUFFER& buffer) {
  unmap_pages(buffer.memory);
  buffer.frame = FRAME{};
}
