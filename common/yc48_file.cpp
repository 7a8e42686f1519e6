#include "yc48_file.h"

#include <bit>
#include <cstddef>

#include "frame_buffer.h"

static_assert(std::endian::native == std::endian::little,
              "PIXEL_YC is stored as little-endian int16 in .yc48 files");

uint64_t yc48_frame_bytes(int32_t w, int32_t h) { return frame_bytes(w, h); }

YC48_READ read_yc48(std::FILE* file, PIXEL_YC* first, int32_t w, int32_t h, int32_t pitch) {
  YC48_READ read{0, false};
  const size_t row_bytes = sizeof(PIXEL_YC) * static_cast<size_t>(w);
  for (int32_t y = 0; y < h; ++y) {
    const size_t got = std::fread(first + static_cast<size_t>(y) * pitch, 1, row_bytes, file);
    read.length += got;
    if (got < row_bytes) {
      read.read_error = std::ferror(file) != 0;
      return read;
    }
  }
  char rest[yc48_look_ahead];
  const size_t got = std::fread(rest, 1, sizeof rest, file);
  read.length += got;
  read.more = got == sizeof rest;
  read.read_error = std::ferror(file) != 0;
  return read;
}

bool write_yc48(std::FILE* file, const PIXEL_YC* first, int32_t w, int32_t h, int32_t pitch) {
  const size_t row = static_cast<size_t>(w);
  for (int32_t y = 0; y < h; ++y)
    if (std::fwrite(first + static_cast<size_t>(y) * pitch, sizeof(PIXEL_YC), row, file) != row)
      return false;
  return true;
}
