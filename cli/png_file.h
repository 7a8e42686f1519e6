#pragma once
// PNG pictures through libpng: grey, grey+alpha, RGB and RGBA at 8 or 16
// bits. Palette pictures read as RGB, grey of 1, 2 or 4 bits as 8-bit grey,
// and a transparency chunk (tRNS) of any colour type as an alpha channel
// (RGB becomes RGBA, grey grey+alpha). The chunks that tell a viewer how to
// show the colours (gAMA, cHRM, sRGB, iCCP) are kept; other ancillary data
// is not.
//
// Reading goes row by row, so memory follows the rows that really arrive,
// not the size a header declares (an interlaced picture's passes are
// gathered as they are stored, in page memory that is taken as they arrive).
#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"

// The colour chunks of a picture, as libpng read them.
struct PNG_COLOUR {
  bool has_gamma = false;
  int32_t gamma = 0;  // gAMA, times 100000
  bool has_chromaticities = false;
  int32_t chromaticities[8] = {};  // cHRM: white, red, green, blue x and y, times 100000
  bool has_srgb = false;
  int srgb_intent = 0;
  std::string icc_name;  // iCCP, when the profile is not empty
  std::vector<uint8_t> icc_profile;
};

struct PNG_PICTURE {
  int32_t width = 0;
  int32_t height = 0;
  int channels = 0;  // 1 grey, 2 grey+alpha, 3 RGB, 4 RGBA
  int depth = 0;     // 8 or 16
  PNG_COLOUR colour;
  std::vector<uint16_t> samples;  // rows top to bottom, channels interleaved
};

inline bool has_alpha(const PNG_PICTURE& p) { return p.channels == 2 || p.channels == 4; }
inline int32_t max_sample(const PNG_PICTURE& p) { return p.depth == 16 ? 65535 : 255; }

struct PNG_CODEC;  // libpng's state (png_file.cpp)

// A PNG read row by row: open_png reads the header into `format` (whose
// samples stay empty), then each read_png_row hands out the next row.
struct PNG_READER {
  PNG_PICTURE format;
  PNG_CODEC* codec = nullptr;

  PNG_READER() = default;
  PNG_READER(const PNG_READER&) = delete;
  PNG_READER& operator=(const PNG_READER&) = delete;
  ~PNG_READER();
};

// Throws TOOL_ERROR naming the input when it is not a PNG, is damaged or cut
// short, or is larger than the engine takes.
void open_png(INPUT_FILE& in, PNG_READER& reader);
// Fills `samples` (width * channels) with the next row, top to bottom; after
// the last row the rest of the file is checked.
void read_png_row(INPUT_FILE& in, PNG_READER& reader, uint16_t* samples);

// A PNG written row by row with the format's size, type, depth and colour
// chunks, not interlaced.
struct PNG_WRITER {
  PNG_CODEC* codec = nullptr;

  PNG_WRITER() = default;
  PNG_WRITER(const PNG_WRITER&) = delete;
  PNG_WRITER& operator=(const PNG_WRITER&) = delete;
  ~PNG_WRITER();
};

// Throws TOOL_ERROR naming the output on failure.
void open_png_writer(OUTPUT_FILE& out, PNG_WRITER& writer, const PNG_PICTURE& format);
void write_png_row(OUTPUT_FILE& out, PNG_WRITER& writer, const uint16_t* samples);
void finish_png(OUTPUT_FILE& out, PNG_WRITER& writer);

// Whole pictures, for the demo and the tests.
void read_png(INPUT_FILE& in, PNG_PICTURE& picture);
void write_png(OUTPUT_FILE& out, const PNG_PICTURE& picture);
