#pragma once
// The frame format the engine works on: three signed 16-bit samples per
// pixel (y, cb, cr), 6 bytes, no gap.
#include <cstdint>

struct PIXEL_YC {
  int16_t y;
  int16_t cb;
  int16_t cr;
};
static_assert(sizeof(PIXEL_YC) == 6, "PIXEL_YC is three int16 without padding");
