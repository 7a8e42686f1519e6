// The test host's own parts: the worker threads, the settings file, the
// command line and the actions of a scripted window session.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <set>

#include "options.h"
#include "test_host.h"
#include "window_actions.h"

namespace {

// Every worker of one run waits until all of them are inside at once.
struct RENDEZVOUS {
  std::atomic<int> inside{0};
  std::atomic<int> concurrent{0};
  int count = 0;
  std::atomic<uint32_t> seen{0};
  std::atomic<int> wrong_count{0};
};

void __cdecl meet(int thread_id, int thread_num, void* param1, void*) {
  auto* r = static_cast<RENDEZVOUS*>(param1);
  if (thread_num != r->count) ++r->wrong_count;
  r->seen.fetch_or(1u << thread_id);
  ++r->inside;
  const DWORD until = GetTickCount() + 5000;
  while (r->inside.load() < r->count && GetTickCount() < until) Sleep(0);
  if (r->inside.load() == r->count) ++r->concurrent;
}

TEST(HostThreads, RunEveryIndexOnceAllAtTheSameTime) {
  for (int count : {1, 4, 24, 32}) {
    HOST_THREADS* threads = start_host_threads(count);
    ASSERT_NE(threads, nullptr);
    for (int run = 0; run < 3; ++run) {
      RENDEZVOUS r;
      r.count = count;
      EXPECT_TRUE(run_on_host_threads(threads, meet, &r, nullptr));
      EXPECT_EQ(r.seen.load(), count == 32 ? 0xFFFFFFFFu : (1u << count) - 1)
          << count << " threads";
      EXPECT_EQ(r.concurrent.load(), count) << "workers did not overlap";
      EXPECT_EQ(r.wrong_count.load(), 0);
    }
    stop_host_threads(threads);
  }
  EXPECT_EQ(start_host_threads(0), nullptr);
  EXPECT_EQ(start_host_threads(33), nullptr);
}

TEST(HostServices, SettingsFileKeepsValuesInTheFiltersSection) {
  const char* path = "testhost_test.ini";
  DeleteFileA(path);
  HOST_SETTINGS settings;
  settings.threads = 0;
  settings.ini_path = path;
  std::string error;
  ASSERT_TRUE(start_test_host(settings, error)) << error;
  EXPECT_EQ(test_host.exfunc.named.exec_multi_thread_func, nullptr);
  int defaults[2] = {640, 480};
  int no_check[1] = {0};
  static char name[] = "Filter A";
  FILTER filter{};
  filter.name = name;
  filter.track_n = 2;
  filter.track_default = defaults;
  filter.check_n = 1;
  filter.check_default = no_check;
  attach_filter(&filter, nullptr);

  EXFUNC& ex = *filter.exfunc;
  char key[] = "size_00", other[] = "size_01";
  EXPECT_EQ(ex.ini_load_int(&filter, key, -7), -7);
  EXPECT_TRUE(ex.ini_save_int(&filter, key, -1280));
  EXPECT_TRUE(ex.ini_save_int(&filter, other, 47187200));
  EXPECT_EQ(ex.ini_load_int(&filter, key, 0), -1280);
  EXPECT_EQ(ex.ini_load_int(&filter, other, 0), 47187200);
  EXPECT_EQ(GetPrivateProfileIntA("Filter A", "size_01", 0, test_host.ini_path.c_str()), 47187200u);
  stop_test_host();

  // A later run of the host reads what the earlier one saved.
  ASSERT_TRUE(start_test_host(settings, error)) << error;
  attach_filter(&filter, nullptr);
  EXPECT_EQ(filter.exfunc->ini_load_int(&filter, key, 0), -1280);
  stop_test_host();
  DeleteFileA(path);
}

bool parse(std::vector<const char*> args, TESTHOST_OPTIONS& options, std::string& error) {
  args.insert(args.begin(), "testhost");
  return parse_options(static_cast<int>(args.size()), const_cast<char**>(args.data()), options,
                       error);
}

TEST(CommandLine, FramesKeepEarlierSettingsButNotTheirOutput) {
  TESTHOST_OPTIONS o;
  std::string error;
  ASSERT_TRUE(parse({"p.auf",    "--check",  "1",         "--threads",
                     "0",        "--frame",  "a",         "--frame-size",
                     "640x480",  "--buffer", "1920x1080", "--track",
                     "1280,720", "--out",    "a.out",     "--func-exit",
                     "--frame",  "b",        "--track",   "-3,9",
                     "--repeat", "5"},
                    o, error))
      << error;
  EXPECT_EQ(o.plugin, "p.auf");
  EXPECT_EQ(o.host.threads, 0);
  ASSERT_EQ(o.frames.size(), 2u);
  const FRAME_JOB& a = o.frames[0];
  const FRAME_JOB& b = o.frames[1];
  EXPECT_EQ(a.input, "a");
  EXPECT_TRUE(a.set_check);
  EXPECT_EQ(a.check, 1);
  EXPECT_EQ(a.buffer_w, 1920);
  EXPECT_EQ(a.track_h, 720);
  EXPECT_EQ(a.output, "a.out");
  EXPECT_TRUE(a.func_exit_after);
  EXPECT_EQ(b.input, "b");
  EXPECT_EQ(b.frame_w, 640);
  EXPECT_EQ(b.buffer_h, 1080);
  EXPECT_EQ(b.check, 1);
  EXPECT_EQ(b.track_w, -3);
  EXPECT_EQ(b.repeat, 5);
  EXPECT_EQ(b.output, "");
  EXPECT_FALSE(b.func_exit_after);
}

TEST(CommandLine, RefusesWhatItCannotUse) {
  TESTHOST_OPTIONS o;
  std::string error;
  const std::vector<std::vector<const char*>> bad = {
      {},
      {"p.auf", "--threads", "33"},
      {"p.auf", "--threads", "-1"},
      {"p.auf", "--threads"},
      {"p.auf", "--frame", "a"},  // no size
      {"p.auf", "--frame", "a", "--frame-size", "640"},
      {"p.auf", "--frame", "a", "--frame-size", "0x480"},
      // Frames and buffers past the host's 1 GiB, whose 32-bit byte or pixel
      // counts wrap, or whose 64-bit byte count does (6 w h = 2^64 + 11936).
      {"p.auf", "--frame", "a", "--frame-size", "65537x65536"},
      {"p.auf", "--frame", "a", "--frame-size", "20000x20000"},
      {"p.auf", "--frame", "a", "--frame-size", "2147380029x1431724848"},
      {"p.auf", "--frame", "a", "--frame-size", "64x64", "--buffer", "2147380029x1431724848"},
      {"p.auf", "--frame", "a", "--frame-size", "64x64", "--buffer", "13378x13377"},
      {"p.auf", "--frame", "a", "--frame-size", "640x480", "--track", "12"},
      {"p.auf", "--frame", "a", "--frame-size", "640x480", "--repeat", "0"},
      {"p.auf", "--max-size", "99999999999x2"},
      {"p.auf", "--bogus"},
      {"p.auf", "q.auf"},
      {"p.auf", "--screenshot", "window.png"},
      {"p.auf", "--do", "type 1x2; bogus"},
      {"p.auf", "--script", "no_such_script.txt"},
      {"p.auf", "--window", "--frame", "a", "--frame-size", "4x4", "--frame", "b"},
  };
  for (const auto& args : bad) {
    error.clear();
    EXPECT_FALSE(parse(args, o, error)) << (args.empty() ? "(nothing)" : args.back());
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace

namespace {

TEST(WindowActions, ReadAsWrittenWithQuotesKeepingSpacesAndSemicolons) {
  std::vector<WINDOW_ACTION> actions;
  std::string error;
  ASSERT_TRUE(parse_action_list(
      "size 401x90;type 640 by 480 ; paste \" 1x2; 3 \";enter;;pick 7; shot A.BMP;close", actions,
      error))
      << error;
  ASSERT_EQ(actions.size(), 7u);
  EXPECT_EQ(actions[0].kind, ACTION_KIND::size);
  EXPECT_EQ(actions[0].a, 401);
  EXPECT_EQ(actions[0].b, 90);
  EXPECT_EQ(actions[1].kind, ACTION_KIND::type);
  EXPECT_EQ(actions[1].text, "640 by 480");
  EXPECT_EQ(actions[2].kind, ACTION_KIND::paste);
  EXPECT_EQ(actions[2].text, " 1x2; 3 ");
  EXPECT_EQ(actions[3].kind, ACTION_KIND::enter);
  EXPECT_EQ(actions[4].kind, ACTION_KIND::pick);
  EXPECT_EQ(actions[4].a, 7);
  EXPECT_EQ(actions[5].text, "A.BMP");
  EXPECT_EQ(actions[6].kind, ACTION_KIND::close);
  EXPECT_EQ(actions[1].source, "type 640 by 480");

  for (const char* bad : {"size 400", "size 0x90", "pick -1", "pick", "type", "shot a.png",
                          "enter now", "bogus", "type \"open"}) {
    std::vector<WINDOW_ACTION> none;
    error.clear();
    EXPECT_FALSE(parse_action_list(bad, none, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(WindowActions, ScriptFileSkipsCommentsAndNamesTheBadLine) {
  const char* path = "window_actions_test.txt";
  FILE* file = std::fopen(path, "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("# a session\r\n\r\ntype 1x2; 3\r\n  enter\nclick\n", file);
  std::fclose(file);
  std::vector<WINDOW_ACTION> actions;
  std::string error;
  ASSERT_TRUE(read_action_file(path, actions, error)) << error;
  ASSERT_EQ(actions.size(), 3u);
  EXPECT_EQ(actions[0].text, "1x2; 3") << "a line is one action, semicolons and all";
  EXPECT_EQ(actions[1].kind, ACTION_KIND::enter);

  file = std::fopen(path, "wb");
  std::fputs("open\n# fine\nsize 12\n", file);
  std::fclose(file);
  EXPECT_FALSE(read_action_file(path, actions, error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  DeleteFileA(path);
  EXPECT_FALSE(read_action_file(path, actions, error));
}

}  // namespace
