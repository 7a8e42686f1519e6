#pragma once
// PNG pictures through libpng: grey, grey+alpha, RGB and RGBA at 8 or 16
// bits. Palette pictures read as RGB (RGBA when they carry transparency) and
// grey of 1, 2 or 4 bits as 8-bit grey; other ancillary data is not kept.
#include <cstdint>
#include <vector>

#include "file_io.h"

struct PNG_PICTURE {
  int32_t width = 0;
  int32_t height = 0;
  int channels = 0;               // 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA
  int depth = 0;                  // 8 or 16
  std::vector<uint16_t> samples;  // rows top to bottom, channels interleaved
};

inline bool has_alpha(const PNG_PICTURE& p) { return p.channels == 2 || p.channels == 4; }
inline int32_t max_sample(const PNG_PICTURE& p) { return p.depth == 16 ? 65535 : 255; }

// Reads a whole PNG. Throws TOOL_ERROR naming the input when it is not a PNG,
// is damaged or cut short, or is larger than the engine takes.
void read_png(INPUT_FILE& in, PNG_PICTURE& picture);

// Writes `picture` with its colour type and depth, not interlaced.
void write_png(OUTPUT_FILE& out, const PNG_PICTURE& picture);
