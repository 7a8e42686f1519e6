#include "report.h"

#include <utility>

const RESULT* find_result(const std::vector<RESULT>& results, const std::string& job,
                          const std::string& implementation, int threads) {
  const RESULT* found = nullptr;
  for (const RESULT& r : results)
    if (r.job == job && r.implementation == implementation && r.threads == threads) found = &r;
  return found;
}

namespace {

bool starts_with(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

// Appends `item` unless the list holds it already: lists in order of first appearance.
template <class T>
void add_once(std::vector<T>& list, const T& item) {
  for (const T& known : list)
    if (known == item) return;
  list.push_back(item);
}

std::vector<std::string> implementations(const std::vector<RESULT>& results) {
  std::vector<std::string> names;
  for (const RESULT& r : results) add_once(names, r.implementation);
  return names;
}

// "| lead | column suffix | ..." and the separator line; `lead` holds the
// first two columns' titles with their bars.
void print_header(std::FILE* out, const char* lead, const std::vector<std::string>& columns,
                  const char* suffix) {
  std::fprintf(out, "| %s |", lead);
  for (const std::string& c : columns) std::fprintf(out, " %s%s |", c.c_str(), suffix);
  std::fprintf(out, "\n|---|---|");
  for (size_t i = 0; i < columns.size(); ++i) std::fprintf(out, "---|");
  std::fprintf(out, "\n");
}

void print_ms(std::FILE* out, const RESULT* r) {
  if (r) {
    std::fprintf(out, " %.2f |", r->median_ms);
  } else {
    std::fprintf(out, " |");
  }
}

void print_ratio(std::FILE* out, const RESULT* a, const RESULT* b) {
  if (a && b && b->median_ms > 0) {
    std::fprintf(out, " %.2f |", a->median_ms / b->median_ms);
  } else {
    std::fprintf(out, " |");
  }
}

}  // namespace

void print_markdown(std::FILE* out, const std::vector<RESULT>& results,
                    const std::vector<std::string>& jobs) {
  std::vector<std::pair<std::string, int>> rows;
  for (const RESULT& r : results) add_once(rows, {r.implementation, r.threads});
  print_header(out, "implementation | threads", jobs, "");
  for (const auto& row : rows) {
    std::fprintf(out, "| %s | %d |", row.first.c_str(), row.second);
    for (const std::string& job : jobs)
      print_ms(out, find_result(results, job, row.first, row.second));
    std::fprintf(out, "\n");
  }
}

void print_variant_tables(std::FILE* out, const std::vector<RESULT>& results,
                          const std::vector<std::string>& jobs) {
  std::vector<std::string> peers;
  for (const std::string& name : implementations(results))
    if (!starts_with(name, "engine ") && !starts_with(name, "plug-in ")) peers.push_back(name);
  for (const std::string& engine : implementations(results)) {
    if (!starts_with(engine, "engine ")) continue;
    const std::string variant = engine.substr(7);
    const std::string plugin = "plug-in " + variant + " (32-bit)";
    std::fprintf(out, "\n### %s\n\n", engine.c_str());
    std::fprintf(out,
                 "| job | 1 thread | 2 threads | 1 / 2 threads | 32-bit plug-in | plug-in / native "
                 "| plug-in, 2 threads | plug-in / native |");
    for (const std::string& peer : peers)
      std::fprintf(out, " %s | %s / it |", peer.c_str(), variant.c_str());
    std::fprintf(out, "\n|---|---|---|---|---|---|---|---|");
    for (size_t i = 0; i < peers.size(); ++i) std::fprintf(out, "---|---|");
    std::fprintf(out, "\n");
    for (const std::string& job : jobs) {
      const RESULT* one = find_result(results, job, engine, 1);
      const RESULT* two = find_result(results, job, engine, 2);
      const RESULT* plugin_one = find_result(results, job, plugin, 1);
      const RESULT* plugin_two = find_result(results, job, plugin, 2);
      std::fprintf(out, "| %s |", job.c_str());
      print_ms(out, one);
      print_ms(out, two);
      print_ratio(out, one, two);
      print_ms(out, plugin_one);
      print_ratio(out, plugin_one, one);
      print_ms(out, plugin_two);
      print_ratio(out, plugin_two, two);
      for (const std::string& peer : peers) {
        const RESULT* p = find_result(results, job, peer, 1);
        print_ms(out, p);
        print_ratio(out, one, p);
      }
      std::fprintf(out, "\n");
    }
  }
}

void print_memory_table(std::FILE* out, const std::vector<MEMORY_RESULT>& memory) {
  std::vector<std::string> buffers;
  std::vector<std::pair<std::string, bool>> rows;
  for (const MEMORY_RESULT& m : memory) {
    add_once(buffers, m.buffer);
    add_once(rows, {m.variant, m.plugin});
  }
  print_header(out, "variant | measured in", buffers, " buffer");
  for (const auto& row : rows) {
    std::fprintf(out, "| %s | %s |", row.first.c_str(),
                 row.second ? "32-bit plug-in (test host's page watch)" : "engine (native)");
    for (const std::string& b : buffers) {
      const MEMORY_RESULT* found = nullptr;
      for (const MEMORY_RESULT& m : memory)
        if (m.variant == row.first && m.plugin == row.second && m.buffer == b) found = &m;
      if (found) {
        std::fprintf(out, " %zu (%.2f MiB) |", found->bytes, found->bytes / 1048576.0);
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
