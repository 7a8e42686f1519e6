#include "raw_frame.h"

#include <bit>
#include <string>

#include "frame_buffer.h"
#include "tool_error.h"

static_assert(std::endian::native == std::endian::little,
              "PIXEL_YC is stored as little-endian int16 in .yc48 files");

namespace {

std::string frame_bytes_text(int32_t w, int32_t h) {
  const uint64_t bytes = sizeof(PIXEL_YC) * static_cast<uint64_t>(w) * static_cast<uint64_t>(h);
  return std::to_string(bytes) + " bytes (" + std::to_string(w) + "x" + std::to_string(h) +
         " pixels of 6 bytes)";
}

}  // namespace

void read_yc48_frame(INPUT_FILE& in, FRAME& frame, int32_t w, int32_t h) {
  const size_t row_bytes = sizeof(PIXEL_YC) * static_cast<size_t>(w);
  uint64_t total = 0;
  for (int32_t y = 0; y < h; ++y) {
    const size_t got = read_some(in, pixel_at(frame, 0, y), row_bytes);
    total += got;
    if (got < row_bytes)
      fail(in.name,
           "is " + std::to_string(total) + " bytes long, expected " + frame_bytes_text(w, h));
  }
  char extra[4096];
  if (size_t more = read_some(in, extra, sizeof extra); more > 0) {
    while (more > 0) {
      total += more;
      more = read_some(in, extra, sizeof extra);
    }
    fail(in.name,
         "is " + std::to_string(total) + " bytes long, expected " + frame_bytes_text(w, h));
  }
  frame.w = w;
  frame.h = h;
}

void write_yc48_frame(OUTPUT_FILE& out, const FRAME& frame) {
  for (int32_t y = 0; y < frame.h; ++y)
    write_all(out, pixel_at(frame, 0, y), sizeof(PIXEL_YC) * static_cast<size_t>(frame.w));
}
