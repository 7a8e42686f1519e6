#include "resize.h"

#include "kernels.h"
#include "passes.h"
#include "work_area.h"

bool run_on_one_thread(MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  worker(0, 1, param1, param2);
  return true;
}

bool run_workers(const RUNNER* runner, MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  return runner ? runner->run(runner->context, worker, param1, param2)
                : run_on_one_thread(worker, param1, param2);
}

LINE_SHARE line_share(int32_t lines, int thread_id, int thread_num) {
  const int64_t count = thread_num < 1 ? 1 : thread_num;
  if (thread_id < 0 || thread_id >= count) return LINE_SHARE{0, 0};
  return LINE_SHARE{static_cast<int32_t>(int64_t{lines} * thread_id / count),
                    static_cast<int32_t>(int64_t{lines} * (thread_id + 1) / count)};
}

namespace {

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

bool usable(const FRAME& f) {
  return f.buffer && f.w >= 1 && f.h >= 1 && f.w <= f.max_w && f.h <= f.max_h;
}

}  // namespace

bool resize_frame(WORK_AREA& area, const KERNEL_VARIANT& kernels, FRAME& frame, int32_t target_w,
                  int32_t target_h, bool vertical_first, const RUNNER* runner) {
  if (!usable(frame) || !prepare_work_area(area, frame.max_h, frame.max_w, kernels)) return false;
  target_w = clamp(target_w, 1, frame.max_w);
  target_h = clamp(target_h, 1, frame.max_h);

  auto vertical = [&] {
    if (target_h == frame.h) return true;
    PASS pass{{frame.w, frame.h, frame.w, target_h}, &area};
    prepare_positions(area, PASS_AXIS::down, frame.h, target_h);
    if (!run_workers(runner, vertical_pass, frame.buffer, &pass)) return false;
    frame.h = target_h;
    return true;
  };
  auto horizontal = [&] {
    if (target_w == frame.w) return true;
    PASS pass{{frame.w, frame.h, target_w, frame.h}, &area};
    prepare_positions(area, PASS_AXIS::across, frame.w, target_w);
    if (!run_workers(runner, horizontal_pass, frame.buffer, &pass)) return false;
    frame.w = target_w;
    return true;
  };
  return vertical_first ? vertical() && horizontal() : horizontal() && vertical();
}

bool resize_frame(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                  const RUNNER* runner) {
  return resize_frame(work_area, *active_kernels(), frame, target_w, target_h, vertical_first,
                      runner);
}
