#pragma once
// Codes of one depth (8 to 16 bits) as the int16 samples the engine resizes,
// and back. A code is a sample on a straight line: shifted up to 15 bits and
// centred (code * 2^(15 - depth) - 16384), so an 8-bit code carries 7
// fraction bits through both passes and the spline's overshoot keeps room
// inside int16; a 16-bit code is the code less 32768, where int16's
// saturation is the clamp to the codes. On the way out a sample is rounded
// to the nearest code (halves up) and clamped, so a pass adds no bias and a
// flat plane of any code comes back as that code.
#include <algorithm>
#include <cstdint>

struct SAMPLE_SCALE {
  int shift;       // 15 - depth, 0 at 16 bits
  int32_t offset;  // 16384, 32768 at 16 bits
  int32_t max;     // the largest code
};

SAMPLE_SCALE sample_scale(int depth);
// A code above the largest is read as the largest. Inline, so that the row
// loops below (and the callers') vectorise.
inline int16_t code_to_sample(uint32_t code, const SAMPLE_SCALE& scale) {
  const int32_t c = static_cast<int32_t>(std::min<uint32_t>(code, scale.max));
  return static_cast<int16_t>(c * (int32_t{1} << scale.shift) - scale.offset);
}

inline uint16_t sample_to_code(int16_t sample, const SAMPLE_SCALE& scale) {
  const int32_t half = scale.shift ? int32_t{1} << (scale.shift - 1) : 0;
  const int32_t code = (sample + scale.offset + half) >> scale.shift;
  return static_cast<uint16_t>(std::clamp(code, 0, scale.max));
}

// A row of `count` codes as samples, and back. Codes of 8 bits take one
// byte each; deeper ones a uint16_t each in the machine's byte order, at any
// alignment.
void codes_to_samples(const unsigned char* codes, int16_t* samples, int32_t count,
                      const SAMPLE_SCALE& scale);
void samples_to_codes(const int16_t* samples, unsigned char* codes, int32_t count,
                      const SAMPLE_SCALE& scale);
