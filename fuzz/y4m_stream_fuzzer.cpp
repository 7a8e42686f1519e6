// Whole y4m streams of any bytes, resized to a size and by a way (the
// editor's or the planes', with or without the low-pass) the first bytes
// choose: the tool either refuses the stream with its error or writes
// a stream whose header reads back as the input's format at the new size.
// Streams whose frames would take more than a few MiB are left to the
// memory tests (the tool sizes its buffers by the header, lazily).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "library_resize.h"
#include "tool_error.h"
#include "y4m_header.h"
#include "y4m_stream.h"

namespace {

constexpr uint64_t most_frame_bytes = 8 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  STREAM_JOB job{1 + data[0] % 40, 1 + data[1] % 30, (data[2] & 1) != 0};
  job.via_yc48 = (data[2] & 2) != 0;
  job.antialias = (data[2] & 4) != 0;
  data += 3;
  size -= 3;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Y4M_HEADER header;
  if (parse_y4m_header(text.substr(0, text.find('\n')), header).empty() &&
      y4m_frame_bytes(header.format) > most_frame_bytes)
    return 0;

  INPUT_FILE in;
  in.name = "fuzz.y4m";
  in.file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  in.owned = true;
  char* written = nullptr;
  size_t written_size = 0;
  OUTPUT_FILE out;
  out.name = "out";
  out.file = open_memstream(&written, &written_size);
  out.to_stdout = true;  // a stream of its own: nothing to rename
  if (!in.file || !out.file) std::abort();
  bool done = true;
  try {
    LIBRARY_CONTEXT library;
    start_library(library, 1, "auto");
    PROGRESS progress;
    start_progress(progress, true);
    resize_y4m_stream(in, out, job, library, progress);
  } catch (const TOOL_ERROR&) {
    done = false;
  }
  std::fclose(out.file);
  out.file = nullptr;
  if (done) {
    const std::string_view result(written, written_size);
    Y4M_HEADER again;
    if (!parse_y4m_header(result.substr(0, result.find('\n')), again).empty() ||
        again.format.width != job.target_w || again.format.height != job.target_h ||
        again.format.depth != header.format.depth || again.format.planes != header.format.planes ||
        again.format.full_range != header.format.full_range)
      std::abort();
  }
  std::free(written);
  return 0;
}
