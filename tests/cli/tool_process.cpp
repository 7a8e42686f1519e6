#include "tool_process.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace {

std::string quoted(const std::string& s) {
  std::string q(1, '\'');
  for (char c : s) {
    if (c == '\'')
      q.append("'\\''");
    else
      q.push_back(c);
  }
  q.push_back('\'');
  return q;
}

}  // namespace

SCRATCH_DIR::SCRATCH_DIR() {
  const char* base = std::getenv("TMPDIR");
  std::string templ = std::string(base && *base ? base : "/tmp") + "/morvane-cli-XXXXXX";
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path = templ;
}

SCRATCH_DIR::~SCRATCH_DIR() {
  for (const std::string& n : names()) unlink(file(n).c_str());
  rmdir(path.c_str());
}

std::vector<std::string> SCRATCH_DIR::names() const {
  std::vector<std::string> out;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string n = e->d_name; n != "." && n != "..") out.push_back(n);
    closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

TOOL_RUN run_tool(const SCRATCH_DIR& dir, const std::vector<std::string>& args,
                  const std::string& stdin_file, const std::string& stdout_file) {
  std::string errors = dir.path;
  errors.append(".stderr");
  // The shell hands over to the tool (exec), so the process waited for is the tool.
  std::string command = "cd ";
  command.append(quoted(dir.path)).append(" && exec ").append(quoted(MORVANE_TOOL));
  for (const std::string& a : args) command.append(" ").append(quoted(a));
  if (!stdin_file.empty()) command.append(" <").append(quoted(stdin_file));
  command.append(" >").append(stdout_file.empty() ? std::string("/dev/null") : quoted(stdout_file));
  command.append(" 2>").append(quoted(errors));
  TOOL_RUN run{-1, {}, 0};
  const pid_t child = fork();
  if (child == 0) {
    alarm(120);  // a tool that never ends fails its test instead of hanging it
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int raw = 0;
  struct rusage usage {};
  if (child > 0 && wait4(child, &raw, 0, &usage) == child) {
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.peak_kib = usage.ru_maxrss;
  }
  std::ifstream e(errors);
  run.errors.assign(std::istreambuf_iterator<char>(e), {});
  unlink(errors.c_str());
  return run;
}

std::vector<uint8_t> read_bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

void write_bytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
