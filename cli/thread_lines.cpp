#include "thread_lines.h"

#include <cstdio>

void say_threads_started(int asked, int started) {
  // Fewer threads give the same bits, only later.
  if (started < asked)
    std::fprintf(stderr, "morvane: --threads %d: the system let only %d start; running on those\n",
                 asked, started);
}

void say_running_on_one(int threads) {
  std::fprintf(stderr,
               "morvane: memory ran short for the work buffers on %d threads; running on one\n",
               threads);
}
