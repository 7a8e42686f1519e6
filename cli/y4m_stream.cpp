#include "y4m_stream.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "frame_buffer.h"
#include "frame_resize.h"
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
  PLANE_WORK passes;
  LOW_PASS_WORK low_pass;  // --antialias
  // The plane path.
  SAMPLE_SCALE scale;
  SAMPLE_BUFFER in_samples, out_samples;
  PLANE in_planes[3], out_planes[3];
  // The YC48 path.
  FRAME_BUFFER in_frame, out_frame;
};

// False when the memory for the frames cannot be had.
bool prepare_work(STREAM_WORK& w, const STREAM_JOB& job) {
  prepare_plane_work(w.passes);
  PAGE_OPTIONS options;
  options.huge_pages = true;
  if (job.via_yc48)
    return make_frame_buffer(w.in_frame, w.source.width, w.source.height, options) &&
           make_frame_buffer(w.out_frame, w.target.width, w.target.height, options);
  w.scale = sample_scale(w.source.depth);
  if (!make_sample_buffer(w.in_samples, frame_samples(w.source), options) ||
      !make_sample_buffer(w.out_samples, frame_samples(w.target), options))
    return false;
  sample_planes(w.source, w.in_samples.samples, w.in_planes);
  sample_planes(w.target, w.out_samples.samples, w.out_planes);
  return true;
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
                      const ENGINE_THREADS& threads, const std::string& name) {
  PLANE_JOB jobs[3];
  for (int p = 0; p < w.source.planes; ++p) {
    run_on_rows(threads, w.in_planes[p].h, [&](int32_t first, int32_t end) {
      plane_to_samples(in, w.source, p, w.scale, w.in_planes[p], first, end);
    });
    jobs[p] =
        PLANE_JOB{w.in_planes[p], w.out_planes[p], plane_grid(w.source, w.target, p, AXIS::across),
                  plane_grid(w.source, w.target, p, AXIS::down)};
  }
  resize_planes_or_fail(w.passes, jobs, w.source.planes, job.vertical_first,
                        job.antialias ? &w.low_pass : nullptr, threads, name);
  for (int p = 0; p < w.target.planes; ++p)
    run_on_rows(threads, w.out_planes[p].h, [&](int32_t first, int32_t end) {
      samples_to_plane(w.out_planes[p], w.target, p, w.scale, out, first, end);
    });
}

void resize_by_yc48(STREAM_WORK& w, const uint8_t* in, uint8_t* out, const STREAM_JOB& job,
                    const ENGINE_THREADS& threads, const std::string& name) {
  FRAME& source = w.in_frame.frame;
  FRAME& target = w.out_frame.frame;
  run_on_rows(threads, w.source.height, [&](int32_t first, int32_t end) {
    planes_to_frame(in, w.source, source, first, end);
  });
  source.w = w.source.width;
  source.h = w.source.height;
  target.w = w.target.width;
  target.h = w.target.height;
  resize_frame_channels(w.passes, source, target, w.source.planes == 1 ? 1 : 3, job.vertical_first,
                        job.antialias ? &w.low_pass : nullptr, threads, name);
  run_on_rows(threads, w.target.height, [&](int32_t first, int32_t end) {
    frame_to_planes(target, w.target, out, first, end);
  });
}

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
  // Left uninitialised: pages are taken only as a frame really arrives.
  const size_t in_bytes = y4m_frame_bytes(work.source), out_bytes = y4m_frame_bytes(work.target);
  std::unique_ptr<uint8_t[]> planes_in, planes_out;
  bool had = copy || prepare_work(work, job);
  try {
    if (had) planes_in = std::make_unique_for_overwrite<uint8_t[]>(in_bytes);
    if (had && !copy) planes_out = std::make_unique_for_overwrite<uint8_t[]>(out_bytes);
  } catch (const std::bad_alloc&) {
    had = false;
  }
  if (!had) fail_without_memory(in, in_bytes);

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

    if (job.via_yc48)
      resize_by_yc48(work, planes_in.get(), planes_out.get(), job, threads, in.name);
    else if (!copy)
      resize_by_planes(work, planes_in.get(), planes_out.get(), job, threads, in.name);

    line.push_back('\n');
    write_all(out, line.data(), line.size());
    write_all(out, copy ? planes_in.get() : planes_out.get(), out_bytes);
    if (out.to_stdout) flush_output(out);
    count_frame(progress);
  }
  finish_progress(progress);
}
