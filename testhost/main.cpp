// testhost: a stand-in for the video editor that loads a filter plug-in and
// drives it from the command line (see testhost_usage).
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "frame_run.h"
#include "options.h"
#include "page_watch.h"
#include "plugin.h"
#include "soak.h"
#include "table_dump.h"
#include "test_host.h"

namespace {

void print_frame(int index, const FRAME_JOB& job, const FRAME_RESULT& r) {
  std::printf("frame %d: %dx%d in buffer %dx%d, track %d,%d, check %d: ", index, job.frame_w,
              job.frame_h, r.buffer_w, r.buffer_h,
              test_host.track.size() > 0 ? test_host.track[0] : 0,
              test_host.track.size() > 1 ? test_host.track[1] : 0,
              test_host.check.empty() ? 0 : test_host.check[0]);
  if (r.result < 0)
    std::printf("no func_proc, frame unchanged\n");
  else
    std::printf("func_proc %d, image %dx%d\n", r.result, r.w, r.h);
  if (job.repeat > 0)
    std::printf("frame %d: median %.3f ms per frame over %d runs; work memory %u bytes\n", index,
                r.median_ms, job.repeat, static_cast<unsigned>(r.work_bytes));
}

int run(const TESTHOST_OPTIONS& options) {
  std::string error;
  if (!start_test_host(options.host, error)) {
    std::fprintf(stderr, "testhost: %s\n", error.c_str());
    return 2;
  }
  PLUGIN plugin;
  if (!load_plugin(options.plugin, plugin, error)) {
    std::fprintf(stderr, "testhost: %s\n", error.c_str());
    stop_test_host();
    return 3;
  }
  // From here on the host sees every block of page memory the plug-in takes.
  watch_page_memory(plugin.module);
  if (options.dump_table) print_filter_table(*plugin.table, stdout);

  std::printf("func_init returned %d\n", call_func_init(plugin));
  if (options.dump_table) print_track_ranges(*plugin.table, stdout);

  if (options.soak.seconds > 0) {
    const int status = run_soak(plugin, options.soak, stdout);
    stop_page_watch();
    unload_plugin(plugin);
    stop_test_host();
    return status;
  }

  int status = 0;
  if (options.window.wanted) {
    CURRENT_FRAME frame;
    if (make_current_frame(options.frames.empty() ? nullptr : &options.frames[0], frame, error)) {
      status = run_window_session(plugin, options.window, frame, stdout);
    } else {
      std::fprintf(stderr, "testhost: %s\n", error.c_str());
      status = 2;
    }
  }
  for (size_t i = 0; i < options.frames.size() && status != 2 && !options.window.wanted; ++i) {
    const FRAME_JOB& job = options.frames[i];
    FRAME_RESULT result;
    if (!run_frame(plugin, job, result, error)) {
      std::fprintf(stderr, "testhost: frame %d: %s\n", static_cast<int>(i + 1), error.c_str());
      status = 2;
      break;
    }
    print_frame(static_cast<int>(i + 1), job, result);
    if (result.result == 0) status = 1;
    if (job.func_exit_after) std::printf("func_exit returned %d\n", call_func_exit(plugin));
  }

  std::printf("func_exit returned %d\n", call_func_exit(plugin));
  if (options.window.wanted) {
    const PAGE_MEMORY memory = held_page_memory();
    std::printf("work memory after func_exit: %u bytes in %u blocks\n",
                static_cast<unsigned>(memory.bytes), static_cast<unsigned>(memory.blocks));
  }
  stop_page_watch();
  unload_plugin(plugin);
  stop_test_host();
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Plain \n line ends, so that logs read the same on Windows and under Wine.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  TESTHOST_OPTIONS options;
  std::string error;
  if (argc < 2 || !parse_options(argc, argv, options, error)) {
    if (!error.empty()) std::fprintf(stderr, "testhost: %s\n", error.c_str());
    std::fputs(testhost_usage, stderr);
    std::fputs(window_actions_help, stderr);
    return 2;
  }
  const int status = run(options);
  std::fflush(stdout);
  return status;
}
