#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "frame_buffer.h"

const char testhost_usage[] =
    "usage: testhost PLUGIN.auf [host options] [--dump-table] [--frame IN.yc48 frame options]...\n"
    "                [filter window options]\n"
    "Loads a filter plug-in as the editor does and drives it.\n"
    "host options:\n"
    "  --threads N        exec_multi_thread_func on N threads, 1 to 32; 0 leaves it null\n"
    "                     (default: the processor count)\n"
    "  --min-size WxH     smallest frame size get_sys_info reports (default 16x16)\n"
    "  --max-size WxH     largest frame size get_sys_info reports (default 4096x4096)\n"
    "  --sys-info-fails   get_sys_info answers FALSE\n"
    "  --ini FILE         settings file of ini_load_int/ini_save_int (default testhost.ini)\n"
    "  --dump-table       print the filter table as read, and the track ranges after func_init\n"
    "frame options (for the latest --frame; a later --frame keeps all but --out and\n"
    "--func-exit; given before the first --frame they hold from it on):\n"
    "  --frame IN.yc48    a frame: rows of int16 little-endian y, cb, cr\n"
    "  --frame-size WxH   its size (required); the file must hold exactly 6 x W x H bytes\n"
    "  --buffer WxH       buffer max_w x max_h (default: the larger of frame and track);\n"
    "                     frames and buffers hold at most 1 GiB\n"
    "  --track W,H        track values X and Y (default: the table's defaults)\n"
    "  --check C          check value 0 (vertical first when nonzero)\n"
    "  --out OUT.yc48     write the image the frame record describes after func_proc\n"
    "  --repeat N         call func_proc N times; print the median ms per frame and the\n"
    "                     page memory the plug-in then holds\n"
    "  --func-exit        call func_exit after this frame (later frames go on)\n"
    "filter window (the first --frame is its current frame, else a 320x240 test card;\n"
    "the window's state is printed after the actions, then the window closes):\n"
    "  --window           open the filter window and keep it until you close it; its\n"
    "                     system menu's \"Filter on\" switches the filter off and on\n"
    "  --do \"ACTIONS\"     actions separated by ';' (see below); may be repeated\n"
    "  --script FILE      actions from FILE, one per line\n"
    "  --screenshot F.bmp save the window as drawn after the last action\n"
    "  --check-caption T  caption every check box T instead of the check's name\n"
    "soak (a seeded random session against the engine; see soak.h):\n"
    "  --soak SECONDS     run it for this long, then func_exit; exit 1 at the first difference\n"
    "  --seed N           its seed (default 1)\n"
    "  --soak-log FILE    one line per frame, for morvane_soak --replay on the native engine\n";

namespace {

bool parse_int(const char* text, int& value) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || errno == ERANGE || v < -2147483647L - 1 || v > 2147483647L)
    return false;
  value = static_cast<int>(v);
  return true;
}

// "A<sep>B" with two integers.
bool parse_pair(const char* text, char separator, int& a, int& b) {
  const char* split = std::strchr(text, separator);
  if (!split) return false;
  const std::string first(text, split);
  return parse_int(first.c_str(), a) && parse_int(split + 1, b);
}

bool parse_size(const char* text, int& w, int& h) {
  return parse_pair(text, 'x', w, h) && w >= 1 && h >= 1;
}

// A frame or buffer size: its pixels must fit a buffer of the test host.
bool parse_buffer_size(const char* text, int& w, int& h) {
  int a = 0, b = 0;
  if (!parse_size(text, a, b) || frame_bytes(a, b) > most_buffer_bytes) return false;
  w = a;
  h = b;
  return true;
}

const std::string buffer_size_rule =
    "WxH of at most " + std::to_string(most_buffer_bytes) + " bytes (6 a pixel)";

int processor_count() {
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  const int n = static_cast<int>(system.dwNumberOfProcessors);
  return n < 1 ? 1 : n > max_host_threads ? max_host_threads : n;
}

}  // namespace

bool parse_options(int argc, char** argv, TESTHOST_OPTIONS& options, std::string& error) {
  options = TESTHOST_OPTIONS{};
  options.host.threads = processor_count();
  FRAME_JOB current;  // the latest frame, or the settings before the first
  bool have_frame = false;

  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    auto value = [&](const char*& text) {
      if (i + 1 >= argc) {
        error = option + " needs a value";
        return false;
      }
      text = argv[++i];
      return true;
    };
    auto bad = [&](const char* text, const char* what) {
      error = option + " " + text + ": expected " + what;
      return false;
    };
    const char* text = nullptr;

    if (option == "--threads") {
      if (!value(text)) return false;
      if (!parse_int(text, options.host.threads) || options.host.threads < 0 ||
          options.host.threads > max_host_threads)
        return bad(text, "a thread count from 0 to 32");
    } else if (option == "--min-size") {
      if (!value(text)) return false;
      if (!parse_size(text, options.host.min_w, options.host.min_h)) return bad(text, "WxH");
    } else if (option == "--max-size") {
      if (!value(text)) return false;
      if (!parse_size(text, options.host.max_w, options.host.max_h)) return bad(text, "WxH");
    } else if (option == "--sys-info-fails") {
      options.host.sys_info_fails = true;
    } else if (option == "--ini") {
      if (!value(text)) return false;
      options.host.ini_path = text;
    } else if (option == "--dump-table") {
      options.dump_table = true;
    } else if (option == "--frame") {
      if (!value(text)) return false;
      if (have_frame) options.frames.push_back(current);
      have_frame = true;
      current.input = text;
      current.output.clear();
      current.func_exit_after = false;
    } else if (option == "--frame-size") {
      if (!value(text)) return false;
      if (!parse_buffer_size(text, current.frame_w, current.frame_h))
        return bad(text, buffer_size_rule.c_str());
    } else if (option == "--buffer") {
      if (!value(text)) return false;
      if (!parse_buffer_size(text, current.buffer_w, current.buffer_h))
        return bad(text, buffer_size_rule.c_str());
    } else if (option == "--track") {
      if (!value(text)) return false;
      if (!parse_pair(text, ',', current.track_w, current.track_h)) return bad(text, "W,H");
      current.set_track = true;
    } else if (option == "--check") {
      if (!value(text)) return false;
      if (!parse_int(text, current.check)) return bad(text, "an integer");
      current.set_check = true;
    } else if (option == "--out") {
      if (!value(text)) return false;
      current.output = text;
    } else if (option == "--repeat") {
      if (!value(text)) return false;
      if (!parse_int(text, current.repeat) || current.repeat < 1)
        return bad(text, "a count of at least 1");
    } else if (option == "--func-exit") {
      current.func_exit_after = true;
    } else if (option == "--window") {
      options.window.wanted = options.window.interactive = true;
    } else if (option == "--do") {
      if (!value(text)) return false;
      if (!parse_action_list(text, options.window.actions, error)) {
        error = "--do: " + error;
        return false;
      }
      options.window.wanted = true;
    } else if (option == "--script") {
      if (!value(text)) return false;
      if (!read_action_file(text, options.window.actions, error)) return false;
      options.window.wanted = true;
    } else if (option == "--screenshot") {
      if (!value(text)) return false;
      WINDOW_ACTION shot;
      if (!parse_action(std::string("shot ") + text, shot, error)) {
        error = "--screenshot " + std::string(text) + ": screenshots are saved as .bmp";
        return false;
      }
      options.window.screenshot = shot.text;
      options.window.wanted = true;
    } else if (option == "--soak") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.soak.seconds = std::strtod(text, &end);
      if (end == text || *end != '\0' || !(options.soak.seconds > 0))
        return bad(text, "a number of seconds above 0");
    } else if (option == "--seed") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.soak.seed = std::strtoull(text, &end, 10);
      if (end == text || *end != '\0') return bad(text, "a whole number");
    } else if (option == "--soak-log") {
      if (!value(text)) return false;
      options.soak.log = text;
    } else if (option == "--check-caption") {
      if (!value(text)) return false;
      options.window.setup.rename_checks = true;
      options.window.setup.check_caption = text;
    } else if (option.size() > 1 && option[0] == '-') {
      error = "unknown option " + option;
      return false;
    } else if (options.plugin.empty()) {
      options.plugin = option;
    } else {
      error = "unexpected argument " + option;
      return false;
    }
  }
  if (have_frame) options.frames.push_back(current);
  if (options.plugin.empty()) {
    error = "no plug-in given";
    return false;
  }
  if (options.soak.seconds > 0 && (options.window.wanted || !options.frames.empty())) {
    error = "--soak runs a session of its own, without --frame or a window";
    return false;
  }
  if (options.window.wanted && options.frames.size() > 1) {
    error = "the filter window takes one --frame";
    return false;
  }
  for (const FRAME_JOB& frame : options.frames) {
    if (frame.frame_w < 1) {
      error = "--frame " + frame.input + " has no --frame-size";
      return false;
    }
  }
  return true;
}
