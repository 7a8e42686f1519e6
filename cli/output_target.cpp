#include "output_target.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tool_error.h"

namespace {

constexpr int link_limit = 40;  // as the kernel's own limit on a path's symlinks

[[noreturn]] void fail_errno(const std::string& path, const std::string& what, int error) {
  fail(path, what + ": " + std::strerror(error));
}

std::string folder_of(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

struct RESOLVED {
  std::string path;
  bool through_proc = false;  // a link into /proc, such as /dev/stdout's
};

// Follows `path` while it is a symlink, to the file it finally names (which
// need not exist: a dangling link names the file it would create).
RESOLVED follow_links(const std::string& path) {
  RESOLVED r{path, false};
  for (int hops = 0;; ++hops) {
    struct stat st {};
    if (lstat(r.path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return r;
    if (hops == link_limit) fail_errno(path, "cannot write", ELOOP);
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = readlink(r.path.c_str(), target.data(), target.size());
    if (n < 0) fail_errno(path, "cannot follow the symlink", errno);
    target.resize(static_cast<size_t>(n));
    if (target.rfind("/proc/", 0) == 0) r.through_proc = true;
    r.path = target[0] == '/' ? target : folder_of(r.path) + "/" + target;
  }
}

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

bool is_stream(const struct stat& file) {
  return S_ISFIFO(file.st_mode) || S_ISCHR(file.st_mode) || S_ISBLK(file.st_mode);
}

OUTPUT_TARGET find_output_target(const std::string& path) {
  OUTPUT_TARGET target;
  if (stat(path.c_str(), &target.file) != 0) {
    if (errno != ENOENT) fail_errno(path, "cannot write", errno);
    // Nothing there yet, or a symlink to a file still to be made.
    target.kind = OUTPUT_KIND::new_file;
    target.path = follow_links(path).path;
    return target;
  }
  if (S_ISDIR(target.file.st_mode)) fail(path, "is a folder, not a file");
  if (is_stream(target.file)) {
    target.kind = OUTPUT_KIND::stream;
    target.path = path;
    return target;
  }
  if (!S_ISREG(target.file.st_mode)) fail(path, "is neither a file, a FIFO nor a device");

  const RESOLVED resolved = follow_links(path);
  struct stat named {};
  if (resolved.through_proc || lstat(resolved.path.c_str(), &named) != 0 ||
      !same_file(named, target.file)) {
    // A file open in some process (/dev/stdout redirected to a file): write
    // where that descriptor writes, as the shell set it up.
    target.kind = OUTPUT_KIND::stream;
    target.path = path;
    target.append = true;
    return target;
  }
  // The shell's ">" opens the file for writing; whatever refuses that
  // (permission bits, a read-only mount, a busy program) refuses the output.
  const int fd = open(resolved.path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) fail_errno(path, "cannot write", errno);
  close(fd);
  target.kind = OUTPUT_KIND::existing_file;
  target.path = resolved.path;
  return target;
}

bool names_a_stream(const std::string& path) {
  struct stat file {};
  return stat(path.c_str(), &file) == 0 &&
         (is_stream(file) || (S_ISREG(file.st_mode) && follow_links(path).through_proc));
}

void release_fifo_reader(const std::string& path) {
  struct stat file {};
  if (stat(path.c_str(), &file) != 0 || !S_ISFIFO(file.st_mode)) return;
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) close(fd);
}
