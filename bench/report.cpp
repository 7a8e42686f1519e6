#include "report.h"

#include <utility>

void print_markdown(std::FILE* out, const std::vector<RESULT>& results,
                    const std::vector<std::string>& jobs) {
  std::vector<std::pair<std::string, int>> rows;
  for (const RESULT& r : results) {
    const std::pair<std::string, int> row{r.implementation, r.threads};
    bool seen = false;
    for (const auto& known : rows) seen = seen || known == row;
    if (!seen) rows.push_back(row);
  }
  std::fprintf(out, "| implementation | threads |");
  for (const std::string& job : jobs) std::fprintf(out, " %s |", job.c_str());
  std::fprintf(out, "\n|---|---|");
  for (size_t i = 0; i < jobs.size(); ++i) std::fprintf(out, "---|");
  std::fprintf(out, "\n");
  for (const auto& row : rows) {
    std::fprintf(out, "| %s | %d |", row.first.c_str(), row.second);
    for (const std::string& job : jobs) {
      const RESULT* found = nullptr;
      for (const RESULT& r : results)
        if (r.job == job && r.implementation == row.first && r.threads == row.second) found = &r;
      if (found) {
        std::fprintf(out, " %.2f |", found->median_ms);
      } else {
        std::fprintf(out, " |");
      }
    }
    std::fprintf(out, "\n");
  }
}

void print_csv(std::FILE* out, const std::vector<RESULT>& results) {
  std::fprintf(out, "job,implementation,threads,median_ms,min_ms\n");
  for (const RESULT& r : results)
    std::fprintf(out, "%s,%s,%d,%.3f,%.3f\n", r.job.c_str(), r.implementation.c_str(), r.threads,
                 r.median_ms, r.min_ms);
}
