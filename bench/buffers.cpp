#include "buffers.h"

#include <sys/mman.h>

#include <new>

void PAGE_FREE::operator()(void* p) const { munmap(p, bytes); }

FRAME_MEMORY frame_memory(size_t bytes, bool huge_pages) {
  constexpr size_t huge = size_t{2} << 20;
  const size_t rounded = (bytes + huge - 1) / huge * huge;
  void* p = mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  if (huge_pages) madvise(p, rounded, MADV_HUGEPAGE);
  return FRAME_MEMORY(p, PAGE_FREE{rounded});
}
