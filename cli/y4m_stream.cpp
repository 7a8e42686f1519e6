#include "y4m_stream.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frame_buffer.h"
#include "tool_error.h"
#include "y4m_header.h"
#include "y4m_planes.h"

namespace {

enum class LINE_END { newline, end_of_data, too_long };

// Reads one line without its newline, at most y4m_line_limit bytes.
LINE_END read_line(INPUT_FILE& in, std::string& line) {
  line.clear();
  for (;;) {
    const int c = std::getc(in.file);
    if (c == EOF) {
      if (std::ferror(in.file)) fail(in.name, "read error");
      return LINE_END::end_of_data;
    }
    if (c == '\n') return LINE_END::newline;
    if (line.size() >= y4m_line_limit) return LINE_END::too_long;
    line.push_back(static_cast<char>(c));
  }
}

std::string frame_name(int64_t index) { return "frame " + std::to_string(index + 1); }

}  // namespace

void resize_y4m_stream(INPUT_FILE& in, OUTPUT_FILE& out, const STREAM_JOB& job,
                       const ENGINE_THREADS& threads, PROGRESS& progress) {
  std::string line;
  const LINE_END end = read_line(in, line);
  if (end == LINE_END::end_of_data && line.empty())
    fail(in.name, "empty stream, not a YUV4MPEG2 stream");
  if (end == LINE_END::too_long) fail(in.name, "not a YUV4MPEG2 stream (no header line)");
  Y4M_HEADER header;
  if (const std::string wrong = parse_y4m_header(line, header); !wrong.empty())
    fail(in.name, wrong);
  if (end == LINE_END::end_of_data) fail(in.name, "truncated stream: the header line has no end");

  const Y4M_FORMAT source = header.format;
  Y4M_FORMAT target = source;
  target.width = job.target_w;
  target.height = job.target_h;
  FRAME_BUFFER buffer;
  allocate_frame(buffer, std::max(source.width, target.width),
                 std::max(source.height, target.height), in.name);
  // Left uninitialised: pages are taken only as a frame really arrives.
  const size_t in_bytes = y4m_frame_bytes(source), out_bytes = y4m_frame_bytes(target);
  std::unique_ptr<uint8_t[]> planes_in, planes_out;
  try {
    planes_in = std::make_unique_for_overwrite<uint8_t[]>(in_bytes);
    planes_out = std::make_unique_for_overwrite<uint8_t[]>(out_bytes);
  } catch (const std::bad_alloc&) {
    fail(in.name, "out of memory for the frames of the stream");
  }

  const std::string out_header = format_y4m_header(header, target.width, target.height);
  write_all(out, out_header.data(), out_header.size());
  flush_output(out);

  for (int64_t index = 0;; ++index) {
    const LINE_END frame_end = read_line(in, line);
    if (frame_end == LINE_END::end_of_data && line.empty()) break;
    if (!is_y4m_frame_line(line) || frame_end == LINE_END::too_long)
      fail(in.name, frame_name(index) + " does not start with a FRAME line");
    if (frame_end == LINE_END::end_of_data)
      fail(in.name, "truncated stream: " + frame_name(index) + " has no data");
    const size_t got = read_some(in, planes_in.get(), in_bytes);
    if (got < in_bytes)
      fail(in.name, "truncated stream: " + frame_name(index) + " has " + std::to_string(got) +
                        " of " + std::to_string(in_bytes) + " bytes");

    FRAME& frame = buffer.frame;
    run_on_rows(threads, source.height, [&](int32_t first, int32_t end) {
      planes_to_frame(planes_in.get(), source, frame, first, end);
    });
    frame.w = source.width;
    frame.h = source.height;
    resize_image(frame, target.width, target.height, job.vertical_first, threads, in.name);
    run_on_rows(threads, target.height, [&](int32_t first, int32_t end) {
      frame_to_planes(frame, target, planes_out.get(), first, end);
    });

    line.push_back('\n');
    write_all(out, line.data(), line.size());
    write_all(out, planes_out.get(), out_bytes);
    if (out.to_stdout) flush_output(out);
    count_frame(progress);
  }
  finish_progress(progress);
}
