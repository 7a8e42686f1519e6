#include "pages.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#endif

namespace {

void* system_allocate(size_t bytes) {
  if (bytes == 0) return nullptr;
#if defined(_WIN32)
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT, PAGE_READWRITE);
#else
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
#endif
}

void system_release(void* memory, size_t bytes) {
#if defined(_WIN32)
  (void)bytes;
  VirtualFree(memory, 0, MEM_RELEASE);
#else
  munmap(memory, bytes);
#endif
}

PAGE_ALLOCATOR current = {system_allocate, system_release};

}  // namespace

void* allocate_pages(size_t bytes) { return current.allocate(bytes); }

void release_pages(void* memory, size_t bytes) {
  if (memory) current.release(memory, bytes);
}

PAGE_ALLOCATOR set_page_allocator(const PAGE_ALLOCATOR* allocator) {
  const PAGE_ALLOCATOR before = current;
  current = allocator ? *allocator : PAGE_ALLOCATOR{system_allocate, system_release};
  return before;
}
