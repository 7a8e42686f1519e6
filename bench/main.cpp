// morvane_bench: the engine's speed beside general-purpose resizers on the
// same 16-bit three-channel jobs, timed interleaved in one process.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "aims.h"
#include "cells.h"
#include "chart.h"
#include "kernels.h"
#include "plugin_rows.h"
#include "report.h"
#include "thread_pool.h"
#include "timing.h"

namespace {

const JOB default_jobs[] = {
    {1920, 1080, 3840, 2160}, {1280, 720, 1920, 1080}, {1920, 1080, 1280, 720},
    {3840, 2160, 1920, 1080}, {640, 480, 1920, 1080},
};

bool parse_job(const std::string& text, JOB& job) {
  static const std::regex form(R"((\d{1,5})x(\d{1,5})(?:->|:)(\d{1,5})x(\d{1,5}))");
  std::smatch m;
  if (!std::regex_match(text, m, form)) return false;
  job = {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4])};
  return job.sw > 0 && job.sh > 0 && job.tw > 0 && job.th > 0;
}

std::string first_line_of(const char* path, const std::string& key = "") {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (key.empty()) return line;
    if (line.rfind(key, 0) == 0) {
      const size_t colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(colon + 2);
    }
  }
  return "unknown";
}

std::string load_average() {
  const std::string line = first_line_of("/proc/loadavg");
  size_t end = 0;
  for (int i = 0; i < 3 && end != std::string::npos; ++i) end = line.find(' ', end + 1);
  return line.substr(0, end);
}

// What the command line asks for.
struct RUN_SETTINGS {
  bool csv = false, engine_only = false, no_plugin = false, cpu_time = false;
  double min_time = 1.0;
  std::vector<std::string> job_texts;
  std::string chart;
  BENCH_OPTIONS options;
  PLUGIN_SETUP plugin{MORVANE_SOURCE_DIR "/build/win32", MORVANE_SOURCE_DIR "/scripts/wine-run"};
};

void add_options(CLI::App& app, RUN_SETTINGS& r) {
  app.add_flag("--csv", r.csv,
               "print CSV lines job,implementation,threads,median_ms,min_ms instead of the table");
  app.add_option("--isa", r.options.isa,
                 "time only this engine kernel variant (sse, sse2, avx2, avx512, portable)");
  app.add_option("--min-time", r.min_time, "seconds of timed frames per cell (default 1)")
      ->check(CLI::Range(0.01, 600.0));
  app.add_option("--job", r.job_texts,
                 "a job SWxSH->TWxTH (repeatable; default: the five standard jobs)");
  app.add_flag("--vertical-first", r.options.vertical_first, "the engine resizes the height first");
  app.add_flag("--huge-pages", r.options.huge_pages,
               "ask for transparent huge pages on every frame buffer");
  app.add_flag("--engine-only", r.engine_only,
               "only the native engine: no other resizer, memory floor or plug-in");
  app.add_flag("--no-plugin", r.no_plugin, "leave out the 32-bit plug-in's rows");
  app.add_flag("--cpu-time", r.cpu_time,
               "time frames by the process's processor time instead of the wall clock");
  app.add_option("--plugin-build", r.plugin.win32_build,
                 "the win32 build with testhost.exe and bench/morvane_VARIANT.auf (default: " +
                     r.plugin.win32_build + ")");
  app.add_option("--chart", r.chart,
                 "also draw the one-thread rows as an SVG picture in this file");
}

// The jobs asked for, or the standard ones; false, with a message, for a job
// that does not read.
bool read_jobs(const std::vector<std::string>& texts, std::vector<JOB>& jobs) {
  for (const std::string& text : texts) {
    JOB job;
    if (!parse_job(text, job)) {
      std::fprintf(stderr, "morvane_bench: '%s' is not a job of the form 1920x1080->3840x2160\n",
                   text.c_str());
      return false;
    }
    jobs.push_back(job);
  }
  if (jobs.empty()) jobs.assign(std::begin(default_jobs), std::end(default_jobs));
  return true;
}

// False, with a message naming the variants offered, when this processor
// has no variant `isa` (empty: any).
bool isa_offered(const std::string& isa) {
  if (isa.empty() || force_kernels(isa.c_str())) return true;
  std::string offered;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v)
    offered += std::string(" ") + (*v)->name;
  std::fprintf(stderr, "morvane_bench: no kernel variant '%s' on this processor; offered:%s\n",
               isa.c_str(), offered.c_str());
  return false;
}

// The variants whose plug-in builds get rows: every one offered but the
// portable twin, or only `isa`.
std::vector<std::string> plugin_variant_names(const std::string& isa) {
  std::vector<std::string> names;
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v) {
    const std::string name = (*v)->name;
    if (name != "portable" && (isa.empty() || isa == name)) names.push_back(name);
  }
  return names;
}

// What the timed jobs gave.
struct RUN_RESULTS {
  std::vector<RESULT> results;
  std::vector<MEMORY_RESULT> memory;
  std::vector<std::string> job_names;
  std::string output_hashes;  // the engine's output per job, to compare builds
  bool variants_agree = true;
};

// The plug-in's rows of one job, each variant beside the native engine's
// one-thread time of the same variant.
void add_plugin_rows(const RUN_SETTINGS& r, const JOB& job, const std::string& name,
                     const std::vector<PIXEL_YC>& source,
                     const std::vector<std::string>& plugin_variants, RUN_RESULTS& out) {
  std::vector<double> native_ms;
  for (const std::string& v : plugin_variants) {
    double ms = 0;
    for (const RESULT& row : out.results)
      if (row.job == name && row.implementation == "engine " + v && row.threads == 1)
        ms = row.median_ms;
    native_ms.push_back(ms);
  }
  for (const RESULT& row :
       plugin_rows(r.plugin, job, source, plugin_variants, native_ms, r.min_time, out.memory))
    out.results.push_back(row);
}

// Times one job in every cell asked for.
void time_job(const RUN_SETTINGS& r, const JOB& job, THREAD_POOL* pool,
              const std::vector<std::string>& plugin_variants, bool with_plugin, RUN_RESULTS& out) {
  const std::string name = job_name(job);
  out.job_names.push_back(name);
  std::fprintf(stderr, "morvane_bench: %s ...\n", name.c_str());
  const std::vector<PIXEL_YC> source = make_source(job);
  std::vector<uint64_t> digests;
  std::vector<CELL> cells = engine_cells(job, source, r.options, pool, &digests);
  if (!r.engine_only) {
    for (auto* make : {library_cells, zimg_cells, swscale_cells, opencv_cells})
      for (CELL& c : make(job, source, r.options)) cells.push_back(std::move(c));
    for (CELL& c : memory_floor_cells(job, source, r.options, pool)) cells.push_back(std::move(c));
  }
  measure(cells, r.min_time, r.cpu_time);
  for (const CELL& c : cells)
    out.results.push_back({name, c.implementation, c.threads, median_of(c.ms), minimum_of(c.ms)});
  if (with_plugin) add_plugin_rows(r, job, name, source, plugin_variants, out);
  for (uint64_t d : digests) out.variants_agree = out.variants_agree && d == digests.front();
  if (!digests.empty()) {
    char hash[40];
    std::snprintf(hash, sizeof hash, " %016llx", static_cast<unsigned long long>(digests.front()));
    out.output_hashes += " " + name + hash;
  }
  if (!out.variants_agree)
    std::fprintf(stderr, "morvane_bench: engine variants differ on %s\n", name.c_str());
  force_kernels(nullptr);
}

void print_report(const RUN_SETTINGS& r, const RUN_RESULTS& out, const std::string& automatic,
                  const std::string& load_before, const std::string& plugin_skipped) {
  std::FILE* notes = r.csv ? stderr : stdout;
  std::fprintf(notes, "Processor: %s. Load average before: %s; after: %s.\n",
               first_line_of("/proc/cpuinfo", "model name").c_str(), load_before.c_str(),
               load_average().c_str());
  std::fprintf(
      notes,
      "Median %s ms per frame, >= %.2f s of frames per cell; engine: %s first, automatic variant "
      "%s; every engine variant gave %s output.%s\n",
      r.cpu_time ? "processor" : "wall-clock", r.min_time,
      r.options.vertical_first ? "vertical" : "horizontal", automatic.c_str(),
      out.variants_agree ? "the same" : "DIFFERENT",
      r.options.huge_pages ? " Huge pages requested." : "");
  std::fprintf(notes, "Engine output hash (FNV-1a of the target image):%s\n",
               out.output_hashes.c_str());
  if (plugin_skipped.empty()) {
    std::fprintf(notes,
                 "32-bit plug-in rows: each variant's build of morvane.auf through the test host "
                 "under Wine, --repeat, timed per job right after the native cells.\n\n");
  } else {
    std::fprintf(notes, "32-bit plug-in rows skipped: %s.\n\n", plugin_skipped.c_str());
  }
  if (r.csv) {
    print_csv(stdout, out.results);
  } else {
    print_markdown(stdout, out.results, out.job_names);
    print_variant_tables(stdout, out.results, out.job_names);
  }
  std::fprintf(notes, "\nWork memory, bytes:\n\n");
  print_memory_table(notes, out.memory);
  std::fprintf(notes, "\nOur aims: how many of this run's jobs each holds on:\n\n");
  print_aims(notes, out.results, out.memory, out.job_names, automatic);
  if (!r.chart.empty()) {
    const std::string caption = "morvane_bench, " + first_line_of("/proc/cpuinfo", "model name") +
                                ", one thread, median ms per frame (shorter is faster)";
    if (!write_chart(r.chart, out.results, out.job_names, caption))
      std::fprintf(stderr, "morvane_bench: cannot write %s\n", r.chart.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Times the engine's frame resize beside zimg, libswscale and OpenCV."};
  RUN_SETTINGS r;
  add_options(app, r);
  CLI11_PARSE(app, argc, argv);

  std::vector<JOB> jobs;
  if (!read_jobs(r.job_texts, jobs) || !isa_offered(r.options.isa)) return 2;
  force_kernels(nullptr);
  const std::string automatic = active_kernels()->name;
  const std::vector<std::string> plugin_variants = plugin_variant_names(r.options.isa);
  const std::string plugin_skipped = r.engine_only || r.no_plugin
                                         ? "not asked for"
                                         : plugin_rows_unavailable(r.plugin, plugin_variants);
  const std::string load_before = load_average();

  THREAD_POOL* pool = create_thread_pool(2);
  RUN_RESULTS out;
  try {
    for (const JOB& job : jobs)
      time_job(r, job, pool, plugin_variants, plugin_skipped.empty(), out);
    const std::vector<MEMORY_RESULT> engine_memory = engine_work_memory(jobs, r.options);
    out.memory.insert(out.memory.begin(), engine_memory.begin(), engine_memory.end());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "morvane_bench: %s\n", e.what());
    destroy_thread_pool(pool);
    return 1;
  }
  destroy_thread_pool(pool);
  print_report(r, out, automatic, load_before, plugin_skipped);
  return out.variants_agree ? 0 : 1;
}
