#pragma once
// Page memory for the work block: VirtualAlloc/VirtualFree on Windows,
// mmap/munmap elsewhere. Page-aligned, committed, read-write, zero-filled.
#include <cstddef>

void* allocate_pages(size_t bytes);  // null when none could be had
void release_pages(void* memory, size_t bytes);

// Replaceable allocator, for tests that count allocations or make them fail.
struct PAGE_ALLOCATOR {
  void* (*allocate)(size_t bytes);
  void (*release)(void* memory, size_t bytes);
};
// Installs `allocator` (null restores the system's) and returns the one before.
PAGE_ALLOCATOR set_page_allocator(const PAGE_ALLOCATOR* allocator);
