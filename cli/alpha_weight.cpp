#include "alpha_weight.h"

#include <algorithm>
#include <cstddef>

#include "yc48_colour.h"

namespace {

constexpr int32_t full = 4096;  // an opaque alpha level in YC48

int16_t weighted(int16_t c, int32_t a) {
  return static_cast<int16_t>(divide_rounded(int64_t{c} * a, full));
}

int16_t unweighted(int16_t c, int32_t a) {
  return static_cast<int16_t>(
      std::clamp<int64_t>(divide_rounded(int64_t{c} * full, a), -32768, 32767));
}

}  // namespace

void premultiply_yc48(YC48_PIXEL* colour, const int16_t* alpha, int alpha_step, int32_t count) {
  for (int32_t x = 0; x < count; ++x) {
    const int32_t a =
        std::clamp<int32_t>(alpha[static_cast<std::ptrdiff_t>(x) * alpha_step], 0, full);
    YC48_PIXEL& p = colour[x];
    p = YC48_PIXEL{weighted(p.y, a), weighted(p.cb, a), weighted(p.cr, a)};
  }
}

void unpremultiply_yc48(YC48_PIXEL* colour, const int16_t* alpha, int alpha_step, int32_t count) {
  for (int32_t x = 0; x < count; ++x) {
    const int32_t a = alpha[static_cast<std::ptrdiff_t>(x) * alpha_step];
    YC48_PIXEL& p = colour[x];
    p = a <= 0 ? YC48_PIXEL{0, 0, 0}
               : YC48_PIXEL{unweighted(p.y, a), unweighted(p.cb, a), unweighted(p.cr, a)};
  }
}

void premultiply_samples(int16_t* row, int32_t width, int channels) {
  for (int32_t x = 0; x < width; ++x, row += channels) {
    const int64_t a = row[channels - 1] + 32768;
    for (int c = 0; c < channels - 1; ++c)
      row[c] = static_cast<int16_t>(divide_rounded((row[c] + 32768) * a, 2 * 65535) - 16384);
    row[channels - 1] = static_cast<int16_t>(divide_rounded(a, 2) - 16384);
  }
}

void unpremultiply_samples(const int16_t* row, const int16_t* alpha, int32_t width, int channels,
                           uint16_t* codes) {
  for (int32_t x = 0; x < width; ++x, row += channels, codes += channels) {
    const int64_t a = row[channels - 1] + 16384;
    for (int c = 0; c < channels - 1; ++c)
      codes[c] = a <= 0 ? 0
                        : static_cast<uint16_t>(std::clamp<int64_t>(
                              divide_rounded((row[c] + 16384) * int64_t{65535}, a), 0, 65535));
    codes[channels - 1] = static_cast<uint16_t>(alpha[x] + 32768);
  }
}
