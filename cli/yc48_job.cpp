#include "yc48_job.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "frame_buffer.h"
#include "tool_error.h"
#include "yc48_file.h"

namespace {

std::string frame_bytes_text(int32_t w, int32_t h) {
  return std::to_string(yc48_frame_bytes(w, h)) + " bytes (" + std::to_string(w) + "x" +
         std::to_string(h) + " pixels of 6 bytes)";
}

}  // namespace

void read_yc48_frame(INPUT_FILE& in, FRAME& frame, int32_t w, int32_t h) {
  const YC48_READ read = read_yc48(in.file, frame.buffer, w, h, frame.max_w);
  if (read.read_error) fail(in.name, std::string("read error: ") + std::strerror(errno));
  if (read.length != yc48_frame_bytes(w, h))
    fail(in.name, std::string(read.more ? "is more than " : "is ") + std::to_string(read.length) +
                      " bytes long, expected " + frame_bytes_text(w, h));
  frame.w = w;
  frame.h = h;
}

void check_yc48_length(const INPUT_FILE& in, int32_t w, int32_t h) {
  struct stat st {};
  if (fstat(fileno(in.file), &st) != 0 || !S_ISREG(st.st_mode)) return;
  if (static_cast<uint64_t>(st.st_size) != yc48_frame_bytes(w, h))
    fail(in.name,
         "is " + std::to_string(st.st_size) + " bytes long, expected " + frame_bytes_text(w, h));
}

void write_yc48_frame(OUTPUT_FILE& out, const FRAME& frame) {
  if (!write_yc48(out.file, frame.buffer, frame.w, frame.h, frame.max_w))
    fail(out.name, std::string("write failed: ") + std::strerror(errno));
}
