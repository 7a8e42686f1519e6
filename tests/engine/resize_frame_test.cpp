// The frame driver, the pass workers and the work area: pass order and
// sizes, thread counts, runner failures, floating-point state, memory
// ownership and the bounds of the frame buffer.
#include <gtest/gtest.h>
#include <xmmintrin.h>

#include <cstring>
#include <vector>

#include "images.h"
#include "kernels.h"
#include "pages.h"
#include "passes.h"
#include "resize.h"
#include "thread_pool.h"
#include "work_area.h"

namespace {

class ResizeFrame : public testing::Test {
 protected:
  void SetUp() override { release_work_area(); }
  void TearDown() override {
    release_work_area();
    force_kernels("auto");
  }
};

// A frame of w x h random pixels in a guarded buffer of max_w x max_h.
struct TEST_FRAME {
  TEST_FRAME(int32_t w, int32_t h, int32_t max_w, int32_t max_h, uint32_t seed = 1,
             bool extreme = false) {
    make_guarded_frame(memory, max_w, max_h);
    frame = FRAME{memory.frame.buffer, w, h, max_w, max_h};
    fill_test_frame(frame, seed, extreme ? CONTENT::extreme : CONTENT::smooth);
  }
  IMAGE image() const { return copy_image(frame); }
  IMAGE all() const { return whole_buffer(frame); }
  FRAME_BUFFER memory;
  FRAME frame;
};

IMAGE resized(int32_t w, int32_t h, int32_t max_w, int32_t max_h, int32_t tw, int32_t th,
              bool vertical_first, const RUNNER* runner, uint32_t seed = 1) {
  TEST_FRAME f(w, h, max_w, max_h, seed);
  EXPECT_TRUE(resize_frame(f.frame, tw, th, vertical_first, runner));
  EXPECT_EQ(f.frame.w, tw);
  EXPECT_EQ(f.frame.h, th);
  return f.image();
}

// Runs the workers one after another on the calling thread and records the
// pass sizes it was given.
struct RECORDING_RUNNER {
  std::vector<PASS_SIZES> sizes;
  std::vector<MULTI_THREAD_FUNC> workers;
  int threads = 1;
  int result = 1;
  RUNNER runner() { return RUNNER{run, this}; }
  static bool run(void* context, MULTI_THREAD_FUNC worker, void* p1, void* p2) {
    auto* self = static_cast<RECORDING_RUNNER*>(context);
    self->sizes.push_back(*static_cast<PASS_SIZES*>(p2));
    self->workers.push_back(worker);
    if (self->result)
      for (int i = 0; i < self->threads; ++i) worker(i, self->threads, p1, p2);
    return self->result;
  }
};

bool operator==(const PASS_SIZES& a, const PASS_SIZES& b) {
  return a.width == b.width && a.height == b.height && a.target_width == b.target_width &&
         a.target_height == b.target_height;
}

TEST_F(ResizeFrame, PassOrderAndSizes) {
  for (bool vertical_first : {true, false}) {
    RECORDING_RUNNER rec;
    const RUNNER r = rec.runner();
    TEST_FRAME f(100, 50, 128, 96);
    ASSERT_TRUE(resize_frame(f.frame, 40, 80, vertical_first, &r));
    ASSERT_EQ(rec.sizes.size(), 2u);
    if (vertical_first) {
      EXPECT_EQ(rec.workers[0], &vertical_pass);
      EXPECT_TRUE(rec.sizes[0] == (PASS_SIZES{100, 50, 100, 80}));
      EXPECT_EQ(rec.workers[1], &horizontal_pass);
      EXPECT_TRUE(rec.sizes[1] == (PASS_SIZES{100, 80, 40, 80}));
    } else {
      EXPECT_EQ(rec.workers[0], &horizontal_pass);
      EXPECT_TRUE(rec.sizes[0] == (PASS_SIZES{100, 50, 40, 50}));
      EXPECT_EQ(rec.workers[1], &vertical_pass);
      EXPECT_TRUE(rec.sizes[1] == (PASS_SIZES{40, 50, 40, 80}));
    }
    EXPECT_EQ(f.frame.w, 40);
    EXPECT_EQ(f.frame.h, 80);
  }
}

TEST_F(ResizeFrame, OnlyTheChangedAxisRuns) {
  for (bool vertical_first : {true, false}) {
    RECORDING_RUNNER rec;
    const RUNNER r = rec.runner();
    TEST_FRAME f(64, 48, 64, 48);
    ASSERT_TRUE(resize_frame(f.frame, 32, 48, vertical_first, &r));
    ASSERT_EQ(rec.workers.size(), 1u);
    EXPECT_EQ(rec.workers[0], &horizontal_pass);
  }
}

TEST_F(ResizeFrame, SameSizeChangesNothingButMakesTheBlock) {
  RECORDING_RUNNER rec;
  const RUNNER r = rec.runner();
  TEST_FRAME f(30, 20, 40, 30);
  const IMAGE before = f.all();
  EXPECT_TRUE(resize_frame(f.frame, 30, 20, true, &r));
  EXPECT_TRUE(rec.workers.empty());
  EXPECT_EQ(f.all().pixels.size(), before.pixels.size());
  EXPECT_EQ(first_difference(f.all(), before), "");
  EXPECT_NE(work_area.memory, nullptr);
}

TEST_F(ResizeFrame, OneThreadRunnerEqualsNoRunner) {
  RECORDING_RUNNER rec;
  const RUNNER r = rec.runner();
  const auto a = resized(97, 61, 300, 200, 211, 133, false, &r);
  const auto b = resized(97, 61, 300, 200, 211, 133, false, nullptr);
  EXPECT_EQ(first_difference(a, b), "");
  // Alone mode does not touch the counters.
  EXPECT_EQ(work_area.vertical_counter, 0);
  EXPECT_EQ(work_area.horizontal_counter, 0);
}

TEST_F(ResizeFrame, ThreadCountsGiveIdenticalOutput) {
  for (bool vertical_first : {false, true}) {
    const auto reference = resized(333, 177, 640, 480, 517, 301, vertical_first, nullptr, 7);
    for (int threads : {2, 3, 16, 24, 64}) {
      THREAD_POOL* pool = create_thread_pool(threads);
      ASSERT_NE(pool, nullptr);
      const RUNNER r = pool_runner(pool);
      for (int frame = 0; frame < 2; ++frame) {  // counters restart every frame
        const auto out = resized(333, 177, 640, 480, 517, 301, vertical_first, &r, 7);
        EXPECT_EQ(first_difference(out, reference), "") << threads << " threads, frame " << frame;
      }
      destroy_thread_pool(pool);
    }
  }
}

TEST_F(ResizeFrame, LateWorkerFindsNothingLeftAndHighIndicesStayIdle) {
  // Workers run strictly one after another with count 24: worker 0 takes every
  // line; 1-15 find the counter past the end; 16-23 must not even touch MXCSR.
  struct SEQUENTIAL {
    static bool run(void*, MULTI_THREAD_FUNC worker, void* p1, void* p2) {
      for (int i = 0; i < 24; ++i) {
        const unsigned odd_mode = 0x7F80;  // round toward zero
        const unsigned before = _mm_getcsr();
        if (i >= 16) _mm_setcsr(odd_mode);
        worker(i, 24, p1, p2);
        if (i >= 16) {
          EXPECT_EQ(_mm_getcsr(), odd_mode) << "worker " << i;
          _mm_setcsr(before);
        }
      }
      return 1;
    }
  };
  const RUNNER r{SEQUENTIAL::run, nullptr};
  const auto out = resized(150, 90, 300, 200, 77, 181, true, &r, 3);
  const auto reference = resized(150, 90, 300, 200, 77, 181, true, nullptr, 3);
  EXPECT_EQ(first_difference(out, reference), "");
}

TEST_F(ResizeFrame, FailingRunnerStopsAtOnce) {
  RECORDING_RUNNER rec;
  rec.result = 0;
  const RUNNER r = rec.runner();
  TEST_FRAME f(50, 40, 100, 100);
  EXPECT_FALSE(resize_frame(f.frame, 60, 70, false, &r));
  EXPECT_EQ(rec.workers.size(), 1u);
  EXPECT_EQ(f.frame.w, 50);
  EXPECT_EQ(f.frame.h, 40);

  // A failure in the second pass leaves the first pass's size.
  struct SECOND_FAILS {
    int calls = 0;
    static bool run(void* c, MULTI_THREAD_FUNC worker, void* p1, void* p2) {
      auto* self = static_cast<SECOND_FAILS*>(c);
      if (++self->calls == 2) return false;
      return run_on_one_thread(worker, p1, p2);
    }
  } second;
  const RUNNER r2{SECOND_FAILS::run, &second};
  TEST_FRAME g(50, 40, 100, 100);
  EXPECT_FALSE(resize_frame(g.frame, 60, 70, false, &r2));
  EXPECT_EQ(g.frame.w, 60);
  EXPECT_EQ(g.frame.h, 40);
}

// A host or codec may leave any SSE mode on the thread that calls us. The
// first frame after a release builds the factor table on that thread, so the
// whole frame, table included, must come out as under the default mode, and
// the caller's mode must be given back. Short lines of full-range noise make
// the first table entries count.
TEST_F(ResizeFrame, CallersModeNeverReachesTheBitsAndIsGivenBack) {
  struct RUN {
    IMAGE image;
    unsigned mode_after;
  };
  const auto run = [](unsigned callers) {
    release_work_area();
    TEST_FRAME f(3, 2, 64, 64, 5, true);
    const unsigned saved = _mm_getcsr();
    _mm_setcsr(callers);
    const bool result = resize_frame(f.frame, 41, 29, false, nullptr);
    const unsigned after = _mm_getcsr();
    _mm_setcsr(saved);
    EXPECT_TRUE(result);
    return RUN{f.image(), after & ~0x3Fu};  // status flags aside
  };
  const RUN reference = run(0x1F80);
  const unsigned modes[] = {
      0x1F80 | 0x6000,           // round toward zero
      0x1F80 | 0x4000,           // round up
      0x1F80 | 0x2000,           // round down
      0x1F80 | 0x8000 | 0x0040,  // flush-to-zero and denormals-are-zero
      0x0000 | 0x6000 | 0x0040,  // exceptions unmasked, toward zero, DAZ
  };
  for (const unsigned callers : modes) {
    const RUN r = run(callers);
    EXPECT_EQ(r.mode_after, callers) << std::hex << callers;
    EXPECT_EQ(first_difference(reference.image, r.image), "")
        << "caller's MXCSR " << std::hex << callers;
  }
}

TEST_F(ResizeFrame, ImageFillingTheBufferStaysInside) {
  // The image fills a guarded buffer whose width is not a multiple of 4: the
  // last column group would reach past the row, the last pixel store past the
  // buffer. Any stray access faults.
  for (int32_t max_w : {1, 2, 3, 5, 6, 7, 9, 13, 35}) {
    for (bool vertical_first : {false, true}) {
      const int32_t max_h = 23;
      TEST_FRAME small(max_w > 2 ? max_w - 2 : 1, 11, max_w, max_h, max_w);
      ASSERT_TRUE(resize_frame(small.frame, max_w, max_h, vertical_first, nullptr));
      EXPECT_EQ(small.frame.w, max_w);
      EXPECT_EQ(small.frame.h, max_h);

      TEST_FRAME full(max_w, max_h, max_w, max_h, max_w + 100);
      ASSERT_EQ(
          resize_frame(full.frame, max_w > 1 ? max_w - 1 : 1, max_h - 4, vertical_first, nullptr),
          1);
      ASSERT_TRUE(resize_frame(full.frame, max_w, max_h, !vertical_first, nullptr));
    }
  }
}

TEST_F(ResizeFrame, NarrowTailGroupGivesTheSameImageAsAWideBuffer) {
  // Resizing a 7-pixel-wide image vertically must not depend on whether the
  // buffer has room after the last column group.
  for (int32_t w : {1, 2, 3, 5, 6, 7}) {
    TEST_FRAME tight(w, 40, w, 90, 11);
    TEST_FRAME roomy(w, 40, w + 8, 90, 11);
    for (int32_t y = 0; y < 40; ++y)
      std::memcpy(pixel_at(roomy.frame, 0, y), pixel_at(tight.frame, 0, y), w * sizeof(PIXEL_YC));
    ASSERT_TRUE(resize_frame(tight.frame, w, 90, true, nullptr));
    ASSERT_TRUE(resize_frame(roomy.frame, w, 90, true, nullptr));
    EXPECT_EQ(first_difference(tight.image(), roomy.image()), "") << "width " << w;
  }
}

TEST_F(ResizeFrame, ShrinkingLeavesTheRestOfTheBufferAlone) {
  TEST_FRAME f(80, 60, 100, 70, 9);
  const IMAGE before = f.all();
  ASSERT_TRUE(resize_frame(f.frame, 50, 30, false, nullptr));
  const IMAGE after = f.all();
  for (int32_t y = 0; y < 70; ++y) {
    for (int32_t x = 0; x < 100; ++x) {
      const bool inside_new = x < 50 && y < 30;
      // Bytes the passes may rewrite: the new image, and the horizontal pass
      // leaves old rows 30..59 beyond x = 50 with their pre-resize samples;
      // only pixels never part of a line must be untouched.
      const bool in_a_line = (y < 60 && x < 80);
      if (!inside_new && !in_a_line) {
        const size_t i = static_cast<size_t>(y) * 100 + x;
        ASSERT_EQ(std::memcmp(&before.pixels[i], &after.pixels[i], 6), 0) << x << "," << y;
      }
    }
  }
}

TEST_F(ResizeFrame, UnusableFramesAreRefused) {
  TEST_FRAME f(10, 10, 20, 20);
  const IMAGE before = f.all();
  for (FRAME bad : {FRAME{f.frame.buffer, 0, 10, 20, 20}, FRAME{f.frame.buffer, 10, -1, 20, 20},
                    FRAME{f.frame.buffer, 21, 10, 20, 20}, FRAME{f.frame.buffer, 10, 21, 20, 20},
                    FRAME{nullptr, 10, 10, 20, 20}}) {
    const FRAME copy = bad;
    EXPECT_FALSE(resize_frame(bad, 15, 15, false, nullptr));
    EXPECT_EQ(std::memcmp(&bad, &copy, sizeof bad), 0);
  }
  EXPECT_EQ(first_difference(f.all(), before), "");
}

TEST_F(ResizeFrame, TargetsAreClampedIntoTheBuffer) {
  TEST_FRAME f(10, 10, 20, 16);
  EXPECT_TRUE(resize_frame(f.frame, 5000, -3, false, nullptr));
  EXPECT_EQ(f.frame.w, 20);
  EXPECT_EQ(f.frame.h, 1);
  EXPECT_TRUE(resize_frame(f.frame, 0, 99, true, nullptr));
  EXPECT_EQ(f.frame.w, 1);
  EXPECT_EQ(f.frame.h, 16);
}

// Page allocator that counts, and fails on request.
struct COUNTING_PAGES {
  static inline int allocations = 0;
  static inline int releases = 0;
  static inline bool fail = false;
  static inline size_t last_bytes = 0;
  static void* allocate(size_t bytes) {
    if (fail) return nullptr;
    ++allocations;
    last_bytes = bytes;
    return allocate_system(bytes);
  }
  static void release(void* p, size_t bytes) {
    ++releases;
    release_system(p, bytes);
  }
  static inline void* (*allocate_system)(size_t) = nullptr;
  static inline void (*release_system)(void*, size_t) = nullptr;
};

class WorkArea : public ResizeFrame {
 protected:
  void SetUp() override {
    ResizeFrame::SetUp();
    ASSERT_TRUE(force_kernels("sse"));
    const PAGE_ALLOCATOR counting{COUNTING_PAGES::allocate, COUNTING_PAGES::release};
    system_ = set_page_allocator(&counting);
    COUNTING_PAGES::allocate_system = system_.allocate;
    COUNTING_PAGES::release_system = system_.release;
    COUNTING_PAGES::allocations = COUNTING_PAGES::releases = 0;
    COUNTING_PAGES::fail = false;
  }
  void TearDown() override {
    ResizeFrame::TearDown();
    set_page_allocator(&system_);
  }
  PAGE_ALLOCATOR system_{};
};

TEST_F(WorkArea, CapacityAndBlockSize) {
  EXPECT_EQ(knot_capacity(100, 2045), 2048);
  EXPECT_EQ(knot_capacity(2046, 7), 2056);
  EXPECT_EQ(knot_capacity(2048, 2048), 2056);
  EXPECT_EQ(knot_capacity(0, 5), 0);
  ASSERT_TRUE(prepare_work_area(work_area, 2048, 2048, *active_kernels()));
  EXPECT_EQ(COUNTING_PAGES::last_bytes, 1085568u);
  EXPECT_EQ(work_area.slot_stride, 2 * 2056);
  EXPECT_EQ(
      reinterpret_cast<uint8_t*>(work_area.factor_table) - static_cast<uint8_t*>(work_area.memory),
      512 * 2056);
  EXPECT_EQ(work_area.factor_table[6].lane[0], 0.26794919f);
  EXPECT_EQ(work_area.factor_table[2055].lane[3], 0.26794919f);
}

// Committed bytes for a 3840 x 2160 buffer (K = 3848), which a 32-bit host's
// address space must find: the reference's 16 line buffers and factor table;
// for the wide variants twice the line buffers' bytes, tables included; never
// more than 4 MB. The block is sized for the variant it is made for.
TEST_F(WorkArea, EveryVariantCommitsAtMostFourMBForA4KBuffer) {
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    ASSERT_TRUE(prepare_work_area(work_area, 2160, 3840, **v));
    const bool wide = (*v)->positions;
    const size_t expected = wide ? 3848u * 1024 : 3848u * 528;
    EXPECT_EQ(COUNTING_PAGES::last_bytes, expected) << (*v)->name;
    EXPECT_EQ(work_area.block_bytes, expected) << (*v)->name;
    EXPECT_LE(COUNTING_PAGES::last_bytes, 4000000u) << (*v)->name;
    for (const POSITION_TABLE& table : work_area.positions)
      EXPECT_EQ(table.entries != nullptr, wide) << (*v)->name;
  }
}

// The frames of a stream keep both passes' position tables; a pass whose
// size changes (its n, or its m alone) gets a table of its own again, and
// every frame has the bytes of a fresh block's.
TEST_F(WorkArea, EachPassKeepsItsPositionTable) {
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    if (!(*v)->positions) continue;
    ASSERT_TRUE(force_kernels((*v)->name));
    const struct {
      int32_t w, h, tw, th;
    } stream[] = {{40, 30, 90, 60}, {40, 30, 90, 60}, {40, 30, 70, 60}, {40, 44, 70, 60}};
    for (const auto& s : stream) {
      release_work_area();
      const IMAGE alone = resized(s.w, s.h, 96, 64, s.tw, s.th, false, nullptr, 5);
      release_work_area();
      for (const auto& earlier : stream) {
        resized(earlier.w, earlier.h, 96, 64, earlier.tw, earlier.th, false, nullptr, 3);
        if (&earlier == &s) break;
      }
      const POSITION_TABLE& across = work_area.positions[static_cast<int>(PASS_AXIS::across)];
      const POSITION_TABLE& down = work_area.positions[static_cast<int>(PASS_AXIS::down)];
      EXPECT_TRUE(across.n == s.w && across.m == s.tw && down.n == s.h && down.m == s.th)
          << (*v)->name << ": " << across.n << "->" << across.m << ", " << down.n << "->" << down.m;
      EXPECT_EQ(first_difference(resized(s.w, s.h, 96, 64, s.tw, s.th, false, nullptr, 5), alone),
                "")
          << (*v)->name;
    }
  }
}

// Lines per counter step: the most a variant takes while there are lines
// enough for four steps a worker; small frames (480 lines and fewer) give
// each of up to 16 workers a step wherever the lines make that many units.
TEST(LinesPerStep, SmallFramesKeepSixteenWorkersBusy) {
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    const struct {
      int32_t unit, most;
    } kinds[] = {{(*v)->group_unit, (*v)->groups_per_step}, {(*v)->row_unit, (*v)->rows_per_step}};
    for (const auto& kind : kinds) {
      EXPECT_EQ(lines_per_step(2880, kind.unit, kind.most, 2), kind.most) << (*v)->name;
      EXPECT_EQ(lines_per_step(30, kind.unit, kind.most, 1), kind.most) << (*v)->name;
      for (int32_t count = 16; count <= 480; ++count) {
        for (int workers : {2, 4, 8, 16, 24}) {
          const int32_t step = lines_per_step(count, kind.unit, kind.most, workers);
          ASSERT_TRUE(step >= kind.unit && step <= kind.most && step % kind.unit == 0)
              << (*v)->name << ": " << step << " for " << count << " lines";
          const int32_t busy = workers < 16 ? workers : 16;
          const int32_t units = count / kind.unit;
          EXPECT_GE((count + step - 1) / step, units < busy ? units : busy)
              << (*v)->name << ": " << count << " lines, " << workers << " workers";
        }
      }
    }
  }
}

TEST_F(WorkArea, HeldAcrossFramesAndRemadeForANewBuffer) {
  // A 48 x 56 buffer's frame on a block of its own, for later.
  const IMAGE alone = resized(40, 30, 48, 56, 45, 50, false, nullptr, 9);
  release_work_area();

  TEST_FRAME a(40, 30, 64, 48);
  ASSERT_TRUE(resize_frame(a.frame, 60, 20, false, nullptr));
  void* block = work_area.memory;
  TEST_FRAME b(40, 30, 64, 48);
  ASSERT_TRUE(resize_frame(b.frame, 20, 45, true, nullptr));
  EXPECT_EQ(COUNTING_PAGES::allocations, 2);
  EXPECT_EQ(work_area.memory, block);

  // A buffer of another shape and no larger capacity keeps the block and
  // takes its own pitch: the frame comes out as on a block of its own.
  EXPECT_EQ(first_difference(resized(40, 30, 48, 56, 45, 50, false, nullptr, 9), alone), "");
  EXPECT_EQ(work_area.memory, block);
  EXPECT_EQ(work_area.buffer_width, 48);
  EXPECT_EQ(work_area.buffer_height, 56);
  EXPECT_EQ(COUNTING_PAGES::allocations, 2);

  // A much smaller buffer gets a block of its own size.
  TEST_FRAME small(10, 10, 20, 12);
  ASSERT_TRUE(resize_frame(small.frame, 15, 11, false, nullptr));
  EXPECT_EQ(COUNTING_PAGES::allocations, 3);
  EXPECT_EQ(work_area.capacity, 24);

  // A larger capacity: never run on the old block.
  TEST_FRAME c(40, 30, 3000, 48);
  ASSERT_TRUE(resize_frame(c.frame, 2999, 47, false, nullptr));
  EXPECT_EQ(COUNTING_PAGES::allocations, 4);
  EXPECT_EQ(COUNTING_PAGES::releases, 3);
  EXPECT_EQ(work_area.buffer_width, 3000);
  EXPECT_EQ(work_area.buffer_height, 48);
  EXPECT_EQ(c.frame.w, 2999);

  release_work_area();
  EXPECT_EQ(work_area.memory, nullptr);
  release_work_area();
  EXPECT_EQ(COUNTING_PAGES::releases, 4);
}

TEST_F(WorkArea, AllocationFailureRefusesTheFrameAndTheNextOneTriesAgain) {
  COUNTING_PAGES::fail = true;
  TEST_FRAME f(40, 30, 64, 48);
  const IMAGE before = f.all();
  EXPECT_FALSE(resize_frame(f.frame, 60, 20, false, nullptr));
  EXPECT_EQ(f.frame.w, 40);
  EXPECT_EQ(f.frame.h, 30);
  EXPECT_EQ(first_difference(f.all(), before), "");
  EXPECT_EQ(work_area.memory, nullptr);

  COUNTING_PAGES::fail = false;
  EXPECT_TRUE(resize_frame(f.frame, 60, 20, false, nullptr));
  EXPECT_EQ(f.frame.w, 60);
}

TEST_F(WorkArea, SizesBeyondTheAddressSpaceFailLikeNoMemory) {
  EXPECT_FALSE(prepare_work_area(work_area, 0x7FFFFFF0, 16, *active_kernels()));
  EXPECT_FALSE(prepare_work_area(work_area, 16, 0x7FFFFFFF, *active_kernels()));
  EXPECT_EQ(work_area.memory, nullptr);
  EXPECT_EQ(COUNTING_PAGES::allocations, 0);
#if defined(__i386__)
  // 2^24 knots would need 8.8 GB: more than a 32-bit size_t holds.
  EXPECT_FALSE(prepare_work_area(work_area, 1 << 24, 16, *active_kernels()));
  EXPECT_EQ(COUNTING_PAGES::allocations, 0);
#endif
}

}  // namespace
