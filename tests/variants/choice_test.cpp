// Which variant runs: the widest the processor and operating system support,
// unless one is forced by name; and a frame allocates nothing once its work
// block exists, whichever variant runs.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "cpu.h"
#include "kernels.h"
#include "pages.h"
#include "resize.h"
#include "thread_pool.h"
#include "work_area.h"

namespace {

std::atomic<long> heap_allocations{0};
std::atomic<long> page_allocations{0};
PAGE_ALLOCATOR system_pages{};

void* count_pages(size_t bytes) {
  ++page_allocations;
  return system_pages.allocate(bytes);
}
void release_counted(void* memory, size_t bytes) { system_pages.release(memory, bytes); }

std::string names() {
  std::string s;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v)
    s += std::string(" ") + (*v)->name;
  return s;
}

bool requirement_met(const char* name) {
  const CPU_FEATURES& f = cpu_features();
  if (std::strcmp(name, "portable") == 0) return true;
  if (std::strcmp(name, "sse") == 0) return f.sse;
  if (std::strcmp(name, "sse2") == 0) return f.sse2;
  if (std::strcmp(name, "avx2") == 0) return f.avx2;
  if (std::strcmp(name, "avx512") == 0) return f.avx512;
  return false;
}

TEST(VariantChoice, OffersWhatTheProcessorRunsAndPicksTheWidest) {
  const CPU_FEATURES& f = cpu_features();
  int count = 0;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v, ++count)
    EXPECT_TRUE(requirement_met((*v)->name))
        << (*v)->name << " offered without its instruction set";
  for (const char* name : {"portable", "sse", "sse2", "avx2", "avx512"}) {
    if (!requirement_met(name)) continue;
    EXPECT_TRUE(force_kernels(name)) << name << " missing from" << names();
  }
  const char* widest = f.avx512 ? "avx512"
                       : f.avx2 ? "avx2"
                       : f.sse2 ? "sse2"
                       : f.sse  ? "sse"
                                : "portable";
  ASSERT_TRUE(force_kernels(nullptr));
  EXPECT_STREQ(active_kernels()->name, widest) << "offered:" << names();
  EXPECT_STREQ(available_kernels()[count - 1]->name, widest);
}

TEST(VariantChoice, ForcingByNameAndBackToAutomatic) {
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    ASSERT_TRUE(force_kernels((*v)->name));
    EXPECT_EQ(active_kernels(), *v);
    EXPECT_FALSE(force_kernels("avx1024"));
    EXPECT_EQ(active_kernels(), *v) << "a refused name changed the choice";
  }
  const KERNEL_VARIANT* automatic = nullptr;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) automatic = *v;
  ASSERT_TRUE(force_kernels("auto"));
  EXPECT_EQ(active_kernels(), automatic);
  ASSERT_TRUE(force_kernels("sse"));
  ASSERT_TRUE(force_kernels(""));
  EXPECT_EQ(active_kernels(), automatic);
}

// Frames after the first (same buffer, both passes, one and two threads)
// take no page and no heap memory, for every variant.
TEST(VariantChoice, FramesAllocateNothingOnceTheBlockExists) {
  const int32_t max_w = 1283, max_h = 723;
  PIXEL_YC* buffer = new PIXEL_YC[static_cast<size_t>(max_w) * max_h]();
  THREAD_POOL* pool = create_thread_pool(2);
  const RUNNER runner = pool_runner(pool);
  const PAGE_ALLOCATOR counting{count_pages, release_counted};
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    ASSERT_TRUE(force_kernels((*v)->name));
    system_pages = set_page_allocator(&counting);
    page_allocations = 0;
    for (int frame_index = 0; frame_index < 5; ++frame_index) {
      FRAME frame{buffer, 1280, 720, max_w, max_h};
      if (frame_index == 1) {
        EXPECT_EQ(page_allocations, 1) << (*v)->name << ": the first frame makes the block";
        page_allocations = 0;
        heap_allocations = 0;
      }
      const bool shrink = frame_index % 2 == 1;
      ASSERT_TRUE(resize_frame(frame, shrink ? 640 : 1283, shrink ? 361 : 723, frame_index > 2,
                               frame_index % 2 ? &runner : nullptr));
      ASSERT_STREQ(work_area.kernels->name, (*v)->name);
    }
    EXPECT_EQ(page_allocations, 0) << (*v)->name;
    EXPECT_EQ(heap_allocations, 0) << (*v)->name;
    release_work_area();
    set_page_allocator(&system_pages);
  }
  force_kernels(nullptr);
  destroy_thread_pool(pool);
  delete[] buffer;
}

}  // namespace

// Counts every heap allocation of the test program.
void* operator new(size_t bytes) {
  ++heap_allocations;
  if (void* p = std::malloc(bytes ? bytes : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
