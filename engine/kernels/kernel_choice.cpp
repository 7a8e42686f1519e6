// Chooses the kernel variant once: the fastest the processor runs, unless a
// caller forced one by name. The benchmark's builds of the plug-in, one per
// variant, name theirs at compile time (MORVANE_PINNED_KERNELS).
#include <atomic>
#include <cstring>

#include "cpu.h"
#include "kernels.h"

namespace {

// Every variant with the test of whether this processor runs it, slowest first.
struct CANDIDATE {
  const KERNEL_VARIANT* variant;
  bool (*runs)();
};

const CANDIDATE candidates[] = {
    {&portable_kernels, [] { return true; }},
    {&sse_kernels, [] { return cpu_features().sse; }},
    {&sse2_kernels, [] { return cpu_features().sse2; }},
    {&avx2_kernels, [] { return cpu_features().avx2; }},
    {&avx512_kernels, [] { return cpu_features().avx512; }},
};
constexpr int candidate_count = sizeof candidates / sizeof candidates[0];

bool names_automatic(const char* name) {
  return name == nullptr || *name == '\0' || std::strcmp(name, "auto") == 0;
}

// The variant of that name among those the processor runs; null if none.
const KERNEL_VARIANT* named_kernels(const char* name) {
  for (const KERNEL_VARIANT* const* v = available_kernels(); *v; ++v)
    if (std::strcmp((*v)->name, name) == 0) return *v;
  return nullptr;
}

std::atomic<const KERNEL_VARIANT*> forced{nullptr};
std::atomic<NEW_ROW_STORES> forced_row_stores{NEW_ROW_STORES::automatic};

}  // namespace

const KERNEL_VARIANT* const* available_kernels() {
  static const KERNEL_VARIANT* list[candidate_count + 1] = {};
  static const bool filled = [] {
    int n = 0;
    for (const CANDIDATE& c : candidates)
      if (c.runs()) list[n++] = c.variant;
    return true;
  }();
  (void)filled;
  return list;
}

const KERNEL_VARIANT* active_kernels() {
  if (const KERNEL_VARIANT* f = forced.load(std::memory_order_acquire)) return f;
  static const KERNEL_VARIANT* best = [] {
    const KERNEL_VARIANT* const* list = available_kernels();
#if defined(MORVANE_PINNED_KERNELS)
    // A benchmark's build of the plug-in: this variant wherever the processor runs it.
    for (int i = 0; list[i]; ++i)
      if (std::strcmp(list[i]->name, MORVANE_PINNED_KERNELS) == 0) return list[i];
#endif
    const KERNEL_VARIANT* last = list[0];
    for (int i = 0; list[i]; ++i) last = list[i];
    return last;
  }();
  return best;
}

void force_new_row_stores(NEW_ROW_STORES how) {
  forced_row_stores.store(how, std::memory_order_release);
}

bool new_rows_streamed() {
  const NEW_ROW_STORES how = forced_row_stores.load(std::memory_order_acquire);
  return how == NEW_ROW_STORES::automatic ? cpu_features().intel : how == NEW_ROW_STORES::streamed;
}

bool force_kernels(const char* name) {
  const bool automatic = names_automatic(name);
  const KERNEL_VARIANT* chosen = automatic ? nullptr : named_kernels(name);
  if (!automatic && !chosen) return false;
  forced.store(chosen, std::memory_order_release);
  return true;
}

const KERNEL_VARIANT* find_kernels(const char* name) {
  return names_automatic(name) ? active_kernels() : named_kernels(name);
}
