#include "aims.h"

#include <cstdint>

namespace {

enum class JOB_KIND { enlarging, shrinking, mixed };

// "WxH->TWxTH": enlarging when neither side shrinks, shrinking when neither grows.
JOB_KIND kind_of(const std::string& job) {
  int w = 0, h = 0, tw = 0, th = 0;
  if (std::sscanf(job.c_str(), "%dx%d->%dx%d", &w, &h, &tw, &th) != 4) return JOB_KIND::mixed;
  if (tw >= w && th >= h) return JOB_KIND::enlarging;
  if (tw <= w && th <= h) return JOB_KIND::shrinking;
  return JOB_KIND::mixed;
}

double ms(const RESULT* r) { return r && r->median_ms > 0 ? r->median_ms : 0; }

// One aim: the ratio a job is judged by (0 where the run lacks a time), and
// its bound on each kind of job (0: the aim does not judge that kind).
struct AIM {
  std::string name;
  double (*ratio)(const std::vector<RESULT>&, const std::string& job, const std::string& fastest);
  double enlarging, shrinking;
  bool at_least;  // the ratio must reach the bound rather than stay below it
};

double fastest_vs_zimg(const std::vector<RESULT>& results, const std::string& job,
                       const std::string& fastest) {
  const double engine = ms(find_result(results, job, "engine " + fastest, 1));
  double zimg = ms(find_result(results, job, "zimg SPLINE36 512-bit", 1));
  const double plain = ms(find_result(results, job, "zimg SPLINE36", 1));
  if (zimg == 0 || (plain > 0 && plain < zimg)) zimg = plain;
  return engine > 0 && zimg > 0 ? engine / zimg : 0;
}

double avx2_vs_zimg(const std::vector<RESULT>& results, const std::string& job,
                    const std::string&) {
  const double engine = ms(find_result(results, job, "engine avx2", 1));
  const double zimg = ms(find_result(results, job, "zimg SPLINE36", 1));
  return engine > 0 && zimg > 0 ? engine / zimg : 0;
}

double two_threads(const std::vector<RESULT>& results, const std::string& job,
                   const std::string& fastest) {
  const double one = ms(find_result(results, job, "engine " + fastest, 1));
  const double two = ms(find_result(results, job, "engine " + fastest, 2));
  return one > 0 && two > 0 ? one / two : 0;
}

template <const char* Variant>
double plugin_vs_native(const std::vector<RESULT>& results, const std::string& job,
                        const std::string&) {
  const std::string variant = Variant;
  const double plugin = ms(find_result(results, job, "plug-in " + variant + " (32-bit)", 1));
  const double native = ms(find_result(results, job, "engine " + variant, 1));
  return plugin > 0 && native > 0 ? plugin / native : 0;
}

constexpr char sse[] = "sse", sse2[] = "sse2", avx2[] = "avx2", avx512[] = "avx512";

// The work block for the largest buffer the editor's users resize.
constexpr uint64_t work_memory_aim = 4000000;

}  // namespace

void print_aims(std::FILE* out, const std::vector<RESULT>& results,
                const std::vector<MEMORY_RESULT>& memory, const std::vector<std::string>& jobs,
                const std::string& fastest) {
  const AIM aims[] = {
      {"fastest variant (" + fastest + ") / zimg's fastest mode, 1 thread (<= 1 enlarging)",
       fastest_vs_zimg, 1, 0, false},
      {"avx2 / zimg SPLINE36, 1 thread (<= 1.25 enlarging, <= 1.5 shrinking)", avx2_vs_zimg, 1.25,
       1.5, false},
      {"32-bit plug-in sse / native, 1 thread (<= 1.15)", plugin_vs_native<sse>, 1.15, 1.15, false},
      {"32-bit plug-in sse2 / native, 1 thread (<= 1.15)", plugin_vs_native<sse2>, 1.15, 1.15,
       false},
      {"32-bit plug-in avx2 / native, 1 thread (<= 1.15)", plugin_vs_native<avx2>, 1.15, 1.15,
       false},
      {"32-bit plug-in avx512 / native, 1 thread (<= 1.15)", plugin_vs_native<avx512>, 1.15, 1.15,
       false},
      {fastest + ", 1 thread / 2 threads (>= 1.85)", two_threads, 1.85, 1.85, true},
  };
  std::fprintf(out, "| aim |");
  for (const std::string& job : jobs) std::fprintf(out, " %s |", job.c_str());
  std::fprintf(out, " holds |\n|---|");
  for (size_t i = 0; i <= jobs.size(); ++i) std::fprintf(out, "---|");
  std::fprintf(out, "\n");
  for (const AIM& aim : aims) {
    int judged = 0, held = 0;
    std::fprintf(out, "| %s |", aim.name.c_str());
    for (const std::string& job : jobs) {
      const JOB_KIND kind = kind_of(job);
      const double bound = kind == JOB_KIND::enlarging   ? aim.enlarging
                           : kind == JOB_KIND::shrinking ? aim.shrinking
                                                         : 0;
      const double ratio = aim.ratio(results, job, fastest);
      if (bound == 0 || ratio == 0) {
        std::fprintf(out, " |");
        continue;
      }
      ++judged;
      if (aim.at_least ? ratio >= bound : ratio <= bound) ++held;
      std::fprintf(out, " %.2f |", ratio);
    }
    if (judged > 0) {
      std::fprintf(out, " on %d of %d jobs |\n", held, judged);
    } else {
      std::fprintf(out, " not timed in this run |\n");
    }
  }
  int variants = 0, within = 0;
  for (const MEMORY_RESULT& m : memory) {
    if (m.buffer != "3840x2160") continue;
    ++variants;
    if (m.bytes <= work_memory_aim) ++within;
  }
  std::fprintf(out, "| work memory, 3840x2160 buffer (<= 4 MB) |");
  for (size_t i = 0; i < jobs.size(); ++i) std::fprintf(out, " |");
  std::fprintf(out, " for %d of %d variants and builds |\n", within, variants);
}
