#include "exception_guard.h"

#include <cstdint>

#include "abi.h"

namespace {

// Where a caught exception resumes: the state guarded_call saved before it
// called the function. Filled by guarded_call, read by the handler.
struct GUARD_FRAME {
  uint32_t resume_eip;
  uint32_t resume_esp;
  uint32_t resume_ebp;
  uint32_t seh_head;  // fs:[0] at the start of the call, put back on resume
};

struct GUARD {
  GUARD_FRAME frame;
  DWORD thread;
  DWORD code;
};

GUARD* volatile active_guard = nullptr;
volatile LONG guard_busy = 0;

}  // namespace

// uint32_t guarded_call(void (*fn)(void*), void* arg, GUARD_FRAME* frame)
// Saves ebp, ebx, esi, edi on its own stack, records the resume state in
// *frame, calls fn(arg) and returns 0; the handler instead sends a faulting
// call to guarded_call_resume, which returns 1 with the same registers.
extern "C" uint32_t guarded_call(void (*fn)(void*), void* arg, GUARD_FRAME* frame);

#if defined(__i386__)
__asm__(
    ".text\n"
    ".globl _guarded_call\n"
    "_guarded_call:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 16(%ebp), %eax\n"
    "  movl $guarded_call_resume, (%eax)\n"
    "  movl %esp, 4(%eax)\n"
    "  movl %ebp, 8(%eax)\n"
    "  movl %fs:0, %ecx\n"
    "  movl %ecx, 12(%eax)\n"
    // With a 16-byte aligned caller, fn is entered 16-byte aligned too.
    "  subl $8, %esp\n"
    "  pushl 12(%ebp)\n"
    "  call *8(%ebp)\n"
    "  addl $12, %esp\n"
    "  xorl %eax, %eax\n"
    "  jmp 1f\n"
    "guarded_call_resume:\n"
    "  movl 16(%ebp), %eax\n"
    "  movl 12(%eax), %ecx\n"
    "  movl %ecx, %fs:0\n"
    "  movl $1, %eax\n"
    "1:\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n");
#else
#error "the exception guard is written for 32-bit x86"
#endif

namespace {

HOST_ENTRY LONG CALLBACK divert_guarded_exception(EXCEPTION_POINTERS* info) {
  GUARD* guard = active_guard;
  if (!guard || guard->thread != GetCurrentThreadId()) return EXCEPTION_CONTINUE_SEARCH;
  guard->code = info->ExceptionRecord->ExceptionCode;
  CONTEXT* context = info->ContextRecord;
  context->Eip = guard->frame.resume_eip;
  context->Esp = guard->frame.resume_esp;
  context->Ebp = guard->frame.resume_ebp;
  return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

DWORD run_guarded(void (*fn)(void*), void* arg) {
  while (InterlockedCompareExchange(&guard_busy, 1, 0) != 0) Sleep(0);

  GUARD guard{};
  guard.thread = GetCurrentThreadId();
  active_guard = &guard;
  void* handler = AddVectoredExceptionHandler(1, divert_guarded_exception);
  if (handler) {
    if (guarded_call(fn, arg, &guard.frame) == 0) guard.code = 0;
    RemoveVectoredExceptionHandler(handler);
  } else {
    guard.code = STATUS_NO_MEMORY;
  }
  active_guard = nullptr;

  InterlockedExchange(&guard_busy, 0);
  return guard.code;
}
