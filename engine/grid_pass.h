#pragma once
// One pass over a frame whose target samples fall where a grid puts them,
// not where the engine's own rule does. For planes whose samples sit on a
// coarser lattice than the picture's (subsampled chroma): their target
// positions follow the picture's size and the plane's siting, which for a
// co-sited axis or an odd picture size is no centre-on-centre mapping of the
// plane's own n and m.
//
// Each line is fitted by the reference solver (solve_column_group and its
// kin) and evaluated with the reference resampler's operations in its
// order; only the position of each target sample comes from the grid. With
// the engine's own grid (own_grid) the bits are those of resize_frame.
#include <cstdint>

#include "resize.h"

// Target sample i of a line is taken at source sample
// (i + offset) * span / target_span - offset, with sample j centred at j:
// one rounding for the ratio, one for the product, one for the knot
// position, as the engine's rule has them. Positions past the last sample
// take the last sample.
struct AXIS_GRID {
  float offset;         // 0.5: centres; 0.25: a plane co-sited on a picture twice as fine
  int32_t span;         // the picture's size along the axis
  int32_t target_span;  // the picture's target size along it
};

// The engine's own grid for lines of n samples resized to m.
AXIS_GRID own_grid(int32_t n, int32_t m);

// True when `grid` places the targets of an n to m line where the engine
// does (offset 0.5 and the same ratio), so that resize_frame gives its bits.
bool is_own_grid(const AXIS_GRID& grid, int32_t n, int32_t m);

enum class AXIS { across, down };

// Resizes the image of `frame` along `axis` to `target` samples (its width
// for across, its height for down) at the grid's positions, and writes the
// new size into the frame. Lines are rows of pixels (three lanes) across and
// 8-byte column groups down, as in the engine's passes, with the same tail
// rule. The buffer must hold the target (1 .. max_w or max_h). Workers run
// under pass_mxcsr; runner null: the calling thread does everything. False,
// with the frame's size unchanged, when the knot memory cannot be had or
// the runner fails.
bool grid_pass(FRAME& frame, AXIS axis, int32_t target, const AXIS_GRID& grid,
               const RUNNER* runner);
