#include "frame_buffer.h"

FRAME_BUFFER::~FRAME_BUFFER() { free_frame_buffer(*this); }

uint64_t frame_bytes(int32_t w, int32_t h) {
  if (w < 1 || h < 1) return 0;
  // Below 2^62 pixels: the product of two int32_t fits.
  const uint64_t pixels = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  return pixels > UINT64_MAX / sizeof(PIXEL_YC) ? UINT64_MAX : pixels * sizeof(PIXEL_YC);
}

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

SAMPLE_BUFFER::~SAMPLE_BUFFER() { unmap_pages(memory); }

bool make_sample_buffer(SAMPLE_BUFFER& buffer, uint64_t count, const PAGE_OPTIONS& options) {
  unmap_pages(buffer.memory);
  buffer.samples = nullptr;
  if (count < 1 || count > SIZE_MAX / sizeof(int16_t) ||
      !map_pages(buffer.memory, static_cast<size_t>(count * sizeof(int16_t)), options))
    return false;
  buffer.samples = reinterpret_cast<int16_t*>(buffer.memory.data);
  return true;
}
