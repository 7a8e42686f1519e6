#include "frame_size.h"

#include "size_text.h"

// The size field's own reading: everything but ASCII digits separates, the
// first two digit runs count, and a run too large for int32_t saturates.
bool read_size_numbers(std::string_view text, int32_t& width, int32_t& height) {
  std::string digits(text);
  for (char& c : digits)
    if (c == '\0') c = ' ';
  blank_non_digits(digits.data());
  return read_two_numbers(digits.c_str(), &width, &height);
}

std::string check_frame_size(int64_t width, int64_t height) {
  if (width < 1 || height < 1)
    return "size " + std::to_string(width) + "x" + std::to_string(height) + " has no pixels";
  if (width > frame_side_limit || height > frame_side_limit)
    return "size " + std::to_string(width) + "x" + std::to_string(height) +
           " is above the engine's limit of " + std::to_string(frame_side_limit) + " per side";
  return {};
}
