// Workers entered on a stack that is only 4-byte aligned, as a 32-bit host
// may leave it, must still work.
#include <gtest/gtest.h>

#include "guarded_buffer.h"
#include "resize.h"
#include "work_area.h"

namespace {

#if defined(__i386__)

// Calls worker(id, count, p1, p2) with the stack pointer at 4 mod 16 before
// the call instruction.
void call_misaligned(MULTI_THREAD_FUNC worker, int id, int count, void* p1, void* p2) {
  __asm__ volatile(
      "mov %%esp, %%esi\n\t"
      "and $-16, %%esp\n\t"
      "sub $12, %%esp\n\t"
      "push %%edi\n\t"
      "push %%ebx\n\t"
      "push %%edx\n\t"
      "push %%ecx\n\t"
      "test $15, %%esp\n\t"  // 12 + 16 bytes below a 16-byte boundary: 4 mod 16
      "call *%%eax\n\t"
      "mov %%esi, %%esp\n\t"
      : "+a"(worker), "+c"(id), "+d"(count), "+b"(p1), "+D"(p2)
      :
      : "esi", "memory", "cc");
}

bool misaligned_runner(void*, MULTI_THREAD_FUNC worker, void* p1, void* p2) {
  call_misaligned(worker, 0, 1, p1, p2);
  return true;
}

// Records where its stack arguments and an aligned local ended up.
struct Probe {
  uintptr_t argument;
  uintptr_t local;
};

HOST_ENTRY void probe_worker(int, int, void* param1, void*) {
  alignas(16) volatile float local[4] = {1, 2, 3, 4};
  Probe* probe = static_cast<Probe*>(param1);
  probe->argument = reinterpret_cast<uintptr_t>(&param1);
  probe->local = reinterpret_cast<uintptr_t>(&local[0]);
}

TEST(MisalignedStack, HostEntriesRealignTheirFrame) {
  Probe probe{};
  call_misaligned(probe_worker, 0, 1, &probe, nullptr);
  EXPECT_NE(probe.argument % 16, 8u) << "the harness did not misalign the stack";
  EXPECT_EQ(probe.local % 16, 0u);
}

TEST(MisalignedStack, WorkersGiveTheSameImage) {
  release_work_area();
  GuardedFrame a(200, 150), b(200, 150);
  fill_random(a.pixels(), 200 * 150, 21);
  fill_random(b.pixels(), 200 * 150, 21);
  FRAME fa{a.pixels(), 120, 90, 200, 150}, fb{b.pixels(), 120, 90, 200, 150};
  const RUNNER r{misaligned_runner, nullptr};
  ASSERT_EQ(resize_frame(fa, 199, 37, true, &r), 1);
  ASSERT_EQ(resize_frame(fb, 199, 37, true, nullptr), 1);
  EXPECT_EQ(
      first_difference(copy_image(a.pixels(), 200, 199, 37), copy_image(b.pixels(), 200, 199, 37)),
      -1);
  release_work_area();
}

#else

TEST(MisalignedStack, WorkersGiveTheSameImage) {
  GTEST_SKIP() << "only the 32-bit build has 4-byte stacks";
}

#endif

}  // namespace
