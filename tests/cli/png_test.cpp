// PNG pictures through the tool: every colour type and depth keeps its type,
// the colour gets the raw path's engine bits, and alpha is resized on its own.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine_run.h"
#include "frame_buffer.h"
#include "images.h"
#include "picture_frames.h"
#include "png_file.h"
#include "tool_process.h"

namespace {

// Where two pictures of the same type first differ: "" when they are equal.
std::string picture_difference(const PNG_PICTURE& expected, const PNG_PICTURE& actual) {
  static const char* const names[][4] = {
      {"grey"}, {"grey", "alpha"}, {"red", "green", "blue"}, {"red", "green", "blue", "alpha"}};
  if (expected.width != actual.width || expected.height != actual.height ||
      expected.channels != actual.channels)
    return "the pictures' sizes or channels differ";
  return first_difference<uint16_t>(expected.width, expected.channels, names[expected.channels - 1],
                                    expected.samples, actual.samples);
}

PNG_PICTURE make_picture(int32_t w, int32_t h, int channels, int depth, uint32_t seed) {
  PNG_PICTURE p;
  p.width = w;
  p.height = h;
  p.channels = channels;
  p.depth = depth;
  const int max = depth == 16 ? 65535 : 255;
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(0, max / 8);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x)
      for (int c = 0; c < channels; ++c) {
        const int smooth = (max * ((x * (c + 1) + y * 3) % (w + h))) / (w + h) * 7 / 8;
        p.samples.push_back(static_cast<uint16_t>(smooth + noise(rng)));
      }
  return p;
}

void save_picture(const std::string& path, const PNG_PICTURE& p) {
  OUTPUT_FILE out;
  open_output(out, path);
  write_png(out, p);
  commit_output(out);
}

PNG_PICTURE load_picture(const std::string& path) {
  INPUT_FILE in;
  open_input(in, path);
  PNG_PICTURE p;
  read_png(in, p);
  return p;
}

// What the raw path makes of the same YC48 frames: the engine run on each,
// converted back to the picture's type.
PNG_PICTURE raw_path(const PNG_PICTURE& p, int32_t tw, int32_t th, bool vertical_first) {
  FRAME_BUFFER colour, alpha;
  allocate_frame(colour, std::max(p.width, tw), std::max(p.height, th), "colour");
  allocate_frame(alpha, std::max(p.width, tw), std::max(p.height, th), "alpha");
  picture_to_frames(p, colour.frame, &alpha.frame);
  EXPECT_TRUE(resize_frame(colour.frame, tw, th, vertical_first, nullptr));
  EXPECT_TRUE(resize_frame(alpha.frame, tw, th, vertical_first, nullptr));
  PNG_PICTURE out;
  frames_to_picture(colour.frame, &alpha.frame, p.channels, p.depth, out);
  return out;
}

struct TYPE_CASE {
  int channels;
  int depth;
};

TEST(Png, EveryColourTypeAndDepthKeepsItsTypeAndGetsTheRawPathsBits) {
  const TYPE_CASE cases[] = {{1, 8}, {1, 16}, {2, 8}, {2, 16}, {3, 8}, {3, 16}, {4, 8}, {4, 16}};
  for (const TYPE_CASE& c : cases) {
    SCOPED_TRACE(std::to_string(c.channels) + " channels, " + std::to_string(c.depth) + " bits");
    SCRATCH_DIR dir;
    const PNG_PICTURE in = make_picture(41, 23, c.channels, c.depth, 5u * c.channels + c.depth);
    save_picture(dir.file("in.png"), in);
    ASSERT_EQ(picture_difference(in, load_picture(dir.file("in.png"))), "")
        << "the codec itself is lossless";
    for (bool vertical_first : {false, true}) {
      std::vector<std::string> args = {"resize", "in.png",    "out.png", "--size",
                                       "67x19",  "--threads", "2"};
      if (vertical_first) args.push_back("--vertical-first");
      const TOOL_RUN run = run_tool(dir, args);
      ASSERT_EQ(run.status, 0) << run.errors;
      const PNG_PICTURE out = load_picture(dir.file("out.png"));
      EXPECT_EQ(out.width, 67);
      EXPECT_EQ(out.height, 19);
      EXPECT_EQ(out.channels, c.channels);
      EXPECT_EQ(out.depth, c.depth);
      EXPECT_EQ(picture_difference(raw_path(in, 67, 19, vertical_first), out), "")
          << "vertical first " << vertical_first;
    }
  }
}

TEST(Png, AlphaIsResizedOnItsOwnAndLeavesTheColourAlone) {
  SCRATCH_DIR dir;
  PNG_PICTURE rgba = make_picture(30, 20, 4, 8, 9);
  // Opaque left half, transparent right half; the edge between columns 14 and 15.
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 30; ++x) rgba.samples[(y * 30 + x) * 4 + 3] = x < 15 ? 255 : 0;
  PNG_PICTURE rgb = rgba, opaque = rgba;
  rgb.channels = 3;
  rgb.samples.clear();
  for (size_t i = 0; i < rgba.samples.size(); ++i) {
    if (i % 4 != 3)
      rgb.samples.push_back(rgba.samples[i]);
    else
      opaque.samples[i] = 255;
  }
  save_picture(dir.file("rgba.png"), rgba);
  save_picture(dir.file("rgb.png"), rgb);
  save_picture(dir.file("opaque.png"), opaque);
  for (const char* name : {"rgba", "rgb", "opaque"}) {
    const TOOL_RUN run = run_tool(dir, {"resize", std::string(name) + ".png",
                                        std::string(name) + "-out.png", "--size", "90x45"});
    ASSERT_EQ(run.status, 0) << run.errors;
  }
  const PNG_PICTURE a = load_picture(dir.file("rgba-out.png"));
  const PNG_PICTURE b = load_picture(dir.file("rgb-out.png"));
  const PNG_PICTURE o = load_picture(dir.file("opaque-out.png"));
  ASSERT_EQ(a.samples.size() / 4, b.samples.size() / 3);
  bool blends = false;
  for (size_t p = 0; p < b.samples.size() / 3; ++p) {
    for (int c = 0; c < 3; ++c)
      ASSERT_EQ(a.samples[4 * p + c], b.samples[3 * p + c]) << "pixel " << p;
    ASSERT_EQ(o.samples[4 * p + 3], 255) << "pixel " << p;  // opaque stays opaque
    // Tripled, the edge lands at x = 45; the spline's ringing dies out
    // within a few source pixels, and both halves are flat beyond it.
    const int32_t x = static_cast<int32_t>(p % 90);
    const uint16_t alpha = a.samples[4 * p + 3];
    if (x < 24) {
      ASSERT_EQ(alpha, 255) << "pixel " << p;
    } else if (x >= 66) {
      ASSERT_EQ(alpha, 0) << "pixel " << p;
    }
    blends = blends || (alpha > 20 && alpha < 235);
  }
  EXPECT_TRUE(blends) << "no alpha between the halves";
}

TEST(Png, PaletteAndLowDepthPicturesComeOutAsEightBit) {
  SCRATCH_DIR dir;
  // A palette picture and a 1-bit grey one, made by ffmpeg.
  const std::string ffmpeg = MORVANE_FFMPEG;
  if (ffmpeg.empty()) GTEST_SKIP() << "no ffmpeg found when the build was configured";
  for (const char* fmt : {"pal8", "monob"}) {
    const std::string cmd = ffmpeg +
                            " -v error -y -f lavfi -i testsrc2=size=32x18 -frames:v 1 -pix_fmt " +
                            fmt + " " + dir.file(std::string("in-") + fmt + ".png");
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const TOOL_RUN run =
        run_tool(dir, {"resize", std::string("in-") + fmt + ".png", "out.png", "--size", "40x20"});
    ASSERT_EQ(run.status, 0) << run.errors;
    const PNG_PICTURE out = load_picture(dir.file("out.png"));
    EXPECT_EQ(out.depth, 8) << fmt;
    EXPECT_EQ(out.channels, std::string(fmt) == "pal8" ? 3 : 1) << fmt;
    EXPECT_EQ(out.width, 40);
  }
}

TEST(Png, DamagedPicturesFailWithOneLineAndNoOutput) {
  SCRATCH_DIR dir;
  save_picture(dir.file("good.png"), make_picture(64, 64, 3, 8, 1));
  const std::vector<uint8_t> good = read_bytes(dir.file("good.png"));
  write_bytes(dir.file("cut.png"),
              std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2));
  std::vector<uint8_t> bad_crc = good;
  bad_crc[30] ^= 0x40;  // inside the header chunk
  write_bytes(dir.file("crc.png"), bad_crc);
  write_bytes(dir.file("text.png"), {'h', 'e', 'l', 'l', 'o', '\n'});
  write_bytes(dir.file("empty.png"), {});
  struct CASE {
    const char* file;
    const char* says;
  };
  const CASE cases[] = {{"cut.png", "cut.png: truncated PNG file"},
                        {"crc.png", "crc.png: damaged PNG file"},
                        {"text.png", "text.png: not a PNG file"},
                        {"empty.png", "empty.png: not a PNG file"},
                        {"none.png", "none.png: cannot open"}};
  const auto before = dir.names();
  for (const CASE& c : cases) {
    const TOOL_RUN run = run_tool(dir, {"resize", c.file, "out.png", "--size", "10x10"});
    EXPECT_NE(run.status, 0) << c.file;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_EQ(dir.names(), before) << c.file;
  }
}

}  // namespace
