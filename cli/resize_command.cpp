#include "resize_command.h"

#include <algorithm>
#include <string>

#include "file_io.h"
#include "frame_size.h"
#include "library_resize.h"
#include "output_target.h"
#include "png_resize.h"
#include "progress.h"
#include "tool_error.h"
#include "y4m_stream.h"
#include "yc48_job.h"

namespace {

enum class FORMAT { png, y4m, yc48, unknown };

std::string extension_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string e = path.substr(dot);
  std::transform(e.begin(), e.end(), e.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return e;
}

// By extension; "-" (standard input or output) carries a y4m stream.
FORMAT format_of(const std::string& path) {
  if (path == "-") return FORMAT::y4m;
  const std::string e = extension_of(path);
  if (e == ".png") return FORMAT::png;
  if (e == ".y4m") return FORMAT::y4m;
  if (e == ".yc48") return FORMAT::yc48;
  return FORMAT::unknown;
}

const char* format_name(FORMAT f) {
  switch (f) {
    case FORMAT::png:
      return ".png";
    case FORMAT::y4m:
      return ".y4m or -";
    case FORMAT::yc48:
      return ".yc48";
    default:
      return "?";
  }
}

struct SIZE {
  int32_t w;
  int32_t h;
};

SIZE parse_size_option(const std::string& option, const std::string& text) {
  SIZE s{};
  if (const std::string wrong = read_size_option(text, s.w, s.h); !wrong.empty())
    fail(option + " " + text, wrong);
  return s;
}

void resize_yc48(const RESIZE_OPTIONS& o, SIZE target, LIBRARY_CONTEXT& library) {
  if (o.input_size.empty()) fail(o.input, "a .yc48 input needs --input-size WxH");
  const SIZE source = parse_size_option("--input-size", o.input_size);
  YC48_JOB job{o.input, o.output, source.w, source.h, target.w, target.h};
  job.vertical_first = o.vertical_first;
  job.antialias = o.antialias;
  resize_yc48_file(job, library);
}

void resize_png(const RESIZE_OPTIONS& o, SIZE target, LIBRARY_CONTEXT& library) {
  PNG_JOB job{o.input, o.output, target.w, target.h};
  job.vertical_first = o.vertical_first;
  job.via_yc48 = o.via_yc48;
  job.antialias = o.antialias;
  job.straight_alpha = o.straight_alpha;
  resize_png_file(job, library);
}

void resize_y4m(const RESIZE_OPTIONS& o, SIZE target, LIBRARY_CONTEXT& library) {
  INPUT_FILE in;
  open_input(in, o.input);
  OUTPUT_FILE out;
  open_output(out, o.output);
  PROGRESS progress;
  start_progress(progress, o.quiet);
  STREAM_JOB job{target.w, target.h, o.vertical_first};
  job.via_yc48 = o.via_yc48;
  job.antialias = o.antialias;
  resize_y4m_stream(in, out, job, library, progress);
  commit_output(out);
}

}  // namespace

void run_resize(const RESIZE_OPTIONS& o) {
  const SIZE target = parse_size_option("--size", o.size);
  const FORMAT in_format = format_of(o.input);
  FORMAT out_format = format_of(o.output);
  // A FIFO or a device (/dev/null) has no kind of its own: it takes the input's.
  if (out_format == FORMAT::unknown && names_a_stream(o.output)) out_format = in_format;
  if (in_format == FORMAT::unknown)
    fail(o.input, "unknown kind of file (use .png, .y4m, - or .yc48)");
  if (out_format != in_format)
    fail(o.output, std::string("must be of the input's kind (") + format_name(in_format) + ")");
  LIBRARY_CONTEXT library;
  start_library(library, o.threads, o.kernels);
  switch (in_format) {
    case FORMAT::png:
      resize_png(o, target, library);
      break;
    case FORMAT::y4m:
      resize_y4m(o, target, library);
      break;
    default:
      resize_yc48(o, target, library);
      break;
  }
}
