#pragma once
// The engine's entry: resize one frame buffer of PIXEL_YC in place.
#include <cstdint>

#include "abi.h"
#include "pixel.h"

// A frame buffer of max_h rows of max_w pixels (pitch 6 * max_w bytes); the
// image is its top-left w x h pixels.
struct FRAME {
  PIXEL_YC* buffer;
  int32_t w;
  int32_t h;
  int32_t max_w;
  int32_t max_h;
};

// Runs worker(i, count, param1, param2) once for every i in 0 .. count - 1
// (count >= 1, the same in every call) and returns only after all have
// ended; nonzero on success. `context` is the runner's own.
struct RUNNER {
  int (*run)(void* context, MULTI_THREAD_FUNC worker, void* param1, void* param2);
  void* context;
};

// What a pass worker gets as its second parameter; the layout of a Win32 RECT.
// Vertical pass: {w, h, w, target height}; horizontal: {w, h, target width, h}.
struct PASS_RECT {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Calls worker(0, 1, param1, param2) on the calling thread; returns 1.
int run_on_one_thread(MULTI_THREAD_FUNC worker, void* param1, void* param2);

// Resizes the image of `frame` to target_w x target_h: the horizontal pass then
// the vertical one, or the reverse when vertical_first is set; a pass runs only
// when its target differs from the current size. Targets are clamped into
// 1 .. max_w and 1 .. max_h. After each pass the new w or h is written back.
// runner null: everything runs on the calling thread.
// Returns 1 when done (also when nothing was to do); 0, with buffer and frame
// unchanged, for a frame without a usable image (no buffer, w or h below 1 or
// above the buffer) or when no work memory could be had; 0 at once when the
// runner fails (the first pass's size then stands).
int resize_frame(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                 const RUNNER* runner);

// The two pass workers (MULTI_THREAD_FUNC): param1 the frame buffer, param2 a
// PASS_RECT. Workers with index 16 or more return at once.
HOST_ENTRY void vertical_pass(int thread_id, int thread_num, void* buffer, void* rect);
HOST_ENTRY void horizontal_pass(int thread_id, int thread_num, void* buffer, void* rect);
