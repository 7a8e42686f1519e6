// Size texts of any bytes: the two numbers read must be those of a plain
// digit-by-digit reading, with runs beyond INT32_MAX saturated.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "frame_size.h"

namespace {

// The value of a digit run, compared as text: no arithmetic to overflow.
int32_t digits_value(std::string_view run) {
  while (run.size() > 1 && run[0] == '0') run.remove_prefix(1);
  const std::string_view most = "2147483647";
  if (run.size() > most.size() || (run.size() == most.size() && run > most)) return INT32_MAX;
  return static_cast<int32_t>(std::stoll(std::string(run)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string_view runs[2];
  int found = 0;
  for (size_t i = 0; i < text.size() && found < 2;) {
    if (text[i] < '0' || text[i] > '9') {
      ++i;
      continue;
    }
    const size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    runs[found++] = text.substr(start, i - start);
  }
  int32_t w = -1, h = -1;
  const bool read = read_size_numbers(text, w, h);
  if (read != (found == 2)) std::abort();
  if (read && (w != digits_value(runs[0]) || h != digits_value(runs[1]))) std::abort();
  if (read) {
    const std::string wrong = check_frame_size(w, h);
    const bool fits = w >= 1 && h >= 1 && w <= frame_side_limit && h <= frame_side_limit;
    if (wrong.empty() != fits) std::abort();
  }
  return 0;
}
