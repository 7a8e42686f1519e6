// Frames resized in work areas of their own run side by side: threads that
// each resize in an area of their own, with a variant and buffer sizes of
// their own, give the bytes of the same frames resized one at a time in the
// plug-in's area, which they leave alone, as they leave the process-wide
// kernel choice.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "images.h"
#include "kernels.h"
#include "resize.h"
#include "thread_pool.h"
#include "work_area.h"

namespace {

// One frame: a w x h image in a max_w x max_h buffer, resized to tw x th.
struct SHAPE {
  int32_t w, h, max_w, max_h, tw, th;
  bool vertical_first;
  uint32_t seed;
};

// Resizes the shape's frame in `area` with `kernels` (null area: the
// plug-in's call) and returns the image, or an empty one when refused.
IMAGE resize_shape(const SHAPE& s, WORK_AREA* area, const KERNEL_VARIANT* kernels,
                   const RUNNER* runner) {
  FRAME_BUFFER memory;
  make_guarded_frame(memory, s.max_w, s.max_h);
  FRAME frame{memory.frame.buffer, s.w, s.h, s.max_w, s.max_h};
  fill_test_frame(frame, s.seed, CONTENT::mixed);
  const bool done = area
                        ? resize_frame(*area, *kernels, frame, s.tw, s.th, s.vertical_first, runner)
                        : resize_frame(frame, s.tw, s.th, s.vertical_first, runner);
  return done ? copy_image(frame) : IMAGE{};
}

TEST(WorkAreas, FramesInAreasOfTheirOwnRunSideBySideWithTheBytesOfOneAtATime) {
  // Each thread alternates between two buffers whose blocks differ more than
  // twofold, so that its area's block is made anew while the other's runs.
  const SHAPE shapes[2][2] = {
      {{120, 90, 200, 150, 199, 37, true, 21}, {40, 30, 48, 56, 45, 50, false, 22}},
      {{97, 61, 300, 200, 211, 133, false, 23}, {33, 120, 64, 128, 64, 17, true, 24}},
  };
  const KERNEL_VARIANT* const* offered = available_kernels();
  const KERNEL_VARIANT* widest = offered[0];
  for (const KERNEL_VARIANT* const* v = offered; *v; ++v) widest = *v;
  // The slowest variant and the fastest, which for a wide one has a
  // position table and other slots.
  const KERNEL_VARIANT* variants[2] = {offered[0], widest};
  const KERNEL_VARIANT* chosen = active_kernels();

  IMAGE expected[2][2];
  for (int t = 0; t < 2; ++t)
    for (int s = 0; s < 2; ++s) {
      expected[t][s] = resize_shape(shapes[t][s], nullptr, nullptr, nullptr);
      ASSERT_EQ(expected[t][s].w, shapes[t][s].tw);
    }
  const void* plugins_block = work_area.memory;

  constexpr int rounds = 6;
  // Both threads start each round together: round r once both have arrived r + 1 times.
  std::atomic<int> arrivals{0};
  const auto meet = [&arrivals](int round) {
    arrivals.fetch_add(1);
    while (arrivals.load() < 2 * (round + 1)) std::this_thread::yield();
  };
  std::string differences[2];
  std::thread threads[2];
  for (int t = 0; t < 2; ++t)
    threads[t] = std::thread([&, t] {
      THREAD_POOL* pool = create_thread_pool(3);
      const RUNNER runner = pool_runner(pool);
      WORK_AREA area{};
      for (int round = 0; round < rounds; ++round) {
        meet(round);
        const int s = (round + t) % 2;
        const IMAGE image = resize_shape(shapes[t][s], &area, variants[t], &runner);
        const std::string difference = first_difference(expected[t][s], image);
        if (!difference.empty() && differences[t].empty())
          differences[t] = std::string(variants[t]->name) + ", shape " + std::to_string(s) +
                           ", round " + std::to_string(round) + ": " + difference;
        if (area.kernels != variants[t] && differences[t].empty())
          differences[t] = "the area ran another variant";
      }
      release_work_area(area);
      destroy_thread_pool(pool);
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(differences[0], "");
  EXPECT_EQ(differences[1], "");

  EXPECT_EQ(active_kernels(), chosen) << "an area's variant became the process's";
  EXPECT_EQ(work_area.memory, plugins_block) << "the plug-in's area was touched";
  EXPECT_EQ(work_area.kernels, chosen);
  for (const KERNEL_VARIANT* v : variants) EXPECT_EQ(find_kernels(v->name), v);
  EXPECT_EQ(find_kernels("auto"), chosen);
  EXPECT_EQ(find_kernels(nullptr), chosen);
  EXPECT_EQ(find_kernels("avx1024"), nullptr);
  EXPECT_EQ(active_kernels(), chosen) << "looking a variant up changed the choice";
  release_work_area();
}

}  // namespace
