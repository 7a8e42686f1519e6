#pragma once
// Page memory: VirtualAlloc/VirtualFree on Windows, mmap/munmap elsewhere.
// Committed, read-write, zero-filled.
#include <cstddef>

// The work block's memory: page-aligned, through a replaceable allocator.
void* allocate_pages(size_t bytes);  // null when none could be had
void release_pages(void* memory, size_t bytes);

// Replaceable allocator, for tests that count allocations or make them fail.
struct PAGE_ALLOCATOR {
  void* (*allocate)(size_t bytes);
  void (*release)(void* memory, size_t bytes);
};
// Installs `allocator` (null restores the system's) and returns the one before.
PAGE_ALLOCATOR set_page_allocator(const PAGE_ALLOCATOR* allocator);

// Frame buffers of the programs around the engine and of the tests, always
// straight from the system.
struct PAGE_OPTIONS {
  bool guard_before = false;  // an inaccessible page right before the data's first page
  bool guard_after = false;   // the data's last byte right before an inaccessible page
  bool huge_pages = false;    // ask for transparent huge pages (a hint; Linux only)
};

struct PAGE_SPAN {
  unsigned char* data = nullptr;  // `bytes` usable bytes
  size_t bytes = 0;
  void* region = nullptr;  // the whole mapping, guard pages included
  size_t region_bytes = 0;
};

size_t page_size();

// Maps `bytes` (at least 1) of page memory with the guards asked for. The
// data starts on a page, except with guard_after, where it ends on one: then
// a read or write past its end faults at once. False, with `span` empty, when
// no memory could be had.
bool map_pages(PAGE_SPAN& span, size_t bytes, const PAGE_OPTIONS& options);

// Gives the mapping back and empties `span`; nothing to do for an empty one.
void unmap_pages(PAGE_SPAN& span);
