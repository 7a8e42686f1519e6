#pragma once
// PNG files byte by byte, without libpng: files made of chosen chunks (with
// headers that need not match their data), and the chunks of a file.
#include <cstdint>
#include <string>
#include <vector>

struct PNG_CHUNK {
  std::string type;
  std::vector<uint8_t> data;
};

std::vector<uint8_t> big_endian(uint32_t v);

// The IHDR chunk of a picture.
PNG_CHUNK png_header(uint32_t w, uint32_t h, int depth, int colour_type, bool interlaced = false);

// The signature, the chunks, then an IDAT of `pixels` (rows of raw samples,
// each given filter 0) compressed, and IEND.
std::vector<uint8_t> png_file(const std::vector<PNG_CHUNK>& chunks,
                              const std::vector<uint8_t>& pixels);

// The pixel stream of an interlaced picture: `packed` rows of w pixels of
// `bytes_per_pixel`, split into the seven Adam7 passes, each row with filter 0.
std::vector<uint8_t> adam7_rows(const std::vector<uint8_t>& packed, int32_t w, int32_t h,
                                int bytes_per_pixel);

// The chunks of a PNG file in order (empty when it is not one).
std::vector<PNG_CHUNK> png_chunks(const std::vector<uint8_t>& file);
