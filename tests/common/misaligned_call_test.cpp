// Calls on a misaligned stack, as the test host and the engine's tests make
// them: the callee's frame lands where it was asked to, and arguments and
// results pass for both calling conventions.
#include <gtest/gtest.h>

#include "misaligned_call.h"

// Returns the stack pointer at its entry (where the return address lies).
extern "C" uint32_t entry_stack_pointer();
__asm__(
    ".text\n"
    ".globl _entry_stack_pointer\n"
    "_entry_stack_pointer:\n"
    "  movl %esp, %eax\n"
    "  ret\n");

namespace {

TEST(MisalignedCall, EntersTheCalleeOffItsExpectedAlignment) {
  // A 16-byte aligned call enters with esp % 16 == 12.
  EXPECT_EQ(call_misaligned(as_code(entry_stack_pointer), STACK_SKEW::by4) % 16, 8u);
  EXPECT_EQ(call_misaligned(as_code(entry_stack_pointer), STACK_SKEW::by8) % 16, 4u);
  EXPECT_EQ(call_misaligned(as_code(entry_stack_pointer), STACK_SKEW::by12) % 16, 0u);
}

uint32_t __cdecl sum6(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e, uint32_t f) {
  return a + 10 * b + 100 * c + 1000 * d + 10000 * e + 100000 * f;
}
uint32_t __stdcall stdcall2(uint32_t a, uint32_t b) { return a - b; }

TEST(MisalignedCall, PassesArgumentsAndResultsForBothConventions) {
  EXPECT_EQ(call_misaligned(as_code(sum6), STACK_SKEW::by4, 1, 2, 3, 4, 5, 6), 654321u);
  EXPECT_EQ(call_misaligned(as_code(stdcall2), STACK_SKEW::by8, 9, 4), 5u);
}

}  // namespace
