#include "demo_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "frame_allocation.h"
#include "kernel_option.h"
#include "library_resize.h"
#include "picture_frames.h"
#include "test_card.h"
#include "tool_error.h"

namespace {

struct DEMO_JOB {
  int32_t w;
  int32_t h;
  bool vertical_first;
};

constexpr DEMO_JOB jobs[] = {
    {1920, 1080, false},  // up 2x
    {3840, 2160, false},  // up 4x
    {480, 270, false},    // down 2x
    {240, 135, true},     // down 4x, height first
    {1280, 400, true},    // wider and lower
};

// Timed runs per job after the first: the median of these is the engine's
// speed; the first run also pays for touching freshly mapped memory.
constexpr int timed_runs = 7;

void make_folder(const std::string& folder) {
  if (mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST) {
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
    fail(folder, "exists and is not a folder");
  }
  fail(folder, std::string("cannot create the folder: ") + std::strerror(errno));
}

void save_png(const std::string& path, const PNG_PICTURE& picture) {
  OUTPUT_FILE out;
  open_output(out, path);
  write_png(out, picture);
  commit_output(out);
}

}  // namespace

void run_demo(const DEMO_OPTIONS& o) {
  make_folder(o.folder);
  LIBRARY_CONTEXT library;
  start_library(library, o.threads, o.kernels);

  PNG_PICTURE card;
  draw_test_card(card);
  const std::string card_path = o.folder + "/card.png";
  save_png(card_path, card);
  std::printf("test card %dx%d: %s\n", card.width, card.height, card_path.c_str());

  int32_t max_w = card.width, max_h = card.height;
  for (const DEMO_JOB& j : jobs) {
    max_w = std::max(max_w, j.w);
    max_h = std::max(max_h, j.h);
  }
  SAMPLE_BUFFER card_memory, result_memory;
  YC48_IMAGE source = allocate_frame(card_memory, card.width, card.height, "demo");
  picture_to_frames(card, source, nullptr);
  const YC48_IMAGE largest = allocate_frame(result_memory, max_w, max_h, "demo");
  PNG_PICTURE result;
  for (const DEMO_JOB& j : jobs) {
    const YC48_IMAGE target{largest.pixels, j.w, j.h};
    const morvane_options options = library_options(library, j.vertical_first, false);
    const auto run_ms = [&] {
      const auto start = std::chrono::steady_clock::now();
      resize_yc48_in_library(library, source, target, options, "demo");
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
          .count();
    };
    const double first_ms = run_ms();
    std::vector<double> ms(timed_runs);
    for (double& m : ms) m = run_ms();
    std::nth_element(ms.begin(), ms.begin() + timed_runs / 2, ms.end());
    frames_to_picture(target, nullptr, 3, 8, result);
    const std::string path =
        o.folder + "/card-" + std::to_string(j.w) + "x" + std::to_string(j.h) + ".png";
    save_png(path, result);
    std::printf(
        "%dx%d -> %dx%d (%s first, %d threads, %s kernels): %.1f ms median of %d runs "
        "(first run %.1f ms)  %s\n",
        card.width, card.height, j.w, j.h, j.vertical_first ? "vertical" : "horizontal", o.threads,
        kernels_run(o.kernels).c_str(), ms[timed_runs / 2], timed_runs, first_ms, path.c_str());
    if (std::fflush(stdout) != 0)
      fail("standard output", std::string("write failed: ") + std::strerror(errno));
  }
}
