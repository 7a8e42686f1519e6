#pragma once
// Runs the built `morvane` in a scratch folder and collects what it said.
#include <cstdint>
#include <string>
#include <vector>

struct TOOL_RUN {
  int status;          // exit status; -1 when it did not exit normally
  std::string errors;  // everything it wrote to standard error
  long peak_kib;       // the tool's peak resident memory (KiB)
};

// A fresh folder under the temporary directory, removed with its contents.
struct SCRATCH_DIR {
  std::string path;
  SCRATCH_DIR();
  ~SCRATCH_DIR();
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::vector<std::string> names() const;  // sorted names of the files in it
};

// Runs morvane with `args` (each passed as one argument) inside `dir`;
// `stdin_file` / `stdout_file`, when not empty, are redirected.
TOOL_RUN run_tool(const SCRATCH_DIR& dir, const std::vector<std::string>& args,
                  const std::string& stdin_file = {}, const std::string& stdout_file = {});

std::vector<uint8_t> read_bytes(const std::string& path);
void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes);
