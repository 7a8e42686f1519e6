#pragma once
// Our aims, each a ratio of two times of one run, and on how many of the
// run's jobs each holds: whatever the processor, the run judges itself.
#include <cstdio>
#include <string>
#include <vector>

#include "report.h"

// `fastest` names the engine variant the processor runs by default.
void print_aims(std::FILE* out, const std::vector<RESULT>& results,
                const std::vector<MEMORY_RESULT>& memory, const std::vector<std::string>& jobs,
                const std::string& fastest);
