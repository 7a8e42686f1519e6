#pragma once
// Calls a function on a stack that is 4-byte aligned but not 16-byte
// aligned, as a host built by a compiler that keeps only 4 bytes does. A
// plug-in function that assumes more faults or misbehaves here.
#include <cstdint>

// How far below the expected 16-byte alignment the callee's frame lands: 4, 8
// or 12 bytes.
enum class STACK_SKEW : uint32_t { by4 = 4, by8 = 8, by12 = 12 };

// Calls fn (cdecl or stdcall, up to six 32-bit arguments; unused ones are
// ignored by the callee) and returns its 32-bit result.
uint32_t call_misaligned(const void* fn, STACK_SKEW skew, uint32_t a0 = 0, uint32_t a1 = 0,
                         uint32_t a2 = 0, uint32_t a3 = 0, uint32_t a4 = 0, uint32_t a5 = 0);

template <class T>
uint32_t as_arg(T* p) {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p));
}

template <class F>
const void* as_code(F* fn) {
  return reinterpret_cast<const void*>(fn);
}
