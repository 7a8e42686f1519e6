#include "yc48_file.h"

#include <bit>
#include <cstddef>

static_assert(std::endian::native == std::endian::little,
              "a pixel's int16 are stored little-endian in .yc48 files");

namespace {

constexpr size_t pixel_bytes = 6;

}  // namespace

uint64_t yc48_frame_bytes(int32_t w, int32_t h) {
  if (w < 1 || h < 1) return 0;
  // Below 2^62 pixels: the product of two int32_t fits.
  const uint64_t pixels = static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  return pixels > UINT64_MAX / pixel_bytes ? UINT64_MAX : pixels * pixel_bytes;
}

YC48_READ read_yc48(std::FILE* file, void* first, int32_t w, int32_t h, int32_t pitch) {
  YC48_READ read{0, false};
  const size_t row_bytes = pixel_bytes * static_cast<size_t>(w);
  for (int32_t y = 0; y < h; ++y) {
    const size_t got = std::fread(
        static_cast<unsigned char*>(first) + static_cast<size_t>(y) * pitch * pixel_bytes, 1,
        row_bytes, file);
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

bool write_yc48(std::FILE* file, const void* first, int32_t w, int32_t h, int32_t pitch) {
  const size_t row = static_cast<size_t>(w);
  for (int32_t y = 0; y < h; ++y)
    if (std::fwrite(
            static_cast<const unsigned char*>(first) + static_cast<size_t>(y) * pitch * pixel_bytes,
            pixel_bytes, row, file) != row)
      return false;
  return true;
}
