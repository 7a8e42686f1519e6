#pragma once
// The tool's YC48 frames (yc48_image.h) as the tests' IMAGE and back, so that
// the tool's conversions can be checked against the engine run directly.
#include <vector>

#include "images.h"
#include "yc48_image.h"

IMAGE image_of(const YC48_IMAGE& frame);

// The pixels of `image`, for a YC48_IMAGE{pixels.data(), image.w, image.h}.
std::vector<YC48_PIXEL> pixels_of(const IMAGE& image);
