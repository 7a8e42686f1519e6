// The two pass workers. Each takes its slot's knot buffer, sets the SSE mode
// the kernels are defined under, does its lines and puts everything back.
#include "passes.h"

#include <xmmintrin.h>

#include <atomic>

#include "pass_mode.h"
#include "resize.h"
#include "work_area.h"

namespace {

// The pass's workers share the slots' bytes out among themselves: 16 slots of
// slot_stride vectors with 16 workers, fewer and larger slots with fewer.
struct SLOT {
  KNOT* knots;
  int64_t bytes;
};

SLOT slot_of(const WORK_AREA& area, int thread_id, int thread_num) {
  const int workers = thread_num < 1 ? 1 : thread_num > work_slots ? work_slots : thread_num;
  const int64_t slots = int64_t{work_slots} * area.slot_stride * sizeof(VEC4);
  const int64_t bytes = slots / workers / 64 * 64;
  auto* at = reinterpret_cast<uint8_t*>(area.line_buffers) + thread_id * bytes;
  return SLOT{reinterpret_cast<KNOT*>(at), bytes};
}

PASS_JOB make_job(const WORK_AREA& area, PASS_AXIS axis, void* buffer, int32_t n, int32_t m,
                  const SLOT& slot) {
  const POSITION_TABLE& positions = area.positions[static_cast<int>(axis)];
  PASS_JOB job{};
  job.frame = static_cast<uint8_t*>(buffer);
  job.pitch = 6 * area.buffer_width;
  job.n = n;
  job.m = m;
  job.table = area.factor_table;
  job.positions = positions.entries;
  job.slot_bytes = slot.bytes;
  job.samples_stay_in_rows = positions.knots_at_or_below_outputs;
  job.stream_new_rows = new_rows_streamed();
  return job;
}

// A worker has a slot when its index is below 16 and below the count it was
// given (a count below 1 counts as 1); any other, from a runner that calls
// more workers than it says, would take bytes past the slots and returns at
// once. The others still do every line.
template <class Body>
void run_worker(int thread_id, int thread_num, void* pass_param, Body body) {
  if (thread_id < 0 || thread_id >= work_slots || thread_id >= (thread_num < 1 ? 1 : thread_num))
    return;
  const PASS_MODE mode(PASS_MODE::restore_and_empty_mmx);
  const PASS& pass = *static_cast<const PASS*>(pass_param);
  body(pass.sizes, *pass.area, slot_of(*pass.area, thread_id, thread_num));
}

// Hands lines [0, count) to do_lines(first, end): with several workers, `step`
// lines per step of the pass's counter until all are taken, consecutive
// counter values going to different parts of the lines (one part per worker,
// why: docs/design.md); alone, all of them at once, without touching the
// counter.
template <class DoLines>
void take_lines(int thread_num, int32_t& counter, int32_t step, int32_t count, DoLines do_lines) {
  if (thread_num > 1) {
    const int32_t parts = thread_num < work_slots ? thread_num : work_slots;
    const int32_t steps = (count + step - 1) / step;
    const int32_t per_part = (steps + parts - 1) / parts;
    std::atomic_ref<int32_t> next(counter);
    for (;;) {
      const int32_t k = next.fetch_add(1);
      if (k >= parts * per_part) break;
      const int32_t s = k % parts * per_part + k / parts;  // step k / parts of part k % parts
      if (s >= steps) continue;                            // the last part is shorter
      const int32_t first = step * s;
      do_lines(first, first + step < count ? first + step : count);
    }
  } else if (count > 0) {
    do_lines(0, count);
  }
}

}  // namespace

int32_t lines_per_step(int32_t count, int32_t unit, int32_t most, int thread_num) {
  const int32_t workers = thread_num > work_slots ? work_slots : thread_num;
  if (workers <= 1 || unit >= most) return most;
  // About four steps a worker even out the ends of the workers' runs.
  const int32_t wanted = (count + 4 * workers - 1) / (4 * workers);
  const int32_t step = (wanted + unit - 1) / unit * unit;
  return step < most ? step : most;
}

HOST_ENTRY void vertical_pass(int thread_id, int thread_num, void* buffer, void* pass) {
  run_worker(
      thread_id, thread_num, pass, [&](const PASS_SIZES& sizes, WORK_AREA& area, const SLOT& slot) {
        PASS_JOB job =
            make_job(area, PASS_AXIS::down, buffer, sizes.height, sizes.target_height, slot);
        job.groups = (6 * sizes.width + 7) / 8;
        // The last group may reach past the row when the image fills it: only the
        // int16 inside the row are read and written then.
        const int32_t row_bytes = job.pitch;
        const int32_t tail_start = 8 * (job.groups - 1);
        job.tail_lanes = tail_start + 8 > row_bytes ? (row_bytes - tail_start) / 2 : 4;
        const KERNEL_VARIANT& k = *area.kernels;
        const int32_t step =
            lines_per_step(job.groups, k.group_unit, k.groups_per_step, thread_num);
        take_lines(
            thread_num, area.vertical_counter, step, job.groups,
            [&](int32_t first, int32_t end) { k.column_groups(job, slot.knots, first, end); });
        // The column walks may write rows nobody reads again with non-temporal
        // stores, which are not ordered with the others: they are made visible
        // before the runner hands the frame on.
        _mm_sfence();
      });
}

HOST_ENTRY void horizontal_pass(int thread_id, int thread_num, void* buffer, void* pass) {
  run_worker(
      thread_id, thread_num, pass, [&](const PASS_SIZES& sizes, WORK_AREA& area, const SLOT& slot) {
        const PASS_JOB job =
            make_job(area, PASS_AXIS::across, buffer, sizes.width, sizes.target_width, slot);
        const KERNEL_VARIANT& k = *area.kernels;
        const int32_t step = lines_per_step(sizes.height, k.row_unit, k.rows_per_step, thread_num);
        take_lines(thread_num, area.horizontal_counter, step, sizes.height,
                   [&](int32_t first, int32_t end) { k.pixel_rows(job, slot.knots, first, end); });
      });
}
