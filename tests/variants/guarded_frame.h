#pragma once
// A frame buffer between two inaccessible pages: its last byte touches the
// page after it and a page before it is inaccessible too, so any access
// outside the buffer faults at once.
#include <cstddef>
#include <cstdint>

#include "pixel.h"

class GuardedFrame {
 public:
  GuardedFrame(int32_t max_w, int32_t max_h);
  ~GuardedFrame();
  GuardedFrame(const GuardedFrame&) = delete;
  GuardedFrame& operator=(const GuardedFrame&) = delete;

  PIXEL_YC* pixels() const { return reinterpret_cast<PIXEL_YC*>(data_); }
  int16_t* samples() const { return reinterpret_cast<int16_t*>(data_); }
  size_t bytes() const { return bytes_; }
  int32_t max_w() const { return max_w_; }
  int32_t max_h() const { return max_h_; }

 private:
  int32_t max_w_;
  int32_t max_h_;
  size_t bytes_;
  size_t mapped_ = 0;
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};
