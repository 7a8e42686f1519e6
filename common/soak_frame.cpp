#include "soak_frame.h"

#include <cstddef>

uint64_t next_random(SOAK_RANDOM& random) {
  uint64_t z = (random.state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

int32_t random_in(SOAK_RANDOM& random, int32_t lo, int32_t hi) {
  const uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(hi) - lo) + 1;
  return static_cast<int32_t>(lo + static_cast<int64_t>(next_random(random) % span));
}

bool random_chance(SOAK_RANDOM& random, int percent) {
  return static_cast<int>(next_random(random) % 100) < percent;
}

void fill_soak_frame(const FRAME& frame, uint64_t seed) {
  SOAK_RANDOM random{seed};
  const size_t samples = 3 * static_cast<size_t>(frame.max_w) * static_cast<size_t>(frame.max_h);
  auto* s = reinterpret_cast<int16_t*>(frame.buffer);
  int32_t level = random_in(random, -2048, 6143);
  for (size_t i = 0; i < samples;) {
    const size_t run = static_cast<size_t>(random_in(random, 1, 4096));
    const int kind = random_in(random, 0, 9);
    for (size_t end = i + run < samples ? i + run : samples; i < end; ++i) {
      if (kind < 6) {  // a smooth walk with a little noise
        level += random_in(random, -40, 40);
        level = level < -32768 ? -32768 : level > 32767 ? 32767 : level;
        s[i] = static_cast<int16_t>(level);
      } else if (kind < 9) {  // full-range noise
        s[i] = static_cast<int16_t>(next_random(random));
      } else {  // the extremes, alternating
        s[i] = (i & 1) ? int16_t{32767} : int16_t{-32768};
      }
    }
  }
}

uint64_t hash_frame(const FRAME& frame) {
  uint64_t h = 0xCBF29CE484222325ull;
  auto mix = [&](const void* data, size_t bytes) {
    const auto* b = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < bytes; ++i) h = (h ^ b[i]) * 0x100000001B3ull;
  };
  mix(&frame.w, sizeof frame.w);
  mix(&frame.h, sizeof frame.h);
  mix(frame.buffer, sizeof(PIXEL_YC) * static_cast<size_t>(frame.max_w) * frame.max_h);
  return h;
}
