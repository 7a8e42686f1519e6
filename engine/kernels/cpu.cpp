#include "cpu.h"

#include <cpuid.h>

namespace {

unsigned long long read_xcr0() {
  unsigned eax, edx;
  __asm__ volatile("xgetbv" : "=a"(eax), "=d"(edx) : "c"(0));
  return (static_cast<unsigned long long>(edx) << 32) | eax;
}

CPU_FEATURES detect() {
  CPU_FEATURES f{};
  unsigned a, b, c, d;
  if (!__get_cpuid(0, &a, &b, &c, &d)) return f;
  f.intel = b == 0x756E6547 && d == 0x49656E69 && c == 0x6C65746E;  // "Genu" "ineI" "ntel"
  if (!__get_cpuid(1, &a, &b, &c, &d)) return f;
  f.sse = (d >> 25) & 1;
  f.sse2 = (d >> 26) & 1;
  const bool osxsave = (c >> 27) & 1;
  const bool avx = (c >> 28) & 1;
  if (!osxsave || !avx) return f;
  const unsigned long long xcr0 = read_xcr0();
  const bool ymm = (xcr0 & 0x6) == 0x6;
  const bool zmm = (xcr0 & 0xE6) == 0xE6;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return f;
  f.avx2 = ymm && ((b >> 5) & 1);
  f.avx512 = zmm && ((b >> 16) & 1) && ((b >> 30) & 1);
  return f;
}

}  // namespace

const CPU_FEATURES& cpu_features() {
  static const CPU_FEATURES features = detect();
  return features;
}
