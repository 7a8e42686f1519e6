#include "timing.h"

#include <time.h>

#include <algorithm>
#include <chrono>
#include <numeric>

namespace {

using CLOCK = std::chrono::steady_clock;

double seconds_since(CLOCK::time_point start) {
  return std::chrono::duration<double>(CLOCK::now() - start).count();
}

// Milliseconds of processor time all the process's threads have had.
double process_cpu_ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return 1e3 * static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_nsec);
}

// Runs frames of one cell for about `seconds` (at least one frame).
void run_batch(CELL& cell, double seconds, bool timed, bool cpu_time) {
  if (cell.before_batch) cell.before_batch();
  const auto start = CLOCK::now();
  do {
    if (cell.before_frame) cell.before_frame();
    const auto t0 = CLOCK::now();
    const double cpu0 = cpu_time ? process_cpu_ms() : 0;
    cell.frame();
    const double cpu1 = cpu_time ? process_cpu_ms() : 0;
    const auto t1 = CLOCK::now();
    if (timed)
      cell.ms.push_back(cpu_time ? cpu1 - cpu0
                                 : std::chrono::duration<double, std::milli>(t1 - t0).count());
  } while (seconds_since(start) < seconds);
}

}  // namespace

void measure(std::vector<CELL>& cells, double min_seconds, bool cpu_time) {
  constexpr double batch_seconds = 0.1;
  for (CELL& c : cells) run_batch(c, batch_seconds, false, cpu_time);
  for (;;) {
    bool more = false;
    for (CELL& c : cells) {
      if (std::accumulate(c.ms.begin(), c.ms.end(), 0.0) >= 1000 * min_seconds) continue;
      run_batch(c, batch_seconds, true, cpu_time);
      more = true;
    }
    if (!more) break;
  }
  for (CELL& c : cells)
    if (c.after) c.after();
}

double median_of(std::vector<double> values) {
  if (values.empty()) return 0;
  const size_t mid = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + mid, values.end());
  if (values.size() % 2) return values[mid];
  const double upper = values[mid];
  return (*std::max_element(values.begin(), values.begin() + mid) + upper) / 2;
}

double minimum_of(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}
