#include "png_chunks.h"

#include <zlib.h>

#include <cstring>

std::vector<uint8_t> big_endian(uint32_t v) {
  return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}

namespace {

void append_chunk(std::vector<uint8_t>& file, const PNG_CHUNK& chunk) {
  const std::vector<uint8_t> length = big_endian(static_cast<uint32_t>(chunk.data.size()));
  file.insert(file.end(), length.begin(), length.end());
  std::vector<uint8_t> body(chunk.type.begin(), chunk.type.end());
  body.insert(body.end(), chunk.data.begin(), chunk.data.end());
  file.insert(file.end(), body.begin(), body.end());
  const std::vector<uint8_t> crc =
      big_endian(static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
  file.insert(file.end(), crc.begin(), crc.end());
}

}  // namespace

PNG_CHUNK png_header(uint32_t w, uint32_t h, int depth, int colour_type, bool interlaced) {
  PNG_CHUNK c{"IHDR", big_endian(w)};
  const std::vector<uint8_t> height = big_endian(h);
  c.data.insert(c.data.end(), height.begin(), height.end());
  c.data.insert(c.data.end(), {static_cast<uint8_t>(depth), static_cast<uint8_t>(colour_type), 0, 0,
                               static_cast<uint8_t>(interlaced ? 1 : 0)});
  return c;
}

std::vector<uint8_t> png_file(const std::vector<PNG_CHUNK>& chunks,
                              const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  for (const PNG_CHUNK& c : chunks) append_chunk(file, c);
  uLongf size = compressBound(static_cast<uLong>(pixels.size()));
  PNG_CHUNK idat{"IDAT", std::vector<uint8_t>(size)};
  compress(idat.data.data(), &size, pixels.data(), static_cast<uLong>(pixels.size()));
  idat.data.resize(size);
  append_chunk(file, idat);
  append_chunk(file, PNG_CHUNK{"IEND", {}});
  return file;
}

std::vector<uint8_t> adam7_rows(const std::vector<uint8_t>& packed, int32_t w, int32_t h,
                                int bytes_per_pixel) {
  struct PASS {
    int32_t x0, y0, dx, dy;
  };
  const PASS passes[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                          {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
  std::vector<uint8_t> rows;
  for (const PASS& p : passes) {
    if (p.x0 >= w) continue;  // a pass without columns has no rows either
    for (int32_t y = p.y0; y < h; y += p.dy) {
      rows.push_back(0);
      for (int32_t x = p.x0; x < w; x += p.dx) {
        const auto at = packed.begin() + (static_cast<ptrdiff_t>(y) * w + x) * bytes_per_pixel;
        rows.insert(rows.end(), at, at + bytes_per_pixel);
      }
    }
  }
  return rows;
}

std::vector<PNG_CHUNK> png_chunks(const std::vector<uint8_t>& file) {
  std::vector<PNG_CHUNK> chunks;
  for (size_t at = 8; at + 12 <= file.size();) {
    const uint32_t length =
        uint32_t{file[at]} << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
    if (at + 12 + length > file.size()) break;
    chunks.push_back(
        PNG_CHUNK{std::string(file.begin() + at + 4, file.begin() + at + 8),
                  std::vector<uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + length)});
    at += 12 + length;
  }
  return chunks;
}
