#pragma once
// The tool's YC48 frames: pixels of three int16, y (0 .. 4096 for black to
// white), cb and cr (-2048 .. 2048), the layout of morvane_resize_yc48 and of
// .yc48 files.
#include <cstddef>
#include <cstdint>

struct YC48_PIXEL {
  int16_t y;
  int16_t cb;
  int16_t cr;
};

// w x h pixels in rows of w (no padding).
struct YC48_IMAGE {
  YC48_PIXEL* pixels = nullptr;
  int32_t w = 0;
  int32_t h = 0;
};

inline YC48_PIXEL* image_row(const YC48_IMAGE& image, int32_t y) {
  return image.pixels + static_cast<size_t>(y) * static_cast<size_t>(image.w);
}
