// Size texts of any bytes: a size is read only from "<digits><x or *><digits>"
// and nothing else, with the values of a plain digit-by-digit reading (runs
// beyond INT32_MAX saturated), and only when the engine takes it.
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

bool all_digits(std::string_view run) {
  if (run.empty()) return false;
  for (char c : run)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t split = text.find_first_of("x*");
  const bool well_formed =
      split != text.npos && all_digits(text.substr(0, split)) && all_digits(text.substr(split + 1));
  int32_t w = -1, h = -1;
  const std::string wrong = read_size_option(text, w, h);
  if (!well_formed) {
    if (wrong.empty() || w != -1 || h != -1) std::abort();
    return 0;
  }
  const int32_t want_w = digits_value(text.substr(0, split));
  const int32_t want_h = digits_value(text.substr(split + 1));
  const bool fits =
      want_w >= 1 && want_h >= 1 && want_w <= frame_side_limit && want_h <= frame_side_limit;
  if (wrong.empty() != fits) std::abort();
  if (fits && (w != want_w || h != want_h)) std::abort();
  if (wrong.empty() != (check_frame_size(want_w, want_h).empty())) std::abort();
  return 0;
}
