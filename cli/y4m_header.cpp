#include "y4m_header.h"

#include "frame_size.h"

namespace {

constexpr std::string_view signature = "YUV4MPEG2";

struct CHROMA_TAG {
  std::string_view tag;
  int planes;
  int shift_x, shift_y;
  CHROMA_SITING siting_x, siting_y;
  int depth;
};

constexpr CHROMA_SITING cosited = CHROMA_SITING::cosited;
constexpr CHROMA_SITING centred = CHROMA_SITING::centred;

// 420jpeg: centred both ways; 420mpeg2: co-sited across, centred down;
// 420paldv: co-sited both ways; 422: co-sited across. The deeper tags carry
// no siting: 4:2:0 centred, 4:2:2 co-sited across, as ffmpeg reads them.
constexpr CHROMA_TAG chroma_tags[] = {
    {"420jpeg", 3, 1, 1, centred, centred, 8},  {"420", 3, 1, 1, centred, centred, 8},
    {"420mpeg2", 3, 1, 1, cosited, centred, 8}, {"420paldv", 3, 1, 1, cosited, cosited, 8},
    {"422", 3, 1, 0, cosited, centred, 8},      {"444", 3, 0, 0, centred, centred, 8},
    {"420p10", 3, 1, 1, centred, centred, 10},  {"422p10", 3, 1, 0, cosited, centred, 10},
    {"444p10", 3, 0, 0, centred, centred, 10},  {"420p12", 3, 1, 1, centred, centred, 12},
    {"422p12", 3, 1, 0, cosited, centred, 12},  {"444p12", 3, 0, 0, centred, centred, 12},
    {"420p16", 3, 1, 1, centred, centred, 16},  {"422p16", 3, 1, 0, cosited, centred, 16},
    {"444p16", 3, 0, 0, centred, centred, 16},  {"mono", 1, 0, 0, centred, centred, 8},
    {"mono10", 1, 0, 0, centred, centred, 10},  {"mono12", 1, 0, 0, centred, centred, 12},
    {"mono16", 1, 0, 0, centred, centred, 16},
};

// A positive decimal number, saturating; -1 when `text` is not all digits.
int64_t read_count(std::string_view text) {
  if (text.empty()) return -1;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    v = v > 0x7fffffff ? v : v * 10 + (c - '0');
  }
  return v;
}

std::string quoted_field(std::string_view field) {
  std::string s;
  for (char c : field.substr(0, 40)) s.push_back(c >= 0x20 && c < 0x7f ? c : '?');
  return "'" + s + (field.size() > 40 ? "...'" : "'");
}

}  // namespace

std::string parse_y4m_header(std::string_view line, Y4M_HEADER& header) {
  if (line.substr(0, signature.size()) != signature ||
      (line.size() > signature.size() && line[signature.size()] != ' '))
    return "not a YUV4MPEG2 stream";
  Y4M_HEADER h;
  int64_t width = -1, height = -1;
  std::string_view rest = line.substr(signature.size());
  while (!rest.empty()) {
    const size_t start = rest.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    rest = rest.substr(start);
    const size_t end = rest.find(' ');
    const std::string_view field = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end);
    h.fields.emplace_back(field);
    const std::string_view value = field.substr(1);
    switch (field[0]) {
      case 'W':
        if ((width = read_count(value)) < 0)
          return "bad width " + quoted_field(field) + " in the y4m header";
        break;
      case 'H':
        if ((height = read_count(value)) < 0)
          return "bad height " + quoted_field(field) + " in the y4m header";
        break;
      case 'I':
        if (value != "p" && value != "?")
          return "unsupported y4m interlacing " + quoted_field(field) + " (only progressive, Ip)";
        break;
      case 'C': {
        const CHROMA_TAG* found = nullptr;
        for (const CHROMA_TAG& t : chroma_tags)
          if (t.tag == value) found = &t;
        if (!found)
          return "unsupported y4m colour space " + quoted_field(field) +
                 " (C444, C422, C420jpeg, C420mpeg2, C420paldv; C444, C422 or C420 with p10, p12 "
                 "or p16; Cmono, Cmono10, Cmono12, Cmono16)";
        h.format.planes = found->planes;
        h.format.shift_x = found->shift_x;
        h.format.shift_y = found->shift_y;
        h.format.siting_x = found->siting_x;
        h.format.siting_y = found->siting_y;
        h.format.depth = found->depth;
        break;
      }
      case 'X':
        if (value.substr(0, 11) == "COLORRANGE=") h.format.full_range = value == "COLORRANGE=FULL";
        break;
      default:
        break;
    }
  }
  if (width < 0) return "the y4m header has no width (W)";
  if (height < 0) return "the y4m header has no height (H)";
  if (const std::string wrong = check_frame_size(width, height); !wrong.empty())
    return "frame " + wrong;
  h.format.width = static_cast<int32_t>(width);
  h.format.height = static_cast<int32_t>(height);
  header = std::move(h);
  return {};
}

std::string format_y4m_header(const Y4M_HEADER& header, int32_t width, int32_t height) {
  std::string line(signature);
  for (const std::string& f : header.fields) {
    line.push_back(' ');
    if (f[0] == 'W')
      line.append("W").append(std::to_string(width));
    else if (f[0] == 'H')
      line.append("H").append(std::to_string(height));
    else
      line.append(f);
  }
  line.push_back('\n');
  return line;
}

bool is_y4m_frame_line(std::string_view line) {
  return line.substr(0, 5) == "FRAME" && (line.size() == 5 || line[5] == ' ');
}

int32_t chroma_width(const Y4M_FORMAT& f) { return (f.width + (1 << f.shift_x) - 1) >> f.shift_x; }

int32_t chroma_height(const Y4M_FORMAT& f) {
  return (f.height + (1 << f.shift_y) - 1) >> f.shift_y;
}

uint64_t y4m_frame_bytes(const Y4M_FORMAT& f) {
  const uint64_t luma = static_cast<uint64_t>(f.width) * static_cast<uint64_t>(f.height);
  const uint64_t chroma =
      static_cast<uint64_t>(chroma_width(f)) * static_cast<uint64_t>(chroma_height(f));
  return (luma + static_cast<uint64_t>(f.planes - 1) * chroma) * y4m_sample_bytes(f);
}
