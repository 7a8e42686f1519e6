#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

void redirect(const std::string& path, int flags, int fd) {
  const int opened = open(path.empty() ? "/dev/null" : path.c_str(), flags, 0644);
  if (opened < 0 || dup2(opened, fd) < 0) _exit(126);
  close(opened);
}

}  // namespace

CHILD start_child(const std::vector<std::string>& args, const CHILD_OPTIONS& options) {
  CHILD child;
  char errors_path[] = "/tmp/morvane-soak-errors-XXXXXX";
  child.errors_fd = mkstemp(errors_path);
  child.errors_path = errors_path;
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int errors_fd = child.errors_fd;
  child.pid = fork();
  if (child.pid == 0) {
    redirect(options.input, O_RDONLY, 0);
    redirect(options.output, O_WRONLY | O_CREAT | O_TRUNC, 1);
    if (errors_fd < 0 || dup2(errors_fd, 2) < 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

namespace {

CHILD_RUN ended(CHILD& child, int raw) {
  CHILD_RUN run{child.pid < 0      ? -1
                : WIFEXITED(raw)   ? WEXITSTATUS(raw)
                : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw)
                                   : -1,
                {}};
  std::ifstream e(child.errors_path);
  run.errors.assign(std::istreambuf_iterator<char>(e), {});
  if (child.errors_fd >= 0) close(child.errors_fd);
  unlink(child.errors_path.c_str());
  child.pid = -1;
  child.errors_fd = -1;
  return run;
}

}  // namespace

bool child_ended(CHILD& child, CHILD_RUN& run) {
  int raw = 0;
  if (child.pid > 0 && waitpid(child.pid, &raw, WNOHANG) == 0) return false;
  run = ended(child, raw);
  return true;
}

CHILD_RUN wait_child(CHILD& child) {
  int raw = 0;
  if (child.pid > 0) waitpid(child.pid, &raw, 0);
  return ended(child, raw);
}

CHILD_RUN run_child(const std::vector<std::string>& args, const CHILD_OPTIONS& options) {
  CHILD child = start_child(args, options);
  if (child.pid > 0 && options.signal) {
    usleep(static_cast<useconds_t>(options.delay_us));
    kill(child.pid, options.signal);
  }
  return wait_child(child);
}
