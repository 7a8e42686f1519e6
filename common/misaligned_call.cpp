#include "misaligned_call.h"

// uint32_t call_with_padding(const void* fn, const uint32_t* args, uint32_t pad)
// Aligns the stack to 16 bytes, lowers it by `pad`, pushes six arguments and
// calls fn; the stack pointer comes back from ebp, so stdcall callees work too.
extern "C" uint32_t call_with_padding(const void* fn, const uint32_t* args, uint32_t pad);

#if defined(__i386__)
__asm__(
    ".text\n"
    ".globl _call_with_padding\n"
    "_call_with_padding:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  andl $-16, %esp\n"
    "  subl 16(%ebp), %esp\n"
    "  movl 12(%ebp), %eax\n"
    "  pushl 20(%eax)\n"
    "  pushl 16(%eax)\n"
    "  pushl 12(%eax)\n"
    "  pushl 8(%eax)\n"
    "  pushl 4(%eax)\n"
    "  pushl (%eax)\n"
    "  call *8(%ebp)\n"
    "  movl %ebp, %esp\n"
    "  popl %ebp\n"
    "  ret\n");
#else
#error "the misaligned call is written for 32-bit x86"
#endif

uint32_t call_misaligned(const void* fn, STACK_SKEW skew, uint32_t a0, uint32_t a1, uint32_t a2,
                         uint32_t a3, uint32_t a4, uint32_t a5) {
  const uint32_t args[6] = {a0, a1, a2, a3, a4, a5};
  // A callee expects esp % 16 == 12 at entry (the return address just below a
  // 16-byte boundary). From a 16-byte boundary, 24 bytes of arguments and 4 of
  // return address give esp % 16 == (-28 - pad) % 16; a pad of 8 + skew puts
  // it `skew` bytes below where it should be.
  const uint32_t pad = (8 + static_cast<uint32_t>(skew)) & 15;
  return call_with_padding(fn, args, pad);
}
