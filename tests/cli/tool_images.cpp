#include "tool_images.h"

IMAGE image_of(const YC48_IMAGE& frame) {
  IMAGE image{frame.w, frame.h, {}};
  for (size_t i = 0; i < static_cast<size_t>(frame.w) * frame.h; ++i)
    image.pixels.push_back(PIXEL_YC{frame.pixels[i].y, frame.pixels[i].cb, frame.pixels[i].cr});
  return image;
}

std::vector<YC48_PIXEL> pixels_of(const IMAGE& image) {
  std::vector<YC48_PIXEL> pixels;
  for (const PIXEL_YC& p : image.pixels) pixels.push_back(YC48_PIXEL{p.y, p.cb, p.cr});
  return pixels;
}
