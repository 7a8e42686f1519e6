#include "size_text.h"

#include <cstdio>
#include <limits>

void format_size_text(char (&text)[combo_text_size], int32_t width, int32_t height) {
  std::snprintf(text, sizeof text, "%dx%d", static_cast<int>(width), static_cast<int>(height));
}

void blank_non_digits(char* text) {
  for (; *text; ++text) {
    const unsigned char c = static_cast<unsigned char>(*text);
    if (c < '0' || c > '9') *text = ' ';
  }
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

const char* skip_spaces(const char* p) {
  while (*p == ' ') ++p;
  return p;
}

// Reads the digit run at p (which must start with a digit), saturating at
// INT32_MAX, and returns the position after the run.
const char* read_digit_run(const char* p, int32_t* value) {
  constexpr int32_t limit = std::numeric_limits<int32_t>::max();
  int32_t v = 0;
  for (; is_digit(*p); ++p) {
    const int32_t digit = *p - '0';
    v = v > (limit - digit) / 10 ? limit : v * 10 + digit;
  }
  *value = v;
  return p;
}

}  // namespace

bool read_two_numbers(const char* text, int32_t* first, int32_t* second) {
  int32_t a = 0;
  int32_t b = 0;
  const char* p = skip_spaces(text);
  if (!is_digit(*p)) return false;
  p = skip_spaces(read_digit_run(p, &a));
  if (!is_digit(*p)) return false;
  read_digit_run(p, &b);
  *first = a;
  *second = b;
  return true;
}

bool parse_size_text(SIZE_COMBO& combo, int32_t* width, int32_t* height) {
  char text[combo_text_size] = {};
  combo.get_text(text);
  text[combo_text_size - 1] = '\0';
  blank_non_digits(text);

  int32_t w = 0;
  int32_t h = 0;
  if (!read_two_numbers(text, &w, &h)) return false;
  w = clamp_typed_dimension(w);
  h = clamp_typed_dimension(h);

  format_size_text(text, w, h);
  combo.set_text(text);
  *width = w;
  *height = h;
  return true;
}
