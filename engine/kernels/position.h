#pragma once
// Where output i of a line of n samples resampled to m falls: the knot k it
// follows and the weights of knots k and k + 1. The reference kernels and the
// wide template both take it from here, so they use the same operations; the
// portable twin keeps its own copy, as an independent check.
//
// The functions are in an unnamed namespace: each kernel file compiles them
// with its own instruction set, and no copy built for a wider one may stand
// in for another. The work area fills the wide variants' shared table of a
// pass with them (work_area.cpp).
#include <cstdint>

struct POSITION {
  int32_t k;
  float t;   // fraction past knot k
  float a;   // 1 - t
  float wa;  // a^3 - a
  float wt;  // t^3 - t
};

namespace {

// Source samples per target sample: n / m, rounded once.
inline float line_step(int32_t n, int32_t m) {
  return static_cast<float>(n) / static_cast<float>(m);
}

// Output i's position, from i afresh each time (never accumulated): three
// roundings for the position, then exact fractions.
inline POSITION locate_output(float step, int32_t i) {
  const float u = static_cast<float>(i) + 0.5f;
  const float q = step * u;
  const float x = q + 0.5f;
  const int32_t k = static_cast<int32_t>(x);  // x > 0.5: truncation = integer part
  const float kf = static_cast<float>(k);
  const float t = x - kf;
  const float a = (1.0f - x) + kf;  // exact: a = 1 - t
  return POSITION{k, t, a, (a * a) * a - a, (t * t) * t - t};
}

}  // namespace
