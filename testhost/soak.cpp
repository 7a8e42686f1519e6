#include "soak.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

#include "filter_window.h"
#include "frame_buffer.h"
#include "frame_run.h"
#include "page_watch.h"
#include "soak_frame.h"
#include "test_host.h"
#include "window_session.h"

namespace {

struct SOAK_COUNTS {
  int64_t frames = 0;
  int64_t window_frames = 0;  // processed by the window on its own
  int64_t refused = 0;        // frames whose new block was refused
  int64_t messages = 0;
  int64_t restarts = 0;  // func_exit and a new func_init
  int64_t thread_changes = 0;
  int32_t largest_w = 0, largest_h = 0;
  std::set<std::pair<int32_t, int32_t>> sizes;  // buffer sizes seen
  size_t most_memory = 0;                       // the plug-in's page memory, at most
};

double now_seconds() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Mostly small buffers, now and then HD, rarely up to 4096x2304.
void pick_buffer(SOAK_RANDOM& r, int32_t& w, int32_t& h) {
  const int kind = random_in(r, 0, 99);
  const int32_t max_w = kind < 70 ? 64 : kind < 90 ? 640 : kind < 98 ? 1920 : 4096;
  const int32_t max_h = kind < 70 ? 64 : kind < 90 ? 480 : kind < 98 ? 1080 : 2304;
  w = random_in(r, 1, max_w);
  h = random_in(r, 1, max_h);
}

// A target inside the track's range, or anywhere around and outside it.
int32_t pick_target(SOAK_RANDOM& r, int32_t low, int32_t high, int32_t buffer) {
  switch (random_in(r, 0, 9)) {
    case 0:
      return random_in(r, -100000, 0);
    case 1:
      return buffer + random_in(r, 1, 100000);
    case 2:
      return buffer;
    case 3:
      return 1;
    default:
      return low <= high ? random_in(r, low, high) : random_in(r, 1, buffer);
  }
}

// A guarded buffer of the host, as frames get them. False when it cannot be had.
bool make_host_buffer(FRAME_BUFFER& buffer, int32_t w, int32_t h) {
  PAGE_OPTIONS options;
  options.guard_after = true;
  return make_frame_buffer(buffer, w, h, options);
}

std::string first_difference(const FRAME& expected, const FRAME& actual) {
  if (expected.w != actual.w || expected.h != actual.h)
    return "image " + std::to_string(actual.w) + "x" + std::to_string(actual.h) + ", expected " +
           std::to_string(expected.w) + "x" + std::to_string(expected.h);
  const auto* e = reinterpret_cast<const int16_t*>(expected.buffer);
  const auto* a = reinterpret_cast<const int16_t*>(actual.buffer);
  const size_t samples = 3 * static_cast<size_t>(expected.max_w) * expected.max_h;
  for (size_t i = 0; i < samples; ++i)
    if (e[i] != a[i]) {
      const size_t pixel = i / 3;
      return "pixel (" + std::to_string(pixel % expected.max_w) + ", " +
             std::to_string(pixel / expected.max_w) + ") channel " + std::to_string(i % 3) + ": " +
             std::to_string(a[i]) + ", expected " + std::to_string(e[i]);
    }
  return "";
}

// Between frames, what a user does in the filter window.
void send_window_message(SOAK_RANDOM& r, SOAK_COUNTS& counts) {
  HWND window = filter_window.window;
  if (!window) return;
  ++counts.messages;
  switch (random_in(r, 0, 4)) {
    case 0:  // the filter off (the plug-in gives its memory back) and on
      set_filter_active(false);
      set_filter_active(true);
      break;
    case 1: {  // a size typed into the field and set with the button
      HWND combo = FindWindowExA(window, nullptr, "COMBOBOX", nullptr);
      HWND button = FindWindowExA(window, nullptr, "BUTTON", "set->");
      if (!combo || !button) break;
      const std::string text = std::to_string(random_in(r, 0, 9999)) +
                               (random_chance(r, 50) ? "x" : "*") +
                               std::to_string(random_in(r, 0, 9999));
      SetWindowTextA(combo, text.c_str());
      SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      break;
    }
    case 2:  // the check box clicked
      if (!filter_window.check_boxes.empty()) {
        HWND box = filter_window.check_boxes[0];
        SendMessageA(box, BM_SETCHECK, test_host.check[0] ? BST_UNCHECKED : BST_CHECKED, 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), BN_CLICKED),
                     reinterpret_cast<LPARAM>(box));
      }
      break;
    case 3:
      SendMessageA(window, WM_FILTER_UPDATE, 0, 0);
      break;
    default:  // a message the filter does not know
      SendMessageA(window, WM_USER + random_in(r, 0, 200), random_in(r, 0, 0xFFFF), 0);
      break;
  }
}

bool open_window(const PLUGIN& plugin, std::string& error) {
  CURRENT_FRAME frame;
  return make_current_frame(nullptr, frame, error) &&
         open_filter_window(plugin, WINDOW_SETUP{}, frame, error);
}

// One frame through func_proc, against the engine; false at a difference.
bool soak_frame(const PLUGIN& plugin, SOAK_RANDOM& r, SOAK_COUNTS& counts, FILE* log, FILE* out) {
  int32_t bw, bh;
  pick_buffer(r, bw, bh);
  const int32_t w = random_chance(r, 50) ? bw : random_in(r, 1, bw);
  const int32_t h = random_chance(r, 50) ? bh : random_in(r, 1, bh);
  const FILTER& table = *plugin.table;
  test_host.track[0] = pick_target(r, table.track_s[0], table.track_e[0], bw);
  test_host.track[1] = pick_target(r, table.track_s[1], table.track_e[1], bh);
  if (random_chance(r, 30)) test_host.check[0] = random_in(r, -1, 2);
  const uint64_t seed = next_random(r);
  const bool refuse = random_chance(r, 5);

  FRAME_BUFFER edit, temp, expected;
  if (!make_host_buffer(edit, bw, bh) || !make_host_buffer(temp, bw, bh) ||
      !make_host_buffer(expected, bw, bh)) {
    std::fprintf(out, "soak: no memory for a %dx%d buffer\n", bw, bh);
    return false;
  }
  edit.frame.w = expected.frame.w = w;
  edit.frame.h = expected.frame.h = h;
  fill_soak_frame(edit.frame, seed);
  fill_soak_frame(expected.frame, seed);
  const int32_t tw = test_host.track[0], th = test_host.track[1];
  const bool vertical_first = test_host.check[0] != 0;

  FILTER_PROC_INFO info = host_frame_record(edit.frame.buffer, temp.frame.buffer, w, h, bw, bh);
  const int refused_before = refused_page_blocks();
  if (refuse) refuse_page_blocks(1);
  const int result = call_func_proc(plugin, &info);
  refuse_page_blocks(0);
  const bool was_refused = refused_page_blocks() != refused_before;

  // A refused block leaves the frame as it was; otherwise the engine's bytes.
  const bool expect_done =
      was_refused ? false : resize_frame(expected.frame, tw, th, vertical_first, nullptr);
  FRAME actual = edit.frame;
  actual.w = info.w;
  actual.h = info.h;
  const std::string difference = first_difference(expected.frame, actual);
  const PAGE_MEMORY memory = held_page_memory();
  counts.most_memory = std::max(counts.most_memory, memory.bytes);
  ++counts.frames;
  counts.refused += was_refused;
  counts.sizes.insert({bw, bh});
  counts.largest_w = std::max(counts.largest_w, bw);
  counts.largest_h = std::max(counts.largest_h, bh);
  if (log && !was_refused)
    std::fprintf(log, "%llu %d %d %d %d %d %d %d %016llx\n", static_cast<unsigned long long>(seed),
                 bw, bh, w, h, tw, th, vertical_first ? 1 : 0,
                 static_cast<unsigned long long>(hash_frame(actual)));

  const bool ok = difference.empty() && result == (expect_done ? 1 : 0) && memory.blocks <= 1;
  if (!ok)
    std::fprintf(out,
                 "soak: frame %lld differs: %dx%d in buffer %dx%d, track %d,%d, check %d, %d "
                 "threads%s: func_proc %d (expected %d), %u blocks held; %s\n",
                 static_cast<long long>(counts.frames), w, h, bw, bh, tw, th, test_host.check[0],
                 test_host.settings.threads, was_refused ? ", its block refused" : "", result,
                 expect_done ? 1 : 0, static_cast<unsigned>(memory.blocks), difference.c_str());
  return ok;
}

// func_exit, then a new func_init with other frame-size limits, as the host
// does when its settings change: nothing may stay held in between.
bool restart(const PLUGIN& plugin, SOAK_RANDOM& r, SOAK_COUNTS& counts, FILE* out) {
  ++counts.restarts;
  counts.window_frames += filter_window.frames_processed;
  close_filter_window();
  call_func_exit(plugin);
  const PAGE_MEMORY memory = held_page_memory();
  if (memory.bytes != 0) {
    std::fprintf(out, "soak: %u bytes held after func_exit\n", static_cast<unsigned>(memory.bytes));
    return false;
  }
  test_host.settings.min_w = random_in(r, 1, 64);
  test_host.settings.min_h = random_in(r, 1, 64);
  test_host.settings.max_w = random_in(r, 256, 4096);
  test_host.settings.max_h = random_in(r, 256, 4096);
  call_func_init(plugin);
  std::string error;
  if (!open_window(plugin, error)) {
    std::fprintf(out, "soak: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int run_soak(const PLUGIN& plugin, const SOAK_OPTIONS& options, FILE* out) {
  SOAK_RANDOM r{options.seed};
  SOAK_COUNTS counts;
  FILE* log = options.log.empty() ? nullptr : std::fopen(options.log.c_str(), "wb");
  if (!options.log.empty() && !log) {
    std::fprintf(out, "soak: cannot write %s\n", options.log.c_str());
    return 1;
  }
  std::string error;
  bool ok = open_window(plugin, error);
  if (!ok) std::fprintf(out, "soak: %s\n", error.c_str());
  const double end = now_seconds() + options.seconds;
  while (ok && now_seconds() < end) {
    if (random_chance(r, 5)) {
      ++counts.thread_changes;
      ok = set_host_threads(random_in(r, 0, max_host_threads));
      if (!ok) std::fprintf(out, "soak: cannot start %d threads\n", test_host.settings.threads);
    }
    if (ok && random_chance(r, 2)) ok = restart(plugin, r, counts, out);
    if (ok && random_chance(r, 30)) send_window_message(r, counts);
    if (ok) ok = soak_frame(plugin, r, counts, log, out);
  }
  counts.window_frames += filter_window.frames_processed;
  close_filter_window();
  call_func_exit(plugin);
  const PAGE_MEMORY left = held_page_memory();
  if (log) std::fclose(log);

  std::fprintf(out,
               "soak: seed %llu, %.0f s: %lld frames (and %lld processed by the window), %zu "
               "buffer sizes up to %dx%d, %lld window messages, %lld restarts, %lld thread "
               "changes, %d page blocks refused and %lld frames handled them; the plug-in held at "
               "most %zu bytes of page memory, and %zu bytes in %zu blocks after func_exit\n",
               static_cast<unsigned long long>(options.seed), options.seconds,
               static_cast<long long>(counts.frames), static_cast<long long>(counts.window_frames),
               counts.sizes.size(), counts.largest_w, counts.largest_h,
               static_cast<long long>(counts.messages), static_cast<long long>(counts.restarts),
               static_cast<long long>(counts.thread_changes), refused_page_blocks(),
               static_cast<long long>(counts.refused), counts.most_memory, left.bytes, left.blocks);
  if (ok && left.bytes != 0) {
    std::fprintf(out, "soak: the plug-in still holds page memory after func_exit\n");
    ok = false;
  }
  std::fprintf(out, "soak: %s\n", ok ? "passed" : "FAILED");
  return ok ? 0 : 1;
}
