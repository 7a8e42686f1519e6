#include "call_checks.h"

#include <cstdint>

int check_image(const IMAGE_ARGS& image) {
  if (!image.data) return MORVANE_ERROR_NULL_POINTER;
  if (image.width < 1 || image.height < 1) return MORVANE_ERROR_SIZE;
  if (image.width > MORVANE_MAX_SIDE || image.height > MORVANE_MAX_SIDE)
    return MORVANE_ERROR_SIZE_LIMIT;
  const uint64_t row = static_cast<uint64_t>(image.width) * image.bytes_per_pixel;
  if (image.stride < 0 || static_cast<uint64_t>(image.stride) < row ||
      image.stride % image.sample_bytes != 0)
    return MORVANE_ERROR_STRIDE;
  // Rows past the first, then the last row: the span must be addressable
  // from the buffer's first byte.
  const uint64_t rows = static_cast<uint64_t>(image.height) - 1;
  const uint64_t room = static_cast<uint64_t>(PTRDIFF_MAX) - row;
  if (rows != 0 && static_cast<uint64_t>(image.stride) > room / rows) return MORVANE_ERROR_OVERFLOW;
  if (reinterpret_cast<uintptr_t>(image.data) > UINTPTR_MAX - image_span(image))
    return MORVANE_ERROR_OVERFLOW;
  return MORVANE_OK;
}

uint64_t image_span(const IMAGE_ARGS& image) {
  return static_cast<uint64_t>(image.stride) * static_cast<uint64_t>(image.height - 1) +
         static_cast<uint64_t>(image.width) * image.bytes_per_pixel;
}

int check_apart(const IMAGE_ARGS& source, const IMAGE_ARGS& target) {
  const uintptr_t s = reinterpret_cast<uintptr_t>(source.data);
  const uintptr_t t = reinterpret_cast<uintptr_t>(target.data);
  const bool apart = s < t ? t - s >= image_span(source) : s - t >= image_span(target);
  return apart ? MORVANE_OK : MORVANE_ERROR_OVERLAP;
}

int check_options(const morvane_options* options) {
  if (!options) return MORVANE_OK;
  const auto flag = [](int v) { return v == 0 || v == 1; };
  if (options->threads < 1 || options->threads > 64 || !flag(options->vertical_first) ||
      !flag(options->antialias))
    return MORVANE_ERROR_OPTION;
  return MORVANE_OK;
}

int check_grid(const morvane_axis& axis) {
  const auto side = [](int v) { return v >= 1 && v <= MORVANE_MAX_SIDE; };
  if (!(axis.offset >= 0.0f && axis.offset <= 1.0f) || !side(axis.span) || !side(axis.target_span))
    return MORVANE_ERROR_GRID;
  return MORVANE_OK;
}
