#pragma once
// Shrinking one axis of a plane without aliasing (the tool's --antialias;
// the plug-in does not link it). The spline interpolates its samples, so a
// detail finer than the target can hold would come through a shrink as a
// coarser false pattern (moire). Along an axis that shrinks, the tool takes
// each target sample instead from a low-pass filter centred where the grid
// puts that sample: a windowed sinc whose cutoff is the target's Nyquist
// frequency (half a cycle per target sample), Kaiser window (beta 3) of
// half-width two target samples. It keeps 0.99 and more of a sine at half
// the cutoff, about 0.24 at 1.2 times it, and at most 0.02 from 1.5 times it
// on. The filter is evaluated at the target positions themselves (a
// polyphase filter: each target sample has taps of its own, normalised to a
// sum of 1, so flat planes stay flat), which costs about four
// multiply-adds per source sample whatever the ratio, and leaves no spline
// pass on that axis. The edges repeat the first and last sample.
//
// The taps come from arithmetic alone (no library sine), the sums are single
// precision in a fixed order without FMA, so every build gives the same
// bits.
#include <cstdint>
#include <memory>
#include <vector>

#include "grid_pass.h"
#include "plane.h"

// The taps of a shrink of n samples along an axis onto the targets of a
// grid (target i at source position (i + offset) * span / target_span -
// offset). Kept from frame to frame: making it costs more than a line.
struct LOW_PASS_PLAN {
  int32_t n = 0;  // source samples along the axis
  AXIS_GRID grid{};
  int32_t m = 0;                     // target samples
  int32_t taps = 0;                  // per target sample
  int32_t before = 0;                // samples the taps reach before the first source sample
  int32_t after = 0;                 // and after the last
  std::unique_ptr<int32_t[]> first;  // per target: the source sample of its first tap
  std::unique_ptr<float[]> weights;  // per target, `taps` of them
};

// Fills `plan` for lines of n samples shrunk to m on `grid` (m < n), unless
// it holds that already. False when memory could not be had.
bool plan_low_pass(LOW_PASS_PLAN& plan, int32_t n, int32_t m, const AXIS_GRID& grid);

// Resamples `from` along `axis` into `to` as `plan` says: to has plan.m
// samples along the axis and from's size across it. Samples are rounded to
// nearest and saturated to int16. runner null: the calling thread does
// everything. False when memory could not be had or the runner failed.
bool low_pass(const PLANE& from, const PLANE& to, AXIS axis, const LOW_PASS_PLAN& plan,
              const RUNNER* runner);

// What the low-pass keeps for one plane job from frame to frame: the taps
// and the low-passed samples of each axis (across, down).
struct LOW_PASS_SAMPLES {
  LOW_PASS_PLAN plans[2];
  std::vector<int16_t> samples[2];
};

// Takes every job's shrinking axes through the low-pass, jobs[j] with
// own[j]: its source becomes the low-passed samples, at the target's size
// along those axes, and its grid there the identity. The last low-pass of
// a job writes straight into its target when no other axis has a pass left,
// and the job is dropped from the list. Returns the count of jobs left for
// resize_planes, first in `jobs`; -1 when memory could not be had or the
// runner failed.
int32_t low_pass_jobs(PLANE_JOB* jobs, int32_t count, LOW_PASS_SAMPLES* own, const RUNNER* runner);
