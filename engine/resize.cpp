#include "resize.h"

#include "work_area.h"

int run_on_one_thread(MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  worker(0, 1, param1, param2);
  return 1;
}

namespace {

int32_t clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

bool usable(const FRAME& f) {
  return f.buffer && f.w >= 1 && f.h >= 1 && f.w <= f.max_w && f.h <= f.max_h;
}

int run(const RUNNER* runner, MULTI_THREAD_FUNC worker, void* buffer, PASS_RECT* rect) {
  return runner ? runner->run(runner->context, worker, buffer, rect)
                : run_on_one_thread(worker, buffer, rect);
}

}  // namespace

int resize_frame(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                 const RUNNER* runner) {
  if (!usable(frame)) return 0;
  if (prepare_work_area(frame.max_h, frame.max_w) != 0) return 0;
  target_w = clamp(target_w, 1, frame.max_w);
  target_h = clamp(target_h, 1, frame.max_h);

  auto vertical = [&] {
    if (target_h == frame.h) return true;
    PASS_RECT rect{frame.w, frame.h, frame.w, target_h};
    if (!run(runner, vertical_pass, frame.buffer, &rect)) return false;
    frame.h = target_h;
    return true;
  };
  auto horizontal = [&] {
    if (target_w == frame.w) return true;
    PASS_RECT rect{frame.w, frame.h, target_w, frame.h};
    if (!run(runner, horizontal_pass, frame.buffer, &rect)) return false;
    frame.w = target_w;
    return true;
  };
  const bool done = vertical_first ? vertical() && horizontal() : horizontal() && vertical();
  return done ? 1 : 0;
}
