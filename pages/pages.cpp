#include "pages.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
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

bool forbid_access(void* page, size_t bytes) {
#if defined(_WIN32)
  DWORD before;
  return VirtualProtect(page, bytes, PAGE_NOACCESS, &before) != 0;
#else
  return mprotect(page, bytes, PROT_NONE) == 0;
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

size_t page_size() {
#if defined(_WIN32)
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

bool map_pages(PAGE_SPAN& span, size_t bytes, const PAGE_OPTIONS& options) {
  span = PAGE_SPAN{};
  const size_t page = page_size();
  if (bytes == 0 || bytes > SIZE_MAX - 3 * page) return false;
  const size_t usable = (bytes + page - 1) / page * page;
  const size_t before = options.guard_before ? page : 0;
  const size_t after = options.guard_after ? page : 0;
  auto* region = static_cast<unsigned char*>(system_allocate(before + usable + after));
  if (!region) return false;
  if ((before && !forbid_access(region, before)) ||
      (after && !forbid_access(region + before + usable, after))) {
    system_release(region, before + usable + after);
    return false;
  }
#if defined(MADV_HUGEPAGE)
  if (options.huge_pages) madvise(region + before, usable, MADV_HUGEPAGE);
#endif
  span.region = region;
  span.region_bytes = before + usable + after;
  span.data = region + before + (after ? usable - bytes : 0);
  span.bytes = bytes;
  return true;
}

void unmap_pages(PAGE_SPAN& span) {
  if (span.region) system_release(span.region, span.region_bytes);
  span = PAGE_SPAN{};
}
