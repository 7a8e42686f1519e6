#include "chart.h"

#include <cstdio>

namespace {

constexpr int width = 900;
constexpr int label_width = 260;
constexpr int bar_height = 16;
constexpr int bar_gap = 4;
constexpr int panel_top = 26;  // the job's title above its bars

bool charted(const RESULT& r) {
  return r.threads == 1 && r.implementation != "engine portable" &&
         r.implementation != "engine sse" && r.implementation != "plug-in sse (32-bit)";
}

const char* colour_of(const std::string& implementation) {
  if (implementation.rfind("engine ", 0) == 0) return "#1f5fa8";
  if (implementation.rfind("plug-in ", 0) == 0) return "#6fa8dc";
  if (implementation.rfind("memory floor", 0) == 0) return "#b0b0b0";
  return "#e07b39";
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '&') {
      out += "&amp;";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace

bool write_chart(const std::string& path, const std::vector<RESULT>& results,
                 const std::vector<std::string>& jobs, const std::string& caption) {
  std::vector<std::vector<const RESULT*>> panels;
  int height = 40;
  for (const std::string& job : jobs) {
    std::vector<const RESULT*> bars;
    for (const RESULT& r : results)
      if (r.job == job && charted(r)) bars.push_back(&r);
    panels.push_back(bars);
    height += panel_top + static_cast<int>(bars.size()) * (bar_height + bar_gap) + 12;
  }
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (!out) return false;
  std::fprintf(out,
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
               "font-family=\"sans-serif\" font-size=\"12\">\n"
               "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n"
               "<text x=\"10\" y=\"20\" font-size=\"13\">%s</text>\n",
               width, height, escaped(caption).c_str());
  int y = 40;
  for (size_t p = 0; p < panels.size(); ++p) {
    double most = 0;
    for (const RESULT* r : panels[p]) most = r->median_ms > most ? r->median_ms : most;
    std::fprintf(out, "<text x=\"10\" y=\"%d\" font-weight=\"bold\">%s, ms per frame</text>\n",
                 y + 16, escaped(jobs[p]).c_str());
    y += panel_top;
    for (const RESULT* r : panels[p]) {
      const double span = width - label_width - 70;
      const double length = most > 0 ? span * r->median_ms / most : 0;
      std::fprintf(out,
                   "<text x=\"%d\" y=\"%d\" text-anchor=\"end\">%s</text>\n"
                   "<rect x=\"%d\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"%s\"/>\n"
                   "<text x=\"%.1f\" y=\"%d\">%.2f</text>\n",
                   label_width - 8, y + 12, escaped(r->implementation).c_str(), label_width, y,
                   length, bar_height, colour_of(r->implementation), label_width + length + 6,
                   y + 12, r->median_ms);
      y += bar_height + bar_gap;
    }
    y += 12;
  }
  std::fprintf(out, "</svg>\n");
  return std::fclose(out) == 0;
}
