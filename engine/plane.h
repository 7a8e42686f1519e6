#pragma once
// Resizing one channel at a time: a plane is a grid of int16 samples, such
// as one channel of a FRAME or one plane of a video frame.
//
// Same bits: on the engine's own grid a plane's every sample gets the
// arithmetic that resize_frame gives a channel of a FRAME of the same size:
// the same kernel variant, solver and resampler, the same operations in the
// same order. The passes are the engine's own: the horizontal one over pixel
// rows whose three lanes carry three rows of a plane, the vertical one over
// rows of plane samples, whose 8-byte column groups are four columns.
//
// Memory in proportion to the data: each pass runs in a buffer of its own,
// sized for what it reads and writes (the source and the intermediate, then
// the intermediate and the target), never for the largest width times the
// largest height.
#include <cstddef>
#include <cstdint>

#include "grid_pass.h"
#include "pages.h"
#include "resize.h"
#include "work_area.h"

struct PLANE {
  int16_t* samples;  // sample (x, y) at samples[y * pitch + x * step]
  int32_t w;
  int32_t h;
  ptrdiff_t pitch;  // samples from one row to the next
  int32_t step;     // samples from one sample to the next in a row: 1, or 3 in a FRAME
};

// Channel 0 (y), 1 (cb) or 2 (cr) of the image of `frame` as a plane.
PLANE frame_channel(const FRAME& frame, int channel);

// One plane to resize: the target's w and h are the target size, and the
// grids say where its columns and rows fall in the source.
struct PLANE_JOB {
  PLANE source;
  PLANE target;
  AXIS_GRID across;
  AXIS_GRID down;
};

// The buffers of the passes and the engine's work area they run in, kept
// from call to call (the frames of a stream) and grown when a call needs
// more. Page memory, given back when it goes. Calls on different PLANE_WORKs
// run side by side.
struct PLANE_WORK {
  PAGE_OPTIONS options;  // for the buffers it maps
  PAGE_SPAN rows;        // the horizontal passes' buffer
  PAGE_SPAN columns;     // the vertical passes'
  WORK_AREA area{};      // the engine's passes' slots and tables
  // The kernel variant of the engine's passes; null: the process-wide choice.
  const KERNEL_VARIANT* kernels = nullptr;

  PLANE_WORK() = default;
  PLANE_WORK(const PLANE_WORK&) = delete;
  PLANE_WORK& operator=(const PLANE_WORK&) = delete;
  ~PLANE_WORK();
};

// Resizes every job's source into its target: the horizontal passes of all
// jobs, then their vertical ones (the reverse with vertical_first). An axis
// whose grid is the engine's own and whose size stays runs no pass, and a
// job with neither axis to do is copied. Sources and targets must not
// overlap; at most 4 jobs, sizes 1 .. 65535. runner null: the calling thread
// does everything. False when memory could not be had or the runner failed;
// the targets are then undefined.
bool resize_planes(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count, bool vertical_first,
                   const RUNNER* runner);
