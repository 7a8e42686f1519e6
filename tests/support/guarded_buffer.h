#pragma once
// Test memory between two inaccessible pages: its last byte touches the page
// after it, so any read or write past the end (or before the start) faults.
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
class GuardedFrame {
 public:
  GuardedFrame(int32_t max_w, int32_t max_h)
      : memory_(static_cast<size_t>(max_w) * max_h * sizeof(PIXEL_YC)),
        max_w_(max_w),
        max_h_(max_h) {}
  PIXEL_YC* pixels() const { return reinterpret_cast<PIXEL_YC*>(memory_.data()); }
  int16_t* samples() const { return reinterpret_cast<int16_t*>(memory_.data()); }
  PIXEL_YC& at(int32_t x, int32_t y) const { return pixels()[static_cast<size_t>(y) * max_w_ + x]; }
  size_t bytes() const { return memory_.size(); }
  int32_t max_w() const { return max_w_; }
  int32_t max_h() const { return max_h_; }

 private:
  GuardedBuffer memory_;
  int32_t max_w_;
  int32_t max_h_;
};

// Deterministic test images: smooth structure plus noise, full int16 range
// when `extreme` is set.
void fill_random(PIXEL_YC* pixels, size_t count, uint32_t seed, bool extreme = false);

// The w x h image at the top left of a buffer with max_w pixels per row.
std::vector<PIXEL_YC> copy_image(const PIXEL_YC* buffer, int32_t max_w, int32_t w, int32_t h);

// Index of the first int16 sample where a and b differ, or -1; for messages.
long first_difference(const std::vector<PIXEL_YC>& a, const std::vector<PIXEL_YC>& b);
