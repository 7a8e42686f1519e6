// The raw-frame tool: its output is the engine's output for the same frame,
// and bad input leaves no output behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "images.h"
#include "tool_process.h"

namespace {

// A w x h test image as .yc48 bytes.
std::vector<uint8_t> frame_bytes(const IMAGE& image) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(image.pixels.data());
  return std::vector<uint8_t>(bytes, bytes + sizeof(PIXEL_YC) * image.pixels.size());
}

// The .yc48 output of a run, read as a w x h image (empty when it is not one).
IMAGE output_image(const std::string& path, int32_t w, int32_t h) {
  IMAGE image{w, h, {}};
  return read_image_file(path, image) ? image : IMAGE{};
}

struct RAW_CASE {
  int32_t w, h, tw, th;
  bool vertical_first;
  int threads;
};

TEST(RawTool, WritesTheEnginesBytes) {
  const RAW_CASE cases[] = {
      {64, 48, 100, 30, false, 1},  // wider and lower
      {64, 48, 100, 30, true, 3},   // the other order, on threads
      {37, 29, 37, 61, false, 2},   // height only
      {35, 9, 12, 9, false, 16},    // width only, narrower
      {1, 1, 3, 2, false, 1},       // a single pixel grows
      {7, 5, 1, 1, true, 24},       // and shrinks to one
  };
  for (const RAW_CASE& c : cases) {
    SCRATCH_DIR dir;
    const IMAGE in = test_image(c.w, c.h, static_cast<uint32_t>(c.w * 1000 + c.th));
    write_bytes(dir.file("in.yc48"), frame_bytes(in));
    std::vector<std::string> args = {"resize",
                                     "in.yc48",
                                     "out.yc48",
                                     "--input-size",
                                     std::to_string(c.w) + "x" + std::to_string(c.h),
                                     "--size",
                                     std::to_string(c.tw) + "*" + std::to_string(c.th),
                                     "--threads",
                                     std::to_string(c.threads)};
    if (c.vertical_first) args.push_back("--vertical-first");
    const TOOL_RUN run = run_tool(dir, args);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(first_difference(engine_resize(in, c.tw, c.th, c.vertical_first),
                               output_image(dir.file("out.yc48"), c.tw, c.th)),
              "")
        << c.w << "x" << c.h << " -> " << c.tw << "x" << c.th;
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.yc48", "out.yc48"}));
  }
}

TEST(RawTool, KernelVariantsAndThreadCountsGiveTheSameFile) {
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.yc48"), frame_bytes(test_image(53, 31, 7, CONTENT::extreme)));
  IMAGE first;
  for (const char* isa : {"sse", "portable", "auto"}) {
    for (const char* threads : {"1", "2", "16"}) {
      const TOOL_RUN run = run_tool(dir, {"resize", "in.yc48", "out.yc48", "--input-size", "53x31",
                                          "--size", "91x17", "--isa", isa, "--threads", threads});
      ASSERT_EQ(run.status, 0) << run.errors;
      const IMAGE out = output_image(dir.file("out.yc48"), 91, 17);
      ASSERT_EQ(out.pixels.size(), 91u * 17) << isa << " on " << threads << " threads";
      if (first.pixels.empty()) first = out;
      EXPECT_EQ(first_difference(first, out), "") << isa << " on " << threads << " threads";
    }
  }
}

struct BAD_CASE {
  std::vector<std::string> args;
  const char* says;  // a piece of the one error line
};

TEST(RawTool, BadInputFailsWithOneLineAndNoOutput) {
  const BAD_CASE cases[] = {
      {{"resize", "short.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8"},
       "short.yc48: is 186 bytes long"},
      {{"resize", "long.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8"},
       "long.yc48: is 198 bytes long"},
      {{"resize", "missing.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8"},
       "missing.yc48: cannot open"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "16"},
       "--size 16: a size is two whole numbers joined by x or *"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8", "--size", "16x8"},
       "--input-size 8: a size is two whole numbers"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "3e2x10"},
       "--size 3e2x10: a size is two whole numbers joined by x or *, such as 1280x720"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "-8x4", "--size", "16x8"},
       "--input-size -8x4: a size is"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8x3"},
       "--size 16x8x3: a size is"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "0x8"}, "has no pixels"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x99999999999"},
       "above the engine's limit"},
      {{"resize", "in.yc48", "out.yc48", "--size", "16x8"},
       "in.yc48: a .yc48 input needs --input-size"},
      {{"resize", "in.yc48", "out.raw", "--input-size", "8x4", "--size", "16x8"},
       "out.raw: must be of the input's kind"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8", "--threads", "0"},
       "--threads 0"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8", "--threads",
        "65"},
       "1 to 64"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4", "--size", "16x8", "--isa", "mmx9"},
       "--isa mmx9"},
      {{"resize", "in.yc48", "out.yc48", "--input-size", "8x4"}, "--size is required"},
  };
  for (const BAD_CASE& c : cases) {
    SCRATCH_DIR dir;
    auto frame = frame_bytes(test_image(8, 4, 1));
    write_bytes(dir.file("in.yc48"), frame);
    write_bytes(dir.file("short.yc48"), std::vector<uint8_t>(frame.begin(), frame.end() - 6));
    frame.resize(frame.size() + 6);
    write_bytes(dir.file("long.yc48"), frame);
    const auto before = dir.names();
    const TOOL_RUN run = run_tool(dir, c.args);
    EXPECT_NE(run.status, 0) << c.says;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << "said: " << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_EQ(dir.names(), before) << c.says;
  }
}

TEST(RawTool, FailureKeepsAnExistingOutputFileAsItWas) {
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.yc48"), frame_bytes(test_image(8, 4, 2)));
  write_bytes(dir.file("out.yc48"), {'k', 'e', 'e', 'p'});
  const TOOL_RUN run =
      run_tool(dir, {"resize", "in.yc48", "out.yc48", "--input-size", "8x5", "--size", "9x9"});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(read_bytes(dir.file("out.yc48")), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
  EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.yc48", "out.yc48"}));
}

}  // namespace
