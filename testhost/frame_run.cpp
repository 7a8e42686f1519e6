#include "frame_run.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "frame_buffer.h"
#include "frame_files.h"
#include "page_watch.h"
#include "test_host.h"

namespace {

void copy_rows(const PIXEL_YC* from, int from_pitch, PIXEL_YC* to, int to_pitch, int w, int h) {
  for (int row = 0; row < h; ++row)
    std::memcpy(to + static_cast<size_t>(row) * to_pitch,
                from + static_cast<size_t>(row) * from_pitch,
                sizeof(PIXEL_YC) * static_cast<size_t>(w));
}

double now_ms() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A buffer as the host hands it to a filter: max_h rows of max_w pixels
// that end where a no-access page begins, so that the first byte read or
// written past the buffer faults. False, with a message, for a size below 1
// or above most_buffer_bytes, or one that cannot be had.
bool allocate_host_buffer(FRAME_BUFFER& buffer, int max_w, int max_h, std::string& error) {
  const uint64_t bytes = frame_bytes(max_w, max_h);
  if (bytes == 0 || bytes > most_buffer_bytes) {
    error =
        "buffer " + std::to_string(max_w) + "x" + std::to_string(max_h) + " is not a usable size";
    return false;
  }
  PAGE_OPTIONS options;
  options.guard_after = true;
  if (!make_frame_buffer(buffer, max_w, max_h, options)) {
    error = "cannot allocate a buffer of " + std::to_string(max_w) + "x" + std::to_string(max_h);
    return false;
  }
  return true;
}

bool set_host_values(const FRAME_JOB& job, std::string& error) {
  if (job.set_track) {
    if (test_host.track.size() < 2) {
      error = "the filter has fewer than two tracks";
      return false;
    }
    test_host.track[0] = job.track_w;
    test_host.track[1] = job.track_h;
  }
  if (job.set_check) {
    if (test_host.check.empty()) {
      error = "the filter has no check box";
      return false;
    }
    test_host.check[0] = job.check;
  }
  return true;
}

}  // namespace

FILTER_PROC_INFO host_frame_record(PIXEL_YC* edit, PIXEL_YC* temp, int w, int h, int max_w,
                                   int max_h) {
  FILTER_PROC_INFO info{};
  info.ycp_edit = edit;
  info.ycp_temp = temp;
  info.w = w;
  info.h = h;
  info.max_w = max_w;
  info.max_h = max_h;
  info.frame_n = 1;
  info.org_w = w;
  info.org_h = h;
  info.yc_size = sizeof(PIXEL_YC);
  info.line_size = static_cast<int>(sizeof(PIXEL_YC)) * max_w;
  return info;
}

bool run_frame(const PLUGIN& plugin, const FRAME_JOB& job, FRAME_RESULT& result,
               std::string& error) {
  result = FRAME_RESULT{-1, job.frame_w, job.frame_h, 0, 0, 0.0, 0};
  std::vector<PIXEL_YC> input;
  if (job.frame_w < 1 || job.frame_h < 1) {
    error = "frame size " + std::to_string(job.frame_w) + "x" + std::to_string(job.frame_h) +
            " is not usable";
    return false;
  }
  if (!read_frame_file(job.input, job.frame_w, job.frame_h, input, error)) return false;
  return run_frame_on(plugin, job, input, result, error);
}

bool run_frame_on(const PLUGIN& plugin, const FRAME_JOB& job, const std::vector<PIXEL_YC>& input,
                  FRAME_RESULT& result, std::string& error) {
  result = FRAME_RESULT{-1, job.frame_w, job.frame_h, 0, 0, 0.0, 0};
  const uint64_t bytes = frame_bytes(job.frame_w, job.frame_h);
  if (bytes == 0 || uint64_t{input.size()} != bytes / sizeof(PIXEL_YC)) {
    error = "the frame's pixels do not make a " + std::to_string(job.frame_w) + "x" +
            std::to_string(job.frame_h) + " image";
    return false;
  }
  if (!set_host_values(job, error)) return false;

  const int target_w = test_host.track.size() >= 2 ? test_host.track[0] : 0;
  const int target_h = test_host.track.size() >= 2 ? test_host.track[1] : 0;
  result.buffer_w = job.buffer_w ? job.buffer_w : std::max(job.frame_w, target_w);
  result.buffer_h = job.buffer_h ? job.buffer_h : std::max(job.frame_h, target_h);
  if (job.frame_w > result.buffer_w || job.frame_h > result.buffer_h) {
    error = "frame " + std::to_string(job.frame_w) + "x" + std::to_string(job.frame_h) +
            " does not fit the buffer " + std::to_string(result.buffer_w) + "x" +
            std::to_string(result.buffer_h);
    return false;
  }

  FRAME_BUFFER edit, temp;
  if (!allocate_host_buffer(edit, result.buffer_w, result.buffer_h, error) ||
      !allocate_host_buffer(temp, result.buffer_w, result.buffer_h, error))
    return false;
  const int pitch = edit.frame.max_w;

  FILTER_PROC_INFO info{};
  std::vector<double> times;
  const int runs = std::max(job.repeat, 1);
  for (int run = 0; run < runs; ++run) {
    copy_rows(input.data(), job.frame_w, edit.frame.buffer, pitch, job.frame_w, job.frame_h);
    info = host_frame_record(edit.frame.buffer, temp.frame.buffer, job.frame_w, job.frame_h,
                             edit.frame.max_w, edit.frame.max_h);
    const double start = now_ms();
    result.result = call_func_proc(plugin, &info);
    times.push_back(now_ms() - start);
  }
  result.w = info.w;
  result.h = info.h;
  result.median_ms = median(times);
  result.work_bytes = held_page_memory().bytes;

  if (info.w < 1 || info.h < 1 || info.w > edit.frame.max_w || info.h > edit.frame.max_h) {
    error = "the frame record now describes a " + std::to_string(info.w) + "x" +
            std::to_string(info.h) + " image, which the buffer cannot hold";
    return false;
  }
  return job.output.empty() ||
         write_frame_file(job.output, edit.frame.buffer, info.w, info.h, pitch, error);
}
