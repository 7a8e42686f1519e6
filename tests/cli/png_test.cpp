// PNG pictures through the tool: every colour type and depth keeps its type,
// the colour gets the raw path's engine bits, and alpha is resized on its own.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "images.h"
#include "picture_frames.h"
#include "png_chunks.h"
#include "png_file.h"
#include "tool_images.h"
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
// Alpha goes through the engine as the luma of a frame of its own.
PNG_PICTURE raw_path(const PNG_PICTURE& p, int32_t tw, int32_t th, bool vertical_first) {
  std::vector<YC48_PIXEL> colour_pixels(static_cast<size_t>(p.width) * p.height);
  std::vector<int16_t> alpha(colour_pixels.size());
  YC48_IMAGE colour{colour_pixels.data()};
  picture_to_frames(p, colour, alpha.data());
  IMAGE alpha_image{p.width, p.height, {}};
  for (int16_t a : alpha) alpha_image.pixels.push_back(PIXEL_YC{a, 0, 0});
  std::vector<YC48_PIXEL> colour_out =
      pixels_of(engine_resize(image_of(colour), tw, th, vertical_first));
  const IMAGE alpha_out = engine_resize(alpha_image, tw, th, vertical_first);
  EXPECT_EQ(colour_out.size(), static_cast<size_t>(tw) * th);
  EXPECT_EQ(alpha_out.pixels.size(), static_cast<size_t>(tw) * th);
  alpha.clear();
  for (const PIXEL_YC& a : alpha_out.pixels) alpha.push_back(a.y);
  PNG_PICTURE out;
  frames_to_picture(YC48_IMAGE{colour_out.data(), tw, th}, alpha.data(), p.channels, p.depth, out);
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
      std::vector<std::string> args = {"resize", "in.png",     "out.png",
                                       "--size", "67x19",      "--threads",
                                       "2",      "--via-yc48", "--straight-alpha"};
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
    const TOOL_RUN run =
        run_tool(dir, {"resize", std::string(name) + ".png", std::string(name) + "-out.png",
                       "--size", "90x45", "--straight-alpha"});
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

namespace {

std::vector<uint8_t> with_filter_bytes(const std::vector<uint8_t>& packed, size_t row_bytes) {
  std::vector<uint8_t> rows;
  for (size_t at = 0; at < packed.size(); at += row_bytes) {
    rows.push_back(0);
    rows.insert(rows.end(), packed.begin() + at, packed.begin() + at + row_bytes);
  }
  return rows;
}

TEST(Png, AnInterlacedPictureReadsAsThePlainOne) {
  // 8-bit RGB comes back exactly through YC48, so at its own size the
  // picture is the one that was interlaced. Small pictures leave some of
  // the seven passes empty.
  for (const auto& [w, h] : {std::pair{13, 11}, {1, 1}, {2, 3}, {5, 1}, {1, 6}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    std::vector<uint8_t> packed(static_cast<size_t>(w) * h * 3);
    for (size_t i = 0; i < packed.size(); ++i) packed[i] = static_cast<uint8_t>(i * 37 + i / 7);
    SCRATCH_DIR dir;
    write_bytes(dir.file("in.png"),
                png_file({png_header(w, h, 8, 2, true)}, adam7_rows(packed, w, h, 3)));
    const std::string size = std::to_string(w) + "x" + std::to_string(h);
    const TOOL_RUN run = run_tool(dir, {"resize", "in.png", "out.png", "--size", size});
    ASSERT_EQ(run.status, 0) << run.errors;
    PNG_PICTURE plain{w, h, 3, 8, {}, std::vector<uint16_t>(packed.begin(), packed.end())};
    EXPECT_EQ(picture_difference(plain, load_picture(dir.file("out.png"))), "");
  }
}

TEST(Png, TransparencyOfAGreyOrRgbPictureBecomesItsAlpha) {
  // Left half the colour the tRNS chunk makes transparent, right half another.
  struct CASE {
    const char* name;
    int depth, colour_type, channels;
    std::vector<uint8_t> transparent, opaque;  // one pixel's bytes
  };
  const CASE cases[] = {
      {"grey", 8, 0, 1, {0x30}, {0xc0}},
      {"grey16", 16, 0, 1, {0x30, 0x01}, {0xc0, 0x02}},
      {"rgb", 8, 2, 3, {0x12, 0x34, 0x56}, {0xab, 0xcd, 0xef}},
      {"rgb16", 16, 2, 3, {0x12, 0x34, 0x56, 0x78, 0x9a, 0xbc}, {0, 1, 2, 3, 4, 5}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> packed;
    for (int32_t y = 0; y < 10; ++y)
      for (int32_t x = 0; x < 40; ++x) {
        const std::vector<uint8_t>& px = x < 20 ? c.transparent : c.opaque;
        packed.insert(packed.end(), px.begin(), px.end());
      }
    // tRNS holds the colour as 16-bit samples, whatever the depth.
    std::vector<uint8_t> key;
    for (size_t i = 0; i < c.transparent.size(); i += c.depth / 8) {
      key.push_back(c.depth == 16 ? c.transparent[i] : 0);
      key.push_back(c.transparent[i + (c.depth == 16 ? 1 : 0)]);
    }
    SCRATCH_DIR dir;
    write_bytes(dir.file("in.png"),
                png_file({png_header(40, 10, c.depth, c.colour_type), {"tRNS", key}},
                         with_filter_bytes(packed, packed.size() / 10)));
    const TOOL_RUN run = run_tool(dir, {"resize", "in.png", "out.png", "--size", "80x20"});
    ASSERT_EQ(run.status, 0) << run.errors;
    const PNG_PICTURE out = load_picture(dir.file("out.png"));
    ASSERT_EQ(out.channels, c.channels + 1);
    EXPECT_EQ(out.depth, c.depth);
    const int32_t max = max_sample(out);
    for (int32_t y = 0; y < 20; ++y)
      for (int32_t x = 0; x < 80; ++x) {
        const uint16_t alpha =
            out.samples[(static_cast<size_t>(y) * 80 + x) * out.channels + c.channels];
        if (x < 20) {
          ASSERT_EQ(alpha, 0) << x << "," << y;
        } else if (x >= 60) {
          ASSERT_EQ(alpha, max) << x << "," << y;
        }
      }
  }
}

// A small ICC profile libpng takes for a grey picture: a header and one
// private tag of 128 bytes of noise (libpng refuses iCCP chunks shorter than
// 92 bytes, which a profile of zeros compresses to).
std::vector<uint8_t> grey_profile() {
  std::vector<uint8_t> p(132 + 12 + 128, 0);
  const auto put = [&](size_t at, const std::vector<uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), p.begin() + at);
  };
  put(0, big_endian(static_cast<uint32_t>(p.size())));
  put(8, {2, 0x10, 0, 0});
  put(12, {'m', 'n', 't', 'r'});
  put(16, {'G', 'R', 'A', 'Y'});
  put(20, {'X', 'Y', 'Z', ' '});
  put(36, {'a', 'c', 's', 'p'});
  put(68, big_endian(0xF6D6));  // the D50 illuminant
  put(72, big_endian(0x10000));
  put(76, big_endian(0xD32D));
  put(128, big_endian(1));
  put(132, {'z', 'z', 'z', 'z'});
  put(136, big_endian(144));
  put(140, big_endian(128));
  std::mt19937 rng(3);
  for (size_t i = 144; i < p.size(); ++i) p[i] = static_cast<uint8_t>(rng());
  return p;
}

std::vector<uint8_t> chunk_named(const std::vector<PNG_CHUNK>& chunks, const char* type) {
  for (const PNG_CHUNK& c : chunks)
    if (c.type == type) return c.data;
  return {};
}

// The profile of an iCCP chunk, uncompressed.
std::vector<uint8_t> profile_of(const std::vector<uint8_t>& iccp) {
  const size_t name_end = std::find(iccp.begin(), iccp.end(), 0) - iccp.begin();
  if (name_end + 2 > iccp.size()) return {};
  std::vector<uint8_t> profile(4096);
  uLongf size = profile.size();
  if (uncompress(profile.data(), &size, iccp.data() + name_end + 2, iccp.size() - name_end - 2) !=
      Z_OK)
    return {};
  profile.resize(size);
  return profile;
}

TEST(Png, ColourChunksComeThroughAsTheyWere) {
  const std::vector<uint8_t> profile = grey_profile();
  uLongf packed_size = compressBound(profile.size());
  std::vector<uint8_t> iccp = {'g', 'r', 'e', 'y', 0, 0};
  std::vector<uint8_t> packed(packed_size);
  compress(packed.data(), &packed_size, profile.data(), profile.size());
  iccp.insert(iccp.end(), packed.begin(), packed.begin() + packed_size);
  std::vector<uint8_t> chromaticities;
  for (uint32_t v : {31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u}) {
    const std::vector<uint8_t> b = big_endian(v);
    chromaticities.insert(chromaticities.end(), b.begin(), b.end());
  }
  struct CASE {
    const char* name;
    int colour_type, bytes_per_pixel;
    std::vector<PNG_CHUNK> chunks;
  };
  const CASE cases[] = {
      {"gamma and chromaticities", 2, 3, {{"gAMA", big_endian(45455)}, {"cHRM", chromaticities}}},
      {"sRGB", 2, 3, {{"sRGB", {1}}}},
      {"ICC profile", 0, 1, {{"iCCP", iccp}}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<PNG_CHUNK> chunks = {png_header(16, 8, 8, c.colour_type)};
    chunks.insert(chunks.end(), c.chunks.begin(), c.chunks.end());
    std::vector<uint8_t> packed_rows(static_cast<size_t>(16) * 8 * c.bytes_per_pixel);
    for (size_t i = 0; i < packed_rows.size(); ++i) packed_rows[i] = static_cast<uint8_t>(i * 5);
    SCRATCH_DIR dir;
    write_bytes(dir.file("in.png"),
                png_file(chunks, with_filter_bytes(packed_rows, 16 * c.bytes_per_pixel)));
    const TOOL_RUN run = run_tool(dir, {"resize", "in.png", "out.png", "--size", "24x12"});
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::vector<PNG_CHUNK> written = png_chunks(read_bytes(dir.file("out.png")));
    for (const PNG_CHUNK& sent : c.chunks) {
      if (sent.type == "iCCP") {
        const std::vector<uint8_t> got = chunk_named(written, "iCCP");
        EXPECT_EQ(std::string(got.begin(), got.begin() + std::min<size_t>(got.size(), 5)),
                  std::string("grey\0", 5));
        EXPECT_EQ(profile_of(got), profile);
      } else {
        EXPECT_EQ(chunk_named(written, sent.type.c_str()), sent.data) << sent.type;
      }
    }
  }
}

TEST(Png, SixteenBitChannelsKeptWholeGetTheEnginesBitsEach) {
  // Each channel less 32768 is an int16 channel of the engine's.
  const PNG_PICTURE in = make_picture(29, 13, 3, 16, 17);
  SCRATCH_DIR dir;
  save_picture(dir.file("in.png"), in);
  // At the picture's own size every sample survives, which YC48 cannot do.
  ASSERT_EQ(
      run_tool(dir, {"resize", "in.png", "same.png", "--size", "29x13", "--keep-16-bits"}).status,
      0);
  EXPECT_EQ(picture_difference(in, load_picture(dir.file("same.png"))), "");
  ASSERT_EQ(run_tool(dir, {"resize", "in.png", "yc48.png", "--size", "29x13", "--via-yc48"}).status,
            0);
  EXPECT_NE(picture_difference(in, load_picture(dir.file("yc48.png"))), "");

  for (bool vertical_first : {false, true}) {
    std::vector<std::string> args = {"resize", "in.png", "out.png",
                                     "--size", "50x7",   "--keep-16-bits"};
    if (vertical_first) args.push_back("--vertical-first");
    ASSERT_EQ(run_tool(dir, args).status, 0);
    IMAGE channels{29, 13, {}};
    for (size_t p = 0; p < in.samples.size(); p += 3)
      channels.pixels.push_back(PIXEL_YC{static_cast<int16_t>(in.samples[p] - 32768),
                                         static_cast<int16_t>(in.samples[p + 1] - 32768),
                                         static_cast<int16_t>(in.samples[p + 2] - 32768)});
    const IMAGE resized = engine_resize(channels, 50, 7, vertical_first);
    PNG_PICTURE expected{50, 7, 3, 16, {}, {}};
    for (const PIXEL_YC& px : resized.pixels)
      for (int16_t s : {px.y, px.cb, px.cr})
        expected.samples.push_back(static_cast<uint16_t>(s + 32768));
    EXPECT_EQ(picture_difference(expected, load_picture(dir.file("out.png"))), "")
        << "vertical first " << vertical_first;
  }
}

}  // namespace

namespace {

TEST(Png, FlatPicturesKeepEveryCodeAtAnySize) {
  // A flat picture comes back as it was: at 16 bits with no shift of levels
  // and no tint on grey, and however transparent, since weighing colour by
  // one alpha everywhere changes nothing.
  struct CASE {
    int channels;
    std::vector<uint16_t> pixel;
    int depth = 16;
  };
  const CASE cases[] = {{3, {65535, 0, 0}},
                        {3, {4096, 60160, 32768}},
                        {3, {1, 65534, 12345}},
                        {1, {0}},
                        {1, {65535}},
                        {2, {32768, 65535}},
                        {4, {0, 65535, 7, 65535}},
                        {4, {12345, 40000, 7, 30001}},
                        {2, {54321, 1}},
                        {4, {200, 13, 77, 1}, 8},
                        {2, {201, 3}, 8}};
  for (const CASE& c : cases)
    for (const char* size : {"37x21", "5x2"}) {
      SCOPED_TRACE(std::to_string(c.channels) + " channels of " + std::to_string(c.pixel[0]) +
                   " at " + std::to_string(c.depth) + " bits to " + size);
      PNG_PICTURE in{13, 9, c.channels, c.depth, {}, {}};
      for (int i = 0; i < 13 * 9; ++i)
        in.samples.insert(in.samples.end(), c.pixel.begin(), c.pixel.end());
      SCRATCH_DIR dir;
      save_picture(dir.file("in.png"), in);
      ASSERT_EQ(run_tool(dir, {"resize", "in.png", "out.png", "--size", size}).status, 0);
      const PNG_PICTURE out = load_picture(dir.file("out.png"));
      ASSERT_EQ(out.samples.size(), static_cast<size_t>(out.width) * out.height * c.channels);
      for (size_t i = 0; i < out.samples.size(); ++i)
        ASSERT_EQ(out.samples[i], c.pixel[i % c.channels]) << "sample " << i;
    }
}

}  // namespace

namespace {

// The worst colour error, weighted by alpha and in 8-bit codes, of the pixels
// at least 8/255 opaque, against the one colour every visible pixel has.
double worst_fringe_error(const PNG_PICTURE& p, const std::vector<uint16_t>& visible) {
  const int c = p.channels;
  const double max = max_sample(p);
  double worst = 0;
  for (size_t i = 0; i < p.samples.size(); i += c) {
    const double alpha = p.samples[i + c - 1] / max;
    if (alpha < 8 / 255.0) continue;
    for (int k = 0; k < c - 1; ++k)
      worst = std::max(worst, alpha * std::abs(p.samples[i + k] - visible[k]) * 255 / max);
  }
  return worst;
}

TEST(Png, ColourUnderTransparentPixelsNeverShowsAtTheEdges) {
  // A disc of one colour with a soft rim, on pixels of no alpha that hold
  // other colour: green, or noise. Weighted by alpha, that colour counts for
  // nothing; resized as stored (--straight-alpha) it bleeds into the rim.
  struct CASE {
    int channels, depth;
    bool noise;
    const char* size;
  };
  const CASE cases[] = {{4, 8, false, "120x80"},  {4, 8, false, "93x47"},   {4, 8, true, "120x80"},
                        {4, 16, true, "93x47"},   {4, 16, false, "120x80"}, {2, 8, true, "93x47"},
                        {2, 16, false, "120x80"}, {4, 8, true, "31x19"}};
  for (const CASE& k : cases) {
    SCOPED_TRACE(std::to_string(k.channels) + " channels, " + std::to_string(k.depth) + " bits, " +
                 (k.noise ? "noise" : "green") + " to " + k.size);
    const int32_t max = k.depth == 16 ? 65535 : 255;
    const std::vector<uint16_t> visible =
        k.channels == 4 ? std::vector<uint16_t>{static_cast<uint16_t>(max * 9 / 10),
                                                static_cast<uint16_t>(max * 47 / 100),
                                                static_cast<uint16_t>(max * 16 / 100)}
                        : std::vector<uint16_t>{static_cast<uint16_t>(max * 7 / 10)};
    PNG_PICTURE in{60, 40, k.channels, k.depth, {}, {}};
    std::mt19937 rng(17);
    for (int32_t y = 0; y < 40; ++y)
      for (int32_t x = 0; x < 60; ++x) {
        const double r = std::hypot(x - 29.5, y - 19.5);
        const double alpha = std::clamp((17 - r) / 3, 0.0, 1.0);
        for (int c = 0; c < k.channels - 1; ++c)
          in.samples.push_back(alpha > 0 ? visible[c]
                               : k.noise ? static_cast<uint16_t>(rng() % (max + 1))
                               : c == 1  ? max
                                         : 0);
        in.samples.push_back(static_cast<uint16_t>(std::lround(alpha * max)));
      }
    SCRATCH_DIR dir;
    save_picture(dir.file("in.png"), in);
    ASSERT_EQ(run_tool(dir, {"resize", "in.png", "out.png", "--size", k.size}).status, 0);
    ASSERT_EQ(
        run_tool(dir, {"resize", "in.png", "straight.png", "--size", k.size, "--straight-alpha"})
            .status,
        0);
    EXPECT_LE(worst_fringe_error(load_picture(dir.file("out.png")), visible), 2);
    EXPECT_GT(worst_fringe_error(load_picture(dir.file("straight.png")), visible), 4);
  }
}

TEST(Png, OpaqueAndKeyedPicturesWeighedByAlpha) {
  // A fully opaque RGBA picture gives the bytes of straight alpha; a tRNS key
  // colour, made alpha, does not bleed into the opaque half.
  SCRATCH_DIR dir;
  for (int depth : {8, 16}) {
    PNG_PICTURE opaque = make_picture(31, 17, 4, depth, 3);
    for (size_t i = 3; i < opaque.samples.size(); i += 4) opaque.samples[i] = max_sample(opaque);
    save_picture(dir.file("opaque.png"), opaque);
    ASSERT_EQ(run_tool(dir, {"resize", "opaque.png", "a.png", "--size", "50x9"}).status, 0);
    ASSERT_EQ(run_tool(dir, {"resize", "opaque.png", "b.png", "--size", "50x9", "--straight-alpha"})
                  .status,
              0);
    EXPECT_TRUE(read_bytes(dir.file("a.png")) == read_bytes(dir.file("b.png"))) << depth;
    // Weighing touches the colour only: the alpha of a picture of every
    // level, odd 16-bit codes among them, is the alpha resized as stored.
    const PNG_PICTURE varied = make_picture(31, 17, 4, depth, 5);
    save_picture(dir.file("varied.png"), varied);
    ASSERT_EQ(run_tool(dir, {"resize", "varied.png", "a.png", "--size", "50x9"}).status, 0);
    ASSERT_EQ(run_tool(dir, {"resize", "varied.png", "b.png", "--size", "50x9", "--straight-alpha"})
                  .status,
              0);
    const PNG_PICTURE weighted = load_picture(dir.file("a.png")),
                      straight = load_picture(dir.file("b.png"));
    ASSERT_EQ(weighted.samples.size(), straight.samples.size());
    for (size_t i = 3; i < weighted.samples.size(); i += 4)
      ASSERT_EQ(weighted.samples[i], straight.samples[i]) << depth << "-bit alpha, sample " << i;
  }
  std::vector<uint8_t> packed;
  for (int32_t y = 0; y < 10; ++y)
    for (int32_t x = 0; x < 40; ++x)
      packed.insert(packed.end(), {static_cast<uint8_t>(x < 20 ? 0x00 : 0xe6),
                                   static_cast<uint8_t>(x < 20 ? 0xff : 0x78),
                                   static_cast<uint8_t>(x < 20 ? 0x00 : 0x28)});
  write_bytes(dir.file("keyed.png"),
              png_file({png_header(40, 10, 8, 2), {"tRNS", {0, 0, 0, 0xff, 0, 0}}},
                       with_filter_bytes(packed, packed.size() / 10)));
  ASSERT_EQ(run_tool(dir, {"resize", "keyed.png", "out.png", "--size", "93x47"}).status, 0);
  EXPECT_LE(worst_fringe_error(load_picture(dir.file("out.png")), {0xe6, 0x78, 0x28}), 2);
}

}  // namespace
