#pragma once
// The progress line of a stream on standard error: frames done and frames per
// second, redrawn in place a few times a second once the stream has run for
// a second. Shown only when standard error is a terminal and not silenced.
#include <chrono>
#include <cstdint>

struct PROGRESS {
  bool enabled = false;
  bool shown = false;  // a line is on the screen and needs its newline
  int64_t frames = 0;
  std::chrono::steady_clock::time_point start;
  std::chrono::steady_clock::time_point last_draw;

  PROGRESS() = default;
  PROGRESS(const PROGRESS&) = delete;
  PROGRESS& operator=(const PROGRESS&) = delete;
  ~PROGRESS();  // ends a shown line, so that what follows starts on its own line
};

// Starts counting; `quiet` or a standard error that is not a terminal keep
// the line hidden.
void start_progress(PROGRESS& progress, bool quiet);

// Counts one more frame and redraws the line when it is due.
void count_frame(PROGRESS& progress);

// Draws the final count (when a line was shown) and ends the line.
void finish_progress(PROGRESS& progress);
