#pragma once
// The one kind of failure the tool reports: a single line that names the file
// (or option) and what is wrong with it. main() prints it and exits nonzero.
#include <stdexcept>
#include <string>

struct TOOL_ERROR : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws TOOL_ERROR("<name>: <what>").
[[noreturn]] void fail(const std::string& name, const std::string& what);
