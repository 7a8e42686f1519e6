// y4m headers and planes: which streams are taken, what passes through, and
// conversions that keep constant colours and round-trip where they can.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "frame_allocation.h"
#include "images.h"
#include "tool_images.h"
#include "y4m_header.h"
#include "y4m_yc48_path.h"

namespace {

TEST(Y4mHeader, ReadsSizeAndChromaAndKeepsEveryOtherField) {
  Y4M_HEADER h;
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W64 H36 F25:1 Ip A1:1 C420p16 XYSCSS=420P16", h), "");
  EXPECT_EQ(h.format.width, 64);
  EXPECT_EQ(h.format.height, 36);
  EXPECT_EQ(h.format.depth, 16);
  EXPECT_EQ(h.format.shift_x, 1);
  EXPECT_EQ(h.format.shift_y, 1);
  EXPECT_EQ(format_y4m_header(h, 1280, 720),
            "YUV4MPEG2 W1280 H720 F25:1 Ip A1:1 C420p16 XYSCSS=420P16\n");

  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 H9 W7", h), "");  // no C: 4:2:0, centred, 8-bit
  EXPECT_EQ(h.format.shift_x, 1);
  EXPECT_EQ(h.format.siting_x, CHROMA_SITING::centred);
  EXPECT_EQ(h.format.depth, 8);
  EXPECT_EQ(format_y4m_header(h, 3, 2), "YUV4MPEG2 H2 W3\n");

  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W8 H8 C422 I?", h), "");
  EXPECT_EQ(h.format.shift_x, 1);
  EXPECT_EQ(h.format.shift_y, 0);
  EXPECT_EQ(h.format.siting_x, CHROMA_SITING::cosited);
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W8 H8 C420mpeg2", h), "");
  EXPECT_EQ(h.format.siting_x, CHROMA_SITING::cosited);
  EXPECT_EQ(h.format.siting_y, CHROMA_SITING::centred);
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W8 H8 C444 XCOLORRANGE=LIMITED", h), "");
  EXPECT_EQ(h.format.shift_x, 0);
  EXPECT_FALSE(h.format.full_range);
  EXPECT_EQ(y4m_frame_bytes(h.format), 3u * 64);

  // Deeper samples, mono and the full range.
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W7 H5 C420p10 XYSCSS=420P10", h), "");
  EXPECT_EQ(h.format.depth, 10);
  EXPECT_EQ(h.format.planes, 3);
  EXPECT_EQ(y4m_frame_bytes(h.format), 2u * (35 + 2 * 4 * 3));
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W7 H5 C422p12", h), "");
  EXPECT_EQ(h.format.depth, 12);
  EXPECT_EQ(h.format.shift_y, 0);
  EXPECT_EQ(h.format.siting_x, CHROMA_SITING::cosited);
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W7 H5 Cmono XCOLORRANGE=FULL", h), "");
  EXPECT_EQ(h.format.planes, 1);
  EXPECT_EQ(h.format.depth, 8);
  EXPECT_TRUE(h.format.full_range);
  EXPECT_EQ(y4m_frame_bytes(h.format), 35u);
  EXPECT_EQ(format_y4m_header(h, 9, 2), "YUV4MPEG2 W9 H2 Cmono XCOLORRANGE=FULL\n");
  ASSERT_EQ(parse_y4m_header("YUV4MPEG2 W7 H5 Cmono16", h), "");
  EXPECT_EQ(h.format.depth, 16);
  EXPECT_FALSE(h.format.full_range);
  EXPECT_EQ(y4m_frame_bytes(h.format), 70u);
}

TEST(Y4mHeader, RefusesWhatItCannotConvertAndSaysWhy) {
  struct CASE {
    const char* line;
    const char* says;
  };
  const CASE cases[] = {
      {"", "not a YUV4MPEG2 stream"},
      {"YUV4MPEG W8 H8", "not a YUV4MPEG2 stream"},
      {"YUV4MPEG2X W8 H8", "not a YUV4MPEG2 stream"},
      {"\x89PNG", "not a YUV4MPEG2 stream"},
      {"YUV4MPEG2 H8", "no width"},
      {"YUV4MPEG2 W8", "no height"},
      {"YUV4MPEG2 W8a H8", "bad width 'W8a'"},
      {"YUV4MPEG2 W8 H-8", "bad height"},
      {"YUV4MPEG2 W0 H8", "no pixels"},
      {"YUV4MPEG2 W65536 H8", "above the engine's limit"},
      {"YUV4MPEG2 W8 H99999999999999999999", "above the engine's limit"},
      {"YUV4MPEG2 W8 H8 It", "unsupported y4m interlacing 'It'"},
      {"YUV4MPEG2 W8 H8 Im", "interlacing"},
      {"YUV4MPEG2 W8 H8 C420p14", "unsupported y4m colour space 'C420p14'"},
      {"YUV4MPEG2 W8 H8 Cmono9", "colour space"},
      {"YUV4MPEG2 W8 H8 C444alpha", "colour space"},
  };
  for (const CASE& c : cases) {
    Y4M_HEADER h;
    EXPECT_NE(parse_y4m_header(c.line, h).find(c.says), std::string::npos)
        << c.line << " said " << parse_y4m_header(c.line, h);
  }
}

TEST(Y4mHeader, FrameLinesStartWithFrame) {
  EXPECT_TRUE(is_y4m_frame_line("FRAME"));
  EXPECT_TRUE(is_y4m_frame_line("FRAME Ixyz"));
  EXPECT_FALSE(is_y4m_frame_line("FRAMES"));
  EXPECT_FALSE(is_y4m_frame_line("frame"));
  EXPECT_FALSE(is_y4m_frame_line(""));
}

Y4M_FORMAT format_of(const char* line) {
  Y4M_HEADER h;
  EXPECT_EQ(parse_y4m_header(line, h), "") << line;
  return h.format;
}

// Random codes of the format's depth, with the smallest and the largest
// code among them.
std::vector<uint8_t> random_planes(const Y4M_FORMAT& f, uint32_t seed) {
  std::vector<uint8_t> planes(y4m_frame_bytes(f));
  std::mt19937 rng(seed);
  const uint32_t max = (1u << f.depth) - 1;
  const int bytes = y4m_sample_bytes(f);
  for (size_t i = 0; i < planes.size(); i += bytes) {
    const size_t index = i / bytes;
    const uint16_t v = static_cast<uint16_t>(index % 7 == 0   ? 0
                                             : index % 7 == 1 ? max
                                                              : rng() & max);
    std::memcpy(&planes[i], &v, bytes);
  }
  return planes;
}

// Where two frames of planes first differ: "" when they are equal.
std::string plane_difference(const Y4M_FORMAT& f, const std::vector<uint8_t>& expected,
                             const std::vector<uint8_t>& actual) {
  if (expected.size() != actual.size()) return "the frames' sizes differ";
  const int bytes = y4m_sample_bytes(f);
  static const char* const names[][1] = {{"y"}, {"cb"}, {"cr"}};
  size_t start = 0;
  for (int plane = 0; plane < f.planes; ++plane) {
    const int32_t w = plane ? chroma_width(f) : f.width;
    const size_t count = static_cast<size_t>(w) * (plane ? chroma_height(f) : f.height);
    std::vector<uint16_t> e(count), a(count);
    for (size_t i = 0; i < count; ++i) {
      std::memcpy(&e[i], &expected[start + bytes * i], bytes);
      std::memcpy(&a[i], &actual[start + bytes * i], bytes);
    }
    const std::string difference = first_difference<uint16_t>(w, 1, names[plane], e, a);
    if (!difference.empty()) return difference;
    start += count * bytes;
  }
  return "";
}

std::vector<uint8_t> through_yc48(const std::vector<uint8_t>& planes, const Y4M_FORMAT& f) {
  SAMPLE_BUFFER b_memory;
  YC48_IMAGE b = allocate_frame(b_memory, f.width, f.height, "test");
  planes_to_frame(planes.data(), f, b);
  EXPECT_EQ(b.w, f.width);
  EXPECT_EQ(b.h, f.height);
  std::vector<uint8_t> out(planes.size());
  frame_to_planes(b, f, out.data());
  return out;
}

TEST(Y4mPlanes, FormatsWithCositedChromaRoundTripExactlyUpToTwelveBits) {
  for (const char* line :
       {"YUV4MPEG2 W13 H7 C444", "YUV4MPEG2 W13 H7 C422", "YUV4MPEG2 W13 H7 C420paldv",
        "YUV4MPEG2 W1 H1 C420paldv", "YUV4MPEG2 W2 H3 C422", "YUV4MPEG2 W13 H7 C444p10",
        "YUV4MPEG2 W13 H7 C422p12", "YUV4MPEG2 W13 H7 C444p12 XCOLORRANGE=FULL",
        "YUV4MPEG2 W13 H7 C420paldv XCOLORRANGE=FULL", "YUV4MPEG2 W13 H7 Cmono",
        "YUV4MPEG2 W13 H7 Cmono12 XCOLORRANGE=FULL"}) {
    const Y4M_FORMAT f = format_of(line);
    const auto planes = random_planes(f, 3);
    EXPECT_EQ(plane_difference(f, planes, through_yc48(planes, f)), "") << line;
  }
}

TEST(Y4mPlanes, ConstantColourStaysConstantInEveryFormat) {
  for (const char* chroma :
       {"C444", "C422", "C420jpeg", "C420mpeg2", "C420paldv", "C444p16", "C422p16", "C420p16",
        "C420p10", "C422p12 XCOLORRANGE=FULL", "Cmono", "Cmono16"}) {
    for (const char* size : {"W16 H8", "W5 H3", "W1 H1"}) {
      const std::string line = std::string("YUV4MPEG2 ") + size + " " + chroma;
      const Y4M_FORMAT f = format_of(line.c_str());
      const size_t luma = static_cast<size_t>(f.width) * f.height,
                   chroma_n =
                       f.planes == 1 ? 0 : static_cast<size_t>(chroma_width(f)) * chroma_height(f);
      // 8-bit codes with fraction bits below them.
      const int more = f.depth - 8;
      const uint16_t values[3] = {static_cast<uint16_t>(180 << more),
                                  static_cast<uint16_t>(60 << more | (37 & ((1 << more) - 1))),
                                  static_cast<uint16_t>(201 << more | (200 & ((1 << more) - 1)))};
      std::vector<uint8_t> planes(y4m_frame_bytes(f));
      const int bytes = y4m_sample_bytes(f);
      for (size_t i = 0; i < luma + 2 * chroma_n; ++i) {
        const uint16_t v = values[i < luma ? 0 : i < luma + chroma_n ? 1 : 2];
        std::memcpy(&planes[i * bytes], &v, bytes);
      }
      SAMPLE_BUFFER b_memory;
      YC48_IMAGE b = allocate_frame(b_memory, f.width, f.height, "test");
      planes_to_frame(planes.data(), f, b);
      const YC48_PIXEL first = b.pixels[0];
      for (int32_t y = 0; y < f.height; ++y)
        for (int32_t x = 0; x < f.width; ++x) {
          const YC48_PIXEL p = image_row(b, y)[x];
          ASSERT_TRUE(p.y == first.y && p.cb == first.cb && p.cr == first.cr)
              << line << " at " << x << "," << y;
        }
      std::vector<uint8_t> out(planes.size());
      frame_to_planes(b, f, out.data());
      if (f.depth <= 12) {
        EXPECT_EQ(plane_difference(f, planes, out), "") << line;
      }
      // Every plane stays flat (16-bit values may move by the YC48 step).
      for (size_t i = 0; i < luma + 2 * chroma_n; ++i) {
        const size_t plane_start = i < luma ? 0 : i < luma + chroma_n ? luma : luma + chroma_n;
        ASSERT_EQ(std::memcmp(&out[i * bytes], &out[plane_start * bytes], bytes), 0)
            << line << " sample " << i;
      }
    }
  }
}

TEST(Y4mPlanes, SixteenBitPlanesOfEightBitValuesGiveTheEightBitFrame) {
  for (const char* chroma : {"444", "422", "420"}) {
    const Y4M_FORMAT f8 = format_of((std::string("YUV4MPEG2 W11 H6 C") + chroma).c_str());
    const Y4M_FORMAT f16 = format_of((std::string("YUV4MPEG2 W11 H6 C") + chroma + "p16").c_str());
    const auto planes8 = random_planes(f8, 11);
    std::vector<uint8_t> planes16(2 * planes8.size());
    for (size_t i = 0; i < planes8.size(); ++i) planes16[2 * i + 1] = planes8[i];
    // The 16-bit 4:2:2 chroma is co-sited like the 8-bit one; 4:2:0 is centred in both.
    SAMPLE_BUFFER a_memory, b_memory;
    YC48_IMAGE a = allocate_frame(a_memory, 11, 6, "a");
    YC48_IMAGE b = allocate_frame(b_memory, 11, 6, "b");
    planes_to_frame(planes8.data(), f8, a);
    planes_to_frame(planes16.data(), f16, b);
    EXPECT_EQ(first_difference(image_of(a), image_of(b)), "") << chroma;
  }
}

TEST(Y4mPlanes, CentredChromaIsInterpolatedBetweenItsSamples) {
  // 4:2:0 jpeg, 4 x 2 pixels: chroma samples 2 x 1. Cb 16 then 240 across:
  // pixels 0..3 take 16, 16*3/4 + 240/4 = 72, 240*3/4 + 16/4 = 184, 240.
  const Y4M_FORMAT f = format_of("YUV4MPEG2 W4 H2 C420jpeg");
  std::vector<uint8_t> planes = {16, 16, 16,          16,  16,           16,
                                 16, 16, /* cb */ 16, 240, /* cr */ 128, 128};
  SAMPLE_BUFFER b_memory;
  YC48_IMAGE b = allocate_frame(b_memory, 4, 2, "test");
  planes_to_frame(planes.data(), f, b);
  const int expected[4] = {16, 72, 184, 240};
  for (int x = 0; x < 4; ++x) {
    const int16_t want = static_cast<int16_t>(((expected[x] - 128) * 4681 + 164) >> 8);
    EXPECT_EQ(image_row(b, 0)[x].cb, want) << x;
    EXPECT_EQ(image_row(b, 1)[x].cb, want) << x;
    EXPECT_EQ(image_row(b, 0)[x].cr, 0) << x;
  }
}

}  // namespace
