#pragma once
// What both soaks share, so that a session run in one program can be checked
// in another: a seeded generator (the same numbers on every build), the
// content of a soak frame from its seed, and a hash of a frame.
#include <cstdint>

#include "resize.h"

// splitmix64: small, fast, and the same sequence everywhere.
struct SOAK_RANDOM {
  uint64_t state;
};
uint64_t next_random(SOAK_RANDOM& random);
// A number in lo .. hi (both included; lo <= hi).
int32_t random_in(SOAK_RANDOM& random, int32_t lo, int32_t hi);
// True with a chance of `percent` in 100.
bool random_chance(SOAK_RANDOM& random, int percent);

// Fills every pixel of the frame's buffer (max_w x max_h, not only the
// image) from `seed`: runs of smooth ramps, full-range noise and the int16
// extremes, so both the engine's ordinary and saturating paths are taken.
void fill_soak_frame(const FRAME& frame, uint64_t seed);

// FNV-1a over the image size and the whole buffer, row by row.
uint64_t hash_frame(const FRAME& frame);
