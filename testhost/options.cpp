#include "options.h"

#include <cerrno>
#include <cstdint>
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

// What the options read so far have made: the options, and the latest
// frame (or the settings before the first).
struct PARSING {
  TESTHOST_OPTIONS& options;
  std::string& error;
  std::string option;  // the option being read
  FRAME_JOB current;
  bool have_frame = false;
};

bool bad(PARSING& p, const char* text, const std::string& what) {
  p.error = p.option + " " + text + ": expected " + what;
  return false;
}

bool read_seconds(PARSING& p, const char* text, double& seconds) {
  char* end = nullptr;
  seconds = std::strtod(text, &end);
  if (end == text || *end != '\0' || !(seconds > 0))
    return bad(p, text, "a number of seconds above 0");
  return true;
}

bool read_seed(PARSING& p, const char* text, uint64_t& seed) {
  char* end = nullptr;
  seed = std::strtoull(text, &end, 10);
  if (end == text || *end != '\0') return bad(p, text, "a whole number");
  return true;
}

// One option: its name, whether a value follows it, and what it does with
// that value (a null text for a flag); false, with the error set, for a bad
// value.
struct OPTION_RULE {
  const char* name;
  bool takes_value;
  bool (*apply)(PARSING& p, const char* text);
};

const OPTION_RULE option_rules[] = {
    // host options
    {"--threads", true,
     [](PARSING& p, const char* text) {
       int& threads = p.options.host.threads;
       if (!parse_int(text, threads) || threads < 0 || threads > max_host_threads)
         return bad(p, text, "a thread count from 0 to 32");
       return true;
     }},
    {"--min-size", true,
     [](PARSING& p, const char* text) {
       return parse_size(text, p.options.host.min_w, p.options.host.min_h) || bad(p, text, "WxH");
     }},
    {"--max-size", true,
     [](PARSING& p, const char* text) {
       return parse_size(text, p.options.host.max_w, p.options.host.max_h) || bad(p, text, "WxH");
     }},
    {"--sys-info-fails", false,
     [](PARSING& p, const char*) { return p.options.host.sys_info_fails = true; }},
    {"--ini", true,
     [](PARSING& p, const char* text) {
       p.options.host.ini_path = text;
       return true;
     }},
    {"--dump-table", false, [](PARSING& p, const char*) { return p.options.dump_table = true; }},
    // frame options
    {"--frame", true,
     [](PARSING& p, const char* text) {
       if (p.have_frame) p.options.frames.push_back(p.current);
       p.have_frame = true;
       p.current.input = text;
       p.current.output.clear();
       p.current.func_exit_after = false;
       return true;
     }},
    {"--frame-size", true,
     [](PARSING& p, const char* text) {
       return parse_buffer_size(text, p.current.frame_w, p.current.frame_h) ||
              bad(p, text, buffer_size_rule);
     }},
    {"--buffer", true,
     [](PARSING& p, const char* text) {
       return parse_buffer_size(text, p.current.buffer_w, p.current.buffer_h) ||
              bad(p, text, buffer_size_rule);
     }},
    {"--track", true,
     [](PARSING& p, const char* text) {
       if (!parse_pair(text, ',', p.current.track_w, p.current.track_h)) return bad(p, text, "W,H");
       return p.current.set_track = true;
     }},
    {"--check", true,
     [](PARSING& p, const char* text) {
       if (!parse_int(text, p.current.check)) return bad(p, text, "an integer");
       return p.current.set_check = true;
     }},
    {"--out", true,
     [](PARSING& p, const char* text) {
       p.current.output = text;
       return true;
     }},
    {"--repeat", true,
     [](PARSING& p, const char* text) {
       if (!parse_int(text, p.current.repeat) || p.current.repeat < 1)
         return bad(p, text, "a count of at least 1");
       return true;
     }},
    {"--func-exit", false,
     [](PARSING& p, const char*) { return p.current.func_exit_after = true; }},
    // the filter window
    {"--window", false,
     [](PARSING& p, const char*) {
       return p.options.window.wanted = p.options.window.interactive = true;
     }},
    {"--do", true,
     [](PARSING& p, const char* text) {
       if (!parse_action_list(text, p.options.window.actions, p.error)) {
         p.error = "--do: " + p.error;
         return false;
       }
       return p.options.window.wanted = true;
     }},
    {"--script", true,
     [](PARSING& p, const char* text) {
       if (!read_action_file(text, p.options.window.actions, p.error)) return false;
       return p.options.window.wanted = true;
     }},
    {"--screenshot", true,
     [](PARSING& p, const char* text) {
       WINDOW_ACTION shot;
       if (!parse_action(std::string("shot ") + text, shot, p.error)) {
         p.error = "--screenshot " + std::string(text) + ": screenshots are saved as .bmp";
         return false;
       }
       p.options.window.screenshot = shot.text;
       return p.options.window.wanted = true;
     }},
    // the soak
    {"--soak", true,
     [](PARSING& p, const char* text) { return read_seconds(p, text, p.options.soak.seconds); }},
    {"--seed", true,
     [](PARSING& p, const char* text) { return read_seed(p, text, p.options.soak.seed); }},
    {"--soak-log", true,
     [](PARSING& p, const char* text) {
       p.options.soak.log = text;
       return true;
     }},
    {"--check-caption", true,
     [](PARSING& p, const char* text) {
       p.options.window.setup.check_caption = text;
       return p.options.window.setup.rename_checks = true;
     }},
};

const OPTION_RULE* find_rule(const std::string& option) {
  for (const OPTION_RULE& rule : option_rules)
    if (option == rule.name) return &rule;
  return nullptr;
}

// What holds only among the options together.
bool check_together(const TESTHOST_OPTIONS& options, std::string& error) {
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

}  // namespace

bool parse_options(int argc, char** argv, TESTHOST_OPTIONS& options, std::string& error) {
  options = TESTHOST_OPTIONS{};
  options.host.threads = processor_count();
  PARSING p{options, error, {}, FRAME_JOB{}, false};
  for (int i = 1; i < argc; ++i) {
    p.option = argv[i];
    if (const OPTION_RULE* rule = find_rule(p.option)) {
      const char* text = nullptr;
      if (rule->takes_value) {
        if (i + 1 >= argc) {
          error = p.option + " needs a value";
          return false;
        }
        text = argv[++i];
      }
      if (!rule->apply(p, text)) return false;
    } else if (p.option.size() > 1 && p.option[0] == '-') {
      error = "unknown option " + p.option;
      return false;
    } else if (options.plugin.empty()) {
      options.plugin = p.option;
    } else {
      error = "unexpected argument " + p.option;
      return false;
    }
  }
  if (p.have_frame) options.frames.push_back(p.current);
  return check_together(options, error);
}
