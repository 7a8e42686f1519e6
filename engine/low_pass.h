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
// most 0.02 from 1.5 times it on. The taps are computed from arithmetic
// alone (no library sine), single-precision sums in a fixed order, so every
// build gives the same bits.
#include <cstdint>

#include "grid_pass.h"
#include "plane.h"

// The taps for a shrink from n to m samples (n > m): taps[0] the centre,
// taps[k] the weight of the samples k away, k = 1 .. the returned half-width.
// taps must have room for low_pass_half_width(n, m) + 1 floats.
int32_t low_pass_half_width(int32_t n, int32_t m);
void low_pass_taps(int32_t n, int32_t m, float* taps);

// Filters `plane` in place along `axis` for a shrink to `target` samples on
// that axis; does nothing when target is not smaller. Samples are rounded to
// nearest and saturated to int16. runner null: the calling thread does
// everything. False when memory could not be had or the runner failed; the
// plane is then partly filtered.
bool low_pass(const PLANE& plane, AXIS axis, int32_t target, const RUNNER* runner);
