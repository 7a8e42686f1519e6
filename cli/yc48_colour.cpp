#include "yc48_colour.h"

int64_t divide_rounded(int64_t n, int64_t d) {
  return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
}

namespace {

int64_t clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// n / d rounded down (d > 0).
int64_t floor_divide(int64_t n, int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }

int16_t to_int16(int64_t v) { return static_cast<int16_t>(clamp(v, -32768, 32767)); }

}  // namespace

int16_t luma_to_yc48(int32_t sample, int depth) {
  // 8-bit: ((Y * 1197) >> 6) - 299
  return to_int16(((static_cast<int64_t>(sample) * 1197) >> (depth - 2)) - 299);
}

int16_t chroma_to_yc48(int64_t sum, int weight_bits, int depth) {
  // 8-bit: ((C - 128) * 4681 + 164) >> 8
  const int64_t middle = int64_t{1} << (depth - 1 + weight_bits);
  const int64_t bias = int64_t{164} << (depth - 8 + weight_bits);
  return to_int16(((sum - middle) * 4681 + bias) >> (depth + weight_bits));
}

uint16_t luma_from_yc48(int32_t y, int depth) {
  const int64_t max = (int64_t{1} << depth) - 1;
  if (depth == 8)
    return static_cast<uint16_t>(clamp((int64_t{y} * 219 + 383 + (16 << 12)) >> 12, 0, max));
  // Deeper: the forward formula maps Y to y when Y * 1197 / 2^(depth - 2)
  // lies in [y + 299, y + 300); take (y + 299.5) * 2^(depth - 2) / 1197 and
  // round it. Up to 12 bits that range holds one code at most, which this
  // finds: every code comes back as it went in.
  const int64_t v =
      floor_divide((2 * int64_t{y} + 599) * (int64_t{1} << (depth - 2)) + 1197, 2 * 1197);
  return static_cast<uint16_t>(clamp(v, 0, max));
}

uint16_t chroma_from_yc48(int64_t sum, int weight_bits, int depth) {
  const int64_t max = (int64_t{1} << depth) - 1;
  if (depth == 8) {
    const int64_t v =
        (sum * 7 + (int64_t{2048 * 7 + 66 + (16 << 7)} << weight_bits)) >> (7 + weight_bits);
    return static_cast<uint16_t>(clamp(v, 0, max));
  }
  // Deeper: the forward formula maps C to c when
  // (C - 2^(depth - 1)) * 4681 + 164 * 2^(depth - 8) lies in
  // [2^depth c, 2^depth (c + 1)); take the middle, with c = sum / 2^bits,
  // and round it (one code at most up to 12 bits, as for luma).
  const int64_t unit = int64_t{1} << weight_bits;
  const int64_t scale = int64_t{1} << depth;
  const int64_t bias = int64_t{164} << (depth - 8);
  const int64_t v = scale / 2 + floor_divide((2 * sum + unit) * scale + (4681 - 2 * bias) * unit,
                                             2 * 4681 * unit);
  return static_cast<uint16_t>(clamp(v, 0, max));
}

int16_t full_chroma_to_yc48(int64_t sum, int weight_bits, int depth) {
  const int64_t max = (int64_t{1} << depth) - 1;
  const int64_t middle = int64_t{1} << (depth - 1 + weight_bits);
  return to_int16(divide_rounded(4096 * (sum - middle), max << weight_bits));
}

uint16_t full_chroma_from_yc48(int64_t sum, int weight_bits, int depth) {
  const int64_t max = (int64_t{1} << depth) - 1;
  const int64_t v =
      (int64_t{1} << (depth - 1)) + divide_rounded(sum * max, int64_t{4096} << weight_bits);
  return static_cast<uint16_t>(clamp(v, 0, max));
}

YC48_PIXEL rgb_to_yc48(int32_t r, int32_t g, int32_t b, int32_t max) {
  // y = 4096 (0.299 R + 0.587 G + 0.114 B); cb = 4096 (B - Y) / 1.772;
  // cr = 4096 (R - Y) / 1.402, with R, G, B in 0 .. 1.
  const int64_t luma = 299 * int64_t{r} + 587 * int64_t{g} + 114 * int64_t{b};
  const int64_t blue = 886 * int64_t{b} - 299 * int64_t{r} - 587 * int64_t{g};
  const int64_t red = 701 * int64_t{r} - 587 * int64_t{g} - 114 * int64_t{b};
  return YC48_PIXEL{to_int16(divide_rounded(4096 * luma, 1000 * int64_t{max})),
                    to_int16(divide_rounded(2048 * blue, 886 * int64_t{max})),
                    to_int16(divide_rounded(2048 * red, 701 * int64_t{max}))};
}

void rgb_from_yc48(const YC48_PIXEL& p, int32_t max, uint16_t rgb[3]) {
  // R = Y + 1.402 Cr, B = Y + 1.772 Cb, G = Y - (0.299 * 1.402 Cr + 0.114 * 1.772 Cb) / 0.587.
  const int64_t y = p.y, cb = p.cb, cr = p.cr;
  const int64_t r = divide_rounded(max * (500 * y + 701 * cr), 500 * 4096);
  const int64_t g =
      divide_rounded(max * (587000 * y - 419198 * cr - 202008 * cb), int64_t{587000} * 4096);
  const int64_t b = divide_rounded(max * (500 * y + 886 * cb), 500 * 4096);
  rgb[0] = static_cast<uint16_t>(clamp(r, 0, max));
  rgb[1] = static_cast<uint16_t>(clamp(g, 0, max));
  rgb[2] = static_cast<uint16_t>(clamp(b, 0, max));
}

int16_t level_to_yc48(int32_t level, int32_t max) {
  return to_int16(divide_rounded(4096 * int64_t{level}, max));
}

uint16_t level_from_yc48(int32_t y, int32_t max) {
  return static_cast<uint16_t>(clamp(divide_rounded(int64_t{max} * y, 4096), 0, max));
}
