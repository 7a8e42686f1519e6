#pragma once
// The benchmark's results as a markdown table or as CSV lines.
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

struct RESULT {
  std::string job;
  std::string implementation;
  int threads;
  double median_ms;
  double min_ms;
};

// Work memory of the engine for one variant and buffer size (WxH): what the
// engine's block takes, or what the 32-bit plug-in held after its frames as
// the test host's page watch saw it.
struct MEMORY_RESULT {
  std::string variant;
  std::string buffer;
  size_t bytes;
  bool plugin;
};

// The result of one cell, or null where the run has none (the last, should
// a cell appear twice).
const RESULT* find_result(const std::vector<RESULT>& results, const std::string& job,
                          const std::string& implementation, int threads);

// Rows: implementation and threads, in order of first appearance; columns:
// the jobs in the given order; cells: median milliseconds per frame.
void print_markdown(std::FILE* out, const std::vector<RESULT>& results,
                    const std::vector<std::string>& jobs);

// "job,implementation,threads,median_ms,min_ms" and one line per result.
void print_csv(std::FILE* out, const std::vector<RESULT>& results);

// One table per engine variant ("engine NAME" rows), a line per job: its
// times on 1 and 2 threads and the speed-up, the 32-bit plug-in's time and
// its ratio to the native engine, then every peer's time with the ratio of
// the variant's time to it (below 1: the engine is faster).
void print_variant_tables(std::FILE* out, const std::vector<RESULT>& results,
                          const std::vector<std::string>& jobs);

// Bytes per variant (rows) and buffer size (columns).
void print_memory_table(std::FILE* out, const std::vector<MEMORY_RESULT>& memory);
