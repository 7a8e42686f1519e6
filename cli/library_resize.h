#pragma once
// The tool's calls into the library (morvane.h): a context on the tool's
// thread count, made at the first frame, so that the job's own buffers are
// had before the threads' stacks take their share of memory; the library's
// refusals as the tool's error lines.
#include <string>

#include "morvane.h"

struct LIBRARY_CONTEXT {
  int threads = 1;  // asked for
  morvane_context* context = nullptr;

  LIBRARY_CONTEXT() = default;
  LIBRARY_CONTEXT(const LIBRARY_CONTEXT&) = delete;
  LIBRARY_CONTEXT& operator=(const LIBRARY_CONTEXT&) = delete;
  ~LIBRARY_CONTEXT();
};

// morvane_resize_planes in `library`'s context. When memory runs short on
// more than one thread, the call is made again on one (the same bits, only
// later), with a line on standard error. Throws TOOL_ERROR naming `name`
// when it still fails (for jobs the tool built, only for want of memory).
void resize_in_library(LIBRARY_CONTEXT& library, const morvane_plane_job* jobs, int count,
                       int depth, const morvane_options& options, const std::string& name);
