#pragma once
// What the processor and the operating system let the kernels use.
struct CPU_FEATURES {
  bool sse;
  bool sse2;
  bool avx2;    // AVX2 with YMM state enabled by the operating system
  bool avx512;  // AVX-512 F and BW with ZMM state enabled
  bool intel;   // the vendor string is "GenuineIntel"
};

// Read once with CPUID and XGETBV.
const CPU_FEATURES& cpu_features();
