#pragma once
// What the benchmark times: one implementation, on a given number of threads,
// resizing one job's source image to its target size, frame after frame.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pixel.h"
#include "report.h"

// A source size and a target size, in pixels.
struct JOB {
  int32_t sw, sh, tw, th;
};

std::string job_name(const JOB& job);  // "1920x1080->3840x2160"

// The job's source: a fixed smooth pseudo-random YC image with noise, sw x sh
// pixels without padding.
std::vector<PIXEL_YC> make_source(const JOB& job);

struct CELL {
  std::string implementation;  // row of the table, e.g. "engine avx512"
  int threads = 1;
  std::function<void()> before_batch;  // untimed, before each run of frames
  std::function<void()> before_frame;  // untimed, before each frame
  std::function<void()> frame;         // timed: one frame
  std::function<void()> after;         // untimed, once all frames are done
  std::vector<double> ms;              // the timed frames, in milliseconds
};

struct BENCH_OPTIONS {
  bool huge_pages = false;      // madvise(MADV_HUGEPAGE) on every frame buffer
  bool vertical_first = false;  // the engine's pass order
  std::string isa;              // only this engine variant (empty: all offered)
};

// The cells of each implementation for one job. Each keeps its own buffers;
// `source` outlives them.
struct THREAD_POOL;
std::vector<CELL> engine_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                               const BENCH_OPTIONS& options, THREAD_POOL* pool,
                               std::vector<uint64_t>* output_digests);
std::vector<CELL> zimg_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                             const BENCH_OPTIONS& options);
std::vector<CELL> swscale_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                const BENCH_OPTIONS& options);
std::vector<CELL> library_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                const BENCH_OPTIONS& options);
std::vector<CELL> opencv_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                               const BENCH_OPTIONS& options);
std::vector<CELL> memory_floor_cells(const JOB& job, const std::vector<PIXEL_YC>& source,
                                     const BENCH_OPTIONS& options, THREAD_POOL* pool);

// The engine's work memory for each variant (only `options.isa` when set) and
// each job's buffer (the larger of source and target on each axis).
std::vector<MEMORY_RESULT> engine_work_memory(const std::vector<JOB>& jobs,
                                              const BENCH_OPTIONS& options);
