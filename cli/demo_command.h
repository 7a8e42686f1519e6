#pragma once
// `morvane demo`: renders the test card, resizes it up and down and writes
// every result as a PNG, with one line per job and the time the engine took:
// the median of several runs after an untimed first, whose time is given apart.
#include <string>

struct DEMO_OPTIONS {
  std::string folder = "morvane-demo";
  int threads = 1;
  std::string kernels = "auto";  // --isa
};

// Throws TOOL_ERROR with the line to print on any failure.
void run_demo(const DEMO_OPTIONS& options);
