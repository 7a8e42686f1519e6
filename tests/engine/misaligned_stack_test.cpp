// Workers entered on a stack that is only 4-byte aligned, as a 32-bit host
// may leave it, must still work.
#include <gtest/gtest.h>

#include "images.h"
#include "kernels.h"
#include "resize.h"
#include "work_area.h"

#if defined(__i386__)
#include "misaligned_call.h"
#endif

namespace {

#if defined(__i386__)

// Calls worker(0, 1, p1, p2) with the stack pointer at 4 mod 16 before the
// call instruction.
void call_worker_misaligned(MULTI_THREAD_FUNC worker, void* p1, void* p2) {
  call_misaligned(as_code(worker), STACK_SKEW::by12, 0, 1, as_arg(p1), as_arg(p2));
}

bool misaligned_runner(void*, MULTI_THREAD_FUNC worker, void* p1, void* p2) {
  call_worker_misaligned(worker, p1, p2);
  return true;
}

// Records where its stack arguments and an aligned local ended up.
struct PROBE {
  uintptr_t argument;
  uintptr_t local;
};

HOST_ENTRY void probe_worker(int, int, void* param1, void*) {
  alignas(16) volatile float local[4] = {1, 2, 3, 4};
  PROBE* probe = static_cast<PROBE*>(param1);
  probe->argument = reinterpret_cast<uintptr_t>(&param1);
  probe->local = reinterpret_cast<uintptr_t>(&local[0]);
}

TEST(MisalignedStack, HostEntriesRealignTheirFrame) {
  PROBE probe{};
  call_worker_misaligned(probe_worker, &probe, nullptr);
  EXPECT_NE(probe.argument % 16, 8u) << "the harness did not misalign the stack";
  EXPECT_EQ(probe.local % 16, 0u);
}

// The plug-in's call, and every variant in an area of its own.
TEST(MisalignedStack, WorkersGiveTheSameImage) {
  release_work_area();
  FRAME_BUFFER a, b;
  make_guarded_frame(a, 200, 150);
  make_guarded_frame(b, 200, 150);
  fill_test_frame(a.frame, 21);
  fill_test_frame(b.frame, 21);
  FRAME fa{a.frame.buffer, 120, 90, 200, 150}, fb{b.frame.buffer, 120, 90, 200, 150};
  const RUNNER r{misaligned_runner, nullptr};
  ASSERT_TRUE(resize_frame(fa, 199, 37, true, &r));
  ASSERT_TRUE(resize_frame(fb, 199, 37, true, nullptr));
  const IMAGE expected = copy_image(fb);
  EXPECT_EQ(first_difference(copy_image(fa), expected), "");
  release_work_area();
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    fill_test_frame(a.frame, 21);
    fa = FRAME{a.frame.buffer, 120, 90, 200, 150};
    WORK_AREA area{};
    ASSERT_TRUE(resize_frame(area, **v, fa, 199, 37, true, &r)) << (*v)->name;
    EXPECT_EQ(first_difference(copy_image(fa), expected), "") << (*v)->name;
    release_work_area(area);
  }
}

#else

TEST(MisalignedStack, WorkersGiveTheSameImage) {
  GTEST_SKIP() << "only the 32-bit build has 4-byte stacks";
}

#endif

}  // namespace
