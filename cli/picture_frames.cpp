#include "picture_frames.h"

#include "frame_buffer.h"
#include "yc48_colour.h"

void row_to_yc48(const uint16_t* samples, const PNG_PICTURE& format, PIXEL_YC* colour,
                 int16_t* alpha, int alpha_step) {
  const int32_t max = max_sample(format);
  const int c = format.channels;
  const bool with_alpha = has_alpha(format);
  for (int32_t x = 0; x < format.width; ++x, samples += c) {
    colour[x] = c >= 3 ? rgb_to_yc48(samples[0], samples[1], samples[2], max)
                       : PIXEL_YC{level_to_yc48(samples[0], max), 0, 0};
    if (with_alpha)
      alpha[static_cast<ptrdiff_t>(x) * alpha_step] = level_to_yc48(samples[c - 1], max);
  }
}

void row_from_yc48(const PIXEL_YC* colour, const int16_t* alpha, int alpha_step,
                   const PNG_PICTURE& format, uint16_t* samples) {
  const int32_t max = max_sample(format);
  const int c = format.channels;
  const bool with_alpha = has_alpha(format);
  for (int32_t x = 0; x < format.width; ++x, samples += c) {
    if (c >= 3)
      rgb_from_yc48(colour[x], max, samples);
    else
      samples[0] = level_from_yc48(colour[x].y, max);
    if (with_alpha)
      samples[c - 1] = level_from_yc48(alpha[static_cast<ptrdiff_t>(x) * alpha_step], max);
  }
}

void picture_to_frames(const PNG_PICTURE& picture, FRAME& colour, FRAME* alpha) {
  const size_t row = static_cast<size_t>(picture.width) * picture.channels;
  for (int32_t y = 0; y < picture.height; ++y)
    row_to_yc48(picture.samples.data() + row * y, picture, pixel_at(colour, 0, y),
                alpha ? &pixel_at(*alpha, 0, y)->y : nullptr, 3);
  colour.w = picture.width;
  colour.h = picture.height;
  if (alpha) {
    alpha->w = picture.width;
    alpha->h = picture.height;
  }
}

void frames_to_picture(const FRAME& colour, const FRAME* alpha, int channels, int depth,
                       PNG_PICTURE& picture) {
  picture.width = colour.w;
  picture.height = colour.h;
  picture.channels = channels;
  picture.depth = depth;
  const size_t row = static_cast<size_t>(colour.w) * channels;
  picture.samples.resize(row * colour.h);
  for (int32_t y = 0; y < colour.h; ++y)
    row_from_yc48(pixel_at(colour, 0, y), has_alpha(picture) ? &pixel_at(*alpha, 0, y)->y : nullptr,
                  3, picture, picture.samples.data() + row * y);
}
