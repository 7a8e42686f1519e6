#include "kernel_option.h"

#include "kernels.h"
#include "tool_error.h"

void choose_kernels(const std::string& name) {
  if (force_kernels(name.c_str())) return;
  std::string known;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v)
    known += std::string(", ") + (*v)->name;
  fail("--isa " + name, "no such kernel variant on this processor (auto" + known + ")");
}
