// The built morvane.auf, loaded in-process by the test host's loader: the
// table as the host reads it (raw offsets), GetFilterTable, func_init.
#include <gtest/gtest.h>

#include <cstring>

#include "misaligned_call.h"
#include "plugin.h"
#include "programs.h"
#include "table_dump.h"
#include "test_host.h"

namespace {

class LoadedPlugin : public ::testing::Test {
 protected:
  void load(const HOST_SETTINGS& settings) {
    // Static data starts fresh only when no earlier test left the file loaded.
    ASSERT_EQ(GetModuleHandleA("morvane.auf"), nullptr);
    std::string error;
    ASSERT_TRUE(start_test_host(settings, error)) << error;
    ASSERT_TRUE(load_plugin(dos_path(MORVANE_AUF), plugin, error)) << error;
  }
  void unload() {
    unload_plugin(plugin);
    stop_test_host();
  }
  void TearDown() override { unload(); }
  // The table as 35 words at their byte offsets, independent of any declaration.
  int32_t word(int offset) const {
    int32_t value;
    std::memcpy(&value, reinterpret_cast<const char*>(plugin.table) + offset, sizeof value);
    return value;
  }
  template <class T>
  T* pointer(int offset) const {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(static_cast<uint32_t>(word(offset))));
  }
  PLUGIN plugin{};
};

TEST_F(LoadedPlugin, TableHoldsEveryValueAtItsOffset) {
  load(HOST_SETTINGS{});
  EXPECT_EQ(word(0), 0x40000);  // flag: FILTER_FLAG_EX_INFORMATION only
  EXPECT_EQ(word(4), 0);        // window x, y: host default
  EXPECT_EQ(word(8), 0);
  EXPECT_EQ(cp932_to_utf8(pointer<char>(12)), "Morvane補間");
  ASSERT_EQ(word(16), 2);
  char** track_names = pointer<char*>(20);
  EXPECT_STREQ(track_names[0], "X");
  EXPECT_STREQ(track_names[1], "Y");
  const int* defaults = pointer<int>(24);
  const int* minimums = pointer<int>(28);
  const int* maximums = pointer<int>(32);
  EXPECT_EQ(defaults[0], 640);
  EXPECT_EQ(defaults[1], 480);
  EXPECT_EQ(minimums[0], 32);
  EXPECT_EQ(minimums[1], 32);
  EXPECT_EQ(maximums[0], 2048);
  EXPECT_EQ(maximums[1], 2048);
  ASSERT_EQ(word(36), 1);
  EXPECT_EQ(cp932_to_utf8(pointer<char*>(40)[0]), "縦を優先");
  EXPECT_EQ(pointer<int>(44)[0], 0);
  EXPECT_NE(word(48), 0);  // func_proc: this processor has SSE
  EXPECT_NE(word(52), 0);  // func_init
  EXPECT_NE(word(56), 0);  // func_exit
  EXPECT_EQ(word(60), 0);  // func_update
  EXPECT_NE(word(64), 0);  // func_WndProc: the size controls' window handler
  EXPECT_STREQ(pointer<char>(84), "morvane by Ulvo, ver1.4");
  for (int offset : {76, 80, 88, 92, 108, 112, 116, 120, 124, 128, 132, 136})
    EXPECT_EQ(word(offset), 0) << "member at offset " << offset;

  // What the host filled in sits where the plug-in reads it.
  EXPECT_EQ(pointer<int>(68), test_host.track.data());
  EXPECT_EQ(pointer<int>(72), test_host.check.data());
  EXPECT_EQ(pointer<void>(96), &test_host.exfunc);
  EXPECT_EQ(pointer<void>(104), plugin.module);
  EXPECT_EQ(test_host.track, (std::vector<int>{640, 480}));
  EXPECT_EQ(test_host.check, (std::vector<int>{0}));
}

TEST_F(LoadedPlugin, GetFilterTableGivesTheSameTableEveryTime) {
  load(HOST_SETTINGS{});
  FARPROC entry = GetProcAddress(plugin.module, "GetFilterTable");
  ASSERT_NE(entry, nullptr);
  const void* first = plugin.table;
  const auto again = reinterpret_cast<void*>(call_misaligned(as_code(entry), STACK_SKEW::by12));
  EXPECT_EQ(again, first);
  EXPECT_NE(word(48), 0) << "func_proc lost on the second call";
}

// func_init takes the host's frame-size limits as the track ranges, or, when
// the host cannot give them, fails and keeps the table's ranges; the
// defaults stay either way, and only a success updates the window.
TEST_F(LoadedPlugin, InitTakesTheHostLimitsAsRangesOrFailsKeepingThem) {
  const struct {
    bool sys_info_fails;
    int answer;
    int minimum[2], maximum[2];
    int window_updates;
  } cases[] = {
      {false, 1, {16, 24}, {4096, 3072}, 1},
      {true, 0, {32, 32}, {2048, 2048}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sys_info_fails ? "without system information" : "with the host's limits");
    HOST_SETTINGS settings;
    settings.min_w = 16;
    settings.min_h = 24;
    settings.max_w = 4096;
    settings.max_h = 3072;
    settings.sys_info_fails = c.sys_info_fails;
    load(settings);
    EXPECT_EQ(call_func_init(plugin), c.answer);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(plugin.table->track_s[i], c.minimum[i]);
      EXPECT_EQ(plugin.table->track_e[i], c.maximum[i]);
    }
    EXPECT_EQ(plugin.table->track_default[0], 640);
    EXPECT_EQ(plugin.table->track_default[1], 480);
    EXPECT_EQ(test_host.window_updates, c.window_updates);
    unload();
  }
}

}  // namespace
