#include "images.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "resize.h"
#include "yc48_file.h"

namespace {

struct NOISE {
  uint32_t state;
  uint32_t next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
};

// Sample x (0 .. 3 max_w - 1) of row y; `walk` carries the smooth content
// from sample to sample.
int32_t test_sample(CONTENT content, int32_t x, int32_t y, uint32_t seed, NOISE& noise,
                    int32_t (&walk)[3]) {
  switch (content) {
    case CONTENT::smooth: {
      int32_t& w = walk[x % 3];
      w += static_cast<int32_t>(noise.next() % 401) - 200;
      w = std::clamp(w, -2500, 4500);
      return w + static_cast<int32_t>(noise.next() % 64) - 32;
    }
    case CONTENT::extreme:
      return static_cast<int16_t>(noise.next() & 0xFFFF);
    case CONTENT::mixed:
      switch ((y / 8 + x / 24 + seed) % 4) {
        case 0:
          return 2048 + (x * 37 + y * 11) % 1500 + static_cast<int32_t>(noise.next() % 200);
        case 1:
          return static_cast<int16_t>(noise.next());
        case 2:
          return (x + y) & 1 ? 32767 : -32768;
        default:
          return static_cast<int32_t>(noise.next() % 7) - 3;
      }
    case CONTENT::spikes:
      return noise.next() % 211 == 0 ? (noise.next() & 1 ? 31000 : -31000) : 1000;
  }
  return 0;
}

constexpr const char* yc_channels[] = {"y", "cb", "cr"};

}  // namespace

void fill_test_frame(const FRAME& frame, uint32_t seed, CONTENT content) {
  NOISE noise{seed * 2654435761u + 1};
  int32_t walk[3] = {2048, 0, 0};
  const int32_t per_row = 3 * frame.max_w;
  auto* samples = reinterpret_cast<int16_t*>(frame.buffer);
  for (int32_t y = 0; y < frame.max_h; ++y)
    for (int32_t x = 0; x < per_row; ++x)
      samples[static_cast<size_t>(y) * per_row + x] =
          static_cast<int16_t>(test_sample(content, x, y, seed, noise, walk));
}

IMAGE test_image(int32_t w, int32_t h, uint32_t seed, CONTENT content) {
  IMAGE image{w, h, std::vector<PIXEL_YC>(static_cast<size_t>(w) * h)};
  fill_test_frame(FRAME{image.pixels.data(), w, h, w, h}, seed, content);
  return image;
}

void make_guarded_frame(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h) {
  PAGE_OPTIONS guarded;
  guarded.guard_before = true;
  guarded.guard_after = true;
  if (!make_frame_buffer(buffer, max_w, max_h, guarded)) std::abort();
}

IMAGE copy_image(const FRAME& frame) {
  IMAGE image{frame.w, frame.h, std::vector<PIXEL_YC>(static_cast<size_t>(frame.w) * frame.h)};
  for (int32_t y = 0; y < frame.h; ++y)
    std::memcpy(&image.pixels[static_cast<size_t>(y) * frame.w], pixel_at(frame, 0, y),
                sizeof(PIXEL_YC) * frame.w);
  return image;
}

IMAGE whole_buffer(const FRAME& frame) {
  FRAME all = frame;
  all.w = frame.max_w;
  all.h = frame.max_h;
  return copy_image(all);
}

IMAGE engine_resize(const IMAGE& image, int32_t target_w, int32_t target_h, bool vertical_first) {
  FRAME_BUFFER buffer;
  make_guarded_frame(buffer, std::max(image.w, target_w) + 5, std::max(image.h, target_h) + 3);
  FRAME frame = buffer.frame;
  for (int32_t y = 0; y < image.h; ++y)
    std::memcpy(pixel_at(frame, 0, y), &image.pixels[static_cast<size_t>(y) * image.w],
                sizeof(PIXEL_YC) * image.w);
  frame.w = image.w;
  frame.h = image.h;
  if (resize_frame(frame, target_w, target_h, vertical_first, nullptr) != 1) return {};
  return copy_image(frame);
}

bool write_image_file(const std::string& path, const IMAGE& image) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = write_yc48(file, image.pixels.data(), image.w, image.h, image.w);
  return std::fclose(file) == 0 && written;
}

bool read_image_file(const std::string& path, IMAGE& image) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  image.pixels.assign(static_cast<size_t>(image.w) * image.h, PIXEL_YC{});
  const YC48_READ read = read_yc48(file, image.pixels.data(), image.w, image.h, image.w);
  std::fclose(file);
  return !read.read_error && read.length == yc48_frame_bytes(image.w, image.h);
}

std::string describe_difference(size_t sample, int32_t w, int channels,
                                const char* const* channel_names, int64_t expected,
                                int64_t actual) {
  const size_t pixel = sample / channels;
  return "pixel (" + std::to_string(pixel % w) + ", " + std::to_string(pixel / w) + ") " +
         channel_names[sample % channels] + ": expected " + std::to_string(expected) + ", found " +
         std::to_string(actual);
}

std::string first_difference(const IMAGE& expected, const IMAGE& actual) {
  if (expected.w != actual.w || expected.h != actual.h)
    return "sizes differ: " + std::to_string(expected.w) + "x" + std::to_string(expected.h) +
           " expected, " + std::to_string(actual.w) + "x" + std::to_string(actual.h) + " found";
  const auto samples = [](const IMAGE& image) {
    return std::span<const int16_t>(reinterpret_cast<const int16_t*>(image.pixels.data()),
                                    3 * image.pixels.size());
  };
  return first_difference(expected.w, 3, yc_channels, samples(expected), samples(actual));
}
