#include "size_text.h"

#include <limits>

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads the digit run starting at text[i] (skipping separators first) and
// moves i past it; false when no digit is left.
bool next_number(std::string_view text, size_t& i, int32_t& value) {
  while (i < text.size() && !is_digit(text[i])) ++i;
  if (i == text.size()) return false;
  constexpr int32_t most = std::numeric_limits<int32_t>::max();
  int32_t v = 0;
  for (; i < text.size() && is_digit(text[i]); ++i) {
    const int32_t d = text[i] - '0';
    v = v > (most - d) / 10 ? most : v * 10 + d;
  }
  value = v;
  return true;
}

}  // namespace

bool read_size_numbers(std::string_view text, int32_t& width, int32_t& height) {
  size_t i = 0;
  int32_t w = 0, h = 0;
  if (!next_number(text, i, w) || !next_number(text, i, h)) return false;
  width = w;
  height = h;
  return true;
}

std::string check_frame_size(int64_t width, int64_t height) {
  if (width < 1 || height < 1)
    return "size " + std::to_string(width) + "x" + std::to_string(height) + " has no pixels";
  if (width > frame_side_limit || height > frame_side_limit)
    return "size " + std::to_string(width) + "x" + std::to_string(height) +
           " is above the engine's limit of " + std::to_string(frame_side_limit) + " per side";
  return {};
}
