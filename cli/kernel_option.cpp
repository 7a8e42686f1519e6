#include "kernel_option.h"

#include "morvane.h"
#include "tool_error.h"

void check_kernels(const std::string& name) {
  if (name.empty() || name == "auto") return;
  std::string known;
  for (int i = 0; morvane_kernel_name(i); ++i) {
    if (name == morvane_kernel_name(i)) return;
    known += std::string(", ") + morvane_kernel_name(i);
  }
  fail("--isa " + name, "no such kernel variant on this processor (auto" + known + ")");
}

std::string kernels_run(const std::string& name) {
  if (!name.empty() && name != "auto") return name;
  std::string fastest;
  for (int i = 0; morvane_kernel_name(i); ++i) fastest = morvane_kernel_name(i);
  return fastest;
}
