#include "pending_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#if defined(_WIN32)
#include <windows.h>
#else
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

}  // namespace

PENDING_FILE::~PENDING_FILE() { discard_pending_file(*this); }

bool open_pending_file(PENDING_FILE& pending, const std::string& path) {
  discard_pending_file(pending);
  std::string temp = path + ".partial-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return false;
#if !defined(_WIN32)
  // mkstemp makes the file private; give it the mode a plain create would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
#endif
  pending.path = path;
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

COMMIT_RESULT commit_pending_file(PENDING_FILE& pending) {
  std::FILE* f = pending.file;
  pending.file = nullptr;
  const bool written = std::fflush(f) == 0 && !std::ferror(f);
  const int write_error = errno;
  if (std::fclose(f) != 0 || !written) {
    const int e = written ? errno : write_error;
    discard_pending_file(pending);
    errno = e;
    return COMMIT_RESULT::write_failed;
  }
  if (!rename_over(pending.temp_path, pending.path)) {
    const int e = errno;
    discard_pending_file(pending);
    errno = e;
    return COMMIT_RESULT::rename_failed;
  }
  pending.temp_path.clear();
  return COMMIT_RESULT::done;
}

void discard_pending_file(PENDING_FILE& pending) {
  if (pending.file) std::fclose(pending.file);
  pending.file = nullptr;
  if (!pending.temp_path.empty()) {
    std::remove(pending.temp_path.c_str());
    pending.temp_path.clear();
  }
}

bool replace_file(const std::string& path, const std::function<bool(std::FILE*)>& write) {
  PENDING_FILE pending;
  return open_pending_file(pending, path) && write(pending.file) &&
         commit_pending_file(pending) == COMMIT_RESULT::done;
}
