// y4m streams through the tool: frames pass on as they are done, a cut is
// reported after the complete frames, and bad streams leave no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "frame_allocation.h"
#include "images.h"
#include "tool_images.h"
#include "tool_process.h"
#include "y4m_header.h"
#include "y4m_yc48_path.h"

namespace {

// A 4:2:0 8-bit stream of `frames` frames of w x h pixels (8 x 6 unless the
// header says otherwise in its first two fields), each frame line
// `frame_line` (the frame's own parameters kept as given).
std::vector<uint8_t> make_stream(
    int frames, const std::string& header = "YUV4MPEG2 W8 H6 F25:1 Ip A1:1 C420jpeg",
    const std::string& frame_line = "FRAME", int w = 8, int h = 6) {
  std::vector<uint8_t> s(header.begin(), header.end());
  s.push_back('\n');
  const int bytes = w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2);
  for (int f = 0; f < frames; ++f) {
    s.insert(s.end(), frame_line.begin(), frame_line.end());
    s.push_back('\n');
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<uint8_t>(16 + (i * 7 + f * 13) % 220));
  }
  return s;
}

const size_t out_header = std::string("YUV4MPEG2 W20 H9 F25:1 Ip A1:1 C420jpeg\n").size();
const size_t out_frame = std::string("FRAME\n").size() + 20 * 9 + 2 * 10 * 5;

TEST(StreamTool, WritesTheHeaderWithTheNewSizeAndEveryFrame) {
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.y4m"),
              make_stream(3, "YUV4MPEG2 W8 H6 F30000:1001 Ip A10:11 C420jpeg XYSCSS=420JPEG",
                          "FRAME Ixyz"));
  const TOOL_RUN run = run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "20x9"});
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");  // no progress line when standard error is not a terminal
  const auto out = read_bytes(dir.file("out.y4m"));
  const std::string header =
      "YUV4MPEG2 W20 H9 F30000:1001 Ip A10:11 C420jpeg XYSCSS=420JPEG\nFRAME Ixyz\n";
  ASSERT_GE(out.size(), header.size());
  EXPECT_EQ(std::string(out.begin(), out.begin() + header.size()), header);
  EXPECT_EQ(out.size(), header.size() - 11 + 3 * (out_frame + 5));
}

TEST(StreamTool, ThreadCountsGiveTheSameStream) {
  // Rows are converted in parts, one per thread; odd heights put the part
  // edges between the two rows of a chroma sample.
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.y4m"), make_stream(2, "YUV4MPEG2 W13 H11 C420mpeg2", "FRAME", 13, 11));
  std::vector<uint8_t> first;
  for (const char* threads : {"1", "2", "3", "7"}) {
    const TOOL_RUN run =
        run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "17x9", "--threads", threads});
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto out = read_bytes(dir.file("out.y4m"));
    if (first.empty()) first = out;
    EXPECT_TRUE(out == first) << threads << " threads";
  }
  EXPECT_EQ(first.size(),
            std::string("YUV4MPEG2 W17 H9 C420mpeg2\n").size() + 2 * (6 + 17 * 9 + 2 * 9 * 5));
}

TEST(StreamTool, CutStreamPassesOnItsCompleteFramesThenFails) {
  SCRATCH_DIR dir;
  std::vector<uint8_t> cut = make_stream(4);
  cut.resize(cut.size() - 10);
  write_bytes(dir.file("cut.y4m"), cut);
  write_bytes(dir.file("three.y4m"), make_stream(3));

  const TOOL_RUN to_pipe =
      run_tool(dir, {"resize", "-", "-", "--size", "20x9"}, dir.file("cut.y4m"), dir.file("piped"));
  EXPECT_NE(to_pipe.status, 0);
  EXPECT_NE(to_pipe.errors.find("standard input: truncated stream: frame 4 has 62 of 72 bytes"),
            std::string::npos)
      << to_pipe.errors;
  const TOOL_RUN whole = run_tool(dir, {"resize", "three.y4m", "three-out.y4m", "--size", "20x9"});
  ASSERT_EQ(whole.status, 0) << whole.errors;
  const auto piped = read_bytes(dir.file("piped"));
  EXPECT_EQ(piped.size(), out_header + 3 * out_frame);
  EXPECT_TRUE(piped == read_bytes(dir.file("three-out.y4m")));

  // Into a file, the same cut leaves no file at all.
  const TOOL_RUN to_file = run_tool(dir, {"resize", "cut.y4m", "out.y4m", "--size", "20x9"});
  EXPECT_NE(to_file.status, 0);
  EXPECT_NE(to_file.errors.find("cut.y4m: truncated stream"), std::string::npos) << to_file.errors;
  const auto names = dir.names();
  EXPECT_EQ(std::count(names.begin(), names.end(), "out.y4m"), 0);
  EXPECT_TRUE(std::none_of(names.begin(), names.end(), [](const std::string& n) {
    return n.find("partial") != std::string::npos;
  }));
}

TEST(StreamTool, BadStreamsFailWithOneLineAndNoOutput) {
  struct CASE {
    std::vector<uint8_t> stream;
    const char* says;
  };
  std::vector<uint8_t> bad_frame = make_stream(2);
  bad_frame[std::string("YUV4MPEG2 W8 H6 F25:1 Ip A1:1 C420jpeg\n").size() + 6 + 72 + 4] = 'X';
  std::vector<uint8_t> no_newline = make_stream(0);
  no_newline.pop_back();
  const CASE cases[] = {
      {make_stream(1, "YUV4MPEG2 W8 H6 It"), "in.y4m: unsupported y4m interlacing 'It'"},
      {make_stream(1, "YUV4MPEG2 W8 H6 C420p14"), "in.y4m: unsupported y4m colour space 'C420p14'"},
      {make_stream(1, "YUV4MPEG2 W8"), "in.y4m: the y4m header has no height"},
      {make_stream(1, "YUV4MPEG2 W80000 H6"), "above the engine's limit"},
      {make_stream(1, "RIFF WAVE"), "in.y4m: not a YUV4MPEG2 stream"},
      {std::vector<uint8_t>(5000, 'Y'), "not a YUV4MPEG2 stream"},
      {{}, "in.y4m: empty stream"},
      {no_newline, "the header line has no end"},
      {bad_frame, "in.y4m: frame 2 does not start with a FRAME line"},
  };
  for (const CASE& c : cases) {
    SCRATCH_DIR dir;
    write_bytes(dir.file("in.y4m"), c.stream);
    const TOOL_RUN run = run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "20x9"});
    EXPECT_NE(run.status, 0) << c.says;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << "said: " << run.errors;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
    EXPECT_EQ(dir.names(), std::vector<std::string>{"in.y4m"}) << c.says;
  }
}

TEST(StreamTool, KindsOfFileMustMatch) {
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.y4m"), make_stream(1));
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"resize", "in.y4m", "out.png", "--size", "9x9"},
                                             {"resize", "-", "out.yc48", "--size", "9x9"},
                                             {"resize", "in.y4m", "out.mp4", "--size", "9x9"},
                                             {"resize", "in.bmp", "out.bmp", "--size", "9x9"}}) {
    const TOOL_RUN run = run_tool(dir, args, dir.file("in.y4m"));
    EXPECT_NE(run.status, 0) << args[2];
    EXPECT_NE(run.errors.find(args[2] == "out.bmp" ? "in.bmp: unknown kind of file"
                                                   : args[2] + ": must be of the input's kind"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(dir.names(), std::vector<std::string>{"in.y4m"});
  }
}

}  // namespace

namespace {

// A stream of `frames` frames of random codes of the header's format, with
// the smallest (0) and the largest code among them.
std::vector<uint8_t> coded_stream(const std::string& header, int frames, uint32_t seed) {
  Y4M_HEADER parsed;
  EXPECT_EQ(parse_y4m_header(header, parsed), "") << header;
  const Y4M_FORMAT& f = parsed.format;
  std::vector<uint8_t> s(header.begin(), header.end());
  s.push_back('\n');
  std::mt19937 rng(seed);
  const uint32_t max = (1u << f.depth) - 1;
  const int bytes = y4m_sample_bytes(f);
  for (int frame = 0; frame < frames; ++frame) {
    s.insert(s.end(), {'F', 'R', 'A', 'M', 'E', '\n'});
    const uint64_t count = y4m_frame_bytes(f) / bytes;
    for (uint64_t i = 0; i < count; ++i) {
      const uint32_t v = i % 5 == 0 ? 0 : i % 5 == 1 ? max : rng() & max;
      s.push_back(static_cast<uint8_t>(v));
      if (bytes == 2) s.push_back(static_cast<uint8_t>(v >> 8));
    }
  }
  return s;
}

TEST(StreamTool, ViaYc48GivesTheEditorsBits) {
  // The editor's way: planes to a YC48 frame with its formulas, the engine's
  // resize_frame, and back; the tool must give those very bytes.
  for (const char* header : {"YUV4MPEG2 W23 H11 C444", "YUV4MPEG2 W23 H11 C420jpeg",
                             "YUV4MPEG2 W23 H11 C422p10", "YUV4MPEG2 W23 H11 C444p12",
                             "YUV4MPEG2 W23 H11 C420p16", "YUV4MPEG2 W23 H11 C444 XCOLORRANGE=FULL",
                             "YUV4MPEG2 W23 H11 Cmono", "YUV4MPEG2 W23 H11 Cmono16"}) {
    SCOPED_TRACE(header);
    SCRATCH_DIR dir;
    const std::vector<uint8_t> stream = coded_stream(header, 1, 7);
    write_bytes(dir.file("in.y4m"), stream);
    const TOOL_RUN run =
        run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "37x6", "--via-yc48"});
    ASSERT_EQ(run.status, 0) << run.errors;
    Y4M_HEADER parsed;
    parse_y4m_header(header, parsed);
    Y4M_FORMAT target = parsed.format;
    target.width = 37;
    target.height = 6;
    SAMPLE_BUFFER memory;
    YC48_IMAGE frame = allocate_frame(memory, 37, 11, "test");
    planes_to_frame(stream.data() + std::strlen(header) + 7, parsed.format, frame);
    std::vector<YC48_PIXEL> resized = pixels_of(engine_resize(image_of(frame), 37, 6, false));
    const std::string lines = format_y4m_header(parsed, 37, 6) + "FRAME\n";
    std::vector<uint8_t> expected(lines.size() + y4m_frame_bytes(target));
    std::copy(lines.begin(), lines.end(), expected.begin());
    frame_to_planes(YC48_IMAGE{resized.data(), 37, 6}, target, expected.data() + lines.size());
    EXPECT_TRUE(read_bytes(dir.file("out.y4m")) == expected);
  }
}

TEST(StreamTool, TheSmallestAndLargestCodesSurviveASameSizePass) {
  // The plane path copies a frame at the stream's size; the editor's way
  // converts, and is exact for 4:4:4 and mono up to 12 bits.
  struct CASE {
    const char* header;
    bool via_yc48;
  };
  const CASE cases[] = {
      {"YUV4MPEG2 W13 H7 C420p10", false}, {"YUV4MPEG2 W13 H7 C422p12 XCOLORRANGE=FULL", false},
      {"YUV4MPEG2 W13 H7 C420p16", false}, {"YUV4MPEG2 W13 H7 Cmono16", false},
      {"YUV4MPEG2 W13 H7 C444p10", true},  {"YUV4MPEG2 W13 H7 C444p12 XCOLORRANGE=FULL", true},
      {"YUV4MPEG2 W13 H7 Cmono12", true},  {"YUV4MPEG2 W13 H7 C420paldv XCOLORRANGE=FULL", false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.header);
    SCRATCH_DIR dir;
    const std::vector<uint8_t> stream = coded_stream(c.header, 2, 11);
    write_bytes(dir.file("in.y4m"), stream);
    std::vector<std::string> args = {"resize", "in.y4m", "out.y4m", "--size", "13x7"};
    if (c.via_yc48) args.push_back("--via-yc48");
    const TOOL_RUN run = run_tool(dir, args);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_TRUE(read_bytes(dir.file("out.y4m")) == stream);
  }
}

TEST(StreamTool, AHeaderThatWouldGrowPastTheLimitIsRefusedBeforeAnythingIsWritten) {
  // The header is 4094 characters with W8; at width 10000 it would be 4098,
  // which no reader of the tool's own would take.
  std::string header = "YUV4MPEG2 W8 H6 C420jpeg X";
  header.resize(4094, 'x');
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.y4m"), make_stream(1, header));
  const TOOL_RUN wide = run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "10000x6"});
  EXPECT_EQ(wide.status, 1);
  EXPECT_NE(wide.errors.find("in.y4m: the resized stream's header would be 4098 characters long, "
                             "more than the 4096"),
            std::string::npos)
      << wide.errors;
  EXPECT_EQ(dir.names(), std::vector<std::string>{"in.y4m"});
  // Up to the limit, the tool reads its own output.
  const TOOL_RUN limit = run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "100x6"});
  ASSERT_EQ(limit.status, 0) << limit.errors;
  const TOOL_RUN again = run_tool(dir, {"resize", "out.y4m", "back.y4m", "--size", "8x6"});
  EXPECT_EQ(again.status, 0) << again.errors;
}

}  // namespace

namespace {

// A stream of one frame in which every sample of every plane is `code`.
std::vector<uint8_t> flat_stream(const std::string& header, uint32_t code) {
  Y4M_HEADER parsed;
  EXPECT_EQ(parse_y4m_header(header, parsed), "") << header;
  std::vector<uint8_t> s(header.begin(), header.end());
  s.insert(s.end(), {'\n', 'F', 'R', 'A', 'M', 'E', '\n'});
  const int bytes = y4m_sample_bytes(parsed.format);
  for (uint64_t i = 0; i < y4m_frame_bytes(parsed.format) / bytes; ++i) {
    s.push_back(static_cast<uint8_t>(code));
    if (bytes == 2) s.push_back(static_cast<uint8_t>(code >> 8));
  }
  return s;
}

// The samples of the one frame of a stream the tool wrote.
std::vector<uint32_t> frame_codes(const std::vector<uint8_t>& stream, int bytes) {
  const auto frame =
      std::search(stream.begin(), stream.end(), std::begin("FRAME\n"), std::end("FRAME\n") - 1);
  std::vector<uint32_t> codes;
  for (auto at = frame + 6; at + bytes <= stream.end(); at += bytes)
    codes.push_back(bytes == 1 ? at[0] : at[0] | at[1] << 8);
  return codes;
}

TEST(StreamTool, CodesAboveTheLargestAreClampedOnEveryPath) {
  // 10- and 12-bit samples are 16-bit words: a word above the depth's
  // largest code is that code, never its low bits (1024 is not 0 at 10 bits).
  struct CASE {
    const char* header;
    uint32_t code;
    uint32_t max;
  };
  const CASE cases[] = {
      {"YUV4MPEG2 W9 H5 C444p10", 1024, 1023},
      {"YUV4MPEG2 W9 H5 C444p10", 1100, 1023},
      {"YUV4MPEG2 W9 H5 C420p10", 65535, 1023},
      {"YUV4MPEG2 W9 H5 Cmono10", 2048, 1023},
      {"YUV4MPEG2 W9 H5 C422p12", 4096, 4095},
      {"YUV4MPEG2 W9 H5 C420p12", 40000, 4095},
      {"YUV4MPEG2 W9 H5 C444p12 XCOLORRANGE=FULL", 4200, 4095},
  };
  for (const CASE& c : cases)
    for (const char* way : {"--quiet", "--via-yc48"}) {
      SCOPED_TRACE(std::string(c.header) + " of " + std::to_string(c.code) + " " + way);
      SCRATCH_DIR dir;
      write_bytes(dir.file("in.y4m"), flat_stream(c.header, c.code));
      const TOOL_RUN run = run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", "14x3", way});
      ASSERT_EQ(run.status, 0) << run.errors;
      const std::vector<uint32_t> codes = frame_codes(read_bytes(dir.file("out.y4m")), 2);
      ASSERT_FALSE(codes.empty());
      EXPECT_EQ(std::count(codes.begin(), codes.end(), c.max), std::ssize(codes));
    }
}

}  // namespace

namespace {

// A one-frame stream whose samples are code(plane, x, y).
std::vector<uint8_t> drawn_stream(const std::string& header,
                                  const std::function<uint32_t(int, int32_t, int32_t)>& code) {
  Y4M_HEADER parsed;
  EXPECT_EQ(parse_y4m_header(header, parsed), "") << header;
  const Y4M_FORMAT& f = parsed.format;
  std::vector<uint8_t> s(header.begin(), header.end());
  s.insert(s.end(), {'\n', 'F', 'R', 'A', 'M', 'E', '\n'});
  for (int p = 0; p < f.planes; ++p)
    for (int32_t y = 0; y < (p ? chroma_height(f) : f.height); ++y)
      for (int32_t x = 0; x < (p ? chroma_width(f) : f.width); ++x) {
        const uint32_t v = code(p, x, y);
        s.push_back(static_cast<uint8_t>(v));
        if (f.depth > 8) s.push_back(static_cast<uint8_t>(v >> 8));
      }
  return s;
}

TEST(StreamTool, FlatFramesKeepEveryCodeAtEveryDepthAndSize) {
  // The corners of the range, the limited range's black, white and neutral
  // chroma, on the plane path (every depth) and through YC48 (exact up to
  // 12 bits), up and down.
  const char* chroma[] = {"C444",    "C420jpeg", "C422p10", "C420p12",
                          "C444p16", "C420p16",  "Cmono16", "C444p10 XCOLORRANGE=FULL"};
  for (const char* c : chroma) {
    const std::string header = std::string("YUV4MPEG2 W10 H7 ") + c;
    Y4M_HEADER parsed;
    parse_y4m_header(header, parsed);
    const int d = parsed.format.depth;
    const uint32_t max = (1u << d) - 1;
    for (const uint32_t code :
         {0u, 1u, 16u << (d - 8), 128u << (d - 8), 235u << (d - 8), 240u << (d - 8), max - 1, max})
      for (const char* size : {"23x9", "4x3"})
        for (const char* way : {"--quiet", "--via-yc48"}) {
          if (d > 12 && std::string(way) == "--via-yc48") continue;  // YC48's scale is coarser
          SCOPED_TRACE(header + " of " + std::to_string(code) + " to " + size + " " + way);
          SCRATCH_DIR dir;
          write_bytes(dir.file("in.y4m"), flat_stream(header, code));
          const TOOL_RUN run = run_tool(dir, {"resize", "in.y4m", "out.y4m", "--size", size, way});
          ASSERT_EQ(run.status, 0) << run.errors;
          const std::vector<uint32_t> codes =
              frame_codes(read_bytes(dir.file("out.y4m")), d > 8 ? 2 : 1);
          ASSERT_FALSE(codes.empty());
          EXPECT_EQ(std::count(codes.begin(), codes.end(), code), std::ssize(codes));
        }
  }
}

// The mean code of every plane of a one-frame stream.
double mean_code(const std::vector<uint8_t>& stream, int bytes) {
  const std::vector<uint32_t> codes = frame_codes(stream, bytes);
  double sum = 0;
  for (const uint32_t c : codes) sum += c;
  return sum / codes.size();
}

TEST(StreamTool, RoundTripsDoNotDriftTheMeanAtAnyDepth) {
  // A photo-like frame (soft shapes, fine texture and noise) taken up and
  // down five times: rounding to the nearest code adds no bias, where the
  // editor's 8-bit luma formula, nearly a truncation, darkens every pass.
  // The bound is a tenth of an 8-bit code, at the depth's scale.
  for (const char* chroma : {"C420jpeg", "C444", "Cmono", "C420p10", "C422p12", "C444p16"}) {
    const std::string header = std::string("YUV4MPEG2 W96 H72 ") + chroma;
    Y4M_HEADER parsed;
    parse_y4m_header(header, parsed);
    const int d = parsed.format.depth;
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 3);
    SCRATCH_DIR dir;
    write_bytes(
        dir.file("0.y4m"), drawn_stream(header, [&](int p, int32_t x, int32_t y) {
          const double v = 128 + 60 * std::sin(x * 0.11 + p) * std::cos(y * 0.07) +
                           25 * std::sin(x * 0.9 + y * 0.6) + noise(rng);
          return static_cast<uint32_t>(std::lround(std::clamp(v, 16.0, 235.0) * (1 << (d - 8))));
        }));
    const int bytes = d > 8 ? 2 : 1;
    const double before = mean_code(read_bytes(dir.file("0.y4m")), bytes);
    for (int trip = 1; trip <= 5; ++trip) {
      const std::string from = std::to_string(trip - 1) + ".y4m",
                        to = std::to_string(trip) + ".y4m";
      ASSERT_EQ(run_tool(dir, {"resize", from, "up.y4m", "--size", "128x96"}).status, 0);
      ASSERT_EQ(run_tool(dir, {"resize", "up.y4m", to, "--size", "96x72"}).status, 0);
    }
    const double after = mean_code(read_bytes(dir.file("5.y4m")), bytes);
    EXPECT_LE(std::abs(after - before), 0.1 * (1 << (d - 8)))
        << chroma << ": " << before << " -> " << after;
  }
}

}  // namespace
