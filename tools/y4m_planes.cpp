#include "y4m_planes.h"

#include <cstring>

#include "frame_buffer.h"
#include "yc48_colour.h"

namespace {

struct PLANE {
  const uint8_t* data;
  int32_t width;
  int depth;
};

int32_t sample_at(const PLANE& p, int32_t x, int32_t y) {
  const size_t i = static_cast<size_t>(y) * p.width + x;
  if (p.depth == 8) return p.data[i];
  uint16_t v;
  std::memcpy(&v, p.data + 2 * i, 2);
  return v;
}

void put_sample(uint8_t* plane, int32_t width, int depth, int32_t x, int32_t y, uint16_t v) {
  const size_t i = static_cast<size_t>(y) * width + x;
  if (depth == 8) plane[i] = static_cast<uint8_t>(v);
  else std::memcpy(plane + 2 * i, &v, 2);
}

// Up to two chroma samples with weights adding up to 4, for the full-size
// position `at` along an axis with `count` chroma samples.
struct TAPS {
  int32_t index[2];
  int32_t weight[2];
};

TAPS upsampling_taps(int32_t at, int shift, CHROMA_SITING siting, int32_t count) {
  if (shift == 0) return {{at, at}, {4, 0}};
  const int32_t i = at >> 1;
  const bool odd = at & 1;
  if (siting == CHROMA_SITING::cosited)
    return odd ? TAPS{{i, i + 1 < count ? i + 1 : count - 1}, {2, 2}} : TAPS{{i, i}, {4, 0}};
  const int32_t other = odd ? (i + 1 < count ? i + 1 : count - 1) : (i > 0 ? i - 1 : 0);
  return {{i, other}, {3, 1}};
}

// The full-size positions a chroma sample takes its value from, with weights
// adding up to 1 << bits.
struct SPAN {
  int32_t first;
  int32_t second;
  int bits;  // 0: first alone; 1: first and second, once each
};

SPAN downsampling_span(int32_t index, int shift, CHROMA_SITING siting, int32_t size) {
  if (shift == 0) return {index, index, 0};
  const int32_t at = 2 * index;
  if (siting == CHROMA_SITING::cosited) return {at, at, 0};
  return {at, at + 1 < size ? at + 1 : at, 1};
}

}  // namespace

void planes_to_frame(const uint8_t* planes, const Y4M_FORMAT& f, FRAME& frame) {
  const int bytes = f.depth / 8;
  const int32_t cw = (f.width + (1 << f.shift_x) - 1) >> f.shift_x;
  const int32_t ch = (f.height + (1 << f.shift_y) - 1) >> f.shift_y;
  const PLANE luma{planes, f.width, f.depth};
  const uint8_t* cb_data = planes + static_cast<size_t>(f.width) * f.height * bytes;
  const PLANE cb{cb_data, cw, f.depth};
  const PLANE cr{cb_data + static_cast<size_t>(cw) * ch * bytes, cw, f.depth};

  std::vector<TAPS> across(f.width);
  for (int32_t x = 0; x < f.width; ++x) across[x] = upsampling_taps(x, f.shift_x, f.siting_x, cw);
  for (int32_t y = 0; y < f.height; ++y) {
    const TAPS down = upsampling_taps(y, f.shift_y, f.siting_y, ch);
    PIXEL_YC* out = pixel_at(frame, 0, y);
    for (int32_t x = 0; x < f.width; ++x) {
      const TAPS& a = across[x];
      int64_t sum_b = 0, sum_r = 0;
      for (int v = 0; v < 2; ++v) {
        if (!down.weight[v]) continue;
        for (int u = 0; u < 2; ++u) {
          if (!a.weight[u]) continue;
          const int32_t w = down.weight[v] * a.weight[u];
          sum_b += w * sample_at(cb, a.index[u], down.index[v]);
          sum_r += w * sample_at(cr, a.index[u], down.index[v]);
        }
      }
      out[x] = PIXEL_YC{luma_to_yc48(sample_at(luma, x, y), f.depth), chroma_to_yc48(sum_b, 4, f.depth),
                        chroma_to_yc48(sum_r, 4, f.depth)};
    }
  }
  frame.w = f.width;
  frame.h = f.height;
}

void frame_to_planes(const FRAME& frame, const Y4M_FORMAT& f, uint8_t* planes) {
  const int bytes = f.depth / 8;
  const int32_t cw = (f.width + (1 << f.shift_x) - 1) >> f.shift_x;
  const int32_t ch = (f.height + (1 << f.shift_y) - 1) >> f.shift_y;
  for (int32_t y = 0; y < f.height; ++y) {
    const PIXEL_YC* in = pixel_at(frame, 0, y);
    for (int32_t x = 0; x < f.width; ++x) put_sample(planes, f.width, f.depth, x, y, luma_from_yc48(in[x].y, f.depth));
  }
  uint8_t* cb = planes + static_cast<size_t>(f.width) * f.height * bytes;
  uint8_t* cr = cb + static_cast<size_t>(cw) * ch * bytes;
  for (int32_t j = 0; j < ch; ++j) {
    const SPAN down = downsampling_span(j, f.shift_y, f.siting_y, f.height);
    const PIXEL_YC* rows[2] = {pixel_at(frame, 0, down.first), pixel_at(frame, 0, down.second)};
    for (int32_t i = 0; i < cw; ++i) {
      const SPAN across = downsampling_span(i, f.shift_x, f.siting_x, f.width);
      int64_t sum_b = 0, sum_r = 0;
      for (int v = 0; v <= (down.bits ? 1 : 0); ++v) {
        const PIXEL_YC& p = rows[v][across.first];
        const PIXEL_YC& q = rows[v][across.second];
        sum_b += across.bits ? p.cb + q.cb : p.cb;
        sum_r += across.bits ? p.cr + q.cr : p.cr;
      }
      const int bits = down.bits + across.bits;
      put_sample(cb, cw, f.depth, i, j, chroma_from_yc48(sum_b, bits, f.depth));
      put_sample(cr, cw, f.depth, i, j, chroma_from_yc48(sum_r, bits, f.depth));
    }
  }
}
