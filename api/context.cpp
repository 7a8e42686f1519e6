// morvane_context_*: contexts made, limited and given back.
#include "context.h"

#include <pthread.h>
#include <signal.h>

#include <new>

#include "thread_pool.h"

morvane_context::~morvane_context() { destroy_thread_pool(pool); }

morvane_context* make_context(int threads) {
  if (threads < 1 || threads > 64) return nullptr;
  auto* context = new (std::nothrow) morvane_context;
  if (!context) return nullptr;
  // The workers are born with every signal blocked, so the caller's signals
  // go to the caller's threads.
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &before);
  context->pool = create_thread_pool(threads);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (!context->pool) {
    delete context;
    return nullptr;
  }
  context->runner = pool_runner(context->pool);
  // A hint: the vertical passes touch one page per row.
  context->passes.options.huge_pages = true;
  return context;
}

const RUNNER* context_runner(const morvane_context& context) {
  return thread_pool_size(context.pool) > 1 ? &context.runner : nullptr;
}

morvane_context* call_context(morvane_context* given, const morvane_options& options,
                              std::unique_ptr<morvane_context>& own) {
  if (given) return given;
  own.reset(make_context(options.threads));
  return own.get();
}

bool hold_samples(std::vector<int16_t>& samples, uint64_t count) {
  if (samples.size() >= count) return true;
  try {
    samples.clear();
    samples.shrink_to_fit();
    samples.resize(static_cast<size_t>(count));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

extern "C" morvane_context* morvane_context_create(int threads) { return make_context(threads); }

extern "C" void morvane_context_destroy(morvane_context* context) { delete context; }

extern "C" int morvane_context_threads(const morvane_context* context) {
  return context ? thread_pool_size(context->pool) : 0;
}

extern "C" int morvane_context_limit_threads(morvane_context* context, int threads) {
  if (!context) return MORVANE_ERROR_NULL_POINTER;
  if (threads < 1 || threads > 64) return MORVANE_ERROR_OPTION;
  shrink_thread_pool(context->pool, threads);
  return MORVANE_OK;
}
