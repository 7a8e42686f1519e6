#pragma once
// Runs a program as the soak does: its standard streams from and to files,
// and, when asked, a signal sent to it after a delay.
#include <string>
#include <vector>

struct CHILD_RUN {
  int status;          // exit code, or 128 + the signal that ended it
  std::string errors;  // what it wrote to standard error
};

struct CHILD_OPTIONS {
  std::string input;   // standard input from this file (empty: /dev/null)
  std::string output;  // standard output to this file (empty: /dev/null)
  int signal = 0;      // sent after `delay_us`, when not 0
  int delay_us = 0;
};

CHILD_RUN run_child(const std::vector<std::string>& args, const CHILD_OPTIONS& options);

// A child left running while the soak does something else (its `signal`
// and `delay_us` are not used).
struct CHILD {
  int pid = -1;
  std::string errors_path;
  int errors_fd = -1;
};

CHILD start_child(const std::vector<std::string>& args, const CHILD_OPTIONS& options);
// True, with `run` filled, once the child has ended; false while it runs.
bool child_ended(CHILD& child, CHILD_RUN& run);
CHILD_RUN wait_child(CHILD& child);
