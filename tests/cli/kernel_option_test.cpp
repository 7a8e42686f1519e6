// --isa: the kernel variants the engine runs on this processor, and "auto";
// anything else refused with the line that lists them.
#include <gtest/gtest.h>

#include <string>

#include "kernel_option.h"
#include "kernels.h"
#include "tool_error.h"

namespace {

TEST(KernelOption, TakesTheEnginesVariantsAndAutoAndListsThemOtherwise) {
  std::string known = "auto", fastest;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    EXPECT_NO_THROW(check_kernels((*v)->name)) << (*v)->name;
    EXPECT_EQ(kernels_run((*v)->name), (*v)->name);
    known += std::string(", ") + (*v)->name;
    fastest = (*v)->name;
  }
  EXPECT_NO_THROW(check_kernels("auto"));
  EXPECT_EQ(kernels_run("auto"), fastest);
  for (const std::string name : {"mmx9", "SSE", "sse ", "avx", "autox"}) {
    try {
      check_kernels(name);
      ADD_FAILURE() << name << " was taken";
    } catch (const TOOL_ERROR& e) {
      EXPECT_EQ(std::string(e.what()),
                "--isa " + name + ": no such kernel variant on this processor (" + known + ")");
    }
  }
}

}  // namespace
