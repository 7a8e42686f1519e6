#pragma once
// The engine's entry: resize one frame buffer of PIXEL_YC in place.
//
// Results, throughout the engine: a function that can fail returns bool,
// true for success; one that cannot returns nothing. The host's 1 and 0 are
// made in host/.
#include <cstdint>

#include "abi.h"
#include "pixel.h"

struct KERNEL_VARIANT;
struct WORK_AREA;

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
// ended; true on success. `context` is the runner's own.
struct RUNNER {
  bool (*run)(void* context, MULTI_THREAD_FUNC worker, void* param1, void* param2);
  void* context;
};

// What a pass worker gets as its second parameter: the image size before the
// pass and after it. A pass changes one of them: the vertical pass gets
// {w, h, w, target height}, the horizontal one {w, h, target width, h}.
struct PASS_SIZES {
  int32_t width;
  int32_t height;
  int32_t target_width;
  int32_t target_height;
};

// The second parameter of a pass worker: the pass's sizes (first, so that
// it is a PASS_SIZES to whoever reads it as one) and the work area, prepared
// for the frame, whose slots, tables, counters and kernel variant the
// workers use.
struct PASS {
  PASS_SIZES sizes;
  WORK_AREA* area;
};

// Calls worker(0, 1, param1, param2) on the calling thread; returns true.
bool run_on_one_thread(MULTI_THREAD_FUNC worker, void* param1, void* param2);

// Runs `worker` on `runner`, or on the calling thread when runner is null;
// the runner's result.
bool run_workers(const RUNNER* runner, MULTI_THREAD_FUNC worker, void* param1, void* param2);

// Resizes the image of `frame` to target_w x target_h: the horizontal pass then
// the vertical one, or the reverse when vertical_first is set; a pass runs only
// when its target differs from the current size. Targets are clamped into
// 1 .. max_w and 1 .. max_h. After each pass the new w or h is written back.
// runner null: everything runs on the calling thread.
// True when done (also when nothing was to do); false, with buffer and frame
// unchanged, for a frame without a usable image (no buffer, w or h below 1 or
// above the buffer) or when no work memory could be had; false at once when
// the runner fails (the first pass's size then stands).
// The passes run in `area` with `kernels`; one frame at a time per area,
// frames in different areas side by side.
bool resize_frame(WORK_AREA& area, const KERNEL_VARIANT& kernels, FRAME& frame, int32_t target_w,
                  int32_t target_h, bool vertical_first, const RUNNER* runner);

// The plug-in's call: the process's own area (work_area) and kernel choice
// (active_kernels()).
bool resize_frame(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                  const RUNNER* runner);

// The lines [first, end) of `lines` that worker thread_id of thread_num takes
// when a runner's workers share them out evenly in index order. A count
// below 1 counts as 1; a worker whose index is not below it takes none.
struct LINE_SHARE {
  int32_t first;
  int32_t end;
};
LINE_SHARE line_share(int32_t lines, int thread_id, int thread_num);
