#include "pending_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#endif

namespace {

bool rename_over(const std::string& from, const std::string& to) {
#if defined(_WIN32)
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  errno = EACCES;
  return false;
#else
  return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

// Copies the whole of `from` over the content of the file open as `out`,
// which keeps its identity (its other names, owner and permissions). The room
// for the new content is taken first, so a full disk fails the copy before it
// touches a byte of the old content. (Windows: never asked for.)
bool copy_into(const std::string& from, int out, bool& touched) {
  touched = false;
#if defined(_WIN32)
  (void)from;
  (void)out;
  errno = ENOSYS;
  return false;
#else
  const int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st {};
  bool done = fstat(in, &st) == 0;
  if (done && st.st_size > 0) {
    const int e = posix_fallocate(out, 0, st.st_size);
    done = e == 0 || e == EOPNOTSUPP || e == EINVAL;  // a file system without it
    if (!done) errno = e;
  }
  char chunk[1 << 16];
  off_t at = 0;
  while (done) {
    const ssize_t got = read(in, chunk, sizeof chunk);
    if (got <= 0) {
      done = got == 0;
      break;
    }
    touched = true;
    for (ssize_t put = 0; done && put < got;) {
      const ssize_t n = pwrite(out, chunk + put, static_cast<size_t>(got - put), at);
      done = n > 0;
      put += n > 0 ? n : 0;
      at += n > 0 ? n : 0;
    }
  }
  touched = touched || (done && at == 0);
  done = done && ftruncate(out, at) == 0;
  const int e = errno;
  close(in);
  errno = e;
  return done;
#endif
}

constexpr char temp_suffix[] = ".partial-XXXXXX";
constexpr size_t name_limit = 255;  // bytes of one name on the usual file systems

// "<folder>/<name>.partial-XXXXXX", with the name cut short where it would
// make the temporary name longer than a name may be (the final name may be).
std::string temp_template(const std::string& path, const std::string& temp_folder) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() > name_limit - (sizeof temp_suffix - 1))
    name.resize(name_limit - (sizeof temp_suffix - 1));
  return (temp_folder.empty() ? folder : temp_folder + "/") + name + temp_suffix;
}

}  // namespace

PENDING_FILE::~PENDING_FILE() { discard_pending_file(*this); }

bool open_pending_file(PENDING_FILE& pending, const std::string& path,
                       const std::string& temp_folder) {
  discard_pending_file(pending);
  pending.path = path;
  pending.in_place = false;
#if defined(_WIN32)
  (void)temp_folder;  // never asked for
#else
  if (!temp_folder.empty()) {
    // Beside other users' files: a folder of this user's alone (mkdtemp makes
    // it 0700), so that not even the temporary file's name is seen.
    std::string folder = temp_folder + "/morvane-XXXXXX";
    if (!mkdtemp(folder.data())) return false;
    pending.temp_folder = folder;
  }
#endif
  // mkstemp makes the file 0600 whatever the umask.
  std::string temp = temp_template(path, pending.temp_folder);
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    const int e = errno;
    discard_pending_file(pending);
    errno = e;
    return false;
  }
  pending.temp_path = temp;
  pending.file = fdopen(fd, "wb");
  if (!pending.file) {
    const int e = errno;
    close(fd);
    discard_pending_file(pending);
    errno = e;
    return false;
  }
  return true;
}

bool lock_pending_target(PENDING_FILE& pending) {
#if defined(_WIN32)
  (void)pending;
  errno = ENOSYS;
  return false;
#else
  if (pending.target >= 0) return true;
  pending.target = open(pending.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (pending.target < 0) return false;
  int locked;
  do locked = flock(pending.target, LOCK_EX);
  while (locked != 0 && errno == EINTR);
  if (locked == 0) return true;
  const int e = errno;
  close(pending.target);
  pending.target = -1;
  errno = e;
  return false;
#endif
}

COMMIT_RESULT commit_pending_file(PENDING_FILE& pending) {
  std::FILE* f = pending.file;
  pending.file = nullptr;
  const bool written = std::fflush(f) == 0 && !std::ferror(f);
  const int write_error = errno;
  COMMIT_RESULT result = COMMIT_RESULT::done;
  if (std::fclose(f) != 0 || !written) {
    if (!written) errno = write_error;
    result = COMMIT_RESULT::write_failed;
  } else if (pending.in_place) {
    bool touched = false;
    if (!lock_pending_target(pending))
      result = COMMIT_RESULT::write_failed;
    else if (!copy_into(pending.temp_path, pending.target, touched))
      result = touched ? COMMIT_RESULT::copy_failed : COMMIT_RESULT::write_failed;
#if !defined(_WIN32)
    // A write error some file systems report only when the file is closed.
    const int target = pending.target;
    pending.target = -1;
    if (target >= 0 && close(target) != 0 && result == COMMIT_RESULT::done)
      result = COMMIT_RESULT::copy_failed;
#endif
  } else if (rename_over(pending.temp_path, pending.path)) {
    pending.temp_path.clear();
  } else {
    result = COMMIT_RESULT::rename_failed;
  }
  const int e = errno;
  discard_pending_file(pending);
  errno = e;
  return result;
}

unsigned plain_file_mode() {
#if defined(_WIN32)
  return 0666;
#else
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
#endif
}

bool set_pending_mode(PENDING_FILE& pending, unsigned mode) {
#if defined(_WIN32)
  (void)pending;
  (void)mode;
  return true;
#else
  return fchmod(fileno(pending.file), mode & 07777) == 0;
#endif
}

void discard_pending_file(PENDING_FILE& pending) {
  if (pending.file) std::fclose(pending.file);
  pending.file = nullptr;
#if !defined(_WIN32)
  if (pending.target >= 0) close(pending.target);  // and so its lock
#endif
  pending.target = -1;
  if (!pending.temp_path.empty()) {
    std::remove(pending.temp_path.c_str());
    pending.temp_path.clear();
  }
  if (!pending.temp_folder.empty()) {
    std::remove(pending.temp_folder.c_str());
    pending.temp_folder.clear();
  }
}

bool replace_file(const std::string& path, const std::function<bool(std::FILE*)>& write) {
  PENDING_FILE pending;
  return open_pending_file(pending, path) && set_pending_mode(pending, plain_file_mode()) &&
         write(pending.file) && commit_pending_file(pending) == COMMIT_RESULT::done;
}
