#include "frame_size.h"

#include "size_text.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Where the separator of "<digits><x or *><digits>" is; npos for any other text.
size_t separator_of(std::string_view text) {
  const size_t split = text.find_first_not_of("0123456789");
  if (split == 0 || split == std::string_view::npos || split + 1 >= text.size()) return text.npos;
  if (text[split] != 'x' && text[split] != '*') return text.npos;
  for (size_t i = split + 1; i < text.size(); ++i)
    if (!is_digit(text[i])) return text.npos;
  return split;
}

}  // namespace

std::string read_size_option(std::string_view text, int32_t& width, int32_t& height) {
  const size_t split = separator_of(text);
  if (split == text.npos)
    return "a size is two whole numbers joined by x or *, such as 1280x720 or 1280*720, and "
           "nothing else";
  // The field's digit reading, which saturates instead of wrapping.
  std::string numbers(text);
  numbers[split] = ' ';
  int32_t w = 0, h = 0;
  read_two_numbers(numbers.c_str(), &w, &h);
  if (std::string wrong = check_frame_size(w, h); !wrong.empty()) return wrong;
  width = w;
  height = h;
  return {};
}

std::string check_frame_size(int64_t width, int64_t height) {
  if (width < 1 || height < 1)
    return "size " + std::to_string(width) + "x" + std::to_string(height) + " has no pixels";
  if (width > frame_side_limit || height > frame_side_limit)
    return "size " + std::to_string(width) + "x" + std::to_string(height) +
           " is above the engine's limit of " + std::to_string(frame_side_limit) + " per side";
  return {};
}
