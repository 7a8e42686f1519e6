#include "library_resize.h"

#include <functional>
#include <thread>

#include "thread_lines.h"
#include "tool_error.h"

LIBRARY_CONTEXT::~LIBRARY_CONTEXT() { morvane_context_destroy(context); }

namespace {

// `call` in the library's context, made first when there is none yet.
void call_library(LIBRARY_CONTEXT& library, const std::function<int(morvane_context*)>& call,
                  const std::string& name) {
  if (!library.context) {
    library.context = morvane_context_create(library.threads);
    if (!library.context) fail(name, "out of memory for the engine's work buffers");
    say_threads_started(library.threads, morvane_context_threads(library.context));
  }
  int status = call(library.context);
  if (const int threads = morvane_context_threads(library.context);
      status == MORVANE_ERROR_MEMORY && threads > 1) {
    say_running_on_one(threads);
    morvane_context_limit_threads(library.context, 1);
    status = call(library.context);
  }
  if (status == MORVANE_ERROR_MEMORY) fail(name, "out of memory for the engine's work buffers");
  if (status != MORVANE_OK) fail(name, morvane_status_text(status));
}

}  // namespace

void start_library(LIBRARY_CONTEXT& library, int threads, const std::string& kernels) {
  morvane_context_destroy(library.context);
  library.context = nullptr;
  if (threads < 1 || threads > 64)
    fail("--threads " + std::to_string(threads), "the thread count must be 1 to 64");
  library.threads = threads;
  library.kernels = kernels;
}

morvane_options library_options(const LIBRARY_CONTEXT& library, bool vertical_first,
                                bool antialias) {
  morvane_options options;
  morvane_options_init(&options);
  options.vertical_first = vertical_first ? 1 : 0;
  options.antialias = antialias ? 1 : 0;
  options.kernels = library.kernels.c_str();
  return options;
}

void resize_in_library(LIBRARY_CONTEXT& library, const morvane_plane_job* jobs, int count,
                       int depth, const morvane_options& options, const std::string& name) {
  call_library(
      library,
      [&](morvane_context* context) {
        return morvane_resize_planes(context, jobs, count, depth, &options);
      },
      name);
}

void resize_yc48_in_library(LIBRARY_CONTEXT& library, const YC48_IMAGE& source,
                            const YC48_IMAGE& target, const morvane_options& options,
                            const std::string& name) {
  static_assert(sizeof(YC48_PIXEL) == 6);
  call_library(
      library,
      [&](morvane_context* context) {
        return morvane_context_resize_yc48(context, &source.pixels->y, ptrdiff_t{6} * source.w,
                                           source.w, source.h, &target.pixels->y,
                                           ptrdiff_t{6} * target.w, target.w, target.h, &options);
      },
      name);
}

int default_thread_count() {
  const unsigned n = std::thread::hardware_concurrency();
  return n < 1 ? 1 : n > 64 ? 64 : static_cast<int>(n);
}
