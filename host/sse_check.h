#pragma once
// Whether this processor and operating system run SSE instructions. Without
// them the filter registers no processing function.
#include <windows.h>

// What the test looks up and runs, replaceable so that every branch can be
// taken on any machine.
struct SSE_LOOKUPS {
  HMODULE (*module_handle)(const char* name);                  // GetModuleHandleA
  FARPROC (*find_function)(HMODULE module, const char* name);  // GetProcAddress
  bool (*cpuid_sse_bit)();                                     // CPUID leaf 1, EDX bit 25
  // A short SSE sequence under the exception guard: 0, or the code of the
  // exception it raised.
  DWORD (*probe_sse)();
};

// The lookups of the running system.
extern const SSE_LOOKUPS system_sse_lookups;

// The operating system's IsProcessorFeaturePresent from "Kernel32" answers
// when both can be found. Otherwise CPUID must report SSE, and then SSE is
// missing only if the probe raises STATUS_ILLEGAL_INSTRUCTION (a processor
// with SSE under a system that does not save its registers); any other
// exception, or none, means SSE works.
bool has_sse(const SSE_LOOKUPS& lookups);
