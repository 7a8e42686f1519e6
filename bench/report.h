#pragma once
// The benchmark's results as a markdown table or as CSV lines.
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

// Rows: implementation and threads, in order of first appearance; columns:
// the jobs in the given order; cells: median milliseconds per frame.
void print_markdown(std::FILE* out, const std::vector<RESULT>& results,
                    const std::vector<std::string>& jobs);

// "job,implementation,threads,median_ms,min_ms" and one line per result.
void print_csv(std::FILE* out, const std::vector<RESULT>& results);
