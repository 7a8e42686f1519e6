// Frames through the real morvane.auf in testhost.exe, compared byte for byte
// with the engine linked into this program.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "images.h"
#include "programs.h"

namespace {

struct JOB {
  int w, h;  // frame
  int target_w, target_h;
  int vertical_first;
  int buffer_w, buffer_h;
};

std::string size(int w, int h) { return std::to_string(w) + "x" + std::to_string(h); }

// Runs testhost.exe on `jobs` as consecutive frames of one run; frame i reads
// frames_in_<i> and writes frames_out_<i>. `extra` goes after frame i's options.
std::string run_frames(const std::vector<JOB>& jobs, const std::string& host_options,
                       const std::vector<std::string>& extra, int& code) {
  std::ostringstream command;
  command << '"' << dos_path(TESTHOST_EXE) << "\" \"" << dos_path(MORVANE_AUF) << "\" "
          << host_options;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const JOB& j = jobs[i];
    const std::string in = "frames_in_" + std::to_string(i) + ".yc48";
    EXPECT_TRUE(write_image_file(in, test_image(j.w, j.h, static_cast<uint32_t>(i + 1))));
    DeleteFileA(("frames_out_" + std::to_string(i) + ".yc48").c_str());
    command << " --frame " << in << " --frame-size " << size(j.w, j.h) << " --buffer "
            << size(j.buffer_w, j.buffer_h) << " --track " << j.target_w << ',' << j.target_h
            << " --check " << j.vertical_first << " --out frames_out_" << i << ".yc48";
    if (i < extra.size()) command << ' ' << extra[i];
  }
  std::string output;
  code = run_program(command.str(), output);
  return output;
}

void expect_engine_bytes(const std::vector<JOB>& jobs, const std::string& log) {
  for (size_t i = 0; i < jobs.size(); ++i) {
    const JOB& j = jobs[i];
    IMAGE actual{j.target_w, j.target_h, {}};
    ASSERT_TRUE(read_image_file("frames_out_" + std::to_string(i) + ".yc48", actual))
        << "frame " << i << " is missing or not " << size(j.target_w, j.target_h) << "\n"
        << log;
    const IMAGE expected = engine_resize(test_image(j.w, j.h, static_cast<uint32_t>(i + 1)),
                                         j.target_w, j.target_h, j.vertical_first != 0);
    EXPECT_EQ(first_difference(expected, actual), "")
        << "frame " << i << ": " << size(j.w, j.h) << " -> " << size(j.target_w, j.target_h)
        << (j.vertical_first ? " vertical first" : "") << " in buffer "
        << size(j.buffer_w, j.buffer_h);
  }
}

// Enlarging, shrinking and both at once; odd widths (column groups that end
// inside a pixel) and frames that fill the buffer's width, up to the last
// row, right before the test host's guard page.
const std::vector<JOB> resize_jobs = {
    {320, 240, 640, 480, 0, 1280, 720},
    {320, 240, 640, 480, 1, 1280, 720},
    {641, 479, 211, 157, 0, 700, 500},
    {641, 479, 211, 157, 1, 700, 500},
    {100, 50, 40, 80, 1, 100, 80},
    {100, 50, 40, 80, 0, 100, 80},
    {5, 3, 33, 2, 0, 33, 3},
    {333, 1, 1, 251, 1, 333, 251},
    {101, 60, 101, 30, 1, 101, 60},
    {7, 9, 7, 4, 0, 7, 9},
};

TEST(FramesThroughTheTestHost, MatchTheEngineOnEveryThreadCount) {
  for (const char* threads : {"--threads 0", "--threads 1", "--threads 4", "--threads 24"}) {
    int code;
    const std::string log = run_frames(resize_jobs, threads, {}, code);
    ASSERT_EQ(code, 0) << threads << "\n" << log;
    SCOPED_TRACE(threads);
    expect_engine_bytes(resize_jobs, log);
  }
}

TEST(FramesThroughTheTestHost, SwitchingBuffersAndFuncExitStayCorrect) {
  const std::vector<JOB> jobs = {
      {640, 360, 1280, 720, 0, 1920, 1080}, {200, 150, 300, 100, 1, 320, 240},
      {640, 360, 960, 540, 1, 1920, 1080},  {640, 360, 960, 540, 0, 1920, 1080},
      {800, 600, 400, 300, 0, 800, 600},    {120, 90, 240, 180, 1, 256, 256},
  };
  // func_exit after the third frame: the next frames make a new block. From
  // the fourth frame on, each frame runs five times over from the same input.
  int code;
  const std::string log =
      run_frames(jobs, "--threads 3", {"", "", "--func-exit", "--repeat 5"}, code);
  ASSERT_EQ(code, 0) << log;
  EXPECT_NE(log.find("image 960x540\nfunc_exit returned 1\nframe 4:"), std::string::npos) << log;
  EXPECT_NE(log.find("frame 6: median "), std::string::npos) << log;
  EXPECT_EQ(log.find("frame 3: median "), std::string::npos) << log;
  expect_engine_bytes(jobs, log);
}

TEST(FramesThroughTheTestHost, ReportsTheNewSizeAndRefusesBadInput) {
  int code;
  std::string log = run_frames({{64, 48, 96, 40, 0, 96, 48}},
                               "--threads 2 --min-size 16x16 --max-size 4096x4096", {}, code);
  EXPECT_EQ(code, 0) << log;
  EXPECT_NE(log.find("func_proc 1, image 96x40"), std::string::npos) << log;

  // A frame file of another size: an error that says so, exit 2, no output
  // file; the file's length is looked at before any memory is taken for the
  // frame, and a size whose bytes a buffer cannot hold is refused as given.
  ASSERT_TRUE(write_image_file("frames_short.yc48", test_image(10, 10, 1)));
  const struct {
    const char* size;
    const char* message;
  } wrong[] = {
      {"11x10",
       "'frames_short.yc48' is not a 11x10 frame (660 bytes expected, the file holds 600)"},
      {"13000x13000", "(1014000000 bytes expected, the file holds 600)"},
      {"65537x65536", "--frame-size 65537x65536: expected WxH of at most 1073741824 bytes"},
  };
  for (const auto& w : wrong) {
    std::string output;
    DeleteFileA("frames_short_out.yc48");
    code = run_program('"' + dos_path(TESTHOST_EXE) + "\" \"" + dos_path(MORVANE_AUF) +
                           "\" --frame frames_short.yc48 --frame-size " + w.size +
                           " --out frames_short_out.yc48",
                       output);
    EXPECT_EQ(code, 2) << w.size << "\n" << output;
    EXPECT_NE(output.find(w.message), std::string::npos) << w.size << "\n" << output;
    EXPECT_EQ(GetFileAttributesA("frames_short_out.yc48"), INVALID_FILE_ATTRIBUTES);
  }

  std::string output;
  code = run_program('"' + dos_path(TESTHOST_EXE) + "\" no_such_plugin.auf", output);
  EXPECT_EQ(code, 3) << output;
}

TEST(FramesThroughTheTestHost, DumpShowsTheTableAsTheHostReadsIt) {
  std::string log;
  const int code = run_program('"' + dos_path(TESTHOST_EXE) + "\" \"" + dos_path(MORVANE_AUF) +
                                   "\" --dump-table --min-size 24x16 --max-size 4096x2304",
                               log);
  ASSERT_EQ(code, 0) << log;
  for (const char* line : {
           "flag: 0x00040000 (FILTER_FLAG_EX_INFORMATION)\n",
           "name: 4D 6F 72 76 61 6E 65 95 E2 8A D4 \"Morvane補間\"\n",
           "  track 0 default 640, range 32..2048\n",
           "  check 0 name: 8F 63 82 F0 97 44 90 E6 \"縦を優先\"\n",
           "func_update: null\nfunc_WndProc: set\n",
           "func_init returned 1\n  track 0 range 24..4096, default 640\n  track 1 range 16..2304, "
           "default 480\n",
       })
    EXPECT_NE(log.find(line), std::string::npos) << "missing: " << line << "\n" << log;
}

}  // namespace
