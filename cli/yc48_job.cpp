#include "yc48_job.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "frame_allocation.h"
#include "tool_error.h"
#include "yc48_file.h"

namespace {

std::string frame_bytes_text(int32_t w, int32_t h) {
  return std::to_string(yc48_frame_bytes(w, h)) + " bytes (" + std::to_string(w) + "x" +
         std::to_string(h) + " pixels of 6 bytes)";
}

}  // namespace

void read_yc48_frame(INPUT_FILE& in, YC48_IMAGE& frame, int32_t w, int32_t h) {
  const YC48_READ read = read_yc48(in.file, frame.pixels, w, h, w);
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

void write_yc48_frame(OUTPUT_FILE& out, const YC48_IMAGE& frame) {
  if (!write_yc48(out.file, frame.pixels, frame.w, frame.h, frame.w))
    fail(out.name, std::string("write failed: ") + std::strerror(errno));
}

void resize_yc48_file(const YC48_JOB& o, LIBRARY_CONTEXT& library) {
  INPUT_FILE in;
  open_input(in, o.input);
  check_yc48_length(in, o.source_w, o.source_h);
  SAMPLE_BUFFER in_memory, out_memory;
  YC48_IMAGE source = allocate_frame(in_memory, o.source_w, o.source_h, o.input);
  read_yc48_frame(in, source, o.source_w, o.source_h);
  const YC48_IMAGE target = allocate_frame(out_memory, o.target_w, o.target_h, o.input);
  resize_yc48_in_library(library, source, target,
                         library_options(library, o.vertical_first, o.antialias), o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  write_yc48_frame(out, target);
  commit_output(out);
}
