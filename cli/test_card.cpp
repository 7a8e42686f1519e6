#include "test_card.h"

#include <cmath>
#include <numbers>

namespace {

struct RGB {
  int r, g, b;
};

struct CANVAS {
  PNG_PICTURE& p;
  void put(int32_t x, int32_t y, RGB c) {
    uint16_t* s = &p.samples[(static_cast<size_t>(y) * p.width + x) * 3];
    s[0] = static_cast<uint16_t>(c.r);
    s[1] = static_cast<uint16_t>(c.g);
    s[2] = static_cast<uint16_t>(c.b);
  }
};

RGB grey(int v) { return {v, v, v}; }

// Top band: the eight 75 % colour bars.
void draw_bars(CANVAS& c, int32_t top, int32_t bottom) {
  const RGB bars[8] = {grey(191),     {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                       {191, 0, 191}, {191, 0, 0},   {0, 0, 191},   grey(16)};
  for (int32_t y = top; y < bottom; ++y)
    for (int32_t x = 0; x < test_card_width; ++x) c.put(x, y, bars[x * 8 / test_card_width]);
}

// A circular zone plate whose rings reach one cycle per two pixels at the
// corners of its square: every frequency up to the limit, in every direction.
void draw_zone_plate(CANVAS& c, int32_t left, int32_t top, int32_t size) {
  const double half = size / 2.0;
  const double k = std::numbers::pi / (4.0 * half);  // phase k r^2: pi per pixel at r = 2 half
  for (int32_t y = 0; y < size; ++y)
    for (int32_t x = 0; x < size; ++x) {
      const double dx = x + 0.5 - half, dy = y + 0.5 - half;
      const double v = 0.5 + 0.5 * std::cos(k * (dx * dx + dy * dy));
      c.put(left + x, top + y, grey(static_cast<int>(std::lround(16 + 219 * v))));
    }
}

// Fine edges: stripes of 1, 2 and 4 pixels across and down, and a
// one-pixel checkerboard; coarse edges: large squares and a slanted edge.
void draw_edges(CANVAS& c, int32_t left, int32_t top, int32_t right, int32_t bottom) {
  const int32_t h = bottom - top;
  const int32_t column = (right - left) / 4;
  for (int32_t y = top; y < bottom; ++y) {
    const int32_t v = y - top;
    for (int32_t x = left; x < right; ++x) {
      const int32_t u = x - left;
      bool white;
      if (u < column) {  // vertical stripes of 1, 2, 4 pixels, one third each
        const int width = 1 << (v * 3 / h);
        white = (u / width) % 2;
      } else if (u < 2 * column) {  // horizontal stripes likewise, then a checkerboard
        const int part = (u - column) * 2 / column;
        white = part == 0 ? (v / (1 << (v * 3 / h))) % 2 : (u + v) % 2;
      } else if (u < 3 * column) {  // coarse squares
        white = ((u / 45) + (v / 45)) % 2;
      } else {  // a slanted edge, 1 in 8
        white = 8 * (u - 3 * column) > v + 4 * column;
      }
      c.put(x, y, grey(white ? 235 : 16));
    }
  }
}

// Bottom band: a grey ramp from black to white, then red, green and blue
// ramps.
void draw_ramps(CANVAS& c, int32_t top, int32_t bottom) {
  const int32_t rows = bottom - top;
  for (int32_t y = top; y < bottom; ++y) {
    const int band = (y - top) * 4 / rows;
    for (int32_t x = 0; x < test_card_width; ++x) {
      const int v = x * 255 / (test_card_width - 1);
      const RGB colours[4] = {grey(v), {v, 0, 0}, {0, v, 0}, {0, 0, v}};
      c.put(x, y, colours[band]);
    }
  }
}

}  // namespace

void draw_test_card(PNG_PICTURE& picture) {
  picture.width = test_card_width;
  picture.height = test_card_height;
  picture.channels = 3;
  picture.depth = 8;
  picture.samples.assign(static_cast<size_t>(test_card_width) * test_card_height * 3, 0);
  CANVAS c{picture};
  draw_bars(c, 0, 135);
  draw_zone_plate(c, 0, 135, 270);
  draw_edges(c, 270, 135, test_card_width, 405);
  draw_ramps(c, 405, test_card_height);
}
