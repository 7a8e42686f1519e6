// Frame buffers in page memory: zero-filled, and with guard pages exactly
// where they were asked for, so that a stray access in a test or in the test
// host faults at once.
#include <gtest/gtest.h>

#include <cstdint>

#include "frame_buffer.h"
#include "yc48_file.h"

#if defined(_WIN32)
#include "exception_guard.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

void read_byte(void* p) { *static_cast<volatile uint8_t*>(p); }

// Whether reading the byte at p faults.
bool faults(void* p) {
#if defined(_WIN32)
  return run_guarded(read_byte, p) == 0xC0000005u;  // STATUS_ACCESS_VIOLATION
#else
  const pid_t child = fork();
  if (child == 0) {
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, 2);  // a sanitizer's report of the fault is expected
    read_byte(p);
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#endif
}

TEST(FrameBuffer, GuardPagesMeetTheDataOnTheSidesAskedFor) {
  struct CASE {
    bool before, after;
  };
  for (const CASE c : {CASE{false, true}, CASE{true, true}, CASE{true, false}}) {
    for (int32_t w : {1, 7, 640, 1923}) {
      SCOPED_TRACE(testing::Message()
                   << "width " << w << ", guard before " << c.before << ", after " << c.after);
      PAGE_OPTIONS options;
      options.guard_before = c.before;
      options.guard_after = c.after;
      FRAME_BUFFER buffer;
      ASSERT_TRUE(make_frame_buffer(buffer, w, 3, options));
      ASSERT_EQ(buffer.memory.bytes, 6u * w * 3);
      auto* first = reinterpret_cast<uint8_t*>(buffer.frame.buffer);
      auto* end = first + buffer.memory.bytes;
      EXPECT_EQ(buffer.frame.max_w, w);
      EXPECT_EQ(buffer.frame.max_h, 3);
      EXPECT_EQ(buffer.frame.w, 0);
      EXPECT_EQ(*first, 0);
      EXPECT_EQ(end[-1], 0);
      EXPECT_FALSE(faults(first));
      EXPECT_FALSE(faults(end - 1));
      const uintptr_t page = page_size();
      const auto first_page =
          reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(first) / page * page);
      // Unguarded sides may fault too (the mapping may end there): only the
      // guards are promised.
      if (c.after) {
        EXPECT_TRUE(faults(end)) << "no guard after the data";
      } else {
        EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % page, 0u) << "the data starts on a page";
      }
      if (c.before) {
        EXPECT_TRUE(faults(first_page - 1)) << "no guard before the data's first page";
      }

      EXPECT_FALSE(make_frame_buffer(buffer, 0, 3, options)) << "an empty size was taken";
      EXPECT_EQ(buffer.frame.buffer, nullptr);
    }
  }
}

TEST(FrameBuffer, SizesAreCountedWithoutWrapping) {
  struct CASE {
    int32_t w, h;
    uint64_t bytes;
  };
  const CASE cases[] = {
      {65537, 65536, 25770196992u},  // past 32 bits
      {46341, 46341, 12884929686u},
      {2147483647, 2147483647, UINT64_MAX},
      {2147380029, 1431724848, UINT64_MAX},  // 6 w h is 2^64 + 11936
      {0, 5, 0},
      {5, -1, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
    EXPECT_EQ(frame_bytes(c.w, c.h), c.bytes);
    EXPECT_EQ(yc48_frame_bytes(c.w, c.h), c.bytes);
    if (c.bytes == UINT64_MAX || c.bytes == 0) {
      FRAME_BUFFER buffer;
      EXPECT_FALSE(make_frame_buffer(buffer, c.w, c.h, PAGE_OPTIONS{}))
          << "mapped " << buffer.memory.bytes << " bytes";
    }
  }
}

}  // namespace
