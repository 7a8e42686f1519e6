// The plug-in's callbacks in-process with a fake host: what process_frame
// takes from the filter and frame records and hands the host's runner, what
// init_filter asks of the host, and the table's SSE switch.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "filter.h"
#include "resize.h"
#include "test_support.h"

namespace {

struct RUNNER_CALL {
  MULTI_THREAD_FUNC worker;
  PASS_SIZES rect;
};

// A host that runs each worker on 3 thread indices, one after another, and
// records every call; it can be told to fail.
struct FAKE_HOST {
  std::vector<RUNNER_CALL> calls;
  bool fail = false;
  bool sys_info_ok = true;
  bool sys_info_was_zero = false;
  void* sys_info_editp = reinterpret_cast<void*>(1);
  std::vector<void*> window_updates;
};
FAKE_HOST fake;

BOOL __cdecl fake_exec(MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  fake.calls.push_back({worker, *static_cast<PASS_SIZES*>(param2)});
  if (fake.fail) return FALSE;
  for (int i = 0; i < 3; ++i) worker(i, 3, param1, param2);
  return TRUE;
}

BOOL __cdecl fake_sys_info(void* editp, SYS_INFO* sip) {
  const SYS_INFO zero{};
  fake.sys_info_was_zero = std::memcmp(sip, &zero, sizeof zero) == 0;
  fake.sys_info_editp = editp;
  if (!fake.sys_info_ok) return FALSE;
  sip->min_w = 8;
  sip->min_h = 9;
  sip->max_w = 1000;
  sip->max_h = 900;
  return TRUE;
}

BOOL __cdecl fake_window_update(void* fp) {
  fake.window_updates.push_back(fp);
  return FALSE;  // its answer must not matter
}

class Callbacks : public ::testing::Test {
 protected:
  void SetUp() override {
    fake = FAKE_HOST{};
    exfunc = EXFUNC{};
    exfunc.exec_multi_thread_func = fake_exec;
    exfunc.get_sys_info = fake_sys_info;
    exfunc.filter_window_update = fake_window_update;
    filter = filter_table;
    filter.track = track;
    filter.check = check;
    filter.exfunc = &exfunc;
  }
  // A 100 x 50 frame in a 160 x 90 buffer.
  std::vector<PIXEL_YC> run_frame(int target_w, int target_h, int vertical_first, BOOL& result,
                                  int& w, int& h) {
    std::vector<PIXEL_YC> buffer(160 * 90);
    const std::vector<PIXEL_YC> image = test_image(100, 50, 3);
    for (int y = 0; y < 50; ++y) std::copy_n(&image[y * 100], 100, &buffer[y * 160]);
    track[0] = target_w;
    track[1] = target_h;
    check[0] = vertical_first;
    FILTER_PROC_INFO info{};
    info.ycp_edit = buffer.data();
    info.w = 100;
    info.h = 50;
    info.max_w = 160;
    info.max_h = 90;
    result = process_frame(&filter, &info);
    w = info.w;
    h = info.h;
    std::vector<PIXEL_YC> out(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) std::copy_n(&buffer[y * 160], w, &out[y * w]);
    return out;
  }
  EXFUNC exfunc{};
  FILTER filter{};
  int track[2] = {};
  int check[1] = {};
};

void expect_rect(const RUNNER_CALL& call, MULTI_THREAD_FUNC worker, PASS_SIZES rect) {
  EXPECT_EQ(call.worker, worker);
  EXPECT_EQ(call.rect.width, rect.width);
  EXPECT_EQ(call.rect.height, rect.height);
  EXPECT_EQ(call.rect.target_width, rect.target_width);
  EXPECT_EQ(call.rect.target_height, rect.target_height);
}

TEST_F(Callbacks, FrameTakesTracksAndCheckAndRunsOnTheHostThreads) {
  BOOL result;
  int w, h;
  std::vector<PIXEL_YC> out = run_frame(40, 80, 1, result, w, h);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 80);
  ASSERT_EQ(fake.calls.size(), 2u);
  expect_rect(fake.calls[0], vertical_pass, {100, 50, 100, 80});
  expect_rect(fake.calls[1], horizontal_pass, {100, 80, 40, 80});
  EXPECT_EQ(first_difference(engine_resize(test_image(100, 50, 3), 100, 50, 40, 80, true), out, 40),
            "");

  fake.calls.clear();
  out = run_frame(40, 80, 0, result, w, h);
  ASSERT_EQ(fake.calls.size(), 2u);
  expect_rect(fake.calls[0], horizontal_pass, {100, 50, 40, 50});
  expect_rect(fake.calls[1], vertical_pass, {40, 50, 40, 80});
  EXPECT_EQ(
      first_difference(engine_resize(test_image(100, 50, 3), 100, 50, 40, 80, false), out, 40), "");

  fake.calls.clear();
  run_frame(100, 70, -5, result, w,
            h);  // any nonzero check means vertical first; only the height changes
  ASSERT_EQ(fake.calls.size(), 1u);
  expect_rect(fake.calls[0], vertical_pass, {100, 50, 100, 70});
}

TEST_F(Callbacks, FrameRunsOnTheCallingThreadWithoutTheHostRunner) {
  exfunc.exec_multi_thread_func = nullptr;
  BOOL result;
  int w, h;
  const std::vector<PIXEL_YC> out = run_frame(130, 33, 0, result, w, h);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(
      first_difference(engine_resize(test_image(100, 50, 3), 100, 50, 130, 33, false), out, 130),
      "");
  filter.exfunc = nullptr;
  run_frame(77, 20, 1, result, w, h);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(w, 77);
  EXPECT_EQ(h, 20);
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Callbacks, FailedRunnerEndsTheFrameWithTheSizeSoFar) {
  fake.fail = true;
  BOOL result;
  int w, h;
  run_frame(40, 80, 0, result, w, h);
  EXPECT_EQ(result, FALSE);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 50);
  EXPECT_EQ(fake.calls.size(), 1u);

  filter.track = nullptr;  // a record without track values is refused
  fake = FAKE_HOST{};
  FILTER_PROC_INFO info{};
  EXPECT_EQ(process_frame(&filter, &info), FALSE);
  EXPECT_TRUE(fake.calls.empty());
}

TEST_F(Callbacks, InitAsksForZeroedSystemInformationAndUpdatesTheWindow) {
  const int saved_s[2] = {filter_table.track_s[0], filter_table.track_s[1]};
  const int saved_e[2] = {filter_table.track_e[0], filter_table.track_e[1]};

  fake.sys_info_ok = false;
  EXPECT_EQ(init_filter(&filter), FALSE);
  EXPECT_EQ(filter_table.track_s[0], saved_s[0]);
  EXPECT_EQ(filter_table.track_e[1], saved_e[1]);
  EXPECT_TRUE(fake.window_updates.empty());

  fake.sys_info_ok = true;
  EXPECT_EQ(init_filter(&filter), TRUE);
  EXPECT_TRUE(fake.sys_info_was_zero);
  EXPECT_EQ(fake.sys_info_editp, nullptr);
  EXPECT_EQ(filter_table.track_s[0], 8);
  EXPECT_EQ(filter_table.track_s[1], 9);
  EXPECT_EQ(filter_table.track_e[0], 1000);
  EXPECT_EQ(filter_table.track_e[1], 900);
  ASSERT_EQ(fake.window_updates.size(), 1u);
  EXPECT_EQ(fake.window_updates[0], &filter);

  for (int i = 0; i < 2; ++i) {
    filter_table.track_s[i] = saved_s[i];
    filter_table.track_e[i] = saved_e[i];
  }
}

HMODULE no_module(const char*) { return nullptr; }
FARPROC no_function(HMODULE, const char*) { return nullptr; }
bool cpuid_without_sse() { return false; }
DWORD probe_not_reached() { return 0; }

TEST(FilterTable, WithholdsFrameProcessingWithoutSse) {
  const SSE_LOOKUPS without_sse = {no_module, no_function, cpuid_without_sse, probe_not_reached};
  FILTER* first = prepare_filter_table(without_sse);
  EXPECT_EQ(first, &filter_table);
  EXPECT_EQ(first->func_proc, nullptr);
  EXPECT_EQ(prepare_filter_table(without_sse), first);
  EXPECT_EQ(first->func_proc, nullptr);
  EXPECT_NE(first->func_init, nullptr) << "the filter stays registered";
  EXPECT_EQ(prepare_filter_table(system_sse_lookups), first);
  EXPECT_NE(first->func_proc, nullptr);
}

}  // namespace
