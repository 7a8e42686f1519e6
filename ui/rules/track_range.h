#pragma once
// Fitting a size into a track bar's range. The minimum is applied first and
// the maximum last, so when a minimum exceeds its maximum the maximum wins.
#include <cstdint>

constexpr int32_t clamp_to_track(int32_t value, int32_t minimum, int32_t maximum) {
  const int32_t v = value > minimum ? value : minimum;
  return v >= maximum ? maximum : v;
}
