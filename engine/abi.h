#pragma once
// Calling rules for functions that other programs' threads enter.
//
// On 32-bit x86 the host keeps its stack only 4-byte aligned, while GCC
// assumes 16 bytes for SSE spills. Every function a host thread calls
// directly carries HOST_ENTRY, which realigns the stack on entry.
#if defined(__i386__)
#define HOST_ENTRY __attribute__((force_align_arg_pointer))
#else
#define HOST_ENTRY
#endif

// A worker run once per thread: (thread index, thread count, param1, param2).
// The host's exec_multi_thread_func takes this type as it is: cdecl, the
// compiler's default on 32-bit x86.
using MULTI_THREAD_FUNC = void (*)(int thread_id, int thread_num, void* param1, void* param2);
