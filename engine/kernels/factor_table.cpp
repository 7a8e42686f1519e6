#include "spline.h"

void build_factor_table(VEC4* table, int32_t count) {
  float f = 0.25f;
  table[0] = VEC4{{f, f, f, f}};
  for (int32_t j = 1; j < count; ++j) {
    const float pivot = 4.0f - f;  // rounded to single precision
    f = 1.0f / pivot;              // a true division, rounded once
    table[j] = VEC4{{f, f, f, f}};
  }
}
