#include "y4m_yc48_path.h"

#include <algorithm>
#include <cstring>

#include "yc48_colour.h"

namespace {

// Reads `count` samples of one plane row (1 byte each, or 16-bit little-endian
// words, where a code above the depth's largest is read as the largest).
template <int BYTES>
void load_row(const uint8_t* row, int32_t count, int depth, int32_t* out) {
  if constexpr (BYTES == 1) {
    for (int32_t i = 0; i < count; ++i) out[i] = row[i];
  } else {
    const int32_t max = (1 << depth) - 1;
    for (int32_t i = 0; i < count; ++i) out[i] = std::min(row[2 * i] | (row[2 * i + 1] << 8), max);
  }
}

template <int BYTES>
void store_sample(uint8_t* plane, size_t index, uint16_t v) {
  if constexpr (BYTES == 1) {
    plane[index] = static_cast<uint8_t>(v);
  } else {
    plane[2 * index] = static_cast<uint8_t>(v);
    plane[2 * index + 1] = static_cast<uint8_t>(v >> 8);
  }
}

int16_t luma_in(int32_t code, const Y4M_FORMAT& f) {
  return f.full_range ? level_to_yc48(code, (1 << f.depth) - 1) : luma_to_yc48(code, f.depth);
}

int16_t chroma_in(int64_t sum, int bits, const Y4M_FORMAT& f) {
  return f.full_range ? full_chroma_to_yc48(sum, bits, f.depth)
                      : chroma_to_yc48(sum, bits, f.depth);
}

uint16_t luma_out(int32_t y, const Y4M_FORMAT& f) {
  return f.full_range ? level_from_yc48(y, (1 << f.depth) - 1) : luma_from_yc48(y, f.depth);
}

uint16_t chroma_out(int64_t sum, int bits, const Y4M_FORMAT& f) {
  return f.full_range ? full_chroma_from_yc48(sum, bits, f.depth)
                      : chroma_from_yc48(sum, bits, f.depth);
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
  const int32_t next = i + 1 < count ? i + 1 : count - 1;
  if (siting == CHROMA_SITING::cosited)
    return at & 1 ? TAPS{{i, next}, {2, 2}} : TAPS{{i, i}, {4, 0}};
  return {{i, at & 1 ? next : (i > 0 ? i - 1 : 0)}, {3, 1}};
}

// A chroma row brought to every column, times 4, kept for the next output
// row that needs the same source row.
struct WIDE_ROW {
  int32_t source_row = -1;
  std::vector<int32_t> values;
};

template <int BYTES>
const int32_t* widened_row(WIDE_ROW (&cache)[2], const uint8_t* plane, int32_t row,
                           const Y4M_FORMAT& f, const std::vector<TAPS>& across,
                           std::vector<int32_t>& narrow) {
  for (WIDE_ROW& w : cache)
    if (w.source_row == row) return w.values.data();
  WIDE_ROW& w = cache[0].source_row < cache[1].source_row ? cache[0] : cache[1];
  const int32_t cw = chroma_width(f);
  load_row<BYTES>(plane + static_cast<size_t>(row) * cw * BYTES, cw, f.depth, narrow.data());
  w.values.resize(f.width);
  for (int32_t x = 0; x < f.width; ++x) {
    const TAPS& t = across[x];
    w.values[x] = t.weight[0] * narrow[t.index[0]] + t.weight[1] * narrow[t.index[1]];
  }
  w.source_row = row;
  return w.values.data();
}

template <int BYTES>
void rows_to_frame(const uint8_t* planes, const Y4M_FORMAT& f, YC48_IMAGE& frame, int32_t first,
                   int32_t end) {
  const int32_t cw = chroma_width(f), ch = chroma_height(f);
  std::vector<int32_t> luma(f.width);
  if (f.planes == 1) {
    for (int32_t y = first; y < end; ++y) {
      load_row<BYTES>(planes + static_cast<size_t>(y) * f.width * BYTES, f.width, f.depth,
                      luma.data());
      YC48_PIXEL* out = image_row(frame, y);
      for (int32_t x = 0; x < f.width; ++x) out[x] = YC48_PIXEL{luma_in(luma[x], f), 0, 0};
    }
    return;
  }
  const size_t luma_bytes = static_cast<size_t>(f.width) * f.height * BYTES;
  const uint8_t* cb = planes + luma_bytes;
  const uint8_t* cr = cb + static_cast<size_t>(cw) * ch * BYTES;
  std::vector<TAPS> across(f.width);
  for (int32_t x = 0; x < f.width; ++x) across[x] = upsampling_taps(x, f.shift_x, f.siting_x, cw);
  std::vector<int32_t> narrow(cw);
  WIDE_ROW cache_b[2], cache_r[2];
  for (int32_t y = first; y < end; ++y) {
    const TAPS down = upsampling_taps(y, f.shift_y, f.siting_y, ch);
    const int32_t* b0 = widened_row<BYTES>(cache_b, cb, down.index[0], f, across, narrow);
    const int32_t* b1 = widened_row<BYTES>(cache_b, cb, down.index[1], f, across, narrow);
    const int32_t* r0 = widened_row<BYTES>(cache_r, cr, down.index[0], f, across, narrow);
    const int32_t* r1 = widened_row<BYTES>(cache_r, cr, down.index[1], f, across, narrow);
    load_row<BYTES>(planes + static_cast<size_t>(y) * f.width * BYTES, f.width, f.depth,
                    luma.data());
    YC48_PIXEL* out = image_row(frame, y);
    for (int32_t x = 0; x < f.width; ++x) {
      const int64_t sum_b = int64_t{down.weight[0]} * b0[x] + int64_t{down.weight[1]} * b1[x];
      const int64_t sum_r = int64_t{down.weight[0]} * r0[x] + int64_t{down.weight[1]} * r1[x];
      out[x] = YC48_PIXEL{luma_in(luma[x], f), chroma_in(sum_b, 4, f), chroma_in(sum_r, 4, f)};
    }
  }
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

template <int BYTES>
void frame_to_rows(const YC48_IMAGE& frame, const Y4M_FORMAT& f, uint8_t* planes, int32_t first,
                   int32_t end) {
  const int32_t cw = chroma_width(f), ch = chroma_height(f);
  for (int32_t y = first; y < end; ++y) {
    const YC48_PIXEL* in = image_row(frame, y);
    const size_t row = static_cast<size_t>(y) * f.width;
    for (int32_t x = 0; x < f.width; ++x)
      store_sample<BYTES>(planes, row + x, luma_out(in[x].y, f));
  }
  if (f.planes == 1) return;
  // The chroma rows whose first source row lies in [first, end).
  const int32_t chroma_first = (first + (1 << f.shift_y) - 1) >> f.shift_y;
  const int32_t chroma_end = end >= f.height ? ch : (end + (1 << f.shift_y) - 1) >> f.shift_y;
  uint8_t* cb = planes + static_cast<size_t>(f.width) * f.height * BYTES;
  uint8_t* cr = cb + static_cast<size_t>(cw) * ch * BYTES;
  for (int32_t j = chroma_first; j < chroma_end; ++j) {
    const SPAN down = downsampling_span(j, f.shift_y, f.siting_y, f.height);
    const YC48_PIXEL* rows[2] = {image_row(frame, down.first), image_row(frame, down.second)};
    for (int32_t i = 0; i < cw; ++i) {
      const SPAN across = downsampling_span(i, f.shift_x, f.siting_x, f.width);
      int64_t sum_b = 0, sum_r = 0;
      for (int v = 0; v <= down.bits; ++v) {
        const YC48_PIXEL& p = rows[v][across.first];
        const YC48_PIXEL& q = rows[v][across.second];
        sum_b += across.bits ? p.cb + q.cb : p.cb;
        sum_r += across.bits ? p.cr + q.cr : p.cr;
      }
      const int bits = down.bits + across.bits;
      store_sample<BYTES>(cb, static_cast<size_t>(j) * cw + i, chroma_out(sum_b, bits, f));
      store_sample<BYTES>(cr, static_cast<size_t>(j) * cw + i, chroma_out(sum_r, bits, f));
    }
  }
}

}  // namespace

void planes_to_frame(const uint8_t* planes, const Y4M_FORMAT& format, YC48_IMAGE& frame,
                     int32_t first_row, int32_t end_row) {
  if (y4m_sample_bytes(format) == 1)
    rows_to_frame<1>(planes, format, frame, first_row, end_row);
  else
    rows_to_frame<2>(planes, format, frame, first_row, end_row);
}

void frame_to_planes(const YC48_IMAGE& frame, const Y4M_FORMAT& format, uint8_t* planes,
                     int32_t first_row, int32_t end_row) {
  if (y4m_sample_bytes(format) == 1)
    frame_to_rows<1>(frame, format, planes, first_row, end_row);
  else
    frame_to_rows<2>(frame, format, planes, first_row, end_row);
}

void planes_to_frame(const uint8_t* planes, const Y4M_FORMAT& format, YC48_IMAGE& frame) {
  frame.w = format.width;
  frame.h = format.height;
  planes_to_frame(planes, format, frame, 0, format.height);
}

void frame_to_planes(const YC48_IMAGE& frame, const Y4M_FORMAT& format, uint8_t* planes) {
  frame_to_planes(frame, format, planes, 0, format.height);
}
