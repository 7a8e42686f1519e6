#include "sample_codes.h"

#include <cstring>

SAMPLE_SCALE sample_scale(int depth) {
  return depth >= 16 ? SAMPLE_SCALE{0, 32768, 65535}
                     : SAMPLE_SCALE{15 - depth, 16384, (int32_t{1} << depth) - 1};
}

void codes_to_samples(const unsigned char* __restrict codes, int16_t* __restrict samples,
                      int32_t count, const SAMPLE_SCALE& scale) {
  const SAMPLE_SCALE s = scale;
  if (s.max <= 255) {
    for (int32_t x = 0; x < count; ++x) samples[x] = code_to_sample(codes[x], s);
    return;
  }
  for (int32_t x = 0; x < count; ++x) {
    uint16_t code;
    std::memcpy(&code, codes + 2 * static_cast<size_t>(x), sizeof code);
    samples[x] = code_to_sample(code, s);
  }
}

void samples_to_codes(const int16_t* __restrict samples, unsigned char* __restrict codes,
                      int32_t count, const SAMPLE_SCALE& scale) {
  const SAMPLE_SCALE s = scale;
  if (s.max <= 255) {
    for (int32_t x = 0; x < count; ++x)
      codes[x] = static_cast<unsigned char>(sample_to_code(samples[x], s));
    return;
  }
  for (int32_t x = 0; x < count; ++x) {
    const uint16_t code = sample_to_code(samples[x], s);
    std::memcpy(codes + 2 * static_cast<size_t>(x), &code, sizeof code);
  }
}
