// Memory follows the data, not the header: inputs whose headers promise far
// more than they hold cost what really arrives, long thin pictures cost the
// largest of the input, the intermediate and the output, and an input that
// never ends is looked past only once.
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstring>
#include <string>

#include "images.h"
#include "png_chunks.h"
#include "tool_process.h"

namespace {

// Well above what the tool needs for these jobs (about 10 MiB), far below
// the hundreds of MiB to GiB of a buffer sized by the largest sides. Under
// AddressSanitizer (the native-san build) the tool's memory is the
// sanitizer's (shadow memory, a quarantine of freed blocks): there only the
// native build's figures count, and the outcomes are checked alone.
constexpr long bound_kib = 48 * 1024;
#if defined(__SANITIZE_ADDRESS__)
constexpr bool memory_measured = false;
#else
constexpr bool memory_measured = true;
#endif

std::vector<uint8_t> text_bytes(const std::string& text, size_t zeros) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.resize(bytes.size() + zeros, 0x80);
  return bytes;
}

std::vector<uint8_t> ramp_bytes(size_t count) {
  std::vector<uint8_t> bytes(count);
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((i * 7) % 251);
  return bytes;
}

// Rows of `w` samples of `bytes_per_pixel`, each with PNG filter 0 before it.
std::vector<uint8_t> png_rows(int32_t w, int32_t h, int bytes_per_pixel) {
  std::vector<uint8_t> rows;
  const std::vector<uint8_t> row = ramp_bytes(static_cast<size_t>(w) * bytes_per_pixel);
  for (int32_t y = 0; y < h; ++y) {
    rows.push_back(0);
    rows.insert(rows.end(), row.begin(), row.end());
  }
  return rows;
}

struct MEMORY_CASE {
  const char* file;
  std::vector<uint8_t> bytes;
  std::vector<std::string> options;  // after --size
  const char* says;                  // "" when the job must succeed
};

void run_cases(const std::vector<MEMORY_CASE>& cases, const char* size) {
  for (const MEMORY_CASE& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + (c.options.empty() ? "" : c.options[0]));
    SCRATCH_DIR dir;
    write_bytes(dir.file(c.file), c.bytes);
    const std::string out = std::string("out") + std::strrchr(c.file, '.');
    std::vector<std::string> args = {"resize", c.file, out, "--size", size, "--threads", "2"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const TOOL_RUN run = run_tool(dir, args);
    if (*c.says) {
      EXPECT_EQ(run.status, 1);
      EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
    } else {
      EXPECT_EQ(run.status, 0) << run.errors;
    }
    if (memory_measured) {
      EXPECT_LT(run.peak_kib, bound_kib);
    }
  }
}

TEST(ToolMemory, HeadersThatPromiseMoreThanTheFileHoldsCostWhatArrives) {
  run_cases(
      {
          {"grey.png",
           png_file({png_header(65535, 65535, 8, 0)}, png_rows(65535, 1, 1)),
           {},
           "grey.png: damaged PNG file (Not enough image data)"},
          {"rgb.png",
           png_file({png_header(20000, 20000, 8, 2)}, png_rows(20000, 2, 3)),
           {},
           "rgb.png: damaged PNG file"},
          // 32 GiB of samples: when they cannot be had, the rows are read on to tell damage.
          {"rgba.png",
           png_file({png_header(65535, 65535, 16, 6)}, png_rows(65535, 1, 8)),
           {"--keep-16-bits"},
           "rgba.png: damaged PNG file"},
          {"interlaced.png",
           png_file({png_header(20000, 20000, 8, 2, true)}, png_rows(2500, 2, 3)),
           {},
           "interlaced.png: damaged PNG file"},
          // The whole first pass of seven, 18 MiB of every eighth pixel of every eighth row.
          {"interlaced.png",
           png_file({png_header(20000, 20000, 8, 2, true)}, png_rows(2500, 2500, 3)),
           {},
           "interlaced.png: damaged PNG file"},
          {"in.y4m",
           text_bytes("YUV4MPEG2 W20000 H20000 C420jpeg\nFRAME\n", 100000),
           {},
           "in.y4m: truncated stream: frame 1 has 100000 of 600000000 bytes"},
          {"in.y4m",
           text_bytes("YUV4MPEG2 W20000 H20000 C444p16\nFRAME\n", 100000),
           {"--via-yc48"},
           "in.y4m: truncated stream: frame 1 has 100000 of"},
          {"in.yc48",
           ramp_bytes(100000),
           {"--input-size", "20000x20000"},
           "in.yc48: is 100000 bytes long"},
          // 24 GiB, a frame buffer the system will not even promise.
          {"in.yc48",
           ramp_bytes(1200),
           {"--input-size", "65535x65535"},
           "in.yc48: is 1200 bytes long, expected 25769017350 bytes"},
          {"in.y4m",
           text_bytes("YUV4MPEG2 W65535 H65535 C444p16\nFRAME\n", 100),
           {},
           "in.y4m: truncated stream: frame 1 has 100 of 25769017350 bytes"},
          {"in.y4m",
           text_bytes("YUV4MPEG2 W65535 H65535 C444p16\nFRAME\n", 100),
           {"--via-yc48"},
           "in.y4m: truncated stream: frame 1 has 100 of 25769017350 bytes"},
      },
      "64x64");
}

TEST(ToolMemory, LongThinPicturesCostWhatTheyHold) {
  const IMAGE frame = test_image(8000, 1, 3, CONTENT::mixed);
  const auto* raw = reinterpret_cast<const uint8_t*>(frame.pixels.data());
  run_cases(
      {
          {"rgb.png", png_file({png_header(8000, 1, 8, 2)}, png_rows(8000, 1, 3)), {}, ""},
          {"rgba.png",
           png_file({png_header(8000, 1, 16, 6)}, png_rows(8000, 1, 8)),
           {"--keep-16-bits"},
           ""},
          {"in.y4m", text_bytes("YUV4MPEG2 W8000 H1 C420jpeg\nFRAME\n", 8000 + 2 * 4000), {}, ""},
          {"in.y4m",
           text_bytes("YUV4MPEG2 W8000 H1 C422p10\nFRAME\n", 2 * (8000 + 2 * 4000)),
           {"--via-yc48"},
           ""},
          {"in.yc48", std::vector<uint8_t>(raw, raw + 6 * 8000), {"--input-size", "8000x1"}, ""},
      },
      "1x8000");
  // The same bits as the engine gives the frame in one buffer.
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.yc48"), std::vector<uint8_t>(raw, raw + 6 * 8000));
  ASSERT_EQ(
      run_tool(dir, {"resize", "in.yc48", "out.yc48", "--input-size", "8000x1", "--size", "1x8000"})
          .status,
      0);
  IMAGE out{1, 8000, {}};
  ASSERT_TRUE(read_image_file(dir.file("out.yc48"), out));
  EXPECT_EQ(first_difference(engine_resize(frame, 1, 8000, false), out), "");
}

TEST(ToolMemory, AnInputThatNeverEndsIsLookedPastOnce) {
  SCRATCH_DIR dir;
  ASSERT_EQ(symlink("/dev/zero", dir.file("in.yc48").c_str()), 0);
  const TOOL_RUN run =
      run_tool(dir, {"resize", "in.yc48", "out.yc48", "--input-size", "5x5", "--size", "9x9"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("in.yc48: is more than 4246 bytes long, expected 150 bytes"),
            std::string::npos)
      << run.errors;
  EXPECT_EQ(dir.names(), std::vector<std::string>{"in.yc48"});
}

TEST(ToolMemory, AProfileOverTheReadersLimitIsLeftOutWithAWord) {
  // A 9 MB profile of zeros behind its length, which libpng checks first:
  // over its 8 MB limit on a chunk, so the picture goes on without it.
  std::vector<uint8_t> profile(9000000, 0);
  const std::vector<uint8_t> length = big_endian(static_cast<uint32_t>(profile.size()));
  std::copy(length.begin(), length.end(), profile.begin());
  uLongf packed_size = compressBound(profile.size());
  std::vector<uint8_t> iccp = {'b', 'i', 'g', 0, 0};
  iccp.resize(iccp.size() + packed_size);
  ASSERT_EQ(compress(iccp.data() + 5, &packed_size, profile.data(), profile.size()), Z_OK);
  iccp.resize(5 + packed_size);
  SCRATCH_DIR dir;
  write_bytes(dir.file("in.png"),
              png_file({png_header(8, 2, 8, 2), {"iCCP", iccp}}, png_rows(8, 2, 3)));
  const TOOL_RUN run = run_tool(dir, {"resize", "in.png", "out.png", "--size", "4x4"});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(
      run.errors.find("in.png: its iCCP chunk is left out of the output: iCCP: profile 'big'"),
      std::string::npos)
      << run.errors;
  for (const PNG_CHUNK& chunk : png_chunks(read_bytes(dir.file("out.png"))))
    EXPECT_NE(chunk.type, "iCCP");
}

}  // namespace
