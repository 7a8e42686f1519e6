#include "sample_codes.h"

#include <algorithm>

SAMPLE_SCALE sample_scale(int depth) {
  return depth >= 16 ? SAMPLE_SCALE{0, 32768, 65535}
                     : SAMPLE_SCALE{15 - depth, 16384, (int32_t{1} << depth) - 1};
}

int16_t code_to_sample(uint32_t code, const SAMPLE_SCALE& scale) {
  const int32_t c = static_cast<int32_t>(std::min<uint32_t>(code, scale.max));
  return static_cast<int16_t>(c * (int32_t{1} << scale.shift) - scale.offset);
}

uint16_t sample_to_code(int16_t sample, const SAMPLE_SCALE& scale) {
  const int32_t half = scale.shift ? int32_t{1} << (scale.shift - 1) : 0;
  const int32_t code = (sample + scale.offset + half) >> scale.shift;
  return static_cast<uint16_t>(std::clamp(code, 0, scale.max));
}
