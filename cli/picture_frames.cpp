#include "picture_frames.h"

#include "yc48_colour.h"

void row_to_yc48(const uint16_t* samples, const PNG_PICTURE& format, YC48_PIXEL* colour,
                 int16_t* alpha, int alpha_step) {
  const int32_t max = max_sample(format);
  const int c = format.channels;
  const bool with_alpha = has_alpha(format);
  for (int32_t x = 0; x < format.width; ++x, samples += c) {
    colour[x] = c >= 3 ? rgb_to_yc48(samples[0], samples[1], samples[2], max)
                       : YC48_PIXEL{level_to_yc48(samples[0], max), 0, 0};
    if (with_alpha)
      alpha[static_cast<ptrdiff_t>(x) * alpha_step] = level_to_yc48(samples[c - 1], max);
  }
}

void row_from_yc48(const YC48_PIXEL* colour, const int16_t* alpha, int alpha_step,
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

void picture_to_frames(const PNG_PICTURE& picture, YC48_IMAGE& colour, int16_t* alpha) {
  colour.w = picture.width;
  colour.h = picture.height;
  const size_t row = static_cast<size_t>(picture.width) * picture.channels;
  for (int32_t y = 0; y < picture.height; ++y)
    row_to_yc48(picture.samples.data() + row * y, picture, image_row(colour, y),
                alpha ? alpha + static_cast<size_t>(picture.width) * y : nullptr, 1);
}

void frames_to_picture(const YC48_IMAGE& colour, const int16_t* alpha, int channels, int depth,
                       PNG_PICTURE& picture) {
  picture.width = colour.w;
  picture.height = colour.h;
  picture.channels = channels;
  picture.depth = depth;
  const size_t row = static_cast<size_t>(colour.w) * channels;
  picture.samples.resize(row * colour.h);
  for (int32_t y = 0; y < colour.h; ++y)
    row_from_yc48(image_row(colour, y),
                  has_alpha(picture) ? alpha + static_cast<size_t>(colour.w) * y : nullptr, 1,
                  picture, picture.samples.data() + row * y);
}
