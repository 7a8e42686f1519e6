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

CHILD_RUN run_child(const std::vector<std::string>& args, const CHILD_OPTIONS& options) {
  char errors_path[] = "/tmp/morvane-soak-errors-XXXXXX";
  const int errors_fd = mkstemp(errors_path);
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    redirect(options.input, O_RDONLY, 0);
    redirect(options.output, O_WRONLY | O_CREAT | O_TRUNC, 1);
    if (errors_fd < 0 || dup2(errors_fd, 2) < 0) _exit(126);
    execv(argv[0], argv.data());
    _exit(127);
  }
  if (pid > 0 && options.signal) {
    usleep(static_cast<useconds_t>(options.delay_us));
    kill(pid, options.signal);
  }
  int raw = 0;
  if (pid > 0) waitpid(pid, &raw, 0);
  CHILD_RUN run{pid < 0            ? -1
                : WIFEXITED(raw)   ? WEXITSTATUS(raw)
                : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw)
                                   : -1,
                {}};
  std::ifstream e(errors_path);
  run.errors.assign(std::istreambuf_iterator<char>(e), {});
  if (errors_fd >= 0) close(errors_fd);
  unlink(errors_path);
  return run;
}
