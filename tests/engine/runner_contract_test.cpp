// Workers under a runner that breaks its contract: one that calls more
// workers than the count it hands them, or hands them a count of 0. A
// worker whose index is not below the count (a count of 0 counts as 1)
// does nothing, and the others still do every line: the bits are those of
// a run on one thread, for every kernel variant this processor has.
#include <gtest/gtest.h>

#include <string>

#include "grid_pass.h"
#include "images.h"
#include "kernels.h"
#include "plane.h"
#include "resize.h"
#include "work_area.h"

namespace {

// Calls the workers of indexes `reported` to calls - 1 first, then those
// below, one after another on this thread, each with the count `reported`:
// the first worker called takes every line a shared counter hands out.
struct LYING_RUNNER {
  int calls;
  int reported;
  RUNNER runner() { return RUNNER{run, this}; }
  static bool run(void* context, MULTI_THREAD_FUNC worker, void* p1, void* p2) {
    const auto& self = *static_cast<const LYING_RUNNER*>(context);
    for (int i = self.reported; i < self.calls; ++i) worker(i, self.reported, p1, p2);
    for (int i = 0; i < self.reported && i < self.calls; ++i) worker(i, self.reported, p1, p2);
    return true;
  }
};

// What each run does to a frame of 150 x 90 in a 1200 x 900 buffer (a large
// block with short lines, so a slot taken past the slots lands in the
// block's tables): both passes in either order, a pass at co-sited grid
// positions along either axis, or the three channels through planes.
enum class JOB { frame_horizontal_first, frame_vertical_first, grid_across, grid_down, planes };

IMAGE run(JOB job, const RUNNER* runner) {
  FRAME_BUFFER buffer, target;
  make_guarded_frame(buffer, 1200, 900);
  fill_test_frame(buffer.frame, 5, CONTENT::mixed);
  buffer.frame.w = 150;
  buffer.frame.h = 90;
  const AXIS_GRID co_sited{0.25f, 300, 422};
  switch (job) {
    case JOB::frame_horizontal_first:
    case JOB::frame_vertical_first:
      EXPECT_TRUE(resize_frame(buffer.frame, 77, 181, job == JOB::frame_vertical_first, runner));
      break;
    case JOB::grid_across:
      EXPECT_TRUE(grid_pass(buffer.frame, AXIS::across, 211, co_sited, runner));
      break;
    case JOB::grid_down:
      EXPECT_TRUE(grid_pass(buffer.frame, AXIS::down, 211, co_sited, runner));
      break;
    case JOB::planes: {
      make_guarded_frame(target, 97, 133);
      target.frame.w = 97;
      target.frame.h = 133;
      PLANE_WORK work;
      PLANE_JOB jobs[3];
      for (int ch = 0; ch < 3; ++ch)
        jobs[ch] = PLANE_JOB{frame_channel(buffer.frame, ch), frame_channel(target.frame, ch),
                             own_grid(150, 97), own_grid(90, 133)};
      EXPECT_TRUE(resize_planes(work, jobs, 3, false, runner));
      return whole_buffer(target.frame);
    }
  }
  return whole_buffer(buffer.frame);
}

TEST(RunnerContract, WorkersBeyondTheCountDoNothingAndTheRestDoEveryLine) {
  const LYING_RUNNER runners[] = {{8, 4}, {2, 1}, {1, 0}};
  const JOB jobs[] = {JOB::frame_horizontal_first, JOB::frame_vertical_first, JOB::grid_across,
                      JOB::grid_down, JOB::planes};
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    ASSERT_TRUE(force_kernels((*v)->name));
    for (const JOB job : jobs) {
      release_work_area();
      const IMAGE expected = run(job, nullptr);
      for (LYING_RUNNER lying : runners) {
        SCOPED_TRACE(std::string((*v)->name) + ", job " + std::to_string(static_cast<int>(job)) +
                     ", " + std::to_string(lying.calls) + " workers told " +
                     std::to_string(lying.reported));
        const RUNNER r = lying.runner();
        EXPECT_EQ(first_difference(expected, run(job, &r)), "");
      }
    }
  }
  force_kernels("auto");
  release_work_area();
}

}  // namespace
