#pragma once
// Test images, the frame buffers they live in, and the one way the tests
// compare images: first_difference, which names the first pixel that differs.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "frame_buffer.h"
#include "pixel.h"

// w x h pixels, rows packed.
struct IMAGE {
  int32_t w = 0;
  int32_t h = 0;
  std::vector<PIXEL_YC> pixels;
};

// What a test image holds. smooth: a random walk through every sample with
// noise, a little past the nominal ranges. extreme: noise over the whole
// int16 range. mixed: blocks of 8 rows by 24 samples that cycle through
// ramps with noise, full-range noise, the int16 extremes alternating and
// small noise around 0. spikes: a flat line with rare spikes, whose
// curvatures decay over long runs into the flush-to-zero range.
enum class CONTENT { smooth, extreme, mixed, spikes };

// Fills every pixel of the frame's buffer (max_w x max_h). The same seed
// and content give the same pixels.
void fill_test_frame(const FRAME& frame, uint32_t seed, CONTENT content = CONTENT::smooth);

// A w x h image filled as fill_test_frame fills a buffer of that size.
IMAGE test_image(int32_t w, int32_t h, uint32_t seed, CONTENT content = CONTENT::smooth);

// Makes `buffer` max_w x max_h pixels between two guard pages: its last byte
// touches the page after it, so any access past the end faults. Aborts when
// the memory cannot be had.
void make_guarded_frame(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h);

// The frame's image (its w x h), and its whole buffer (max_w x max_h).
IMAGE copy_image(const FRAME& frame);
IMAGE whole_buffer(const FRAME& frame);

// The engine's result for `image` resized to target_w x target_h on one
// thread, in a guarded buffer wider and taller than both sizes (so that a
// program that laid rows out at another pitch differs). Empty when the
// engine refuses.
IMAGE engine_resize(const IMAGE& image, int32_t target_w, int32_t target_h, bool vertical_first);

// A .yc48 file of the image; reading wants the file to hold exactly
// image.w x image.h pixels.
bool write_image_file(const std::string& path, const IMAGE& image);
bool read_image_file(const std::string& path, IMAGE& image);

// Where two images first differ, for a failure message: "" when they are
// the same; otherwise their sizes when those differ, or the first pixel
// (x, y) that differs, its channel and both values.
std::string first_difference(const IMAGE& expected, const IMAGE& actual);

// The same for any image of `channels` interleaved samples per pixel, rows
// of `w` pixels packed (PNG pictures, y4m planes), with the channels'
// names.
std::string describe_difference(size_t sample, int32_t w, int channels,
                                const char* const* channel_names, int64_t expected, int64_t actual);
template <class SAMPLE>
std::string first_difference(int32_t w, int channels, const char* const* channel_names,
                             std::span<const SAMPLE> expected, std::span<const SAMPLE> actual) {
  if (expected.size() != actual.size())
    return "sizes differ: " + std::to_string(expected.size()) + " samples expected, " +
           std::to_string(actual.size()) + " found";
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i] != actual[i])
      return describe_difference(i, w, channels, channel_names, expected[i], actual[i]);
  return "";
}
