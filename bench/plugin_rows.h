#pragma once
// The 32-bit plug-in's rows: the build of morvane.auf pinned to each kernel
// variant (bench/CMakeLists.txt, Windows builds), run by the test host under
// Wine on the benchmark's own source image, with --repeat. The test host
// times func_proc alone and reports the page memory the plug-in then holds.
#include <string>
#include <vector>

#include "cells.h"
#include "report.h"

struct PLUGIN_SETUP {
  std::string win32_build;  // holds testhost.exe and bench/morvane_VARIANT.auf
  std::string wine_run;     // the script that runs a Windows program under Wine
};

// Empty when the rows can be measured for these variants; otherwise why not.
std::string plugin_rows_unavailable(const PLUGIN_SETUP& setup,
                                    const std::vector<std::string>& variants);

// One row per variant and thread count (1: the host offers no thread
// function; 2: two host threads) for `job`, named "plug-in VARIANT (32-bit)";
// each runs frames for about `seconds`, judged from `native_ms` (the native
// engine's median for that variant on one thread). The plug-in's work memory
// goes to `memory`. Throws std::runtime_error when a run fails.
std::vector<RESULT> plugin_rows(const PLUGIN_SETUP& setup, const JOB& job,
                                const std::vector<PIXEL_YC>& source,
                                const std::vector<std::string>& variants,
                                const std::vector<double>& native_ms, double seconds,
                                std::vector<MEMORY_RESULT>& memory);
