// The SSE test's three steps through replaced lookups, and the exception guard
// against real faults.
#include "sse_check.h"

#include <gtest/gtest.h>

#include <string>

#include "exception_guard.h"

namespace {

constexpr DWORD illegal_instruction = 0xC000001D;
constexpr DWORD access_violation = 0xC0000005;

// What the fake lookups answer and what they were asked.
struct FAKE_SYSTEM {
  bool has_module = true;
  bool has_function = true;
  BOOL feature_answer = TRUE;
  bool cpuid_bit = true;
  DWORD probe_code = 0;

  std::string module_asked;
  std::string function_asked;
  DWORD feature_asked = 0xFFFFFFFF;
  int cpuid_calls = 0;
  int probe_calls = 0;
};
FAKE_SYSTEM fake;

HMODULE fake_module(const char* name) {
  fake.module_asked = name;
  return fake.has_module ? reinterpret_cast<HMODULE>(0x10000) : nullptr;
}
BOOL WINAPI fake_feature(DWORD feature) {
  fake.feature_asked = feature;
  return fake.feature_answer;
}
FARPROC fake_function(HMODULE, const char* name) {
  fake.function_asked = name;
  return fake.has_function ? reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(fake_feature))
                           : nullptr;
}
bool fake_cpuid() {
  ++fake.cpuid_calls;
  return fake.cpuid_bit;
}
DWORD fake_probe() {
  ++fake.probe_calls;
  return fake.probe_code;
}
const SSE_LOOKUPS fake_lookups = {fake_module, fake_function, fake_cpuid, fake_probe};

class SseCheck : public ::testing::Test {
 protected:
  void SetUp() override { fake = FAKE_SYSTEM{}; }
};

TEST_F(SseCheck, SystemAnswerDecidesWhenKernelHasTheFunction) {
  EXPECT_TRUE(has_sse(fake_lookups));
  EXPECT_EQ(fake.module_asked, "Kernel32");
  EXPECT_EQ(fake.function_asked, "IsProcessorFeaturePresent");
  EXPECT_EQ(fake.feature_asked, 6u);  // PF_XMMI_INSTRUCTIONS_AVAILABLE
  EXPECT_EQ(fake.cpuid_calls, 0);
  EXPECT_EQ(fake.probe_calls, 0);

  fake = FAKE_SYSTEM{};
  fake.feature_answer = FALSE;
  EXPECT_FALSE(has_sse(fake_lookups));
  EXPECT_EQ(fake.cpuid_calls, 0) << "a 'no' from the system is final";
  EXPECT_EQ(fake.probe_calls, 0);
}

TEST_F(SseCheck, FallsBackToCpuidWhenModuleOrFunctionIsMissing) {
  for (bool module_missing : {true, false}) {
    fake = FAKE_SYSTEM{};
    fake.has_module = !module_missing;
    fake.has_function = false;
    fake.cpuid_bit = false;
    EXPECT_FALSE(has_sse(fake_lookups)) << "module missing: " << module_missing;
    EXPECT_EQ(fake.cpuid_calls, 1);
    EXPECT_EQ(fake.probe_calls, 0) << "no probe once CPUID says no";
    EXPECT_EQ(fake.feature_asked, 0xFFFFFFFFu);
  }
}

TEST_F(SseCheck, OnlyAnIllegalInstructionInTheProbeMeansNoSse) {
  struct CASE {
    DWORD code;
    bool supported;
  };
  for (CASE c : {CASE{0, true}, CASE{illegal_instruction, false}, CASE{access_violation, true},
                 CASE{0xC0000094, true}, CASE{0xE06D7363, true}}) {
    fake = FAKE_SYSTEM{};
    fake.has_function = false;
    fake.probe_code = c.code;
    EXPECT_EQ(has_sse(fake_lookups), c.supported) << std::hex << "probe code 0x" << c.code;
    EXPECT_EQ(fake.cpuid_calls, 1);
    EXPECT_EQ(fake.probe_calls, 1);
  }
}

TEST_F(SseCheck, EveryStepOfThisSystemFindsSse) {
  EXPECT_TRUE(has_sse(system_sse_lookups));
  HMODULE kernel = system_sse_lookups.module_handle("Kernel32");
  ASSERT_NE(kernel, nullptr);
  EXPECT_NE(system_sse_lookups.find_function(kernel, "IsProcessorFeaturePresent"), nullptr);
  EXPECT_TRUE(system_sse_lookups.cpuid_sse_bit());
  EXPECT_EQ(system_sse_lookups.probe_sse(), 0u) << "the SSE sequence itself faulted";
}

// Faults of several kinds, some deep in nested calls.
void execute_undefined_instruction(void*) { __asm__ volatile("ud2"); }
void write_through_null(void* p) { *static_cast<volatile int*>(p) = 1; }
void raise_custom(void*) { RaiseException(0xE0001234, 0, 0, nullptr); }
void divide_by_zero(void* p) {
  volatile int zero = *static_cast<int*>(p);
  volatile int result = 7 / zero;
  (void)result;
}
void fault_deep(void* depth) {
  volatile char stack_use[256];
  stack_use[0] = 1;
  const intptr_t left = reinterpret_cast<intptr_t>(depth);
  if (left > 0)
    fault_deep(reinterpret_cast<void*>(left - 1));
  else
    __asm__ volatile("ud2");
  stack_use[1] = stack_use[0];
}
void return_normally(void* counter) { ++*static_cast<int*>(counter); }
void mark_then_fault(void* flags) {
  static_cast<int*>(flags)[0] = 1;
  __asm__ volatile("ud2");
  static_cast<volatile int*>(flags)[1] = 1;  // never reached
}

TEST(ExceptionGuard, CatchesEveryKindOfExceptionWithItsCode) {
  int zero = 0;
  EXPECT_EQ(run_guarded(execute_undefined_instruction, nullptr), illegal_instruction);
  EXPECT_EQ(run_guarded(write_through_null, nullptr), access_violation);
  EXPECT_EQ(run_guarded(raise_custom, nullptr), 0xE0001234u);
  EXPECT_EQ(run_guarded(divide_by_zero, &zero), 0xC0000094u);  // STATUS_INTEGER_DIVIDE_BY_ZERO
  EXPECT_EQ(run_guarded(fault_deep, reinterpret_cast<void*>(50)), illegal_instruction);
}

TEST(ExceptionGuard, ResumesAfterTheCallWithTheCallersState) {
  // Values live across many guarded calls, faulting or not, in registers and
  // on the stack; the guard must hand back exactly the caller's state.
  int counter = 0;
  int flags[2] = {0, 0};
  unsigned checksum = 0;
  for (unsigned i = 0; i < 200; ++i) {
    const DWORD code =
        i % 2 ? run_guarded(mark_then_fault, flags) : run_guarded(return_normally, &counter);
    checksum = checksum * 31 + i + code;
  }
  unsigned expected = 0;
  for (unsigned i = 0; i < 200; ++i)
    expected = expected * 31 + i + (i % 2 ? illegal_instruction : 0);
  EXPECT_EQ(counter, 100);
  EXPECT_EQ(flags[0], 1);
  EXPECT_EQ(flags[1], 0) << "the faulting function went on after the fault";
  EXPECT_EQ(checksum, expected);
}

}  // namespace
