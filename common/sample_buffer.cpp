#include "sample_buffer.h"

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
