#pragma once
// The codes of a call's planes into the context's int16 samples and back
// (sample_codes.h), their rows shared out among the context's threads.
#include <cstddef>
#include <cstdint>

#include "resize.h"
#include "sample_codes.h"

// One plane's codes (rows `stride` bytes apart) and its packed samples.
struct CODE_PLANE {
  unsigned char* codes;
  ptrdiff_t stride;
  int16_t* samples;
  int32_t width;
  int32_t height;
};

// Every plane's codes into its samples (to_samples), or its samples into
// its codes. runner null: the calling thread does everything. False when
// the runner failed.
bool convert_planes(const CODE_PLANE* planes, int32_t count, const SAMPLE_SCALE& scale,
                    bool to_samples, const RUNNER* runner);
