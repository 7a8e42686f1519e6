// The plug-in's callbacks in-process with a fake host: what process_frame
// takes from the filter and frame records and hands the host's runner, what
// init_filter asks of the host, and the table's SSE switch.
#include <gtest/gtest.h>

#include <vector>

#include "fake_host.h"
#include "filter.h"
#include "images.h"
#include "passes.h"
#include "resize.h"

namespace {

struct RUNNER_CALL {
  MULTI_THREAD_FUNC worker;
  PASS_SIZES rect;
};

// The host's runner: each worker on 3 thread indices, one after another,
// every call recorded; it can be told to fail.
std::vector<RUNNER_CALL> calls;
bool runner_fails = false;

BOOL __cdecl recording_exec(MULTI_THREAD_FUNC worker, void* param1, void* param2) {
  calls.push_back({worker, *static_cast<PASS_SIZES*>(param2)});
  if (runner_fails) return FALSE;
  for (int i = 0; i < 3; ++i) worker(i, 3, param1, param2);
  return TRUE;
}

class Callbacks : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    runner_fails = false;
    start_fake_host(fake, filter_table);
    fake.exfunc.exec_multi_thread_func = recording_exec;
    fake.window_update_answer = FALSE;  // its answer must not matter
  }
  void TearDown() override { stop_fake_host(); }
  // A 100 x 50 frame in a 160 x 90 buffer.
  IMAGE run_frame(int target_w, int target_h, int vertical_first, BOOL& result) {
    std::vector<PIXEL_YC> buffer(160 * 90);
    for (int y = 0; y < 50; ++y) std::copy_n(&image.pixels[y * 100], 100, &buffer[y * 160]);
    fake.track[0] = target_w;
    fake.track[1] = target_h;
    fake.check[0] = vertical_first;
    FILTER_PROC_INFO info{};
    info.ycp_edit = buffer.data();
    info.w = 100;
    info.h = 50;
    info.max_w = 160;
    info.max_h = 90;
    result = process_frame(&fake.filter, &info);
    return copy_image(FRAME{buffer.data(), info.w, info.h, 160, 90});
  }
  const IMAGE image = test_image(100, 50, 3);
  FAKE_HOST fake;
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
  IMAGE out = run_frame(40, 80, 1, result);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(out.w, 40);
  EXPECT_EQ(out.h, 80);
  ASSERT_EQ(calls.size(), 2u);
  expect_rect(calls[0], vertical_pass, {100, 50, 100, 80});
  expect_rect(calls[1], horizontal_pass, {100, 80, 40, 80});
  EXPECT_EQ(first_difference(engine_resize(image, 40, 80, true), out), "");

  calls.clear();
  out = run_frame(40, 80, 0, result);
  ASSERT_EQ(calls.size(), 2u);
  expect_rect(calls[0], horizontal_pass, {100, 50, 40, 50});
  expect_rect(calls[1], vertical_pass, {40, 50, 40, 80});
  EXPECT_EQ(first_difference(engine_resize(image, 40, 80, false), out), "");

  calls.clear();
  run_frame(100, 70, -5,
            result);  // any nonzero check means vertical first; only the height changes
  ASSERT_EQ(calls.size(), 1u);
  expect_rect(calls[0], vertical_pass, {100, 50, 100, 70});
}

TEST_F(Callbacks, FrameRunsOnTheCallingThreadWithoutTheHostRunner) {
  fake.exfunc.exec_multi_thread_func = nullptr;
  BOOL result;
  const IMAGE out = run_frame(130, 33, 0, result);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(first_difference(engine_resize(image, 130, 33, false), out), "");
  fake.filter.exfunc = nullptr;
  const IMAGE alone = run_frame(77, 20, 1, result);
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(alone.w, 77);
  EXPECT_EQ(alone.h, 20);
  EXPECT_TRUE(calls.empty());
}

TEST_F(Callbacks, FailedRunnerEndsTheFrameWithTheSizeSoFar) {
  runner_fails = true;
  BOOL result;
  const IMAGE out = run_frame(40, 80, 0, result);
  EXPECT_EQ(result, FALSE);
  EXPECT_EQ(out.w, 100);
  EXPECT_EQ(out.h, 50);
  EXPECT_EQ(calls.size(), 1u);

  fake.filter.track = nullptr;  // a record without track values is refused
  calls.clear();
  FILTER_PROC_INFO info{};
  EXPECT_EQ(process_frame(&fake.filter, &info), FALSE);
  EXPECT_TRUE(calls.empty());
}

TEST_F(Callbacks, InitAsksForZeroedSystemInformationAndUpdatesTheWindow) {
  const int saved_s[2] = {filter_table.track_s[0], filter_table.track_s[1]};
  const int saved_e[2] = {filter_table.track_e[0], filter_table.track_e[1]};

  fake.sys_info_ok = false;
  EXPECT_EQ(init_filter(&fake.filter), FALSE);
  EXPECT_EQ(filter_table.track_s[0], saved_s[0]);
  EXPECT_EQ(filter_table.track_e[1], saved_e[1]);
  EXPECT_TRUE(fake.window_updates.empty());

  fake.sys_info_ok = true;
  EXPECT_EQ(init_filter(&fake.filter), TRUE);
  EXPECT_TRUE(fake.sys_info_was_zero);
  EXPECT_EQ(fake.sys_info_editp, nullptr);
  EXPECT_EQ(filter_table.track_s[0], 8);
  EXPECT_EQ(filter_table.track_s[1], 9);
  EXPECT_EQ(filter_table.track_e[0], 1000);
  EXPECT_EQ(filter_table.track_e[1], 900);
  ASSERT_EQ(fake.window_updates.size(), 1u);
  EXPECT_EQ(fake.window_updates[0], &fake.filter);

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
