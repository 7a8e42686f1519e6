#pragma once
// Other programs run from a test under Wine: the test host and the plug-in
// it loads, found by paths of the build tree.
#include <string>

// A path of the build tree (a Unix path under Wine) as the Windows side names it.
std::string dos_path(const char* unix_path);

// Runs a program to its end; returns its exit code (-1 when it cannot start)
// and what it printed to stdout and stderr.
int run_program(const std::string& command_line, std::string& output);
