#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "cells.h"

std::string job_name(const JOB& job) {
  return std::to_string(job.sw) + "x" + std::to_string(job.sh) + "->" + std::to_string(job.tw) +
         "x" + std::to_string(job.th);
}

std::vector<PIXEL_YC> make_source(const JOB& job) {
  std::vector<PIXEL_YC> image(static_cast<size_t>(job.sw) * job.sh);
  uint32_t state = 0x9E3779B9u;
  auto noise = [&state](int range) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<int>(state % (2 * range + 1)) - range;
  };
  for (int32_t y = 0; y < job.sh; ++y) {
    for (int32_t x = 0; x < job.sw; ++x) {
      const double luma = 2048 + 1200 * std::sin(x * 0.013 + y * 0.007) * std::cos(y * 0.011);
      const double cb = 600 * std::sin(x * 0.005 - y * 0.009);
      const double cr = 600 * std::cos(x * 0.008 + y * 0.004);
      PIXEL_YC& p = image[static_cast<size_t>(y) * job.sw + x];
      p.y = static_cast<int16_t>(std::lround(luma) + noise(40));
      p.cb = static_cast<int16_t>(std::lround(cb) + noise(20));
      p.cr = static_cast<int16_t>(std::lround(cr) + noise(20));
    }
  }
  return image;
}
