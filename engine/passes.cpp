// The two pass workers. Each takes its slot's knot buffer, sets the SSE mode
// the kernels are defined under, does its lines and puts everything back.
#include <xmmintrin.h>

#include <atomic>

#include "resize.h"
#include "work_area.h"

namespace {

// All exceptions masked, round to nearest even, flush-to-zero on, DAZ off.
constexpr unsigned pass_mxcsr = 0x9F80;

SPLINE_LINE* slot_buffer(int thread_id) {
  return reinterpret_cast<SPLINE_LINE*>(reinterpret_cast<VEC4*>(work_area.line_buffers) +
                                        static_cast<intptr_t>(thread_id) * work_area.slot_stride);
}

PASS_JOB make_job(void* buffer, int32_t n, int32_t m) {
  PASS_JOB job{};
  job.frame = static_cast<uint8_t*>(buffer);
  job.pitch = 6 * work_area.buffer_width;
  job.n = n;
  job.m = m;
  job.table = work_area.factor_table;
  job.knots = work_area.slot_stride / (2 * work_area.kernels->line_buffers);
  return job;
}

template <class Body>
void run_worker(int thread_id, Body body) {
  if (thread_id < 0 || thread_id >= work_slots) return;
  const unsigned saved = _mm_getcsr();
  _mm_setcsr(pass_mxcsr);
  body(slot_buffer(thread_id));
  _mm_setcsr(saved);
  _mm_empty();  // the host's x87 code needs the MMX registers free
}

}  // namespace

HOST_ENTRY void vertical_pass(int thread_id, int thread_num, void* buffer, void* rect_param) {
  run_worker(thread_id, [&](SPLINE_LINE* slot) {
    const PASS_RECT& rect = *static_cast<const PASS_RECT*>(rect_param);
    PASS_JOB job = make_job(buffer, rect.top, rect.bottom);
    job.groups = (6 * rect.left + 7) / 8;
    // The last group may reach past the row when the image fills it: only the
    // int16 inside the row are read and written then.
    const int32_t row_bytes = job.pitch;
    const int32_t tail_start = 8 * (job.groups - 1);
    job.tail_lanes = tail_start + 8 > row_bytes ? (row_bytes - tail_start) / 2 : 4;
    const KERNEL_VARIANT& k = *work_area.kernels;
    if (thread_num > 1) {
      std::atomic_ref<int32_t> counter(work_area.vertical_counter);
      const int32_t step = k.groups_per_step;
      for (;;) {
        const int32_t first = step * counter.fetch_add(1);
        if (first >= job.groups) break;
        k.column_groups(job, slot, first, first + step < job.groups ? first + step : job.groups);
      }
    } else if (job.groups > 0) {
      k.column_groups(job, slot, 0, job.groups);
    }
  });
}

HOST_ENTRY void horizontal_pass(int thread_id, int thread_num, void* buffer, void* rect_param) {
  run_worker(thread_id, [&](SPLINE_LINE* slot) {
    const PASS_RECT& rect = *static_cast<const PASS_RECT*>(rect_param);
    const PASS_JOB job = make_job(buffer, rect.left, rect.right);
    const int32_t rows = rect.top;
    const KERNEL_VARIANT& k = *work_area.kernels;
    if (thread_num > 1) {
      std::atomic_ref<int32_t> counter(work_area.horizontal_counter);
      const int32_t step = k.rows_per_step;
      for (;;) {
        const int32_t r = step * counter.fetch_add(1);
        if (r >= rows) break;
        k.pixel_rows(job, slot, r, r + step < rows ? r + step : rows);
      }
    } else if (rows > 0) {
      k.pixel_rows(job, slot, 0, rows);
    }
  });
}
