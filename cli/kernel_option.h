#pragma once
// The --isa option: the kernel variant the library runs on every call.
#include <string>

// Checks `name` ("auto", "sse", "portable", ...) against the variants this
// processor runs (morvane_kernel_name). Throws TOOL_ERROR naming the option
// when it has no such variant.
void check_kernels(const std::string& name);

// The variant a call with `name` runs: `name`, or for "auto" (or nothing)
// the fastest.
std::string kernels_run(const std::string& name);
