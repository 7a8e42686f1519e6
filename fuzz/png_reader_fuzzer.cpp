// PNG files of any bytes: reading never fails badly and costs memory for the
// rows that arrive, a picture it takes has a size the engine holds, a type
// and depth the tool writes, and samples within the depth.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "frame_size.h"
#include "png_file.h"
#include "tool_error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  INPUT_FILE in;
  in.name = "fuzz.png";
  in.file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  in.owned = true;
  if (!in.file) return 0;
  try {
    PNG_READER reader;
    open_png(in, reader);
    const PNG_PICTURE& f = reader.format;
    if (!check_frame_size(f.width, f.height).empty() || f.channels < 1 || f.channels > 4 ||
        (f.depth != 8 && f.depth != 16))
      std::abort();
    std::vector<uint16_t> row(static_cast<size_t>(f.width) * f.channels);
    for (int32_t y = 0; y < f.height; ++y) {
      read_png_row(in, reader, row.data());
      for (uint16_t s : row)
        if (s > max_sample(f)) std::abort();
    }
  } catch (const TOOL_ERROR&) {
  }
  return 0;
}
