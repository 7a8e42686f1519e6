// The C library through its header as a user calls it: every kind of bad
// argument refused with its own status before a byte is written, YC48
// frames with the engine's own bits, planes taken where their grids say,
// calls in a context giving the bytes of calls without one, and calls from
// several threads at once, each naming a kernel variant of its own, giving
// the bytes they give alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "images.h"
#include "morvane.h"

namespace {

// Plane buffers of 8x6 samples of 2 bytes, rows 16 bytes apart, for the calls below.
struct BUFFERS {
  std::vector<uint16_t> source = std::vector<uint16_t>(8 * 6, 1000);
  std::vector<uint16_t> target = std::vector<uint16_t>(8 * 6, 0xABCD);
};

struct BAD_CASE {
  const char* what;
  int expected;
  std::function<int(BUFFERS&)> call;
};

int plane(const void* s, ptrdiff_t ss, int sw, int sh, void* t, ptrdiff_t ts, int tw, int th,
          int depth, const morvane_options* o = nullptr) {
  return morvane_resize_plane(s, ss, sw, sh, t, ts, tw, th, depth, o);
}

// A plane job from the whole source to 4x3 samples at `target`, rows 16 bytes apart.
morvane_plane_job plane_job(const BUFFERS& b, uint16_t* target) {
  return morvane_plane_job{b.source.data(), 16, 8, 6, target, 16, 4, 3, {0.5f, 8, 4}, {0.5f, 6, 3}};
}

// morvane_resize_planes on the first `count` of five jobs, the first four
// writing the four quarters of the target, changed by `change`.
int planes(BUFFERS& b, void (*change)(morvane_plane_job*), int count = 2) {
  morvane_plane_job jobs[5] = {plane_job(b, b.target.data()), plane_job(b, b.target.data() + 4),
                               plane_job(b, b.target.data() + 24),
                               plane_job(b, b.target.data() + 28),
                               plane_job(b, b.target.data() + 24)};
  change(jobs);
  return morvane_resize_planes(nullptr, jobs, count, 16, nullptr);
}

morvane_options with(void (*change)(morvane_options&)) {
  morvane_options o;
  morvane_options_init(&o);
  change(o);
  return o;
}

const BAD_CASE bad_cases[] = {
    {"null source", MORVANE_ERROR_NULL_POINTER,
     [](BUFFERS& b) { return plane(nullptr, 16, 8, 6, b.target.data(), 16, 4, 3, 16); }},
    {"null target", MORVANE_ERROR_NULL_POINTER,
     [](BUFFERS& b) { return plane(b.source.data(), 16, 8, 6, nullptr, 16, 4, 3, 16); }},
    {"null YC48 source", MORVANE_ERROR_NULL_POINTER,
     [](BUFFERS& b) {
       return morvane_resize_yc48(nullptr, 12, 2, 2, reinterpret_cast<int16_t*>(b.target.data()),
                                  12, 2, 2, nullptr);
     }},
    {"zero source width", MORVANE_ERROR_SIZE,
     [](BUFFERS& b) { return plane(b.source.data(), 16, 0, 6, b.target.data(), 16, 4, 3, 16); }},
    {"negative target height", MORVANE_ERROR_SIZE,
     [](BUFFERS& b) { return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, -3, 16); }},
    {"width above the limit", MORVANE_ERROR_SIZE_LIMIT,
     [](BUFFERS& b) {
       return plane(b.source.data(), 1 << 20, 65536, 1, b.target.data(), 16, 4, 3, 16);
     }},
    {"source stride below a row", MORVANE_ERROR_STRIDE,
     [](BUFFERS& b) { return plane(b.source.data(), 15, 8, 6, b.target.data(), 16, 4, 3, 16); }},
    {"negative target stride", MORVANE_ERROR_STRIDE,
     [](BUFFERS& b) { return plane(b.source.data(), 16, 8, 6, b.target.data(), -16, 4, 3, 16); }},
    {"YC48 stride of half a sample", MORVANE_ERROR_STRIDE,
     [](BUFFERS& b) {
       return morvane_resize_yc48(reinterpret_cast<int16_t*>(b.source.data()), 13, 2, 2,
                                  reinterpret_cast<int16_t*>(b.target.data()), 12, 2, 2, nullptr);
     }},
    {"depth 9", MORVANE_ERROR_DEPTH,
     [](BUFFERS& b) { return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, 3, 9); }},
    {"depth 0", MORVANE_ERROR_DEPTH,
     [](BUFFERS& b) { return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, 3, 0); }},
    {"rows past the address space", MORVANE_ERROR_OVERFLOW,
     [](BUFFERS& b) {
       return plane(b.source.data(), PTRDIFF_MAX / 2, 8, 4, b.target.data(), 16, 4, 3, 16);
     }},
    {"YC48 rows past the address space", MORVANE_ERROR_OVERFLOW,
     [](BUFFERS& b) {
       return morvane_resize_yc48(reinterpret_cast<int16_t*>(b.source.data()), 12, 2, 2,
                                  reinterpret_cast<int16_t*>(b.target.data()), PTRDIFF_MAX - 1, 2,
                                  65535, nullptr);
     }},
    {"target inside the source", MORVANE_ERROR_OVERLAP,
     [](BUFFERS& b) {
       return plane(b.source.data(), 16, 8, 6, b.source.data() + 8, 16, 4, 3, 16);
     }},
    {"no threads", MORVANE_ERROR_OPTION,
     [](BUFFERS& b) {
       const morvane_options o = with([](morvane_options& o) { o.threads = 0; });
       return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, 3, 16, &o);
     }},
    {"65 threads", MORVANE_ERROR_OPTION,
     [](BUFFERS& b) {
       const morvane_options o = with([](morvane_options& o) { o.threads = 65; });
       return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, 3, 16, &o);
     }},
    {"pass order 2", MORVANE_ERROR_OPTION,
     [](BUFFERS& b) {
       const morvane_options o = with([](morvane_options& o) { o.vertical_first = 2; });
       return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, 3, 16, &o);
     }},
    {"unknown kernel variant", MORVANE_ERROR_KERNELS,
     [](BUFFERS& b) {
       const morvane_options o = with([](morvane_options& o) { o.kernels = "mmx9"; });
       return plane(b.source.data(), 16, 8, 6, b.target.data(), 16, 4, 3, 16, &o);
     }},
    {"null plane jobs", MORVANE_ERROR_NULL_POINTER,
     [](BUFFERS&) { return morvane_resize_planes(nullptr, nullptr, 1, 16, nullptr); }},
    {"a plane job's null target", MORVANE_ERROR_NULL_POINTER,
     [](BUFFERS& b) { return planes(b, [](morvane_plane_job* j) { j[1].target = nullptr; }); }},
    {"no plane jobs", MORVANE_ERROR_COUNT,
     [](BUFFERS& b) {
       return planes(
           b, [](morvane_plane_job*) {}, 0);
     }},
    {"five plane jobs", MORVANE_ERROR_COUNT,
     [](BUFFERS& b) {
       return planes(
           b, [](morvane_plane_job*) {}, 5);
     }},
    {"a siting offset above 1", MORVANE_ERROR_GRID,
     [](BUFFERS& b) { return planes(b, [](morvane_plane_job* j) { j[1].across.offset = 1.5f; }); }},
    {"a siting offset that is not a number", MORVANE_ERROR_GRID,
     [](BUFFERS& b) {
       return planes(b, [](morvane_plane_job* j) { j[0].down.offset = std::nanf(""); });
     }},
    {"a picture span of zero", MORVANE_ERROR_GRID,
     [](BUFFERS& b) { return planes(b, [](morvane_plane_job* j) { j[1].down.span = 0; }); }},
    {"a target span above the limit", MORVANE_ERROR_GRID,
     [](BUFFERS& b) {
       return planes(b, [](morvane_plane_job* j) { j[0].across.target_span = 65536; });
     }},
    {"two plane jobs writing the same bytes", MORVANE_ERROR_OVERLAP,
     [](BUFFERS& b) { return planes(b, [](morvane_plane_job* j) { j[1].target = j[0].target; }); }},
    {"a job's target inside another job's source", MORVANE_ERROR_OVERLAP,
     [](BUFFERS& b) {
       return planes(b, [](morvane_plane_job* j) {
         j[1].source = j[0].target;
         j[1].source_width = 4;
         j[1].source_height = 3;
       });
     }},
    {"a context call with 65 threads", MORVANE_ERROR_OPTION,
     [](BUFFERS& b) {
       const morvane_options o = with([](morvane_options& o) { o.threads = 65; });
       morvane_context* context = morvane_context_create(1);
       const int status = morvane_context_resize_plane(context, b.source.data(), 16, 8, 6,
                                                       b.target.data(), 16, 4, 3, 16, &o);
       morvane_context_destroy(context);
       return status;
     }},
    {"threads limited to none", MORVANE_ERROR_OPTION,
     [](BUFFERS&) {
       morvane_context* context = morvane_context_create(2);
       const int status = morvane_context_limit_threads(context, 0);
       morvane_context_destroy(context);
       return status;
     }},
    {"threads of no context", MORVANE_ERROR_NULL_POINTER,
     [](BUFFERS&) { return morvane_context_limit_threads(nullptr, 1); }},
};

TEST(LibraryCalls, RefuseEachBadArgumentWithItsOwnStatusAndWriteNothing) {
  std::set<int> codes;
  std::set<std::string> texts;
  for (const BAD_CASE& c : bad_cases) {
    BUFFERS b;
    const std::vector<uint16_t> before = b.target;
    EXPECT_EQ(c.call(b), c.expected) << c.what;
    EXPECT_EQ(b.target, before) << c.what << ": the target was written";
    codes.insert(c.expected);
    texts.insert(morvane_status_text(c.expected));
  }
  // Every code seen has a text of its own, none the unknown code's.
  EXPECT_EQ(texts.size(), codes.size());
  EXPECT_EQ(texts.count(morvane_status_text(12345)), 0u);
}

// A frame of `image` with rows `pitch` pixels apart.
std::vector<int16_t> padded(const IMAGE& image, int32_t pitch) {
  std::vector<int16_t> out(static_cast<size_t>(pitch) * image.h * 3, 0x5555);
  for (int32_t y = 0; y < image.h; ++y)
    std::memcpy(&out[static_cast<size_t>(y) * pitch * 3],
                &image.pixels[static_cast<size_t>(y) * image.w], 6 * static_cast<size_t>(image.w));
  return out;
}

TEST(LibraryCalls, Yc48FramesGetTheEnginesOwnBits) {
  struct CASE {
    int32_t sw, sh, tw, th, pad;
    int vertical_first, threads;
    const char* kernels;
  };
  const CASE cases[] = {
      {64, 48, 150, 97, 0, 0, 1, nullptr},    {150, 97, 33, 20, 5, 1, 3, nullptr},
      {37, 200, 37, 61, 1, 0, 2, "portable"}, {1, 1, 9, 4, 2, 1, 1, "sse"},
      {300, 7, 299, 8, 0, 0, 4, nullptr},
  };
  for (const CASE& c : cases) {
    const IMAGE source = test_image(c.sw, c.sh, 7u + c.sw);
    const IMAGE expected = engine_resize(source, c.tw, c.th, c.vertical_first != 0);
    const int32_t target_pitch = c.tw + c.pad;
    std::vector<int16_t> in = padded(source, c.sw + c.pad);
    std::vector<int16_t> out(static_cast<size_t>(target_pitch) * c.th * 3, 0x5555);
    morvane_options o;
    morvane_options_init(&o);
    o.vertical_first = c.vertical_first;
    o.threads = c.threads;
    o.kernels = c.kernels;
    ASSERT_EQ(morvane_resize_yc48(in.data(), 6 * (c.sw + c.pad), c.sw, c.sh, out.data(),
                                  6 * target_pitch, c.tw, c.th, &o),
              MORVANE_OK);
    EXPECT_EQ(out, padded(expected, target_pitch))
        << c.sw << "x" << c.sh << " to " << c.tw << "x" << c.th << ": the bytes differ, or the "
        << "padding between rows was written";
  }
}

// One plane call of its own: a picture of noise of the depth, resized.
struct PLANE_CALL {
  int32_t sw, sh, tw, th, depth, threads, antialias;
  std::vector<uint16_t> source;
  std::vector<uint16_t> target;
};

PLANE_CALL make_call(int32_t sw, int32_t sh, int32_t tw, int32_t th, int depth, int threads,
                     int antialias) {
  PLANE_CALL c{sw, sh, tw, th, depth, threads, antialias, {}, {}};
  c.source.resize(static_cast<size_t>(sw) * sh);
  uint32_t x = 12345u + sw;
  for (uint16_t& s : c.source) {
    x = x * 1664525u + 1013904223u;
    s = static_cast<uint16_t>((x >> 8) & ((1u << depth) - 1));
  }
  c.target.assign(static_cast<size_t>(tw) * th, 0);
  return c;
}

int run(PLANE_CALL& c, const char* kernels = nullptr) {
  morvane_options o;
  morvane_options_init(&o);
  o.threads = c.threads;
  o.antialias = c.antialias;
  o.kernels = kernels;
  return morvane_resize_plane(c.source.data(), 2 * c.sw, c.sw, c.sh, c.target.data(), 2 * c.tw,
                              c.tw, c.th, c.depth, &o);
}

TEST(LibraryCalls, CallsAtOnceFromManyThreadsGiveTheBytesOfCallsOneAtATime) {
  std::vector<PLANE_CALL> alone = {
      make_call(320, 240, 641, 479, 16, 1, 0), make_call(500, 300, 123, 77, 10, 2, 1),
      make_call(97, 410, 200, 100, 12, 3, 0),  make_call(256, 256, 255, 257, 16, 2, 0),
      make_call(640, 64, 64, 640, 10, 1, 1),   make_call(33, 33, 330, 330, 12, 4, 0),
  };
  for (PLANE_CALL& c : alone) ASSERT_EQ(run(c), MORVANE_OK);
  // The calls at once name the variants in turn, each for itself alone.
  int variants = 0;
  while (morvane_kernel_name(variants)) ++variants;
  ASSERT_GT(variants, 1);
  for (int round = 0; round < 3; ++round) {
    std::vector<PLANE_CALL> together = alone;
    for (PLANE_CALL& c : together) std::fill(c.target.begin(), c.target.end(), 0);
    std::vector<int> status(together.size(), -100);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < together.size(); ++i)
      threads.emplace_back([&, i] {
        status[i] = run(together[i], morvane_kernel_name((round + static_cast<int>(i)) % variants));
      });
    for (std::thread& t : threads) t.join();
    for (size_t i = 0; i < together.size(); ++i) {
      EXPECT_EQ(status[i], MORVANE_OK) << "call " << i;
      EXPECT_EQ(together[i].target, alone[i].target) << "call " << i << " in round " << round;
    }
  }
}

// A 16-bit plane of w x h codes on a slanted plane: 1000 + 150 x + 100 y.
std::vector<uint16_t> ramp(int32_t w, int32_t h) {
  std::vector<uint16_t> codes(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      codes[static_cast<size_t>(y) * w + x] = 1000 + 150 * x + 100 * y;
  return codes;
}

// A natural cubic spline through samples of a straight line is that line
// away from the edges (the engine's end knots repeat the edge samples), so
// each inner target code of a ramp tells where its grid took it.
TEST(LibraryCalls, PlanesAreTakenWhereTheirGridsPutThem) {
  // A 160x120 picture to 96x72: its luma, and chroma planes of half its
  // size on each axis, sited in every way.
  const float sitings[][2] = {{0.5f, 0.5f}, {0.25f, 0.5f}, {0.5f, 0.25f}, {0.25f, 0.25f}};
  const std::vector<uint16_t> luma = ramp(160, 120), chroma = ramp(80, 60);
  std::vector<uint16_t> targets[4];
  morvane_plane_job jobs[4];
  jobs[0] = morvane_plane_job{luma.data(),    320, 160, 120, nullptr, 192, 96, 72, {0.5f, 160, 96},
                              {0.5f, 120, 72}};
  for (int j = 1; j < 4; ++j)
    jobs[j] = morvane_plane_job{
        chroma.data(),           160, 80, 60, nullptr, 96, 48, 36, {sitings[j][0], 160, 96},
        {sitings[j][1], 120, 72}};
  for (int j = 0; j < 4; ++j) {
    targets[j].assign(static_cast<size_t>(jobs[j].target_width) * jobs[j].target_height, 0);
    jobs[j].target = targets[j].data();
  }
  morvane_options o;
  morvane_options_init(&o);
  o.threads = 2;
  ASSERT_EQ(morvane_resize_planes(nullptr, jobs, 4, 16, &o), MORVANE_OK);
  const auto position = [](const morvane_axis& axis, int32_t i) {
    return (i + axis.offset) * axis.span / axis.target_span - axis.offset;
  };
  const auto inner = [](double p, int32_t n) { return p >= 6 && p <= n - 7; };
  int checked = 0;
  for (int j = 0; j < 4; ++j) {
    const morvane_plane_job& job = jobs[j];
    for (int32_t y = 0; y < job.target_height; ++y)
      for (int32_t x = 0; x < job.target_width; ++x) {
        const double px = position(job.across, x), py = position(job.down, y);
        if (!inner(px, job.source_width) || !inner(py, job.source_height)) continue;
        EXPECT_NEAR(targets[j][static_cast<size_t>(y) * job.target_width + x],
                    1000 + 150 * px + 100 * py, 1.0)
            << "job " << j << " at " << x << "," << y;
        ++checked;
      }
  }
  EXPECT_GT(checked, 2000);
}

TEST(LibraryCalls, CallsInAContextGiveTheBytesOfCallsWithoutOne) {
  std::vector<PLANE_CALL> calls = {
      make_call(320, 240, 641, 479, 16, 1, 0), make_call(500, 300, 123, 77, 10, 1, 1),
      make_call(33, 33, 330, 330, 12, 1, 0),   make_call(640, 64, 64, 640, 8, 1, 1),
      make_call(97, 410, 200, 100, 16, 1, 0),
  };
  for (PLANE_CALL& c : calls) ASSERT_EQ(run(c), MORVANE_OK);
  const IMAGE frame = test_image(150, 97, 3);
  std::vector<int16_t> yc48_alone(64 * 48 * 3), yc48_in_context(64 * 48 * 3);
  ASSERT_EQ(morvane_resize_yc48(&frame.pixels.data()->y, 900, 150, 97, yc48_alone.data(), 384, 64,
                                48, nullptr),
            MORVANE_OK);
  for (int threads : {1, 3}) {
    morvane_context* context = morvane_context_create(threads);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(morvane_context_threads(context), threads);
    // Every size after a larger and a smaller one, so that the kept buffers
    // are grown and reused; the threads cut down halfway.
    for (int round = 0; round < 2; ++round) {
      if (round == 1) {
        ASSERT_EQ(morvane_context_limit_threads(context, 2), MORVANE_OK);
        EXPECT_EQ(morvane_context_threads(context), std::min(threads, 2));
      }
      for (const PLANE_CALL& c : calls) {
        std::vector<uint16_t> target(c.target.size(), 0);
        morvane_options o;
        morvane_options_init(&o);
        o.antialias = c.antialias;
        ASSERT_EQ(morvane_context_resize_plane(context, c.source.data(), 2 * c.sw, c.sw, c.sh,
                                               target.data(), 2 * c.tw, c.tw, c.th, c.depth, &o),
                  MORVANE_OK);
        EXPECT_EQ(target, c.target) << c.sw << "x" << c.sh << " on " << threads << " threads";
      }
      std::fill(yc48_in_context.begin(), yc48_in_context.end(), 0);
      ASSERT_EQ(morvane_context_resize_yc48(context, &frame.pixels.data()->y, 900, 150, 97,
                                            yc48_in_context.data(), 384, 64, 48, nullptr),
                MORVANE_OK);
      EXPECT_EQ(yc48_in_context, yc48_alone) << "YC48 on " << threads << " threads";
    }
    morvane_context_destroy(context);
  }
}

}  // namespace
