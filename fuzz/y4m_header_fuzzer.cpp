// y4m header lines of any bytes: parsing never fails badly, a header it takes
// describes a frame the engine can hold, and the header it writes back reads
// as the same format with every other field kept.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "frame_size.h"
#include "y4m_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  line = line.substr(0, line.find('\n'));
  (void)is_y4m_frame_line(line);
  Y4M_HEADER header;
  if (!parse_y4m_header(line, header).empty()) return 0;
  const Y4M_FORMAT& f = header.format;
  if (f.width < 1 || f.height < 1 || f.width > frame_side_limit || f.height > frame_side_limit)
    std::abort();
  if ((f.depth != 8 && f.depth != 10 && f.depth != 12 && f.depth != 16) || f.shift_x < 0 ||
      f.shift_x > 1 || f.shift_y < 0 || f.shift_y > 1 || (f.planes != 1 && f.planes != 3) ||
      (f.planes == 1 && (f.shift_x || f.shift_y)))
    std::abort();
  if (y4m_frame_bytes(f) < static_cast<uint64_t>(f.width) * f.height) std::abort();

  const int32_t w = f.width % 97 + 1, h = f.height % 89 + 1;
  const std::string written = format_y4m_header(header, w, h);
  if (written.back() != '\n') std::abort();
  Y4M_HEADER again;
  if (!parse_y4m_header(std::string_view(written).substr(0, written.size() - 1), again).empty())
    std::abort();
  if (again.format.width != w || again.format.height != h || again.format.depth != f.depth ||
      again.format.shift_x != f.shift_x || again.format.shift_y != f.shift_y ||
      again.format.siting_x != f.siting_x || again.format.siting_y != f.siting_y ||
      again.format.planes != f.planes || again.format.full_range != f.full_range)
    std::abort();
  if (again.fields.size() != header.fields.size()) std::abort();
  for (size_t i = 0; i < header.fields.size(); ++i)
    if (header.fields[i][0] != 'W' && header.fields[i][0] != 'H' &&
        header.fields[i] != again.fields[i])
      std::abort();
  return 0;
}
