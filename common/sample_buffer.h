#pragma once
// int16 samples (planes, YC48 frames) in page memory of their own, zero-filled,
// given back when the SAMPLE_BUFFER goes. Pages are taken as they are first
// touched, so a buffer sized by a file's header costs only what its data fills.
#include <cstdint>

#include "pages.h"

struct SAMPLE_BUFFER {
  int16_t* samples = nullptr;
  PAGE_SPAN memory;

  SAMPLE_BUFFER() = default;
  SAMPLE_BUFFER(const SAMPLE_BUFFER&) = delete;
  SAMPLE_BUFFER& operator=(const SAMPLE_BUFFER&) = delete;
  ~SAMPLE_BUFFER();
};

// Makes `buffer` hold `count` samples (at least 1), giving back what it held.
// False, with the buffer empty, when the memory cannot be had.
bool make_sample_buffer(SAMPLE_BUFFER& buffer, uint64_t count, const PAGE_OPTIONS& options);
