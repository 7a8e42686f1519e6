#pragma once
// Test memory whose last byte touches an inaccessible page, so that any read
// or write past the end faults at once.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixel.h"

class GuardedBuffer {
 public:
  explicit GuardedBuffer(size_t bytes);
  ~GuardedBuffer();
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  uint8_t* data() const { return data_; }
  size_t size() const { return bytes_; }

 private:
  uint8_t* base_ = nullptr;
  size_t mapped_ = 0;
  uint8_t* data_ = nullptr;
  size_t bytes_ = 0;
};

// A frame buffer of max_w x max_h pixels in guarded memory.
struct GuardedFrame {
  GuardedFrame(int32_t max_w, int32_t max_h)
      : memory(static_cast<size_t>(max_w) * max_h * sizeof(PIXEL_YC)), max_w(max_w), max_h(max_h) {}
  PIXEL_YC* pixels() const { return reinterpret_cast<PIXEL_YC*>(memory.data()); }
  PIXEL_YC& at(int32_t x, int32_t y) const { return pixels()[static_cast<size_t>(y) * max_w + x]; }
  GuardedBuffer memory;
  int32_t max_w;
  int32_t max_h;
};

// Deterministic test images: smooth structure plus noise, full int16 range
// when `extreme` is set.
void fill_random(PIXEL_YC* pixels, size_t count, uint32_t seed, bool extreme = false);

// The w x h image at the top left of a buffer with max_w pixels per row.
std::vector<PIXEL_YC> copy_image(const PIXEL_YC* buffer, int32_t max_w, int32_t w, int32_t h);

// Index of the first int16 sample where a and b differ, or -1; for messages.
long first_difference(const std::vector<PIXEL_YC>& a, const std::vector<PIXEL_YC>& b);
