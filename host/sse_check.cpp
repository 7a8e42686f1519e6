#include "sse_check.h"

#include <cpuid.h>

#include "exception_guard.h"

namespace {

constexpr DWORD xmmi_instructions_available = 6;   // PF_XMMI_INSTRUCTIONS_AVAILABLE
constexpr DWORD illegal_instruction = 0xC000001D;  // STATUS_ILLEGAL_INSTRUCTION

using FEATURE_QUERY = BOOL(WINAPI*)(DWORD feature);

HMODULE system_module_handle(const char* name) { return GetModuleHandleA(name); }

FARPROC system_find_function(HMODULE module, const char* name) {
  return GetProcAddress(module, name);
}

bool system_cpuid_sse_bit() {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (d >> 25) & 1;
}

// Clears an XMM register and stores it to a 16-byte aligned stack slot, with
// its own alignment so that it does not depend on the caller's stack.
void run_sse_sequence(void*) {
  __asm__ volatile(
      "movl %%esp, %%eax\n\t"
      "subl $32, %%esp\n\t"
      "andl $-16, %%esp\n\t"
      "xorps %%xmm0, %%xmm0\n\t"
      "movaps %%xmm0, (%%esp)\n\t"
      "movl %%eax, %%esp\n\t"
      :
      :
      : "eax", "xmm0", "memory");
}

DWORD system_probe_sse() { return run_guarded(run_sse_sequence, nullptr); }

}  // namespace

const SSE_LOOKUPS system_sse_lookups = {
    system_module_handle,
    system_find_function,
    system_cpuid_sse_bit,
    system_probe_sse,
};

bool has_sse(const SSE_LOOKUPS& lookups) {
  if (HMODULE kernel = lookups.module_handle("Kernel32")) {
    if (FARPROC found = lookups.find_function(kernel, "IsProcessorFeaturePresent")) {
      // FARPROC stands for any function; void (*)() lets it become the real type.
      const auto query = reinterpret_cast<FEATURE_QUERY>(reinterpret_cast<void (*)()>(found));
      return query(xmmi_instructions_available) != 0;
    }
  }
  if (!lookups.cpuid_sse_bit()) return false;
  return lookups.probe_sse() != illegal_instruction;
}
