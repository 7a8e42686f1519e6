// Whole sessions with the real morvane.auf in testhost.exe's filter window,
// driven by scripts of actions as a person would do them, read back from the
// state the test host prints. Needs a display (Xvfb under ctest).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "images.h"
#include "programs.h"

namespace {

struct CHILD {
  std::string window_class, text;
  int x = 0, y = 0, w = 0, h = 0;
};

// One "state:" block of the test host's log.
struct STATE {
  bool open = false;
  int init_result = -2;
  std::vector<int> tracks, sliders;
  std::vector<std::pair<int, int>> slider_ranges;
  std::vector<std::string> fields;
  bool has_list = false;
  std::vector<std::string> entries;
  std::vector<long> packed;
  int selected = -2;
  std::string edit;
  std::map<int, CHILD> children;  // by control id
  int processed = -1, passed = -1;
  long memory = -1;
  std::string settings;
};

std::string after(const std::string& line, const std::string& prefix) {
  return line.compare(0, prefix.size(), prefix) == 0 ? line.substr(prefix.size()) : std::string();
}

// The text between the first pair of double quotes after `from`.
std::string quoted_text(const std::string& line, size_t from = 0) {
  const size_t open = line.find('"', from);
  const size_t close = open == std::string::npos ? open : line.find('"', open + 1);
  return close == std::string::npos ? std::string() : line.substr(open + 1, close - open - 1);
}

std::vector<STATE> states_of(const std::string& log) {
  std::vector<STATE> states;
  std::istringstream lines(log);
  std::string line;
  bool inside = false;
  while (std::getline(lines, line)) {
    if (line == "state:") {
      states.emplace_back();
      inside = true;
      continue;
    }
    if (!inside || line.compare(0, 2, "  ") != 0) {
      inside = false;
      continue;
    }
    STATE& s = states.back();
    std::string rest;
    int a = 0, b = 0, c = 0, d = 0, id = 0;
    long value = 0;
    if (!(rest = after(line, "  window: open")).empty()) {
      s.open = true;
      std::sscanf(rest.c_str(), ", client %dx%d, WM_FILTER_INIT returned %d", &a, &b,
                  &s.init_result);
    } else if (!(rest = after(line, "  track ")).empty()) {
      const size_t colon = rest.find(": ");
      std::sscanf(rest.c_str() + colon + 2, "%d", &a);
      s.tracks.push_back(a);
      const size_t slider = rest.find("; slider ");
      if (slider != std::string::npos &&
          std::sscanf(rest.c_str() + slider, "; slider %d in %d..%d", &b, &c, &d) == 3) {
        s.sliders.push_back(b);
        s.slider_ranges.emplace_back(c, d);
        s.fields.push_back(quoted_text(rest, slider));
      }
    } else if (!(rest = after(line, "  list: ")).empty()) {
      s.has_list = rest != "none";
      std::sscanf(rest.c_str(), "%d entries, selected %d", &a, &s.selected);
    } else if (!(rest = after(line, "  entry ")).empty()) {
      const size_t colon = rest.find(": "), equals = rest.rfind(" = ");
      s.entries.push_back(rest.substr(colon + 2, equals - colon - 2));
      std::sscanf(rest.c_str() + equals, " = %ld", &value);
      s.packed.push_back(value);
    } else if (!(rest = after(line, "  edit: ")).empty()) {
      s.edit = quoted_text(rest);
    } else if (!(rest = after(line, "  child ")).empty()) {
      CHILD child;
      child.window_class = rest.substr(0, rest.find(' '));
      child.text = quoted_text(rest);
      const size_t at = rest.rfind(" id ");
      if (std::sscanf(rest.c_str() + at, " id %d: (%d, %d) %dx%d", &id, &a, &b, &c, &d) == 5) {
        child.x = a, child.y = b, child.w = c, child.h = d;
        s.children[id] = child;
      }
    } else if (!(rest = after(line, "  frames processed: ")).empty()) {
      std::sscanf(rest.c_str(), "%d, passed unprocessed: %d", &s.processed, &s.passed);
    } else if (!(rest = after(line, "  work memory: ")).empty()) {
      std::sscanf(rest.c_str(), "%ld", &s.memory);
    } else if (!(rest = after(line, "  settings ")).empty()) {
      s.settings = rest.substr(rest.find("]: ") + 3);
    }
  }
  return states;
}

constexpr int set_button_id = 1202;
constexpr int check_box_id = 0x400;  // the test host's first check box
constexpr int combo_id = 0;
const char section_utf8[] = "Morvane補間";

class WindowSession : public ::testing::Test {
 protected:
  void SetUp() override {
    char full[MAX_PATH];
    GetFullPathNameA(ini_name, sizeof full, full, nullptr);
    ini = full;
    DeleteFileA(ini.c_str());
  }
  void TearDown() override { DeleteFileA(ini.c_str()); }

  // testhost.exe with the settings file, `options` and the actions; the log
  // goes to `log`, its states to `states`.
  int run(const std::string& options, const std::string& actions) {
    const std::string command = '"' + dos_path(TESTHOST_EXE) + "\" \"" + dos_path(MORVANE_AUF) +
                                "\" --threads 2 --ini \"" + ini + "\" " + options + " --do \"" +
                                actions + '"';
    const int code = run_program(command, log);
    states = states_of(log);
    return code;
  }

  const char* ini_name = "window_session.ini";
  std::string ini;
  std::string log;
  std::vector<STATE> states;
};

TEST_F(WindowSession, EnterSetsBothTracksAndTheListComesBackInTheNextRun) {
  ASSERT_EQ(run("", "open; state; type 1920x1080; state; enter; state; close"), 0) << log;
  ASSERT_EQ(states.size(), 3u) << log;
  const STATE opened = states[0];  // copies: the next run replaces `states`
  const STATE typed = states[1];
  const STATE entered = states[2];

  // Empty settings: one entry, 640x480, selected; the tracks at their defaults.
  EXPECT_EQ(opened.init_result, 1);
  EXPECT_EQ(opened.entries, (std::vector<std::string>{"640x480"}));
  EXPECT_EQ(opened.selected, 0);
  EXPECT_EQ(opened.tracks, (std::vector<int>{640, 480}));
  EXPECT_EQ(opened.sliders, (std::vector<int>{640, 480}));

  // Typing changes only the field; the selection goes with the old text.
  EXPECT_EQ(typed.edit, "1920x1080");
  EXPECT_EQ(typed.selected, -1);
  EXPECT_EQ(typed.tracks, opened.tracks);
  EXPECT_EQ(typed.processed, opened.processed);

  // Enter: both tracks, the window's sliders and fields, one more frame.
  EXPECT_EQ(entered.tracks, (std::vector<int>{1920, 1080}));
  EXPECT_EQ(entered.sliders, (std::vector<int>{1920, 1080}));
  EXPECT_EQ(entered.fields, (std::vector<std::string>{"1920", "1080"}));
  EXPECT_EQ(entered.processed, opened.processed + 1);
  EXPECT_EQ(entered.entries, (std::vector<std::string>{"640x480", "1920x1080"}));
  EXPECT_EQ(entered.packed, (std::vector<long>{31457920, 70780800}));
  EXPECT_EQ(entered.selected, 1);
  EXPECT_EQ(entered.settings, "none") << "saved before the window closed";

  const std::string saved = std::string("closed: WM_FILTER_EXIT returned 1\n  settings [") +
                            section_utf8 + "]: size_00=31457920, size_01=-70780800\n";
  EXPECT_NE(log.find(saved), std::string::npos) << log;

  // A later run of the host: the same list, the same entry selected.
  ASSERT_EQ(run("", "open; state"), 0) << log;
  ASSERT_EQ(states.size(), 2u) << log;  // the one asked for and the one before closing
  EXPECT_EQ(states[0].entries, entered.entries);
  EXPECT_EQ(states[0].packed, entered.packed);
  EXPECT_EQ(states[0].selected, 1);
  EXPECT_EQ(states[0].edit, "1920x1080");
  EXPECT_EQ(states[0].tracks, (std::vector<int>{640, 480})) << "tracks are not part of the list";
}

TEST_F(WindowSession, SetButtonClampsToTheHostsRangesAndIgnoresWhatIsNoSize) {
  ASSERT_EQ(run("--min-size 64x64 --max-size 1920x1080",
                "type 4000x3000; click; state; type 40x40; enter; state; type 1280X720; state; "
                "enter; state;"
                "paste -640X480; state; click; state; pick 1; state; click; state"),
            0)
      << log;
  ASSERT_EQ(states.size(), 9u) << log;  // eight asked for, one before closing
  const STATE& big = states[0];
  EXPECT_EQ(big.tracks, (std::vector<int>{1920, 1080}));
  EXPECT_EQ(big.sliders, (std::vector<int>{1920, 1080}));
  EXPECT_EQ(big.slider_ranges, (std::vector<std::pair<int, int>>{{64, 1920}, {64, 1080}}))
      << "the sliders show the ranges func_init took from the host";
  EXPECT_EQ(big.entries.back(), "4000x3000") << "the list keeps the size as typed";

  const STATE& small = states[1];
  EXPECT_EQ(small.tracks, (std::vector<int>{64, 64}));
  EXPECT_EQ(small.processed, big.processed + 1);

  // An uppercase X is refused as it is typed; what is left is one number,
  // which Enter does not apply.
  EXPECT_EQ(states[2].edit, "1280720");
  EXPECT_EQ(states[3].edit, "1280720");
  EXPECT_EQ(states[3].tracks, small.tracks);
  EXPECT_EQ(states[3].processed, small.processed);

  // Pasted text is not filtered, but cleaned when the button reads it; the
  // size found in the list is selected rather than added again.
  EXPECT_EQ(states[4].edit, "-640X480");
  const STATE& pasted = states[5];
  EXPECT_EQ(pasted.edit, "640x480");
  EXPECT_EQ(pasted.entries, (std::vector<std::string>{"640x480", "4000x3000", "40x40"}));
  EXPECT_EQ(pasted.selected, 0);
  EXPECT_EQ(pasted.tracks, (std::vector<int>{640, 480}));

  // Choosing from the list applies nothing until the button is clicked.
  EXPECT_EQ(states[6].selected, 1);
  EXPECT_EQ(states[6].tracks, pasted.tracks);
  EXPECT_EQ(states[6].processed, pasted.processed);
  EXPECT_EQ(states[7].tracks, (std::vector<int>{1920, 1080}));
  EXPECT_EQ(states[7].processed, pasted.processed + 1);
}

TEST_F(WindowSession, PastedSizesAreReadWholeAndSavedAsPasted) {
  ASSERT_EQ(run("", "paste 1920 x 1080; enter; state; paste 10000x10000; enter; state; close"), 0)
      << log;
  ASSERT_EQ(states.size(), 2u) << log;
  EXPECT_EQ(states[0].tracks, (std::vector<int>{1920, 1080}));
  EXPECT_EQ(states[1].tracks, (std::vector<int>{4096, 4096})) << "9999x9999 in the ranges";
  EXPECT_EQ(states[1].entries, (std::vector<std::string>{"640x480", "1920x1080", "9999x9999"}));
  const std::string saved = std::string("settings [") + section_utf8 +
                            "]: size_00=31457920, size_01=70780800, size_02=-655304463\n";
  EXPECT_NE(log.find(saved), std::string::npos) << log;
}

TEST_F(WindowSession, SwitchingOffReleasesTheWorkMemoryAndOnLeavesItToTheNextFrame) {
  ASSERT_EQ(run("", "open; frame; state; off; state; frame; state; on; state; frame; state"), 0)
      << log;
  ASSERT_EQ(states.size(), 6u) << log;
  EXPECT_GT(states[0].memory, 0) << "a processed frame holds work memory";
  EXPECT_EQ(states[1].memory, 0) << "switching off releases it";
  EXPECT_EQ(states[1].processed, states[0].processed);
  EXPECT_EQ(states[2].memory, 0) << "a frame while off is not processed";
  EXPECT_EQ(states[2].processed, states[0].processed);
  EXPECT_EQ(states[2].passed, states[0].passed + 1);
  EXPECT_EQ(states[3].memory, 0) << "switching on allocates nothing";
  EXPECT_GT(states[4].memory, 0) << "the next frame allocates again";
  EXPECT_EQ(states[4].processed, states[0].processed + 1);
  EXPECT_NE(log.find("func_exit returned 1\nwork memory after func_exit: 0 bytes in 0 blocks\n"),
            std::string::npos)
      << log;
}

TEST_F(WindowSession, ExitAfterAnInitThatFoundNoCheckBoxSavesNothing) {
  ASSERT_TRUE(
      WritePrivateProfileStringA("Morvane\x95\xE2\x8A\xD4", "size_00", "47187200", ini.c_str()));
  ASSERT_EQ(run("--check-caption other", "open; state; close"), 0) << log;
  ASSERT_EQ(states.size(), 1u) << log;
  EXPECT_EQ(states[0].init_result, 0);
  EXPECT_FALSE(states[0].has_list);
  EXPECT_EQ(states[0].children.count(set_button_id), 0u);
  EXPECT_EQ(states[0].children[check_box_id].w, 400 - 2 * 6)
      << "the check box keeps the host's width";
  EXPECT_EQ(states[0].processed, 0) << "a failed init asks for no redraw";
  const std::string unchanged = std::string("closed: WM_FILTER_EXIT returned 1\n  settings [") +
                                section_utf8 + "]: size_00=47187200\n";
  EXPECT_NE(log.find(unchanged), std::string::npos) << log;

  // Without a size field the host says so and stops.
  EXPECT_EQ(run("--check-caption other", "type 640x480"), 2) << log;
  EXPECT_NE(log.find("the filter window has no size field"), std::string::npos) << log;
}

TEST_F(WindowSession, FrameRunsInTheWindowAndIsAnErrorWhereItCannot) {
  // Before the window opens, "frame" opens it as the other window actions do,
  // and processes the frame each time.
  ASSERT_EQ(run("", "frame; frame; state"), 0) << log;
  ASSERT_FALSE(states.empty()) << log;
  EXPECT_TRUE(states[0].open) << log;
  EXPECT_EQ(states[0].processed, 3) << "the one WM_FILTER_INIT asks for, then two";

  // After the window has closed there is no current frame to process.
  EXPECT_EQ(run("", "open; close; frame; state"), 2) << log;
  EXPECT_NE(log.find("action 3 (frame): the filter window is closed"), std::string::npos) << log;

  // A frame the host cannot run (its buffer, as large as the track asks,
  // past 1 GiB) fails the action instead of passing as processed.
  ASSERT_TRUE(write_image_file("window_card.yc48", test_image(8, 8, 3)));
  EXPECT_EQ(run("--frame window_card.yc48 --frame-size 8x8 --track 20000,20000", "open; frame"), 2)
      << log;
  EXPECT_NE(log.find("action 2 (frame): the frame could not be processed: buffer 20000x20000"),
            std::string::npos)
      << log;
  DeleteFileA("window_card.yc48");
}

TEST_F(WindowSession, SizeControlsShareTheBottomRowWithTheNarrowedCheckBox) {
  ASSERT_EQ(run("", "size 401x90; open; state"), 0) << log;
  ASSERT_FALSE(states.empty()) << log;
  const std::map<int, CHILD>& c = states[0].children;
  ASSERT_EQ(c.count(check_box_id) + c.count(set_button_id) + c.count(combo_id), 3u) << log;
  const CHILD& check = c.at(check_box_id);
  const CHILD& button = c.at(set_button_id);
  const CHILD& combo = c.at(combo_id);
  EXPECT_EQ(check.window_class, "Button");
  EXPECT_EQ(check.text, "縦を優先");
  EXPECT_EQ(check.w, 200) << "half of an odd client width, rounded down";
  EXPECT_EQ(button.text, "set->");
  EXPECT_EQ(button.x, check.x + 200 + 8);
  EXPECT_EQ(button.w, 44);
  EXPECT_EQ(combo.window_class, "ComboBox");
  EXPECT_EQ(combo.x, button.x + 48);
  EXPECT_EQ(combo.x + combo.w, 401 - 2);
  EXPECT_EQ(combo.y + combo.h, 90 - 1);
  EXPECT_EQ(button.y, combo.y + 1);
  EXPECT_EQ(button.y + button.h, 90 - 2);
}

// A 24-bit BMP as written by the test host: its size and its distinct colours.
bool read_bitmap(const std::string& path, int& w, int& h, std::set<uint32_t>& colours) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  BITMAPFILEHEADER header{};
  BITMAPINFOHEADER info{};
  bool ok = std::fread(&header, sizeof header, 1, file) == 1 &&
            std::fread(&info, sizeof info, 1, file) == 1 && header.bfType == 0x4D42 &&
            info.biBitCount == 24;
  w = info.biWidth;
  h = info.biHeight;
  const size_t pitch = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
  std::vector<uint8_t> rows(ok ? pitch * h : 0);
  ok = ok && std::fread(rows.data(), 1, rows.size(), file) == rows.size();
  std::fclose(file);
  for (int y = 0; ok && y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &rows[y * pitch + x * 3];
      colours.insert(p[0] | p[1] << 8 | p[2] << 16);
    }
  return ok;
}

TEST_F(WindowSession, ScreenshotSavesTheClientAreaAsDrawn) {
  DeleteFileA("window_session.bmp");
  ASSERT_EQ(run("--screenshot window_session.bmp", "type 1920x1080; enter"), 0) << log;
  int w = 0, h = 0;
  std::set<uint32_t> colours;
  ASSERT_TRUE(read_bitmap("window_session.bmp", w, h, colours)) << log;
  EXPECT_EQ(w, 400);
  EXPECT_EQ(h, 90);
  EXPECT_GT(colours.size(), 4u) << "the controls are drawn, not only the background";
  DeleteFileA("window_session.bmp");

  EXPECT_EQ(run("--screenshot window_session.png", "open"), 2) << log;
  EXPECT_EQ(GetFileAttributesA("window_session.png"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
