#include "y4m_stream.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frame_allocation.h"
#include "library_resize.h"
#include "pages.h"
#include "row_parts.h"
#include "tool_error.h"
#include "y4m_header.h"
#include "y4m_plane_path.h"
#include "y4m_yc48_path.h"

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

// What the frames of one stream are resized with.
struct STREAM_WORK {
  Y4M_FORMAT source, target;
  // The YC48 path.
  SAMPLE_BUFFER in_memory, out_memory;
  YC48_IMAGE in_frame, out_frame;
  // The frames as read and as written.
  PAGE_SPAN frame_in, frame_out;

  STREAM_WORK() = default;
  STREAM_WORK(const STREAM_WORK&) = delete;
  STREAM_WORK& operator=(const STREAM_WORK&) = delete;
  ~STREAM_WORK() {
    unmap_pages(frame_in);
    unmap_pages(frame_out);
  }
};

// False when the memory for the frames cannot be had.
bool prepare_work(STREAM_WORK& w, const STREAM_JOB& job) {
  if (!job.via_yc48) return true;
  return make_frame(w.in_memory, w.source.width, w.source.height, w.in_frame) &&
         make_frame(w.out_memory, w.target.width, w.target.height, w.out_frame);
}

// When a frame's buffers cannot be had, the first frame is read on without
// them, so that a stream cut short is called truncated; a whole one is then
// refused for its size.
[[noreturn]] void fail_without_memory(INPUT_FILE& in, size_t in_bytes) {
  std::string line;
  const LINE_END end = read_line(in, line);
  if (end == LINE_END::newline && is_y4m_frame_line(line)) {
    std::vector<uint8_t> chunk(size_t{1} << 16);
    size_t got = 0;
    for (size_t n = 1; got < in_bytes && n > 0; got += n)
      n = read_some(in, chunk.data(), std::min(chunk.size(), in_bytes - got));
    if (got < in_bytes)
      fail(in.name, "truncated stream: " + frame_name(0) + " has " + std::to_string(got) + " of " +
                        std::to_string(in_bytes) + " bytes");
  }
  fail(in.name, "out of memory for the frames of the stream");
}

void resize_by_planes(STREAM_WORK& w, const uint8_t* in, uint8_t* out, const STREAM_JOB& job,
                      LIBRARY_CONTEXT& library, const std::string& name) {
  morvane_plane_job jobs[3];
  plane_jobs(w.source, w.target, in, out, jobs);
  resize_in_library(library, jobs, w.source.planes, w.source.depth,
                    library_options(library, job.vertical_first, job.antialias), name);
}

// The conversions run on as many threads as the library's calls.
void resize_by_yc48(STREAM_WORK& w, const uint8_t* in, uint8_t* out, const STREAM_JOB& job,
                    LIBRARY_CONTEXT& library, const std::string& name) {
  const int threads = library.context ? morvane_context_threads(library.context) : library.threads;
  run_on_rows(threads, w.source.height, [&](int32_t first, int32_t end) {
    planes_to_frame(in, w.source, w.in_frame, first, end);
  });
  resize_yc48_in_library(library, w.in_frame, w.out_frame,
                         library_options(library, job.vertical_first, job.antialias), name);
  run_on_rows(threads, w.target.height, [&](int32_t first, int32_t end) {
    frame_to_planes(w.out_frame, w.target, out, first, end);
  });
}

}  // namespace

void resize_y4m_stream(INPUT_FILE& in, OUTPUT_FILE& out, const STREAM_JOB& job,
                       LIBRARY_CONTEXT& library, PROGRESS& progress) {
  std::string line;
  const LINE_END end = read_line(in, line);
  if (end == LINE_END::end_of_data && line.empty())
    fail(in.name, "empty stream, not a YUV4MPEG2 stream");
  if (end == LINE_END::too_long) fail(in.name, "not a YUV4MPEG2 stream (no header line)");
  Y4M_HEADER header;
  if (const std::string wrong = parse_y4m_header(line, header); !wrong.empty())
    fail(in.name, wrong);
  if (end == LINE_END::end_of_data) fail(in.name, "truncated stream: the header line has no end");

  STREAM_WORK work;
  work.source = header.format;
  work.target = work.source;
  work.target.width = job.target_w;
  work.target.height = job.target_h;
  // A header the tool would refuse to read is not written either.
  const std::string out_header = format_y4m_header(header, job.target_w, job.target_h);
  if (out_header.size() - 1 > y4m_line_limit)
    fail(in.name, "the resized stream's header would be " + std::to_string(out_header.size() - 1) +
                      " characters long, more than the " + std::to_string(y4m_line_limit) +
                      " a y4m header may have");
  const bool copy = work.source.width == work.target.width &&
                    work.source.height == work.target.height && !job.via_yc48;
  // Page memory: its pages are taken only as a frame really arrives, and a
  // size the system cannot promise is refused, not fatal.
  const size_t in_bytes = y4m_frame_bytes(work.source), out_bytes = y4m_frame_bytes(work.target);
  const bool had = (copy || prepare_work(work, job)) &&
                   map_pages(work.frame_in, in_bytes, PAGE_OPTIONS{}) &&
                   (copy || map_pages(work.frame_out, out_bytes, PAGE_OPTIONS{}));
  if (!had) fail_without_memory(in, in_bytes);
  uint8_t* const planes_in = work.frame_in.data;
  uint8_t* const planes_out = work.frame_out.data;

  write_all(out, out_header.data(), out_header.size());
  flush_output(out);

  for (int64_t index = 0;; ++index) {
    const LINE_END frame_end = read_line(in, line);
    if (frame_end == LINE_END::end_of_data && line.empty()) break;
    if (!is_y4m_frame_line(line) || frame_end == LINE_END::too_long)
      fail(in.name, frame_name(index) + " does not start with a FRAME line");
    if (frame_end == LINE_END::end_of_data)
      fail(in.name, "truncated stream: " + frame_name(index) + " has no data");
    const size_t got = read_some(in, planes_in, in_bytes);
    if (got < in_bytes)
      fail(in.name, "truncated stream: " + frame_name(index) + " has " + std::to_string(got) +
                        " of " + std::to_string(in_bytes) + " bytes");

    if (job.via_yc48)
      resize_by_yc48(work, planes_in, planes_out, job, library, in.name);
    else if (!copy)
      resize_by_planes(work, planes_in, planes_out, job, library, in.name);

    line.push_back('\n');
    write_all(out, line.data(), line.size());
    write_all(out, copy ? planes_in : planes_out, out_bytes);
    if (out.to_stdout) flush_output(out);
    count_frame(progress);
  }
  finish_progress(progress);
}
