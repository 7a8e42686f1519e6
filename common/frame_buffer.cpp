#include "frame_buffer.h"

FRAME_BUFFER::~FRAME_BUFFER() { free_frame_buffer(*this); }

bool make_frame_buffer(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h,
                       const PAGE_OPTIONS& options) {
  free_frame_buffer(buffer);
  if (max_w < 1 || max_h < 1) return false;
  const uint64_t bytes =
      uint64_t{sizeof(PIXEL_YC)} * static_cast<uint64_t>(max_w) * static_cast<uint64_t>(max_h);
  if (bytes > SIZE_MAX || !map_pages(buffer.memory, static_cast<size_t>(bytes), options))
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
