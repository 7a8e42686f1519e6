// morvane: the spline frame resizer on the command line.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "engine_run.h"
#include "file_io.h"
#include "resize_command.h"
#include "tool_error.h"

namespace {

constexpr const char* resize_examples = R"(
Examples:
  morvane resize frame.yc48 big.yc48 --input-size 640x480 --size 1280x960)";

}  // namespace

int main(int argc, char** argv) {
  remove_temp_outputs_on_signal();

  CLI::App app{"morvane: resizes frames with a natural cubic spline on each axis."};
  app.require_subcommand(1);
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string("morvane: ") + e.what() + " (see morvane --help)\n";
  });

  std::string isa = "auto";
  RESIZE_OPTIONS resize;
  resize.threads = default_thread_count();
  CLI::App* resize_app = app.add_subcommand("resize", "Resize a raw frame to a new size.");
  resize_app->add_option("INPUT", resize.input, "input file (.yc48)")->required();
  resize_app->add_option("OUTPUT", resize.output, "output file, of the input's kind")->required();
  resize_app->add_option("--size", resize.size, "target size, such as 1280x720 or 1280*720")->required();
  resize_app->add_option("--input-size", resize.input_size, "size of a .yc48 input, such as 640x480");
  resize_app->add_flag("--vertical-first", resize.vertical_first, "resize the height before the width");
  resize_app->add_option("--threads", resize.threads, "worker threads, 1 to 64 (default: one per processor)");
  resize_app->add_flag("--quiet", resize.quiet, "no progress line");
  resize_app->add_option("--isa", isa, "kernel variant: auto, sse, portable, ... (default: auto)");
  resize_app->footer(resize_examples);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  try {
    choose_kernels(isa);
    if (resize_app->parsed()) run_resize(resize);
  } catch (const TOOL_ERROR& e) {
    std::fprintf(stderr, "morvane: %s\n", e.what());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "morvane: out of memory\n");
    return 1;
  }
  return 0;
}
