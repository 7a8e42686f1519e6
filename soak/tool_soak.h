#pragma once
// The tool's soak: a seeded stream of random PNG and y4m jobs through the
// built tool, each result checked byte for byte against the tool's raw .yc48
// path on the same frames (the colour and y4m conversions of this build, then
// `morvane resize` on the raw frame), with failures injected along the way: a
// cut input, an output in a missing folder, a signal part way. A failure must
// be one error line and a nonzero exit that leaves the old output as it was
// and no temporary file; a signal must end the tool by that signal, or come
// too late and find a complete output. And outputs the tool must treat well:
// a hard-linked output filled by a second run at the same time (it must end
// as one run's whole output), a hard-linked 0600 output (no temporary file
// anyone else may read while the run lasts, the mode kept), and an argument
// error with a FIFO as the output (one line, and its waiting reader ended).
#include <cstdint>
#include <string>

struct TOOL_SOAK {
  std::string tool;  // the built morvane
  double seconds = 10;
  uint64_t seed = 1;
};

// 0 when every job came out as expected; 1 at the first that did not (printed).
int run_tool_soak(const TOOL_SOAK& soak);
