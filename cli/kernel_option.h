#pragma once
// The --isa option: the kernel variant the engine runs.
#include <string>

// Selects the kernel variant by name ("auto", "sse", "portable", ...).
// Throws TOOL_ERROR naming the option when this processor has no such variant.
void choose_kernels(const std::string& name);
