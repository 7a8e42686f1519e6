#include "yc48_job.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "frame_allocation.h"
#include "frame_buffer.h"
#include "frame_resize.h"
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

void resize_yc48_file(const YC48_JOB& o, const ENGINE_THREADS& threads) {
  INPUT_FILE in;
  open_input(in, o.input);
  check_yc48_length(in, o.source_w, o.source_h);
  FRAME_BUFFER in_frame, out_frame;
  allocate_frame(in_frame, o.source_w, o.source_h, o.input);
  read_yc48_frame(in, in_frame.frame, o.source_w, o.source_h);
  allocate_frame(out_frame, o.target_w, o.target_h, o.input);
  out_frame.frame.w = o.target_w;
  out_frame.frame.h = o.target_h;
  PLANE_WORK work;
  LOW_PASS_WORK low_pass;
  prepare_plane_work(work);
  resize_frame_channels(work, in_frame.frame, out_frame.frame, 3, o.vertical_first,
                        o.antialias ? &low_pass : nullptr, threads, o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  write_yc48_frame(out, out_frame.frame);
  commit_output(out);
}
