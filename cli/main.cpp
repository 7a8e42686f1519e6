// morvane: the spline frame resizer on the command line.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "demo_command.h"
#include "exit_signals.h"
#include "file_io.h"
#include "kernel_option.h"
#include "library_resize.h"
#include "output_target.h"
#include "resize_command.h"
#include "tool_error.h"

namespace {

constexpr const char* resize_examples = R"(
Kinds of file (by extension; the output is of the input's kind and format):
  .png    grey, grey+alpha, RGB or RGBA of 8 or 16 bits (palette and 1-4 bit grey
          read as 8 bits, a tRNS chunk as alpha); gAMA, cHRM, sRGB and iCCP are kept.
          8-bit colour goes through the editor's YC48, about 12 bits (what the editor
          makes); a 16-bit picture has every channel resized at its own 16 bits
          (--via-yc48: through YC48 instead). With alpha, the colour is resized
          weighted by it (premultiplied), so hidden colour never shows at the
          edges; --straight-alpha resizes it as stored.
  .y4m    YUV4MPEG2 stream, progressive: 4:4:4, 4:2:2 or 4:2:0 (jpeg, mpeg2 or paldv
          siting) and mono, 8, 10, 12 or 16 bits, limited or full range (XCOLORRANGE).
          Every plane is resized at its own size and depth, rounded to the nearest
          code, and the chroma keeps its siting; a frame at the stream's own size
          passes unchanged. --via-yc48 takes the editor's way (chroma to every pixel,
          YC48 with the editor's formulas and their slight darkening, and back).
          Codes above the depth's largest are read as the largest. "-" reads it from
          standard input or writes it to standard output
  .yc48   one raw frame of int16 y, cb, cr; needs --input-size

Examples:
  morvane resize photo.png photo-big.png --size 3840x2160
  ffmpeg -i in.mp4 -pix_fmt yuv420p -f yuv4mpegpipe - | morvane resize - - --size 1920x1080 | ffmpeg -f yuv4mpegpipe -i - out.mp4
  morvane resize clip.y4m clip-small.y4m --size 640*360 --vertical-first --threads 2
  morvane resize frame.yc48 big.yc48 --input-size 640x480 --size 1280x960

Outputs:
  A file is written under a temporary name (NAME.partial-XXXXXX) and put in
  place only when complete: a failure or a signal leaves the old file as it
  was and no temporary file. An existing file keeps its permission bits; one
  you could not write from the shell is refused. Through a symlink, the file
  it points to is updated (atomically, in that file's folder) and the link
  stays. A file with other names (hard links) keeps them: once the new content
  is complete, it is copied into the file, so every name sees it. A FIFO or a
  device (/dev/stdout, /dev/null) is written as a stream, and takes the
  input's kind when its name has no kind.)";

constexpr const char* demo_examples = R"(
Examples:
  morvane demo               writes into ./morvane-demo
  morvane demo /tmp/cards --threads 1)";

constexpr const char* main_examples = R"(
Examples:
  morvane demo
  morvane resize photo.png photo-big.png --size 3840x2160
  ffmpeg -i in.mp4 -pix_fmt yuv420p -f yuv4mpegpipe - | morvane resize - - --size 1920x1080 | ffmpeg -f yuv4mpegpipe -i - out.mp4
Run "morvane resize --help" for the kinds of file and how outputs are written.)";

void add_engine_options(CLI::App* app, int& threads, std::string& isa) {
  app->add_option("--threads", threads, "worker threads, 1 to 64 (default: one per processor)");
  app->add_option("--isa", isa,
                  "kernel variant: auto, sse, portable, ... (default: auto); every variant gives "
                  "the same bits");
}

// Standard output and error must have taken everything written to them
// (`morvane demo > /dev/full` fails); a run that lost any of it fails.
int finish(int status) {
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && status == 0) {
    std::fprintf(stderr, "morvane: standard output: write failed: %s\n", std::strerror(errno));
    status = 1;
  }
  if (std::fflush(stderr) != 0 || std::ferror(stderr)) status = 1;
  return status;
}

// The resize command and its options, read into `resize` and `isa`;
// `output_option` is set to its OUTPUT.
CLI::App* add_resize_command(CLI::App& app, RESIZE_OPTIONS& resize, std::string& isa,
                             const CLI::Option*& output_option) {
  resize.threads = default_thread_count();
  CLI::App* resize_app =
      app.add_subcommand("resize", "Resize a picture, a raw frame or a y4m stream.");
  resize_app
      ->add_option("INPUT", resize.input,
                   "input file (.png, .y4m, .yc48), or - for a y4m stream on standard input")
      ->required();
  output_option = resize_app
                      ->add_option("OUTPUT", resize.output,
                                   "output file of the input's kind, or - for standard output")
                      ->required();
  resize_app
      ->add_option("--size", resize.size,
                   "target size: two whole numbers joined by x or *, such as 1280x720 or 1280*720")
      ->required();
  resize_app->add_option("--input-size", resize.input_size,
                         "size of a .yc48 input, such as 640x480");
  resize_app->add_flag("--vertical-first", resize.vertical_first,
                       "resize the height before the width");
  add_engine_options(resize_app, resize.threads, isa);
  resize_app->add_flag("--quiet", resize.quiet, "no progress line for streams");
  resize_app->add_flag("--via-yc48", resize.via_yc48,
                       "y4m and 16-bit PNG: go through the editor's YC48 with its formulas, the "
                       "bits the editor makes, instead of each plane at its own size and depth");
  resize_app->add_flag("--antialias", resize.antialias,
                       "when an axis shrinks, first take out the detail finer than the target can "
                       "hold (a windowed-sinc low-pass), so that it cannot come through as moire; "
                       "enlarged axes are unchanged");
  resize_app->add_flag(
      "--straight-alpha", resize.straight_alpha,
      "PNG with alpha: resize the colour as stored, not weighted by its alpha (the "
      "colour under transparent pixels then bleeds into the edges)");
  resize_app->add_flag("--keep-16-bits", resize.keep_16_bits,
                       "16-bit PNG and y4m: every channel at its own 16 bits; now the default, "
                       "accepted for old scripts");
  resize_app->footer(resize_examples);
  return resize_app;
}

// The demo command and its options, read into `demo` and `isa`.
CLI::App* add_demo_command(CLI::App& app, DEMO_OPTIONS& demo, std::string& isa) {
  demo.threads = default_thread_count();
  CLI::App* demo_app =
      app.add_subcommand("demo", "Resize a built-in test card up and down and write the PNGs.");
  demo_app->add_option("OUTDIR", demo.folder, "folder for the PNGs (default: morvane-demo)");
  add_engine_options(demo_app, demo.threads, isa);
  demo_app->footer(demo_examples);
  return demo_app;
}

// Arguments that could not be read: CLI11's message or help, and the output
// as given released, even when the arguments around it were wrong.
int refuse_arguments(const CLI::App& app, const CLI::ParseError& e,
                     const CLI::Option& output_option) {
  const int status = app.exit(e);
  std::fflush(stdout);  // help text goes out through std::cout, which stdout carries
  for (const std::string& output : output_option.results()) release_fifo_reader(output);
  return status;
}

// Runs the command that was parsed; any failure is one line on standard error.
int run_command(const std::string& isa, const CLI::App& resize_app, const RESIZE_OPTIONS& resize,
                const CLI::App& demo_app, const DEMO_OPTIONS& demo) {
  std::string failure;
  try {
    check_kernels(isa);
    if (resize_app.parsed()) {
      RESIZE_OPTIONS options = resize;
      options.kernels = isa;
      run_resize(options);
    }
    if (demo_app.parsed()) {
      DEMO_OPTIONS options = demo;
      options.kernels = isa;
      run_demo(options);
    }
    return 0;
  } catch (const std::bad_alloc&) {
    failure = "out of memory";
  } catch (const std::exception& e) {
    // A TOOL_ERROR, or what the system refused (a thread, a lock): a line,
    // never an abort.
    failure = e.what();
  }
  std::fprintf(stderr, "morvane: %s\n", failure.c_str());
  if (resize_app.parsed()) release_fifo_reader(resize.output);
  return 1;
}

int run(int argc, char** argv) {
  CLI::App app{
      "morvane: resizes pictures and video frames with a natural cubic spline on each axis."};
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("morvane ") + morvane_version_text());
  app.footer(main_examples);
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string("morvane: ") + e.what() + " (see morvane --help)\n";
  });
  std::string isa = "auto";
  RESIZE_OPTIONS resize;
  const CLI::Option* output_option = nullptr;
  const CLI::App* resize_app = add_resize_command(app, resize, isa, output_option);
  DEMO_OPTIONS demo;
  const CLI::App* demo_app = add_demo_command(app, demo, isa);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return refuse_arguments(app, e, *output_option);
  }
  return run_command(isa, *resize_app, resize, *demo_app, demo);
}

}  // namespace

int main(int argc, char** argv) {
  remove_temp_file_on_signals();
  return finish(run(argc, argv));
}
