#pragma once
// A frame size in one 32-bit value: width in bits 0 to 15, height in bits 16
// to 31. Packing keeps the low 16 bits of each; unpacking reads both halves
// as unsigned. 640 by 480 packs to 31457920.
#include <cstdint>

constexpr uint32_t pack_size(int32_t width, int32_t height) {
  return (static_cast<uint32_t>(height) & 0xFFFFu) << 16 | (static_cast<uint32_t>(width) & 0xFFFFu);
}

constexpr int32_t packed_width(uint32_t packed) { return static_cast<int32_t>(packed & 0xFFFFu); }
constexpr int32_t packed_height(uint32_t packed) { return static_cast<int32_t>(packed >> 16); }

// A target size as the set button applies it.
struct FRAME_SIZE {
  int32_t width;
  int32_t height;
};
