#include "plane.h"

#include <algorithm>
#include <cstring>

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
    const int32_t first = static_cast<int32_t>(int64_t{k.h} * thread_id / thread_num);
    const int32_t end = static_cast<int32_t>(int64_t{k.h} * (thread_id + 1) / thread_num);
    const int32_t fs = k.from.step, ts = k.to.step;
    for (int32_t y = first; y < end; ++y) {
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
  return runner ? runner->run(runner->context, copy_worker, &copies, nullptr)
                : run_on_one_thread(copy_worker, &copies, nullptr);
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

// Runs one axis's pass on the frame: the engine's own passes on its own grid,
// grid_pass on any other.
bool run_pass(FRAME frame, AXIS axis, const PLANE_JOB& job, const RUNNER* runner) {
  const bool across = axis == AXIS::across;
  const AXIS_GRID& grid = across ? job.across : job.down;
  const int32_t n = across ? frame.w : frame.h;
  const int32_t m = across ? job.target.w : job.target.h;
  if (!is_own_grid(grid, n, m)) return grid_pass(frame, axis, m, grid, runner);
  return across ? resize_frame(frame, m, frame.h, false, runner)
                : resize_frame(frame, frame.w, m, false, runner);
}

// The horizontal passes: the planes one above the other in pixel rows of
// three plane rows each, rows as wide as the wider of the two widths.
bool pass_across(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count, STAGE* stages,
                 const RUNNER* runner) {
  int32_t width = 0, rows = 0, first_row[most_jobs] = {};
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], AXIS::across)) continue;
    width = std::max({width, stages[j].w, jobs[j].target.w});
    first_row[j] = rows;
    rows += (stages[j].h + 2) / 3;
  }
  if (rows == 0) return true;
  if (!hold(work.rows, uint64_t{sizeof(PIXEL_YC)} * static_cast<uint64_t>(width) * rows,
            work.options))
    return false;
  auto* pixels = reinterpret_cast<PIXEL_YC*>(work.rows.data);
  COPIES in;
  VIEW views[most_jobs];
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], AXIS::across)) continue;
    views[j] =
        VIEW{reinterpret_cast<int16_t*>(pixels + static_cast<ptrdiff_t>(first_row[j]) * width),
             3 * static_cast<ptrdiff_t>(width), 3, 3};
    in.list[in.count++] = COPY{stages[j].view, views[j], stages[j].w, stages[j].h};
  }
  if (!run_copies(in, runner)) return false;
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], AXIS::across)) continue;
    const FRAME frame{pixels + static_cast<ptrdiff_t>(first_row[j]) * width, stages[j].w,
                      (stages[j].h + 2) / 3, width, rows};
    if (!run_pass(frame, AXIS::across, jobs[j], runner)) return false;
    stages[j] = STAGE{views[j], jobs[j].target.w, stages[j].h};
  }
  return true;
}

// The vertical passes: the planes side by side in rows of samples, each in
// columns of a multiple of 12 samples, so that its column groups (4 samples)
// and the pixels (3) the engine counts end where its columns do.
bool pass_down(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count, STAGE* stages,
               const RUNNER* runner) {
  int32_t pitch = 0, rows = 0, first_column[most_jobs] = {};
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], AXIS::down)) continue;
    first_column[j] = pitch;
    pitch += round_up(stages[j].w, 12);
    rows = std::max({rows, stages[j].h, jobs[j].target.h});
  }
  if (pitch == 0) return true;
  if (!hold(work.columns, uint64_t{sizeof(int16_t)} * static_cast<uint64_t>(pitch) * rows,
            work.options))
    return false;
  auto* samples = reinterpret_cast<int16_t*>(work.columns.data);
  COPIES in;
  VIEW views[most_jobs];
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], AXIS::down)) continue;
    views[j] = VIEW{samples + first_column[j], pitch, 1, 1};
    in.list[in.count++] = COPY{stages[j].view, views[j], stages[j].w, stages[j].h};
  }
  if (!run_copies(in, runner)) return false;
  for (int32_t j = 0; j < count; ++j) {
    if (!needs_pass(jobs[j], AXIS::down)) continue;
    const FRAME frame{reinterpret_cast<PIXEL_YC*>(samples + first_column[j]),
                      round_up(stages[j].w, 12) / 3, stages[j].h, pitch / 3, rows};
    if (!run_pass(frame, AXIS::down, jobs[j], runner)) return false;
    stages[j] = STAGE{views[j], stages[j].w, jobs[j].target.h};
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
}

bool resize_planes(PLANE_WORK& work, const PLANE_JOB* jobs, int32_t count, bool vertical_first,
                   const RUNNER* runner) {
  if (count < 0 || count > most_jobs) return false;
  STAGE stages[most_jobs];
  for (int32_t j = 0; j < count; ++j)
    stages[j] = STAGE{view_of(jobs[j].source), jobs[j].source.w, jobs[j].source.h};
  const bool passed = vertical_first ? pass_down(work, jobs, count, stages, runner) &&
                                           pass_across(work, jobs, count, stages, runner)
                                     : pass_across(work, jobs, count, stages, runner) &&
                                           pass_down(work, jobs, count, stages, runner);
  if (!passed) return false;
  COPIES out;
  for (int32_t j = 0; j < count; ++j)
    out.list[out.count++] =
        COPY{stages[j].view, view_of(jobs[j].target), jobs[j].target.w, jobs[j].target.h};
  return run_copies(out, runner);
}
