#include "plugin_rows.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "yc48_file.h"

namespace {

std::string plugin_file(const PLUGIN_SETUP& setup, const std::string& variant) {
  return setup.win32_build + "/bench/morvane_" + variant + ".auf";
}

bool readable(const std::string& path) { return access(path.c_str(), R_OK) == 0; }

// Single quotes around a path for the shell.
std::string quoted(const std::string& text) {
  std::string q = "'";
  for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

std::string run_and_read(const std::string& command) {
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string out;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) out.append(chunk, got);
  const int status = pclose(pipe);
  if (status != 0) throw std::runtime_error("the test host failed (" + command + "):\n" + out);
  return out;
}

// The job's source as a .yc48 file in the temporary folder.
std::string write_source(const JOB& job, const std::vector<PIXEL_YC>& source) {
  char path[] = "/tmp/morvane_bench_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) throw std::runtime_error("cannot make a temporary file");
  std::FILE* file = fdopen(fd, "wb");
  const bool written = file && write_yc48(file, source.data(), job.sw, job.sh, job.sw);
  if (file) std::fclose(file);
  if (!written) throw std::runtime_error(std::string("cannot write ") + path);
  return path;
}

}  // namespace

std::string plugin_rows_unavailable(const PLUGIN_SETUP& setup,
                                    const std::vector<std::string>& variants) {
  if (!readable(setup.wine_run)) return "no " + setup.wine_run;
  if (std::system("command -v wine >/dev/null 2>&1") != 0) return "Wine is not installed";
  if (!readable(setup.win32_build + "/testhost.exe"))
    return "no test host in " + setup.win32_build + " (build the win32 preset)";
  for (const std::string& v : variants)
    if (!readable(plugin_file(setup, v))) return "no " + plugin_file(setup, v);
  return "";
}

std::vector<RESULT> plugin_rows(const PLUGIN_SETUP& setup, const JOB& job,
                                const std::vector<PIXEL_YC>& source,
                                const std::vector<std::string>& variants,
                                const std::vector<double>& native_ms, double seconds,
                                std::vector<MEMORY_RESULT>& memory) {
  const std::string input = write_source(job, source);
  const std::string size = std::to_string(job.sw) + "x" + std::to_string(job.sh);
  const std::string buffer = std::to_string(job.sw > job.tw ? job.sw : job.tw) + "x" +
                             std::to_string(job.sh > job.th ? job.sh : job.th);
  std::vector<RESULT> rows;
  try {
    for (size_t v = 0; v < variants.size(); ++v) {
      const double guess = v < native_ms.size() && native_ms[v] > 0 ? native_ms[v] : 10.0;
      const int repeat = static_cast<int>(std::fmin(500, std::fmax(5, 1000 * seconds / guess)));
      for (int threads : {1, 2}) {
        // --threads 0: no thread function, as the native one-thread cells.
        const std::string command =
            quoted(setup.wine_run) + " " + quoted(setup.win32_build + "/testhost.exe") + " " +
            quoted(plugin_file(setup, variants[v])) + " --threads " +
            std::to_string(threads == 1 ? 0 : threads) + " --frame " + quoted(input) +
            " --frame-size " + size + " --track " + std::to_string(job.tw) + "," +
            std::to_string(job.th) + " --repeat " + std::to_string(repeat) + " 2>&1";
        const std::string out = run_and_read(command);
        const size_t at = out.find("frame 1: median ");
        double ms = 0;
        unsigned bytes = 0;
        if (at == std::string::npos ||
            std::sscanf(out.c_str() + at,
                        "frame 1: median %lf ms per frame over %*d runs; "
                        "work memory %u bytes",
                        &ms, &bytes) != 2)
          throw std::runtime_error("no timing in the test host's output:\n" + out);
        rows.push_back({job_name(job), "plug-in " + variants[v] + " (32-bit)", threads, ms, ms});
        if (threads == 1) memory.push_back({variants[v], buffer, bytes, true});
      }
    }
  } catch (...) {
    std::remove(input.c_str());
    throw;
  }
  std::remove(input.c_str());
  return rows;
}
