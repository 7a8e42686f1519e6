#include "progress.h"

#include <unistd.h>

#include <cstdio>

namespace {

using CLOCK = std::chrono::steady_clock;

void draw(PROGRESS& p, CLOCK::time_point now) {
  const double seconds = std::chrono::duration<double>(now - p.start).count();
  std::fprintf(stderr, "\rmorvane: %lld frames, %.1f frames/s ", static_cast<long long>(p.frames),
               seconds > 0 ? static_cast<double>(p.frames) / seconds : 0.0);
  std::fflush(stderr);
  p.shown = true;
  p.last_draw = now;
}

}  // namespace

PROGRESS::~PROGRESS() {
  if (shown) std::fputc('\n', stderr);
}

void start_progress(PROGRESS& p, bool quiet) {
  p.enabled = !quiet && isatty(STDERR_FILENO);
  p.shown = false;
  p.frames = 0;
  p.start = p.last_draw = CLOCK::now();
}

void count_frame(PROGRESS& p) {
  ++p.frames;
  if (!p.enabled) return;
  const CLOCK::time_point now = CLOCK::now();
  if (now - p.start >= std::chrono::seconds(1) &&
      now - p.last_draw >= std::chrono::milliseconds(250))
    draw(p, now);
}

void finish_progress(PROGRESS& p) {
  if (!p.shown) return;
  draw(p, CLOCK::now());
  std::fputc('\n', stderr);
  p.shown = false;
}
