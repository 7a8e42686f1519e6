// Planes: every sample gets the bits resize_frame gives the same channel,
// targets fall where their grid puts them, and the passes' buffers follow
// the sizes of what they hold.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "grid_pass.h"
#include "images.h"
#include "kernels.h"
#include "plane.h"
#include "thread_pool.h"

namespace {

struct POOL {
  explicit POOL(int threads) : pool(create_thread_pool(threads)), runner(pool_runner(pool)) {}
  ~POOL() { destroy_thread_pool(pool); }
  THREAD_POOL* pool;
  RUNNER runner;
};

void put_image(FRAME_BUFFER& buffer, const IMAGE& image) {
  for (int32_t y = 0; y < image.h; ++y)
    std::memcpy(pixel_at(buffer.frame, 0, y), &image.pixels[static_cast<size_t>(y) * image.w],
                sizeof(PIXEL_YC) * image.w);
  buffer.frame.w = image.w;
  buffer.frame.h = image.h;
}

// A lone plane of packed rows (step 1, pitch w).
struct LONE_PLANE {
  std::vector<int16_t> samples;
  PLANE plane() { return PLANE{samples.data(), w, h, w, 1}; }
  int32_t w, h;
};

LONE_PLANE channel_of(const IMAGE& image, int channel) {
  LONE_PLANE p{{}, image.w, image.h};
  for (const PIXEL_YC& px : image.pixels) p.samples.push_back((&px.y)[channel]);
  return p;
}

struct SIZE_CASE {
  int32_t w, h, tw, th;
  bool vertical_first;
  int threads;
  CONTENT content;
};

TEST(Planes, EverySampleGetsTheBitsOfItsChannelInAFrame) {
  const SIZE_CASE cases[] = {
      {64, 48, 100, 30, false, 1, CONTENT::smooth}, {64, 48, 100, 30, true, 3, CONTENT::mixed},
      {37, 29, 37, 61, false, 2, CONTENT::extreme},  // height only
      {35, 9, 12, 9, false, 16, CONTENT::mixed},     // width only
      {1, 1, 3, 2, false, 1, CONTENT::smooth},      {7, 5, 1, 1, true, 2, CONTENT::spikes},
      {13, 11, 13, 11, false, 1, CONTENT::extreme},  // nothing to do: a copy
      {200, 3, 5, 170, false, 2, CONTENT::mixed},   {5, 170, 200, 3, true, 2, CONTENT::smooth},
  };
  for (const char* kernels : {"sse", "auto"}) {
    ASSERT_TRUE(force_kernels(kernels));
    for (const SIZE_CASE& c : cases) {
      SCOPED_TRACE(std::string(kernels) + ": " + std::to_string(c.w) + "x" + std::to_string(c.h) +
                   " -> " + std::to_string(c.tw) + "x" + std::to_string(c.th) +
                   (c.vertical_first ? " vertical first" : ""));
      POOL pool(c.threads);
      const IMAGE image = test_image(c.w, c.h, static_cast<uint32_t>(c.w * 31 + c.th), c.content);
      const IMAGE expected = engine_resize(image, c.tw, c.th, c.vertical_first);

      // The frame's three channels as planes of step 3, into a frame's channels.
      FRAME_BUFFER in, out;
      make_guarded_frame(in, c.w, c.h);
      make_guarded_frame(out, c.tw, c.th);
      put_image(in, image);
      out.frame.w = c.tw;
      out.frame.h = c.th;
      PLANE_WORK work;
      work.options.guard_after = true;
      PLANE_JOB jobs[3];
      for (int ch = 0; ch < 3; ++ch)
        jobs[ch] = PLANE_JOB{frame_channel(in.frame, ch), frame_channel(out.frame, ch),
                             own_grid(c.w, c.tw), own_grid(c.h, c.th)};
      ASSERT_TRUE(resize_planes(work, jobs, 3, c.vertical_first, &pool.runner));
      EXPECT_EQ(first_difference(expected, copy_image(out.frame)), "");

      // One channel alone, as a plane of packed rows.
      LONE_PLANE source = channel_of(image, 1), target{{}, c.tw, c.th};
      target.samples.assign(static_cast<size_t>(c.tw) * c.th, 0);
      const PLANE_JOB lone{source.plane(), target.plane(), own_grid(c.w, c.tw),
                           own_grid(c.h, c.th)};
      PLANE_WORK lone_work;
      ASSERT_TRUE(resize_planes(lone_work, &lone, 1, c.vertical_first, &pool.runner));
      const char* const name[] = {"cb"};
      EXPECT_EQ(
          first_difference<int16_t>(c.tw, 1, name, channel_of(expected, 1).samples, target.samples),
          "");
    }
  }
  force_kernels("auto");
}

TEST(Planes, GridPassOnTheEnginesOwnGridGivesItsBits) {
  const SIZE_CASE cases[] = {
      {41, 23, 67, 19, false, 1, CONTENT::mixed},
      {41, 23, 7, 50, false, 3, CONTENT::spikes},
      {9, 7, 9, 15, false, 2, CONTENT::extreme},  // rows of 54 bytes: a column group of 3 lanes
  };
  for (const SIZE_CASE& c : cases) {
    for (const AXIS axis : {AXIS::across, AXIS::down}) {
      SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) +
                   (axis == AXIS::across ? " across" : " down"));
      POOL pool(c.threads);
      const IMAGE image = test_image(c.w, c.h, 7, c.content);
      const int32_t tw = axis == AXIS::across ? c.tw : c.w;
      const int32_t th = axis == AXIS::down ? c.th : c.h;
      FRAME_BUFFER buffer;
      make_guarded_frame(buffer, std::max(c.w, tw), std::max(c.h, th));
      put_image(buffer, image);
      const AXIS_GRID grid = axis == AXIS::across ? own_grid(c.w, tw) : own_grid(c.h, th);
      ASSERT_TRUE(
          grid_pass(buffer.frame, axis, axis == AXIS::across ? tw : th, grid, &pool.runner));
      EXPECT_EQ(first_difference(engine_resize(image, tw, th, false), copy_image(buffer.frame)),
                "");
    }
  }
}

// A ramp through a plane of w x h: 40 per sample along `axis`.
int16_t ramp(int32_t x, int32_t y, AXIS axis) {
  return static_cast<int16_t>(200 + 40 * (axis == AXIS::across ? x : y) +
                              (axis == AXIS::across ? y : x));
}

TEST(Planes, TargetsFallWhereTheirGridPutsThem) {
  // A plane of 64 samples on a picture of `span` resized to `target_span`:
  // target sample i lies at (i + offset) * span / target_span - offset. A
  // spline through a ramp is the ramp away from the ends, so interior
  // samples show the position to within rounding.
  struct GRID_CASE {
    AXIS_GRID grid;
    int32_t target;
  };
  const GRID_CASE cases[] = {
      {{0.25f, 128, 256}, 128},  // co-sited chroma, twice the size
      {{0.25f, 128, 80}, 40},    // co-sited, smaller
      {{0.5f, 127, 255}, 128},   // centred chroma of an odd picture
      {{0.5f, 128, 256}, 128},   // the engine's own grid
  };
  for (const GRID_CASE& c : cases) {
    for (const AXIS axis : {AXIS::across, AXIS::down}) {
      SCOPED_TRACE("offset " + std::to_string(c.grid.offset) + ", " + std::to_string(c.grid.span) +
                   " -> " + std::to_string(c.grid.target_span) +
                   (axis == AXIS::across ? " across" : " down"));
      const bool across = axis == AXIS::across;
      LONE_PLANE source{{}, across ? 64 : 5, across ? 5 : 64};
      for (int32_t y = 0; y < source.h; ++y)
        for (int32_t x = 0; x < source.w; ++x) source.samples.push_back(ramp(x, y, axis));
      LONE_PLANE target{{}, across ? c.target : 5, across ? 5 : c.target};
      target.samples.assign(static_cast<size_t>(target.w) * target.h, 0);
      const PLANE_JOB job{source.plane(), target.plane(), across ? c.grid : own_grid(5, 5),
                          across ? own_grid(5, 5) : c.grid};
      PLANE_WORK work;
      ASSERT_TRUE(resize_planes(work, &job, 1, false, nullptr));
      const double step = double(c.grid.span) / c.grid.target_span;
      for (int32_t i = 12; i < c.target - 12; ++i) {
        const double at = (i + c.grid.offset) * step - c.grid.offset;
        for (int32_t other = 0; other < 5; ++other) {
          const int16_t got = target.samples[across ? other * target.w + i : i * target.w + other];
          ASSERT_NEAR(got, 200 + 40 * at + other, 0.51) << "target sample " << i;
        }
      }
    }
  }
}

TEST(Planes, PassBuffersFollowWhatTheyHoldNotTheLargestSides) {
  // 3000 x 2 to 2 x 3000: the frame path's buffer is 3000 x 3000 pixels.
  const IMAGE image = test_image(3000, 2, 5, CONTENT::mixed);
  LONE_PLANE source = channel_of(image, 0), target{{}, 2, 3000};
  target.samples.assign(2 * 3000, 0);
  const PLANE_JOB job{source.plane(), target.plane(), own_grid(3000, 2), own_grid(2, 3000)};
  PLANE_WORK work;
  ASSERT_TRUE(resize_planes(work, &job, 1, false, nullptr));
  const char* const name[] = {"y"};
  EXPECT_EQ(
      first_difference<int16_t>(
          2, 1, name, channel_of(engine_resize(image, 2, 3000, false), 0).samples, target.samples),
      "");
  // Rows: 3000 pixels x 1 row; columns: 12 samples x 3000 rows.
  EXPECT_LE(work.rows.bytes + work.columns.bytes, size_t{6 * 3000 + 2 * 12 * 3000});
}

}  // namespace
