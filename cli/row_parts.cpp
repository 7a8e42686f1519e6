#include "row_parts.h"

#include <system_error>
#include <thread>
#include <vector>

#include "exit_signals.h"

void run_on_rows(int threads, int32_t rows, const std::function<void(int32_t, int32_t)>& part) {
  const int parts = threads < 1 ? 1 : threads > rows ? (rows < 1 ? 1 : rows) : threads;
  const auto share = [&](int i) { return static_cast<int32_t>(int64_t{rows} * i / parts); };
  std::vector<std::jthread> helpers;  // joined however this returns
  std::vector<int> left;              // shares no thread took
  {
    // Born with the ending signals blocked: they go to the main thread.
    const ENDING_SIGNALS_HELD held;
    for (int i = 1; i < parts; ++i) try {
        helpers.emplace_back(part, share(i), share(i + 1));
      } catch (const std::system_error&) {
        left.push_back(i);
      }
  }
  part(share(0), share(1));
  for (int i : left) part(share(i), share(i + 1));
}
