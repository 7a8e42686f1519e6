#pragma once
// Frame memory for the benchmark: page memory in whole 2 MiB units (so
// 64-byte aligned rows stay aligned), optionally backed by transparent huge
// pages.
#include <cstddef>
#include <memory>

#include "pages.h"

struct PAGE_FREE {
  PAGE_SPAN span;
  void operator()(void*);
};
using FRAME_MEMORY = std::unique_ptr<void, PAGE_FREE>;

// Zero-filled memory of at least `bytes`; throws std::bad_alloc.
FRAME_MEMORY frame_memory(size_t bytes, bool huge_pages);

// Rounds a row's bytes up to a multiple of 64.
inline size_t aligned_stride(size_t bytes) { return (bytes + 63) / 64 * 64; }
