#include "buffers.h"

#include <new>

void PAGE_FREE::operator()(void*) { unmap_pages(span); }

FRAME_MEMORY frame_memory(size_t bytes, bool huge_pages) {
  constexpr size_t huge = size_t{2} << 20;
  PAGE_OPTIONS options;
  options.huge_pages = huge_pages;
  PAGE_SPAN span;
  if (!map_pages(span, (bytes + huge - 1) / huge * huge, options)) throw std::bad_alloc();
  return FRAME_MEMORY(span.data, PAGE_FREE{span});
}
