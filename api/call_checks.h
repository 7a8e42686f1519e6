#pragma once
// The checks every call makes on its arguments before it touches a buffer,
// each fault its own status code (morvane.h).
#include <cstddef>
#include <cstdint>

#include "morvane.h"

// One image as a call receives it: `bytes_per_pixel` bytes a pixel, rows
// `stride` bytes apart, `sample_bytes` the unit a stride must be a whole
// number of.
struct IMAGE_ARGS {
  const void* data;
  ptrdiff_t stride;
  int width;
  int height;
  int bytes_per_pixel;
  int sample_bytes;
};

// MORVANE_OK, or the first fault of the image's arguments.
int check_image(const IMAGE_ARGS& image);

// Bytes from the image's first byte past its last row's last one; the image
// must have passed check_image.
uint64_t image_span(const IMAGE_ARGS& image);

// MORVANE_OK, or MORVANE_ERROR_OVERLAP when the two (checked) images share a byte.
int check_apart(const IMAGE_ARGS& source, const IMAGE_ARGS& target);

// MORVANE_OK, or MORVANE_ERROR_OPTION; null options are the defaults.
int check_options(const morvane_options* options);

// MORVANE_OK, or MORVANE_ERROR_GRID when an axis's offset is not 0 .. 1 or
// its spans are not 1 .. MORVANE_MAX_SIDE.
int check_grid(const morvane_axis& axis);
