#include "library_resize.h"

#include "thread_lines.h"
#include "tool_error.h"

LIBRARY_CONTEXT::~LIBRARY_CONTEXT() { morvane_context_destroy(context); }

void resize_in_library(LIBRARY_CONTEXT& library, const morvane_plane_job* jobs, int count,
                       int depth, const morvane_options& options, const std::string& name) {
  if (!library.context) {
    library.context = morvane_context_create(library.threads);
    if (!library.context) fail(name, "out of memory for the engine's work buffers");
    say_threads_started(library.threads, morvane_context_threads(library.context));
  }
  int status = morvane_resize_planes(library.context, jobs, count, depth, &options);
  if (const int threads = morvane_context_threads(library.context);
      status == MORVANE_ERROR_MEMORY && threads > 1) {
    say_running_on_one(threads);
    morvane_context_limit_threads(library.context, 1);
    status = morvane_resize_planes(library.context, jobs, count, depth, &options);
  }
  if (status == MORVANE_ERROR_MEMORY) fail(name, "out of memory for the engine's work buffers");
  if (status != MORVANE_OK) fail(name, morvane_status_text(status));
}
