#include "output_target.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
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
  int descriptor = -1;            // one of the tool's own descriptors: /proc/self/fd/N
  bool other_descriptor = false;  // one of another process's: /proc/PID/fd/N
};

// N when `path` is a descriptor's link, /proc/PID/fd/N or
// /proc/PID/task/TID/fd/N however spelled (/dev/fd/N, /proc/self/fd/N), with
// `ours` telling whether PID is this process; -1 for any other path.
int descriptor_link(const std::string& path, bool& ours) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
    return -1;
  char* real = realpath(folder_of(path).c_str(), nullptr);
  if (!real) return -1;
  const std::string folder = real;
  std::free(real);
  if (folder.rfind("/proc/", 0) != 0 || folder.size() < 9 ||
      folder.compare(folder.size() - 3, 3, "/fd") != 0)
    return -1;
  const std::string own = "/proc/" + std::to_string(getpid());
  ours = folder == own + "/fd" || folder.rfind(own + "/task/", 0) == 0;
  return std::stoi(name);
}

// Follows `path` while it is a symlink, to the file it finally names (which
// need not exist: a dangling link names the file it would create), or to a
// descriptor's link, where it stops.
RESOLVED follow_links(const std::string& path) {
  RESOLVED r{path};
  for (int hops = 0;; ++hops) {
    bool ours = false;
    if (const int fd = descriptor_link(r.path, ours); fd >= 0) {
      if (ours) r.descriptor = fd;
      r.other_descriptor = !ours;
      return r;
    }
    struct stat st {};
    if (lstat(r.path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return r;
    if (hops == link_limit) fail_errno(path, "cannot write", ELOOP);
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
    const ssize_t n = readlink(r.path.c_str(), target.data(), target.size());
    if (n < 0) fail_errno(path, "cannot follow the symlink", errno);
    target.resize(static_cast<size_t>(n));
    r.path = target[0] == '/' ? target : folder_of(r.path) + "/" + target;
  }
}

// The tool's own descriptor `fd`, named by `path`: written through, as a
// stream. Throws TOOL_ERROR when it is closed, read-only or a folder.
OUTPUT_TARGET descriptor_target(const std::string& path, int fd) {
  const std::string which = "descriptor " + std::to_string(fd) +
                            (fd == 1   ? " (standard output)"
                             : fd == 2 ? " (standard error)"
                                       : "");
  const int flags = fcntl(fd, F_GETFL);
  OUTPUT_TARGET target;
  if (flags < 0 || fstat(fd, &target.file) != 0)
    fail(path, "cannot write: " + which + " is closed");
  if ((flags & O_ACCMODE) == O_RDONLY)
    fail(path, "cannot write: " + which + " is open only for reading");
  if (S_ISDIR(target.file.st_mode)) fail(path, "is a folder, not a file");
  target.kind = OUTPUT_KIND::stream;
  target.path = path;
  target.descriptor = fd;
  target.truncate = S_ISREG(target.file.st_mode) && (flags & O_APPEND) == 0;
  return target;
}

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A kind of file that is written as a stream: a FIFO or a device.
bool is_stream(const struct stat& file) {
  return S_ISFIFO(file.st_mode) || S_ISCHR(file.st_mode) || S_ISBLK(file.st_mode);
}

}  // namespace

OUTPUT_TARGET find_output_target(const std::string& path) {
  const RESOLVED resolved = follow_links(path);
  if (resolved.descriptor >= 0) return descriptor_target(path, resolved.descriptor);
  OUTPUT_TARGET target;
  if (stat(path.c_str(), &target.file) != 0) {
    if (errno != ENOENT) fail_errno(path, "cannot write", errno);
    // Nothing there yet, or a symlink to a file still to be made.
    target.kind = OUTPUT_KIND::new_file;
    target.path = resolved.path;
    return target;
  }
  if (S_ISDIR(target.file.st_mode)) fail(path, "is a folder, not a file");
  if (is_stream(target.file)) {
    target.kind = OUTPUT_KIND::stream;
    target.path = path;
    return target;
  }
  if (!S_ISREG(target.file.st_mode)) fail(path, "is neither a file, a FIFO nor a device");

  struct stat named {};
  if (resolved.other_descriptor || lstat(resolved.path.c_str(), &named) != 0 ||
      !same_file(named, target.file)) {
    // A file open in another process, reached only through its descriptor:
    // opened and emptied, as cp opens it.
    target.kind = OUTPUT_KIND::stream;
    target.path = path;
    target.truncate = true;
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
  const RESOLVED resolved = follow_links(path);
  if (resolved.descriptor >= 0)
    return descriptor_target(path, resolved.descriptor).kind == OUTPUT_KIND::stream;
  struct stat file {};
  return stat(path.c_str(), &file) == 0 &&
         (is_stream(file) || (S_ISREG(file.st_mode) && resolved.other_descriptor));
}

void release_fifo_reader(const std::string& path) {
  struct stat file {};
  if (stat(path.c_str(), &file) != 0 || !S_ISFIFO(file.st_mode)) return;
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) close(fd);
}
