#pragma once
// The tool's calls into the library (morvane.h): a context on the tool's
// thread count, kept for the run and made at the first frame, so that the
// job's own buffers are had before the threads' stacks take their share of
// memory; the kernel variant --isa names on every call; the library's
// refusals as the tool's error lines.
#include <string>

#include "morvane.h"
#include "yc48_image.h"

struct LIBRARY_CONTEXT {
  int threads = 1;      // asked for
  std::string kernels;  // --isa: a name morvane_kernel_name gives, or "auto"
  morvane_context* context = nullptr;

  LIBRARY_CONTEXT() = default;
  LIBRARY_CONTEXT(const LIBRARY_CONTEXT&) = delete;
  LIBRARY_CONTEXT& operator=(const LIBRARY_CONTEXT&) = delete;
  ~LIBRARY_CONTEXT();
};

// Sets up a context on `threads` threads (1 .. 64; made at the first call)
// running `kernels`. Throws TOOL_ERROR for another count. When the system
// refuses some threads, the first call says so on standard error and goes on
// with the threads that started.
void start_library(LIBRARY_CONTEXT& library, int threads, const std::string& kernels);

// The options of a call in `library`.
morvane_options library_options(const LIBRARY_CONTEXT& library, bool vertical_first,
                                bool antialias);

// morvane_resize_planes and morvane_context_resize_yc48 in `library`'s
// context. When memory runs short on more than one thread, the call is made
// again on one (the same bits, only later), with a line on standard error.
// Throws TOOL_ERROR naming `name` when it still fails (for jobs the tool
// built, only for want of memory).
void resize_in_library(LIBRARY_CONTEXT& library, const morvane_plane_job* jobs, int count,
                       int depth, const morvane_options& options, const std::string& name);
void resize_yc48_in_library(LIBRARY_CONTEXT& library, const YC48_IMAGE& source,
                            const YC48_IMAGE& target, const morvane_options& options,
                            const std::string& name);

// Threads the tool uses by default: one per processor, at most 64.
int default_thread_count();
