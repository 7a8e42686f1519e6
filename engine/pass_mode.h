#pragma once
// The SSE mode the passes run under, held for a scope: the caller's MXCSR is
// saved, pass_mxcsr set, and on every exit the caller's mode comes back.
// Included only by files built for the baseline instruction set, never by a
// kernel variant's own file.
#include <xmmintrin.h>

#include "spline.h"

class PASS_MODE {
 public:
  // restore: the caller's MXCSR only (work done before the workers start).
  // restore_and_empty_mmx: a worker's, which also leaves the MMX registers
  // empty after its MXCSR is back, since the host's x87 code needs them free.
  enum EXIT { restore, restore_and_empty_mmx };

  explicit PASS_MODE(EXIT on_exit) : saved_(_mm_getcsr()), on_exit_(on_exit) {
    _mm_setcsr(pass_mxcsr);
  }
  ~PASS_MODE() {
    _mm_setcsr(saved_);
    if (on_exit_ == restore_and_empty_mmx) _mm_empty();
  }
  PASS_MODE(const PASS_MODE&) = delete;
  PASS_MODE& operator=(const PASS_MODE&) = delete;

 private:
  unsigned saved_;
  EXIT on_exit_;
};
