#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "exit_signals.h"
#include "output_target.h"
#include "tool_error.h"

namespace {

std::string error_text(int error) { return std::strerror(error); }

void open_stream(OUTPUT_FILE& out, const OUTPUT_TARGET& target) {
  // One of the tool's own descriptors is written through, from its offset on.
  const bool own = target.descriptor >= 0;
  const int fd = own ? fcntl(target.descriptor, F_DUPFD_CLOEXEC, 3)
                     : open(target.path.c_str(),
                            O_WRONLY | O_NOCTTY | O_CLOEXEC | (target.truncate ? O_TRUNC : 0));
  if (fd < 0) fail(out.name, "cannot open: " + error_text(errno));
  out.cut_at_end = own && target.truncate;
  out.file = fdopen(fd, "wb");
  if (!out.file) {
    const int e = errno;
    close(fd);
    fail(out.name, "cannot open: " + error_text(e));
  }
  // Every frame goes to the reader as it is written.
  std::setvbuf(out.file, nullptr, _IONBF, 0);
  out.stream = true;
}

std::string temp_folder() {
  const char* folder = std::getenv("TMPDIR");
  return folder && *folder ? folder : "/tmp";
}

// Gives the new file the old one's owner and group; false when the system
// does not let this user give it those.
bool keep_owner(std::FILE* file, const struct stat& old) {
  return fchown(fileno(file), old.st_uid, old.st_gid) == 0;
}

void open_file(OUTPUT_FILE& out, const OUTPUT_TARGET& target) {
  const ENDING_SIGNALS_HELD held;
  PENDING_FILE& pending = out.pending;
  const bool existing = target.kind == OUTPUT_KIND::existing_file;
  bool made = open_pending_file(pending, target.path);
  bool elsewhere = false;
  if (!made && existing && (errno == EACCES || errno == EPERM || errno == EROFS))
    made = elsewhere = open_pending_file(pending, target.path, temp_folder());
  if (!made)
    fail(out.name, std::string(existing ? "cannot make its temporary file: " : "cannot create: ") +
                       error_text(errno));
  note_temp_file(pending.temp_path, pending.temp_folder);
  // A file with other names (hard links), in a folder that takes no new
  // file, or of an owner or group this user cannot give a new file (another
  // user's file that they may write), is filled in place once the new content
  // is whole, so it keeps its identity: every name sees the new content. Its
  // temporary file stays private (0600) throughout. One renamed into place
  // gets its final owner and mode now, before it holds a byte.
  pending.in_place =
      elsewhere ||
      (existing && (target.file.st_nlink > 1 || !keep_owner(pending.file, target.file)));
  if (!pending.in_place &&
      !set_pending_mode(pending, existing ? target.file.st_mode : plain_file_mode()))
    fail(out.name, "cannot give its temporary file the mode: " + error_text(errno));
  out.file = pending.file;
}

}  // namespace

INPUT_FILE::~INPUT_FILE() {
  if (owned && file) std::fclose(file);
}

void open_input(INPUT_FILE& in, const std::string& path) {
  if (path == "-") {
    in.name = "standard input";
    in.file = stdin;
    in.owned = false;
    return;
  }
  in.name = path;
  in.file = std::fopen(path.c_str(), "rb");
  if (!in.file) fail(path, "cannot open: " + error_text(errno));
  in.owned = true;
  struct stat st {};
  if (fstat(fileno(in.file), &st) == 0 && S_ISDIR(st.st_mode))
    fail(path, "is a folder, not a file");
}

size_t read_some(INPUT_FILE& in, void* data, size_t bytes) {
  const size_t got = std::fread(data, 1, bytes, in.file);
  if (got < bytes && std::ferror(in.file)) fail(in.name, "read error: " + error_text(errno));
  return got;
}

OUTPUT_FILE::~OUTPUT_FILE() { discard_output(*this); }

void open_output(OUTPUT_FILE& out, const std::string& path) {
  discard_output(out);
  if (path == "-") {
    out.name = "standard output";
    out.file = stdout;
    out.to_stdout = true;
    return;
  }
  out.name = path;
  const OUTPUT_TARGET target = find_output_target(path);
  if (target.kind == OUTPUT_KIND::stream)
    open_stream(out, target);
  else
    open_file(out, target);
}

void write_all(OUTPUT_FILE& out, const void* data, size_t bytes) {
  if (bytes && std::fwrite(data, 1, bytes, out.file) != bytes)
    fail(out.name, "write failed: " + error_text(errno));
}

void flush_output(OUTPUT_FILE& out) {
  if (std::fflush(out.file) != 0) fail(out.name, "write failed: " + error_text(errno));
}

void commit_output(OUTPUT_FILE& out) {
  if (out.to_stdout) {
    flush_output(out);
    return;
  }
  if (out.stream) {
    std::FILE* f = out.file;
    out.file = nullptr;
    out.stream = false;
    bool written = std::fflush(f) == 0 && !std::ferror(f);
    if (written && out.cut_at_end) {
      const off_t end = lseek(fileno(f), 0, SEEK_CUR);
      written = end >= 0 && ftruncate(fileno(f), end) == 0;
    }
    const int e = errno;
    if (std::fclose(f) != 0 || !written)
      fail(out.name, "write failed: " + error_text(written ? errno : e));
    return;
  }
  out.file = nullptr;
  // A file filled in place waits for any other run filling it to finish (a
  // signal may still end the wait), then holds it until its copy is done.
  if (out.pending.in_place && !lock_pending_target(out.pending))
    fail(out.name, "cannot lock it to fill it in place: " + error_text(errno));
  COMMIT_RESULT result;
  {
    // A signal in the middle waits: a file filled in place is filled whole.
    const ENDING_SIGNALS_HELD held;
    result = commit_pending_file(out.pending);
    forget_temp_file();
  }
  switch (result) {
    case COMMIT_RESULT::done:
      return;
    case COMMIT_RESULT::write_failed:
      fail(out.name, "write failed: " + error_text(errno));
    case COMMIT_RESULT::rename_failed:
      fail(out.name, "cannot replace: " + error_text(errno));
    case COMMIT_RESULT::copy_failed:
      fail(out.name,
           "write failed while updating it in place, which may have left it "
           "incomplete: " +
               error_text(errno));
  }
}

void discard_output(OUTPUT_FILE& out) {
  if (out.to_stdout) {
    out.to_stdout = false;
    out.file = nullptr;
    return;
  }
  if (out.stream) std::fclose(out.file);
  out.stream = false;
  out.cut_at_end = false;
  out.file = nullptr;
  const ENDING_SIGNALS_HELD held;
  discard_pending_file(out.pending);
  forget_temp_file();
}
