#pragma once
// What a context keeps from call to call: its worker threads, the buffers of
// the engine's passes and the work area they run in, the low-pass's taps and
// samples, and the planes of samples the codes are converted into and out
// of. Nothing of a call is kept outside its context, so calls in different
// contexts run side by side.
#include <cstdint>
#include <memory>
#include <vector>

#include "low_pass.h"
#include "morvane.h"
#include "plane.h"
#include "resize.h"

struct THREAD_POOL;

struct morvane_context {
  THREAD_POOL* pool = nullptr;  // its threads take no signal
  RUNNER runner{};
  PLANE_WORK passes;  // with the engine's work area
  LOW_PASS_SAMPLES low_passed[4];
  std::vector<int16_t> sources[4], targets[4];  // samples of each job's planes

  morvane_context() = default;
  morvane_context(const morvane_context&) = delete;
  morvane_context& operator=(const morvane_context&) = delete;
  ~morvane_context();
};

// A context on `threads` threads (1 .. 64), the calling thread the first;
// null when threads is out of range or no memory could be had.
morvane_context* make_context(int threads);

// The runner of the context's threads; null with one thread (the calling
// thread does everything).
const RUNNER* context_runner(const morvane_context& context);

// The context a call runs in: `given`, or one made for the call alone on
// options.threads threads and held in `own`. Null when none could be made.
morvane_context* call_context(morvane_context* given, const morvane_options& options,
                              std::unique_ptr<morvane_context>& own);

// Makes `samples` hold at least `count`; false when memory could not be had.
bool hold_samples(std::vector<int16_t>& samples, uint64_t count);
