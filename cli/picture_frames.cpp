#include "picture_frames.h"

#include "frame_buffer.h"
#include "yc48_colour.h"

void picture_to_frames(const PNG_PICTURE& picture, FRAME& colour, FRAME* alpha) {
  const int32_t max = max_sample(picture);
  const int c = picture.channels;
  const uint16_t* s = picture.samples.data();
  for (int32_t y = 0; y < picture.height; ++y) {
    PIXEL_YC* out = pixel_at(colour, 0, y);
    PIXEL_YC* a = alpha ? pixel_at(*alpha, 0, y) : nullptr;
    for (int32_t x = 0; x < picture.width; ++x, s += c) {
      out[x] =
          c >= 3 ? rgb_to_yc48(s[0], s[1], s[2], max) : PIXEL_YC{level_to_yc48(s[0], max), 0, 0};
      if (a && has_alpha(picture)) a[x] = PIXEL_YC{level_to_yc48(s[c - 1], max), 0, 0};
    }
  }
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
  picture.samples.resize(static_cast<size_t>(colour.w) * colour.h * channels);
  const int32_t max = max_sample(picture);
  const bool with_alpha = has_alpha(picture);
  uint16_t* s = picture.samples.data();
  for (int32_t y = 0; y < colour.h; ++y) {
    const PIXEL_YC* in = pixel_at(colour, 0, y);
    const PIXEL_YC* a = with_alpha ? pixel_at(*alpha, 0, y) : nullptr;
    for (int32_t x = 0; x < colour.w; ++x, s += channels) {
      if (channels >= 3)
        rgb_from_yc48(in[x], max, s);
      else
        s[0] = level_from_yc48(in[x].y, max);
      if (a) s[channels - 1] = level_from_yc48(a[x].y, max);
    }
  }
}
