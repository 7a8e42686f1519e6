#pragma once
// A low-pass along one axis of a plane, for shrinking without aliasing
// (the tool's --antialias; the plug-in does not link it). The spline
// interpolates its samples, so a detail finer than the target can hold
// would come through a shrink as a coarser false pattern (moire); this
// filter first takes out what lies above the target's Nyquist frequency.
//
// The filter: a windowed sinc whose cutoff is the target's Nyquist frequency
// (half a cycle per target sample, 0.5 * m / n cycles per source sample),
// Kaiser window (beta 3) of half-width two target samples, taps normalised
// to a sum of 1; the edges repeat the first and last sample. It keeps 0.99
// and more of a sine at half the cutoff, about 0.24 at 1.2 times it, and at
// most 0.02 from 1.5 times it on. Its output is band-limited below the
// target's Nyquist frequency, so it is taken only at every step-th sample
// (below), which keeps the work about the same per source sample whatever
// the ratio. The taps are computed from arithmetic alone (no library sine),
// single-precision sums in a fixed order, so every build gives the same
// bits.
#include <cstdint>
#include <vector>

#include "grid_pass.h"
#include "plane.h"

// How a shrink from n to m samples along an axis is low-passed: the filter
// is taken at every step-th sample (step = n / m rounded down, at least 1),
// the first at `phase`, `count` samples in all, so that the spline then
// shrinks by less than 2. The filtered samples keep the grid's geometry:
// with a phase of offset * (step - 1), target sample i of a grid
// {offset, span, target_span} falls on filtered sample
// (i + offset) * span / (target_span * step) - offset (low_passed_grid).
struct LOW_PASS_PLAN {
  int32_t step;
  double phase;
  int32_t count;
  int32_t first_tap;  // taps run from the sample first_tap after each output's
  int32_t taps;       // nearest sample at or before it, `taps` of them
};

LOW_PASS_PLAN plan_low_pass(int32_t n, int32_t m, float offset);
AXIS_GRID low_passed_grid(const AXIS_GRID& grid, const LOW_PASS_PLAN& plan);

// Filters `from` along `axis` for a shrink to `target` samples on that axis
// (smaller than from's) into `to`, which has plan.count samples along the
// axis and from's size across it. Samples are rounded to nearest and
// saturated to int16. runner null: the calling thread does everything.
// False when memory could not be had or the runner failed.
bool low_pass(const PLANE& from, const PLANE& to, AXIS axis, int32_t target,
              const LOW_PASS_PLAN& plan, const RUNNER* runner);

// Replaces the job's source, along each axis that shrinks, by its low-passed
// samples, held in own[0] (across) and own[1] (down), and its grid by
// theirs; an axis that is enlarged or keeps its size is left alone. False
// when memory could not be had or the runner failed.
bool low_pass_job(PLANE_JOB& job, std::vector<int16_t> (&own)[2], const RUNNER* runner);
