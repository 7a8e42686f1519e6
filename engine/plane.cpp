#include "plane.h"

#include <algorithm>
#include <cstring>

#include "kernels.h"

namespace {

constexpr int32_t most_jobs = 4;

// Where a plane's samples lie in memory: sample (x, y) at
// base + (y / lanes) * pitch + x * step + y % lanes. Lanes 3: three rows of
// the plane share a pixel row, one per lane of the pixels.
struct VIEW {
  int16_t* base;
  ptrdiff_t pitch;
  int32_t step;
  int32_t lanes;
};

VIEW view_of(const PLANE& p) { return VIEW{p.samples, p.pitch, p.step, 1}; }

int16_t* row_of(const VIEW& v, int32_t y) {
  return v.base + static_cast<ptrdiff_t>(y / v.lanes) * v.pitch + y % v.lanes;
}

struct COPY {
  VIEW from, to;
  int32_t w, h;
};

struct COPIES {
  COPY list[most_jobs];
  int32_t count = 0;
};

// One row of w samples; the steps the planes use most are constants, so
// that the compiler can vectorise them.
template <int FROM, int TO>
void copy_row(const int16_t* from, int16_t* to, int32_t w, int32_t from_step, int32_t to_step) {
  const ptrdiff_t fs = FROM ? FROM : from_step, ts = TO ? TO : to_step;
  for (int32_t x = 0; x < w; ++x) to[x * ts] = from[x * fs];
}

// Each worker copies an equal share of the rows of every copy.
HOST_ENTRY void copy_worker(int thread_id, int thread_num, void* param, void*) {
  const COPIES& copies = *static_cast<const COPIES*>(param);
  for (int32_t c = 0; c < copies.count; ++c) {
    const COPY& k = copies.list[c];
    const LINE_SHARE share = line_share(k.h, thread_id, thread_num);
    const int32_t fs = k.from.step, ts = k.to.step;
    for (int32_t y = share.first; y < share.end; ++y) {
      const int16_t* from = row_of(k.from, y);
      int16_t* to = row_of(k.to, y);
      if (fs == 1 && ts == 1)
        std::memcpy(to, from, sizeof(int16_t) * static_cast<size_t>(k.w));
      else if (fs == 3 && ts == 1)
        copy_row<3, 1>(from, to, k.w, fs, ts);
      else if (fs == 1 && ts == 3)
        copy_row<1, 3>(from, to, k.w, fs, ts);
      else if (fs == 3 && ts == 3)
        copy_row<3, 3>(from, to, k.w, fs, ts);
      else
        copy_row<0, 0>(from, to, k.w, fs, ts);
    }
  }
}

bool run_copies(COPIES& copies, const RUNNER* runner) {
  if (copies.count == 0) return true;
  return run_workers(runner, copy_worker, &copies, nullptr);
}

// Makes `span` hold at least `bytes`, keeping what it holds when that is enough.
bool hold(PAGE_SPAN& span, uint64_t bytes, const PAGE_OPTIONS& options) {
  if (bytes <= span.bytes) return true;
  unmap_pages(span);
  return bytes <= SIZE_MAX && map_pages(span, static_cast<size_t>(bytes), options);
}

int32_t round_up(int32_t v, int32_t unit) { return (v + unit - 1) / unit * unit; }

// A job's plane between passes: where it is and its size.
struct STAGE {
  VIEW view;
  int32_t w, h;
};

bool needs_pass(const PLANE_JOB& job, AXIS axis) {
  const AXIS_GRID& grid = axis == AXIS::across ? job.across : job.down;
  const int32_t n = axis == AXIS::across ? job.source.w : job.source.h;
  const int32_t m = axis == AXIS::across ? job.target.w : job.target.h;
  return n != m || !is_own_grid(grid, n, m);
}

// Runs one axis's pass on the frame: the engine's own passes (in the work's
// area) on its own grid, grid_pass on any other.
bool run_pass(PLANE_WORK& work, FRAME frame, AXIS axis, const PLANE_JOB& job,
              const RUNNER* runner) {
  const bool across = axis == AXIS::across;
  const AXIS_GRID& grid = across ? job.across : job.down;
  const int32_t n = across ? frame.w : frame.h;
  const int32_t m = across ? job.target.w : job.target.h;
  if (!is_own_grid(grid, n, m)) return grid_pass(frame, axis, m, grid, runner);
  const KERNEL_VARIANT& kernels = work.kernels ? *work.kernels : *active_kernels();
  return resize_frame(work.area, kernels, frame, across ? m : frame.w, across ? frame.h : m, false,
                      runner);
}

// Where a job's plane lies for one axis's passes: its view, and the frame
// the pass runs on.
struct PLACE {
  VIEW view;
  FRAME frame;
};

// Lays the planes of the jobs that need a pass on `axis` out in a buffer at
// `base` (null: only the size) and returns its bytes. Across: the planes
// one above the other in pixel rows of three plane rows each, the rows as
// wide as the widest plane before or after. Down: the planes side by side
// in rows of samples, each in columns of a multiple of 12 samples, so that
// its column groups (4 samples) and the pixels (3) the engine counts end
// where its columns do.
uint64_t lay_out(AXIS axis, const PLANE_JOB* jobs, int32_t count, const STAGE* stages,
                 unsigned char* base, PLACE* places) {
  int32_t width = 0, rows = 0, start[most_jobs] = {};
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], axis)) continue;
    if (axis == AXIS::across) {
      width = std::max({width, stages[j].w, jobs[j].target.w});
      start[j] = rows;
      rows += (stages[j].h + 2) / 3;
    } else {
      start[j] = width;
      width += round_up(stages[j].w, 12);
      rows = std::max({rows, stages[j].h, jobs[j].target.h});
    }
  }
  const int32_t pixels_per_row = axis == AXIS::across ? width : width / 3;
  for (int32_t j = 0; base && j < count; ++j) {
    if (!needs_pass(jobs[j], axis)) continue;
    auto* samples = reinterpret_cast<int16_t*>(base);
    const ptrdiff_t pitch = 3 * static_cast<ptrdiff_t>(pixels_per_row);
    if (axis == AXIS::across) {
      int16_t* first = samples + pitch * start[j];
      places[j] =
          PLACE{VIEW{first, pitch, 3, 3}, FRAME{reinterpret_cast<PIXEL_YC*>(first), stages[j].w,
                                                (stages[j].h + 2) / 3, pixels_per_row, rows}};
    } else {
      int16_t* first = samples + start[j];
      places[j] = PLACE{VIEW{first, pitch, 1, 1},
                        FRAME{reinterpret_cast<PIXEL_YC*>(first), round_up(stages[j].w, 12) / 3,
                              stages[j].h, pixels_per_row, rows}};
    }
  }
  return uint64_t{sizeof(PIXEL_YC)} * static_cast<uint64_t>(pixels_per_row) *
         static_cast<uint64_t>(rows);
}

// The passes of one axis: the planes into the axis's buffer, a pass on each.
bool pass_axis(PLANE_WORK& work, AXIS axis, const PLANE_JOB* jobs, int32_t count, STAGE* stages,
               const RUNNER* runner) {
  PLACE places[most_jobs];
  PAGE_SPAN& span = axis == AXIS::across ? work.rows : work.columns;
  const uint64_t bytes = lay_out(axis, jobs, count, stages, nullptr, places);
  if (bytes == 0) return true;
  if (!hold(span, bytes, work.options)) return false;
  lay_out(axis, jobs, count, stages, span.data, places);
  COPIES in;
  for (int32_t j = 0; j < count; ++j)
    if (needs_pass(jobs[j], axis))
      in.list[in.count++] = COPY{stages[j].view, places[j].view, stages[j].w, stages[j].h};
  if (!run_copies(in, runner)) return false;
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], axis)) continue;
    if (!run_pass(work, places[j].frame, axis, jobs[j], runner)) return false;
    stages[j] = axis == AXIS::across ? STAGE{places[j].view, jobs[j].target.w, stages[j].h}
                                     : STAGE{places[j].view, stages[j].w, jobs[j].target.h};
  }
  return true;
}

}  // namespace

PLANE frame_channel(const FRAME& frame, int channel) {
  return PLANE{reinterpret_cast<int16_t*>(frame.buffer) + channel, frame.w, frame.h,
               3 * static_cast<ptrdiff_t>(frame.max_w), 3};
}

PLANE_WORK::~PLANE_WORK() {
  unmap_pages(rows);
  unmap_pages(columns);
  release_work_area(area);
}

bool resize_planes(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count, bool vertical_first,
                   const RUNNER* runner) {
  if (count < 0 || count > most_jobs) return false;
  STAGE stages[most_jobs];
  for (int32_t j = 0; j < count; ++j)
    stages[j] = STAGE{view_of(jobs[j].source), jobs[j].source.w, jobs[j].source.h};
  const AXIS first = vertical_first ? AXIS::down : AXIS::across;
  const AXIS second = vertical_first ? AXIS::across : AXIS::down;
  const bool passed = pass_axis(work, first, jobs, count, stages, runner) &&
                      pass_axis(work, second, jobs, count, stages, runner);
  if (!passed) return false;
  COPIES out;
  for (int32_t j = 0; j < count; ++j)
    out.list[out.count++] =
        COPY{stages[j].view, view_of(jobs[j].target), jobs[j].target.w, jobs[j].target.h};
  return run_copies(out, runner);
}
