#pragma once
// The engine as the tool drives it: a pool of worker threads and the call
// that resizes one frame, turning the engine's failure into an error line.
#include <cstdint>
#include <functional>
#include <string>

#include "frame_buffer.h"
#include "resize.h"
#include "thread_pool.h"

struct ENGINE_THREADS {
  int count = 1;                // asked for
  THREAD_POOL* pool = nullptr;  // made at the first run
  RUNNER runner{};

  ENGINE_THREADS() = default;
  ENGINE_THREADS(const ENGINE_THREADS&) = delete;
  ENGINE_THREADS& operator=(const ENGINE_THREADS&) = delete;
  ~ENGINE_THREADS();
};

// Sets up `count` workers (1 .. 64), made when the runner first runs, so
// that a job's buffers are had before the threads' stacks take their share
// of memory. Throws TOOL_ERROR for another count. When the system refuses
// some threads, says so on standard error and goes on with the threads that
// started.
void start_engine_threads(ENGINE_THREADS& threads, int count);

// When memory runs short for a run's buffers with more than one thread
// running: ends the other threads (freeing their stacks), says so on
// standard error, and returns true, for the run to be tried again on one
// (the same bits, only later). False when there is no other thread.
bool run_on_fewer_threads(const ENGINE_THREADS& threads);

// Threads the tool uses by default: one per processor, at most 64.
int default_thread_count();

// Selects the kernel variant by name ("auto", "sse", "portable", ...).
// Throws TOOL_ERROR naming the option when this processor has no such variant.
void choose_kernels(const std::string& name);

// Makes `buffer` hold a max_w x max_h frame buffer with an empty image, with
// transparent huge pages asked for (a column walk touches one page per row, so
// fewer, larger pages save TLB misses). Throws TOOL_ERROR naming `name` when
// the size is refused or no memory is had.
void allocate_frame(FRAME_BUFFER& buffer, int32_t max_w, int32_t max_h, const std::string& name);

// Resizes the image of `frame` to target_w x target_h (the buffer must hold
// both sizes). Throws TOOL_ERROR naming `name` when the engine fails (it can
// only lack work memory for a frame the tool built).
void resize_image(FRAME& frame, int32_t target_w, int32_t target_h, bool vertical_first,
                  const ENGINE_THREADS& threads, const std::string& name);

// Calls part(first, end) on every worker thread for its own share of rows
// 0 .. rows - 1 (conversions of one frame, which touch no row twice), and
// returns when all are done.
void run_on_rows(const ENGINE_THREADS& threads, int32_t rows,
                 const std::function<void(int32_t, int32_t)>& part);
