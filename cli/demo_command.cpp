#include "demo_command.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine_threads.h"
#include "frame_allocation.h"
#include "frame_buffer.h"
#include "image_resize.h"
#include "kernels.h"
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
  ENGINE_THREADS threads;
  start_engine_threads(threads, o.threads);

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
  FRAME_BUFFER buffer;
  allocate_frame(buffer, max_w, max_h, "demo");
  PNG_PICTURE result;
  for (const DEMO_JOB& j : jobs) {
    // Each run starts from the card, restored untimed.
    const auto run_ms = [&] {
      picture_to_frames(card, buffer.frame, nullptr);
      const auto start = std::chrono::steady_clock::now();
      resize_image(buffer.frame, j.w, j.h, j.vertical_first, threads, "demo");
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
          .count();
    };
    const double first_ms = run_ms();
    std::vector<double> ms(timed_runs);
    for (double& m : ms) m = run_ms();
    std::nth_element(ms.begin(), ms.begin() + timed_runs / 2, ms.end());
    frames_to_picture(buffer.frame, nullptr, 3, 8, result);
    const std::string path =
        o.folder + "/card-" + std::to_string(j.w) + "x" + std::to_string(j.h) + ".png";
    save_png(path, result);
    std::printf(
        "%dx%d -> %dx%d (%s first, %d threads, %s kernels): %.1f ms median of %d runs "
        "(first run %.1f ms)  %s\n",
        card.width, card.height, j.w, j.h, j.vertical_first ? "vertical" : "horizontal", o.threads,
        active_kernels()->name, ms[timed_runs / 2], timed_runs, first_ms, path.c_str());
    if (std::fflush(stdout) != 0)
      fail("standard output", std::string("write failed: ") + std::strerror(errno));
  }
}
