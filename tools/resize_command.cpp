#include "resize_command.h"

#include <algorithm>

#include "engine_run.h"
#include "file_io.h"
#include "frame_buffer.h"
#include "raw_frame.h"
#include "size_text.h"
#include "tool_error.h"

namespace {

enum class FORMAT { yc48, unknown };

std::string extension_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string e = path.substr(dot);
  std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return e;
}

FORMAT format_of(const std::string& path) {
  const std::string e = extension_of(path);
  if (e == ".yc48") return FORMAT::yc48;
  return FORMAT::unknown;
}

struct SIZE {
  int32_t w;
  int32_t h;
};

SIZE parse_size_option(const std::string& option, const std::string& text) {
  SIZE s{};
  if (!read_size_numbers(text, s.w, s.h))
    fail(option + " " + text, "a size needs two numbers, such as 1280x720");
  if (const std::string wrong = check_frame_size(s.w, s.h); !wrong.empty()) fail(option + " " + text, wrong);
  return s;
}

void resize_yc48(const RESIZE_OPTIONS& o, SIZE target, const ENGINE_THREADS& threads) {
  if (o.input_size.empty()) fail(o.input, "a .yc48 input needs --input-size WxH");
  const SIZE source = parse_size_option("--input-size", o.input_size);
  INPUT_FILE in;
  open_input(in, o.input);
  FRAME_BUFFER buffer;
  make_frame_buffer(buffer, std::max(source.w, target.w), std::max(source.h, target.h), o.input.c_str());
  read_yc48_frame(in, buffer.frame, source.w, source.h);
  resize_image(buffer.frame, target.w, target.h, o.vertical_first, threads, o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  write_yc48_frame(out, buffer.frame);
  commit_output(out);
}

}  // namespace

void run_resize(const RESIZE_OPTIONS& o) {
  const SIZE target = parse_size_option("--size", o.size);
  const FORMAT in_format = format_of(o.input);
  const FORMAT out_format = format_of(o.output);
  if (in_format == FORMAT::unknown) fail(o.input, "unknown kind of file (use .yc48)");
  if (out_format != in_format) fail(o.output, "must be of the input's kind (" + extension_of(o.input) + ")");
  ENGINE_THREADS threads;
  start_engine_threads(threads, o.threads);
  resize_yc48(o, target, threads);
}
