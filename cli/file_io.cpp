#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "tool_error.h"

namespace {

std::string error_text(int error) { return std::strerror(error); }

// The temporary path of the one output a tool has open, for the signal
// handler (a fixed buffer: the handler may only call async-signal-safe code).
char pending_temp[4096];
std::atomic<bool> pending{false};

void on_signal(int signal) {
  if (pending.load()) unlink(pending_temp);
  std::signal(signal, SIG_DFL);
  raise(signal);
}

void note_pending(const std::string& path) {
  if (path.size() < sizeof pending_temp) {
    std::memcpy(pending_temp, path.c_str(), path.size() + 1);
    pending.store(true);
  }
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
  if (path == "-") {
    out.name = "standard output";
    out.file = stdout;
    out.to_stdout = true;
    return;
  }
  out.name = path;
  std::string temp = path + ".partial-XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) fail(path, "cannot create: " + error_text(errno));
  // mkstemp makes the file private; give it the mode a plain create would.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  out.temp_path = temp;
  note_pending(temp);
  out.file = fdopen(fd, "wb");
  if (!out.file) {
    close(fd);
    discard_output(out);
    fail(path, "cannot create: " + error_text(errno));
  }
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
  std::FILE* f = out.file;
  out.file = nullptr;
  const bool written = std::fflush(f) == 0 && !std::ferror(f);
  const int write_error = errno;
  if (std::fclose(f) != 0 || !written) {
    discard_output(out);
    fail(out.name, "write failed: " + error_text(written ? errno : write_error));
  }
  if (std::rename(out.temp_path.c_str(), out.name.c_str()) != 0) {
    const int e = errno;
    discard_output(out);
    fail(out.name, "cannot replace: " + error_text(e));
  }
  pending.store(false);
  out.temp_path.clear();
}

void discard_output(OUTPUT_FILE& out) {
  if (out.to_stdout) return;
  if (out.file) std::fclose(out.file);
  out.file = nullptr;
  if (!out.temp_path.empty()) {
    pending.store(false);
    unlink(out.temp_path.c_str());
    out.temp_path.clear();
  }
}

void remove_temp_outputs_on_signal() {
  for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, on_signal);
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a write error instead
}
