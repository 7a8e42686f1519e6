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
