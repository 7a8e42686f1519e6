#include "file_io.h"

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
  if (!open_pending_file(out.pending, path)) fail(path, "cannot create: " + error_text(errno));
  note_pending(out.pending.temp_path);
  out.file = out.pending.file;
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
  out.file = nullptr;
  const COMMIT_RESULT result = commit_pending_file(out.pending);
  pending.store(false);
  if (result == COMMIT_RESULT::write_failed) fail(out.name, "write failed: " + error_text(errno));
  if (result == COMMIT_RESULT::rename_failed)
    fail(out.name, "cannot replace: " + error_text(errno));
}

void discard_output(OUTPUT_FILE& out) {
  if (out.to_stdout) return;
  out.file = nullptr;
  if (!out.pending.temp_path.empty()) pending.store(false);
  discard_pending_file(out.pending);
}

void remove_temp_outputs_on_signal() {
  for (int s : {SIGINT, SIGTERM, SIGHUP}) std::signal(s, on_signal);
  std::signal(SIGPIPE, SIG_IGN);  // a closed pipe shows as a write error instead
}
