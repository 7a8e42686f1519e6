#pragma once
// The soak: a long, random but seeded session of the real plug-in in this
// host. Frames of buffer sizes from 1x1 to 4096x2304 with targets inside and
// outside the track ranges, 0 to 32 host threads, the check box flipping,
// window messages between frames (the filter switched off and on, sizes set
// through the size field and its button, the check box clicked), func_exit
// and a new func_init part way, and refused page memory. Every frame is
// compared byte for byte, over its whole buffer, with the engine linked into
// this host; a refused block must leave the frame as it was. Stops at the
// first difference.
#include <cstdint>
#include <cstdio>
#include <string>

#include "plugin.h"

struct SOAK_OPTIONS {
  double seconds = 0;  // > 0: soak for this long
  uint64_t seed = 1;
  std::string log;  // when set, one line per frame for the native replay (morvane_soak)
};

// Runs the session on the loaded plug-in (func_init already called) and
// ends it with func_exit. 0 when every frame matched and the plug-in held no
// page memory after func_exit; 1, with the first difference printed, else.
int run_soak(const PLUGIN& plugin, const SOAK_OPTIONS& options, FILE* out);
