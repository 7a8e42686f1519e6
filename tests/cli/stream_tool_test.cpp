// y4m streams through the tool: frames pass on as they are done, a cut is
// reported after the complete frames, and bad streams leave no file.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tool_process.h"

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
