#pragma once
// The test host's command line.
#include <string>
#include <vector>

#include "frame_run.h"
#include "soak.h"
#include "test_host.h"
#include "window_session.h"

struct TESTHOST_OPTIONS {
  std::string plugin;
  HOST_SETTINGS host;
  bool dump_table = false;
  std::vector<FRAME_JOB> frames;  // with a window, the first is its current frame
  WINDOW_OPTIONS window;
  SOAK_OPTIONS soak;
};

extern const char testhost_usage[];

// False, with a message, for an unknown option, a missing or malformed value,
// or a script that does not read.
bool parse_options(int argc, char** argv, TESTHOST_OPTIONS& options, std::string& error);
