#include "tool_soak.h"

#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <utility>

#include "child_process.h"
#include "file_io.h"
#include "picture_frames.h"
#include "png_file.h"
#include "soak_frame.h"
#include "yc48_image.h"
#include "y4m_header.h"
#include "y4m_yc48_path.h"
#include "yc48_file.h"

namespace {

enum class INJECTED {
  none,
  cut_input,
  missing_folder,
  signal,
  concurrent_writer,  // a second run fills the same hard-linked output at once
  private_mode,       // a hard-linked 0600 output, whose data no one else may read meanwhile
  argument_error,     // an argument error, the output a FIFO whose reader waits
};
constexpr int injected_kinds = 7;

struct JOB {
  int32_t w, h, tw, th;
  int threads;
  bool vertical_first;
  INJECTED injected;
  int signal;
  int delay_us;
  bool via_yc48;        // through the editor's YC48, as the raw path goes
  bool straight_alpha;  // PNG: alpha a channel of its own, as the raw path has it
  bool antialias;       // y4m: the shrinking axes low-passed, on both paths
};

struct COUNTS {
  long long png = 0, y4m = 0, frames = 0;
  long long plane_frames = 0;  // y4m frames of the default path, checked against one thread
  long long injected[injected_kinds] = {};
  long long too_late = 0;  // signals that came after the tool had finished
  std::set<std::pair<int32_t, int32_t>> sizes;
  int32_t largest_w = 0, largest_h = 0;
};

struct SOAK {
  const TOOL_SOAK& options;
  std::string dir;
  SOAK_RANDOM r;
  COUNTS counts;
  std::string failure;  // the first difference
};

constexpr const char* old_content = "the output as it was before";

std::string file(const SOAK& s, const std::string& name) { return s.dir + "/" + name; }

std::string read_text(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void write_text(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string size_text(SOAK& s, int32_t w, int32_t h) {
  return std::to_string(w) + (random_chance(s.r, 50) ? "x" : "*") + std::to_string(h);
}

// Mostly small, now and then a few hundred pixels, rarely over a thousand.
int32_t pick_side(SOAK_RANDOM& r) {
  const int kind = random_in(r, 0, 99);
  return random_in(r, 1, kind < 75 ? 96 : kind < 95 ? 400 : 1200);
}

JOB pick_job(SOAK& s) {
  JOB j{};
  j.w = pick_side(s.r);
  j.h = pick_side(s.r);
  j.tw = pick_side(s.r);
  j.th = pick_side(s.r);
  j.threads = random_in(s.r, 1, 8);
  j.vertical_first = random_chance(s.r, 50);
  j.injected = random_chance(s.r, 85)
                   ? INJECTED::none
                   : static_cast<INJECTED>(random_in(s.r, 1, injected_kinds - 1));
  constexpr int signals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, SIGPIPE};
  j.signal = signals[random_in(s.r, 0, 6)];
  j.delay_us = random_in(s.r, 0, 4000);
  s.counts.sizes.insert({j.w, j.h});
  s.counts.largest_w = std::max({s.counts.largest_w, j.w, j.tw});
  s.counts.largest_h = std::max({s.counts.largest_h, j.h, j.th});
  return j;
}

std::vector<std::string> resize_args(SOAK& s, const JOB& j, const std::string& in,
                                     const std::string& out) {
  std::vector<std::string> args = {
      s.options.tool,           "resize", in, out, "--size", size_text(s, j.tw, j.th), "--threads",
      std::to_string(j.threads)};
  if (j.vertical_first) args.push_back("--vertical-first");
  if (j.via_yc48) args.push_back("--via-yc48");
  if (j.straight_alpha) args.push_back("--straight-alpha");
  if (j.antialias) args.push_back("--antialias");
  return args;
}

bool no_temporary_file(SOAK& s) {
  DIR* d = opendir(s.dir.c_str());
  bool none = true;
  while (dirent* e = d ? readdir(d) : nullptr)
    if (std::string(e->d_name).find(".partial-") != std::string::npos) {
      s.failure += "a temporary file was left: " + std::string(e->d_name);
      none = false;
    }
  if (d) closedir(d);
  return none;
}

// What an injected failure must give: one error line and a nonzero exit (or,
// for a signal, the end by that signal), the old output and no temporary
// file. True when it did and the job is done; false, with s.failure set, when
// not. A signal that came too late leaves a finished run: `finished` says so.
bool failed_cleanly(SOAK& s, const JOB& j, const CHILD_RUN& run, const std::string& out,
                    bool& finished) {
  finished = j.injected == INJECTED::signal && run.status == 0;
  if (finished) {
    ++s.counts.too_late;
    return no_temporary_file(s);
  }
  if (j.injected == INJECTED::signal)
    s.failure =
        "signal " + std::to_string(j.signal) + " after " + std::to_string(j.delay_us) + " us: ";
  const bool by_signal = j.injected == INJECTED::signal;
  const bool status_ok = by_signal
                             ? run.status == 128 + j.signal
                             : run.status == 1 && run.errors.rfind("morvane: ", 0) == 0 &&
                                   std::count(run.errors.begin(), run.errors.end(), '\n') == 1;
  if (!status_ok) {
    s.failure = "an injected failure gave exit status " + std::to_string(run.status) +
                " and said: " + run.errors;
    return false;
  }
  // A signal that came after the output was put in place finds it complete.
  finished = by_signal && read_text(out) != old_content;
  if (finished) ++s.counts.too_late;
  if (!finished && read_text(out) != old_content) {
    s.failure = "an injected failure changed the old output " + out;
    return false;
  }
  return no_temporary_file(s);
}

// An argument error (a table of them) with a FIFO as the output: the run
// must fail with one line and end the FIFO's waiting reader.
bool argument_error_ends_reader(SOAK& s, const JOB& j, const std::string& in) {
  const std::string fifo = file(s, "out-fifo");
  unlink(fifo.c_str());
  if (mkfifo(fifo.c_str(), 0600) != 0) {
    s.failure = "cannot make a FIFO";
    return false;
  }
  CHILD reader = start_child({"/bin/cat", fifo}, {});
  const std::string wchan = "/proc/" + std::to_string(reader.pid) + "/wchan";
  bool waiting = false;
  for (int i = 0; i < 2000 && !(waiting = read_text(wchan) == "wait_for_partner"); ++i)
    usleep(1000);
  if (!waiting) {
    // No way to see the reader wait (a kernel that hides wchan): not run.
    kill(reader.pid, SIGKILL);
    wait_child(reader);
    unlink(fifo.c_str());
    return true;
  }
  std::vector<std::string> args = resize_args(s, j, in, fifo);
  switch (random_in(s.r, 0, 4)) {
    case 0:
      args.push_back("--bogus");
      break;
    case 1:
      args.insert(args.end(), {"--threads", "x"});
      break;
    case 2:
      args.erase(args.begin() + 4, args.begin() + 6);  // no --size
      break;
    case 3:
      args.insert(args.end(), {"--size", "4x4"});
      break;
    default:
      args.insert(args.begin() + 4, "extra");
      break;
  }
  const CHILD_RUN run = run_child(args, {});
  CHILD_RUN read{};
  bool ended = false;
  for (int i = 0; i < 5000 && !(ended = child_ended(reader, read)); ++i) usleep(1000);
  if (!ended) {
    kill(reader.pid, SIGKILL);
    wait_child(reader);
  }
  unlink(fifo.c_str());
  if (run.status == 0 || run.errors.rfind("morvane: ", 0) != 0 ||
      std::count(run.errors.begin(), run.errors.end(), '\n') != 1) {
    s.failure = "an argument error gave exit status " + std::to_string(run.status) +
                " and said: " + run.errors;
    return false;
  }
  if (!ended) s.failure = "an argument error left the FIFO's reader waiting: " + run.errors;
  return ended;
}

// False, with s.failure, when a temporary file in the folder can be read by
// anyone but this user.
bool temporary_files_private(SOAK& s) {
  DIR* d = opendir(s.dir.c_str());
  bool private_only = true;
  while (dirent* e = d ? readdir(d) : nullptr) {
    struct stat st {};
    if (std::string(e->d_name).find(".partial-") != std::string::npos &&
        stat(file(s, e->d_name).c_str(), &st) == 0 && (st.st_mode & 077) != 0) {
      char mode[8];
      std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(st.st_mode & 0777));
      s.failure =
          "a private output's temporary file " + std::string(e->d_name) + " has mode " + mode;
      private_only = false;
    }
  }
  if (d) closedir(d);
  return private_only;
}

// Runs the job's resize of `in` into `out`, which holds old content first,
// with its injected failure: `out` in a missing folder, a signal, a second
// run (`second`, with the other pass first) filling `out` at the same time,
// `out` private (0600) and watched while the run lasts, or an argument error.
// False, with s.failure, when the run went wrong; `complete` when `out` holds
// a finished output to compare.
bool run_job(SOAK& s, const JOB& j, const std::string& in, const std::string& out, bool& complete) {
  write_text(out, old_content);
  complete = false;
  if (j.injected == INJECTED::argument_error) return argument_error_ends_reader(s, j, in);
  // A second name makes the output filled in place.
  const std::string link = out + "-link";
  const bool linked =
      j.injected == INJECTED::concurrent_writer || j.injected == INJECTED::private_mode;
  if (linked) {
    unlink(link.c_str());
    if (::link(out.c_str(), link.c_str()) != 0) {
      s.failure = "cannot link " + out;
      return false;
    }
  }
  if (j.injected == INJECTED::private_mode) chmod(out.c_str(), 0600);
  const std::string target =
      j.injected == INJECTED::missing_folder
          ? file(s, "no-such-folder/" + out.substr(out.find_last_of('/') + 1))
          : out;
  CHILD_OPTIONS child;
  if (j.injected == INJECTED::signal) {
    child.signal = j.signal;
    child.delay_us = j.delay_us;
  }
  CHILD second;
  if (j.injected == INJECTED::concurrent_writer) {
    JOB other = j;
    other.vertical_first = !j.vertical_first;
    second = start_child(resize_args(s, other, in, target), {});
  }
  CHILD_RUN run{};
  bool watched = true;
  if (j.injected == INJECTED::private_mode) {
    CHILD first = start_child(resize_args(s, j, in, target), {});
    while (!child_ended(first, run)) {
      watched = temporary_files_private(s) && watched;
      usleep(100);
    }
  } else {
    run = run_child(resize_args(s, j, in, target), child);
  }
  const CHILD_RUN second_run = second.pid > 0 ? wait_child(second) : CHILD_RUN{0, {}};
  struct stat st {};
  const bool kept_private = j.injected != INJECTED::private_mode ||
                            (stat(out.c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
  if (linked) unlink(link.c_str());
  chmod(out.c_str(), 0644);
  if (!watched) return false;
  complete = j.injected == INJECTED::none || linked;
  if (complete && (run.status != 0 || second_run.status != 0)) {
    s.failure = "exit status " + std::to_string(run.status) + " and " +
                std::to_string(second_run.status) + ": " + run.errors + second_run.errors;
    return false;
  }
  if (!kept_private) {
    s.failure = "a 0600 output did not keep its mode";
    return false;
  }
  return complete || failed_cleanly(s, j, run, out, complete);
}

// True when the output matches the job's raw path (`matches` sets
// s.failure when it does not); for a second run at once, the second run's,
// with the other pass first, may be the one that ended whole.
template <class MATCHES>
bool one_run_matches(SOAK& s, const JOB& j, MATCHES matches) {
  if (matches(j)) return true;
  if (j.injected != INJECTED::concurrent_writer) return false;
  JOB other = j;
  other.vertical_first = !j.vertical_first;
  const std::string first = s.failure;
  s.failure.clear();
  if (matches(other)) return true;
  s.failure = "with a second run at once, neither run's whole output: " + first;
  return false;
}

// The raw path: the frame as a .yc48 file through the tool, read back into
// the same pixels (which must have room for the target).
bool raw_resize(SOAK& s, const JOB& j, YC48_IMAGE& frame) {
  const std::string in = file(s, "raw.yc48"), out = file(s, "raw-out.yc48");
  if (!replace_file(in, [&](std::FILE* f) {
        return write_yc48(f, frame.pixels, frame.w, frame.h, frame.w);
      })) {
    s.failure = "cannot write " + in;
    return false;
  }
  std::vector<std::string> args = resize_args(s, j, in, out);
  args.push_back("--input-size");
  args.push_back(size_text(s, frame.w, frame.h));
  const CHILD_RUN run = run_child(args, {});
  std::FILE* f = run.status == 0 ? std::fopen(out.c_str(), "rb") : nullptr;
  const YC48_READ read = f ? read_yc48(f, frame.pixels, j.tw, j.th, j.tw) : YC48_READ{0, true};
  if (f) std::fclose(f);
  if (read.read_error || read.length != yc48_frame_bytes(j.tw, j.th)) {
    s.failure = "the raw path failed (" + std::to_string(run.status) + "): " + run.errors;
    return false;
  }
  frame.w = j.tw;
  frame.h = j.th;
  return true;
}

// Pixels enough for the job's source and its target.
size_t room(const JOB& j) { return size_t{1} * std::max(j.w, j.tw) * std::max(j.h, j.th); }

// Samples of `count`, 0 .. max: smooth runs and noise.
void fill_samples(SOAK_RANDOM& r, uint16_t* samples, size_t count, int32_t max) {
  int32_t level = random_in(r, 0, max);
  for (size_t i = 0; i < count; ++i) {
    if (random_chance(r, 90))
      level = std::clamp(level + random_in(r, -max / 64 - 1, max / 64 + 1), 0, max);
    else
      level = random_in(r, 0, max);
    samples[i] = static_cast<uint16_t>(level);
  }
}

bool png_job(SOAK& s, const JOB& j) {
  ++s.counts.png;
  PNG_PICTURE picture;
  picture.width = j.w;
  picture.height = j.h;
  picture.channels = random_in(s.r, 1, 4);
  picture.depth = random_chance(s.r, 50) ? 8 : 16;
  picture.samples.resize(static_cast<size_t>(j.w) * j.h * picture.channels);
  fill_samples(s.r, picture.samples.data(), picture.samples.size(), max_sample(picture));
  const std::string in = file(s, "in.png");
  const std::string out = file(s, "out.png");
  {
    OUTPUT_FILE o;
    open_output(o, in);
    write_png(o, picture);
    commit_output(o);
  }
  if (j.injected == INJECTED::cut_input)
    truncate(in.c_str(), random_in(s.r, 0, static_cast<int32_t>(read_text(in).size()) - 1));
  // The raw path is the editor's YC48, which 16-bit pictures take with
  // --via-yc48, with alpha resized on its own.
  JOB tool_job = j;
  tool_job.via_yc48 = true;
  tool_job.straight_alpha = true;
  bool complete = false;
  if (!run_job(s, tool_job, in, out, complete)) return false;
  if (!complete) return true;

  const auto matches = [&](const JOB& v) {
    // Alpha goes through the raw path as the luma of a frame of its own.
    std::vector<YC48_PIXEL> colour_pixels(room(v)), alpha_pixels(room(v));
    std::vector<int16_t> alpha(room(v));
    YC48_IMAGE colour{colour_pixels.data()};
    picture_to_frames(picture, colour, alpha.data());
    YC48_IMAGE alpha_frame{alpha_pixels.data(), picture.width, picture.height};
    for (size_t i = 0; i < alpha.size(); ++i) alpha_pixels[i] = YC48_PIXEL{alpha[i], 0, 0};
    if (!raw_resize(s, v, colour) || (has_alpha(picture) && !raw_resize(s, v, alpha_frame)))
      return false;
    for (size_t i = 0; i < alpha.size(); ++i) alpha[i] = alpha_pixels[i].y;
    PNG_PICTURE expected, got;
    frames_to_picture(colour, alpha.data(), picture.channels, picture.depth, expected);
    try {
      INPUT_FILE result;
      open_input(result, out);
      read_png(result, got);
    } catch (const std::exception& e) {
      s.failure = e.what();
      return false;
    }
    if (got.width != expected.width || got.height != expected.height ||
        got.channels != expected.channels || got.depth != expected.depth ||
        got.samples != expected.samples) {
      s.failure = "the PNG differs from the raw path";
      return false;
    }
    return true;
  };
  if (!one_run_matches(s, tool_job, matches)) return false;
  ++s.counts.frames;
  return no_temporary_file(s);
}

constexpr const char* chroma_tags[] = {"444",      "422",    "420jpeg", "420mpeg2",
                                       "420paldv", "444p16", "422p16",  "420p16"};

bool y4m_job(SOAK& s, const JOB& j) {
  ++s.counts.y4m;
  const std::string header_line = "YUV4MPEG2 W" + std::to_string(j.w) + " H" + std::to_string(j.h) +
                                  " F25:1 Ip A1:1 C" + chroma_tags[random_in(s.r, 0, 7)];
  Y4M_HEADER header;
  parse_y4m_header(header_line, header);
  Y4M_FORMAT target = header.format;
  target.width = j.tw;
  target.height = j.th;
  const size_t in_bytes = y4m_frame_bytes(header.format), out_bytes = y4m_frame_bytes(target);
  const int frames = random_in(s.r, 1, 3);
  std::string stream = header_line + "\n";
  for (int f = 0; f < frames; ++f) {
    stream += "FRAME\n";
    for (size_t b = 0; b < in_bytes; b += 8) {
      const uint64_t bits = next_random(s.r);
      stream.append(reinterpret_cast<const char*>(&bits), std::min<size_t>(8, in_bytes - b));
    }
  }
  // Half the jobs go through the editor's YC48 (--via-yc48), checked against
  // the raw path, which is the editor's own: subsampled chroma to every
  // pixel, YC48 and back. The others take the default path, plane by plane
  // at the stream's depth, checked against a plain run of the same job on
  // one thread.
  JOB tool_job = j;
  tool_job.via_yc48 = random_chance(s.r, 50);
  tool_job.antialias = random_chance(s.r, 30);
  const std::string in = file(s, "in.y4m");
  const std::string out = file(s, "out.y4m");
  if (j.injected == INJECTED::cut_input)
    stream.resize(static_cast<size_t>(random_in(s.r, static_cast<int32_t>(header_line.size() + 7),
                                                static_cast<int32_t>(stream.size()) - 1)));
  write_text(in, stream);
  bool complete = false;
  if (!run_job(s, tool_job, in, out, complete)) return false;
  if (!complete) return true;

  const std::string got = read_text(out);
  const size_t header_end = got.find('\n') + 1;
  if (header_end == 0 || got.size() != header_end + frames * (6 + out_bytes)) {
    s.failure = "the y4m output has " + std::to_string(got.size()) + " bytes";
    return false;
  }
  const auto same_as_one_thread = [&](const JOB& v) {
    JOB plain = v;
    plain.threads = 1;
    const std::string alone = file(s, "one-thread.y4m");
    const CHILD_RUN run = run_child(resize_args(s, plain, in, alone), {});
    if (run.status != 0 || read_text(alone) != got) {
      s.failure = run.status != 0 ? "the one-thread run failed: " + run.errors
                                  : "the output differs from the one-thread run's";
      return false;
    }
    return true;
  };
  const auto matches = [&](const JOB& v) {
    if (!v.via_yc48) return same_as_one_thread(v);
    std::vector<YC48_PIXEL> pixels(room(v));
    YC48_IMAGE frame{pixels.data()};
    std::vector<uint8_t> expected(out_bytes);
    for (int f = 0; f < frames; ++f) {
      const size_t at = header_line.size() + 1 + f * (6 + in_bytes) + 6;
      planes_to_frame(reinterpret_cast<const uint8_t*>(stream.data() + at), header.format, frame);
      if (!raw_resize(s, v, frame)) return false;
      frame_to_planes(frame, target, expected.data());
      const size_t out_at = header_end + f * (6 + out_bytes);
      if (got.compare(out_at, 6, "FRAME\n") != 0 ||
          got.compare(out_at + 6, out_bytes,
                      std::string(reinterpret_cast<const char*>(expected.data()), out_bytes)) !=
              0) {
        s.failure = "frame " + std::to_string(f + 1) + " differs from the raw path";
        return false;
      }
    }
    return true;
  };
  if (!one_run_matches(s, tool_job, matches)) return false;
  (tool_job.via_yc48 ? s.counts.frames : s.counts.plane_frames) += frames;
  return no_temporary_file(s);
}

}  // namespace

int run_tool_soak(const TOOL_SOAK& options) {
  const char* base = std::getenv("TMPDIR");
  std::string dir = std::string(base && *base ? base : "/tmp") + "/morvane-soak-XXXXXX";
  if (!mkdtemp(dir.data())) {
    std::printf("tool soak: cannot make a scratch folder\n");
    return 1;
  }
  SOAK s{options, dir, SOAK_RANDOM{options.seed}, {}, {}};
  const auto end =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(options.seconds);
  bool ok = true;
  JOB j{};
  bool png = false;
  while (ok && std::chrono::steady_clock::now() < end) {
    j = pick_job(s);
    ++s.counts.injected[static_cast<int>(j.injected)];
    png = random_chance(s.r, 50);
    try {
      ok = png ? png_job(s, j) : y4m_job(s, j);
    } catch (const std::exception& e) {
      s.failure = e.what();
      ok = false;
    }
  }
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) unlink((dir + "/" + e->d_name).c_str());
    closedir(d);
  }
  rmdir(dir.c_str());
  if (!ok)
    std::printf("tool soak: %s job %lld (%dx%d to %dx%d, %d threads%s) FAILED: %s\n",
                png ? "PNG" : "y4m", s.counts.png + s.counts.y4m, j.w, j.h, j.tw, j.th, j.threads,
                j.vertical_first ? ", vertical first" : "", s.failure.c_str());
  rusage children{};
  getrusage(RUSAGE_CHILDREN, &children);
  std::printf(
      "tool soak: seed %llu, %.0f s: %lld PNG and %lld y4m jobs, %lld frames checked against "
      "the raw path and %lld y4m frames of the default path against a one-thread run, %zu "
      "input sizes up to %dx%d; injected: %lld cut inputs, %lld outputs in a "
      "missing folder, %lld signals (%lld came after the end), %lld second runs filling the "
      "same output, %lld private outputs watched, %lld argument errors with a FIFO's reader "
      "waiting, all handled%s; the tool's largest resident memory %ld KiB\n",
      static_cast<unsigned long long>(options.seed), options.seconds, s.counts.png, s.counts.y4m,
      s.counts.frames, s.counts.plane_frames, s.counts.sizes.size(), s.counts.largest_w,
      s.counts.largest_h, s.counts.injected[1], s.counts.injected[2], s.counts.injected[3],
      s.counts.too_late, s.counts.injected[4], s.counts.injected[5], s.counts.injected[6],
      ok ? "" : " until the failure", children.ru_maxrss);
  std::printf("tool soak: %s\n", ok ? "passed" : "FAILED");
  return ok ? 0 : 1;
}
