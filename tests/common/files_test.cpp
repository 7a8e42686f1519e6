// .yc48 frames written and read back through a file renamed into place: the
// exact size only, rows at any pitch, and no partial file after a failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "pending_file.h"
#include "pixel.h"
#include "yc48_file.h"

namespace {

YC48_READ read_file(const char* path, std::vector<PIXEL_YC>& pixels, int32_t w, int32_t h) {
  pixels.assign(static_cast<size_t>(w) * h, PIXEL_YC{});
  std::FILE* file = std::fopen(path, "rb");
  EXPECT_NE(file, nullptr) << path;
  if (!file) return {0, true};
  const YC48_READ read = read_yc48(file, pixels.data(), w, h, w);
  std::fclose(file);
  return read;
}

TEST(Yc48Files, ReadOnlyTheExactSizeAndNeverLeaveAPartialFile) {
  const std::vector<PIXEL_YC> pixels = {
      {1, -2, 3}, {-4096, 2047, -2048}, {7, 8, 9}, {32767, -32768, 0}};
  const char* path = "yc48_test.yc48";
  ASSERT_TRUE(
      replace_file(path, [&](std::FILE* f) { return write_yc48(f, pixels.data(), 2, 2, 2); }));
  std::vector<PIXEL_YC> back;
  YC48_READ read = read_file(path, back, 2, 2);
  EXPECT_FALSE(read.read_error);
  ASSERT_EQ(read.length, yc48_frame_bytes(2, 2));
  EXPECT_EQ(back[1].y, -4096);
  EXPECT_EQ(back[3].cb, -32768);
  EXPECT_NE(read_file(path, back, 3, 1).length, yc48_frame_bytes(3, 1))
      << "a shorter size was accepted";
  EXPECT_NE(read_file(path, back, 5, 1).length, yc48_frame_bytes(5, 1))
      << "a longer size was accepted";

  // Rows are taken `pitch` pixels apart.
  ASSERT_TRUE(
      replace_file(path, [&](std::FILE* f) { return write_yc48(f, pixels.data(), 1, 2, 3); }));
  ASSERT_EQ(read_file(path, back, 1, 2).length, yc48_frame_bytes(1, 2));
  EXPECT_EQ(back[1].y, 32767);

  // A failed write leaves the file that was there, and no temporary file.
  EXPECT_FALSE(replace_file(path, [](std::FILE* f) {
    std::fputs("part", f);
    return false;
  }));
  EXPECT_EQ(read_file(path, back, 1, 2).length, yc48_frame_bytes(1, 2));
  EXPECT_FALSE(replace_file("no_such_dir/out.yc48", [](std::FILE*) { return true; }));
  std::filesystem::remove(path);
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_EQ(entry.path().filename().string().find("yc48_test.yc48."), std::string::npos)
        << entry.path();
}

}  // namespace
