// Kernel variant for AVX2: 8 lanes per vector, up to four vectors (8 column
// groups or 8 rows) in flight. The end of a row goes through a small copy, so
// that only the bytes inside it are read and written.
#include <immintrin.h>

#include "wide_walks.h"

namespace {

struct AVX2_POLICY {
  using V = __m256;
  static constexpr int W = 8;
  static constexpr int MAX_VECTORS = 4;

  static V load(const float* p) { return _mm256_load_ps(p); }
  static void store(float* p, V v) { _mm256_store_ps(p, v); }
  static V add(V a, V b) { return _mm256_add_ps(a, b); }
  static V sub(V a, V b) { return _mm256_sub_ps(a, b); }
  static V mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V set1(float f) { return _mm256_set1_ps(f); }
  static V zero() { return _mm256_setzero_ps(); }

  static V widen(const void* p) {
    return _mm256_cvtepi32_ps(
        _mm256_cvtepi16_epi32(_mm_loadu_si128(static_cast<const __m128i*>(p))));
  }
  static V widen_part(const void* p, int count) {
    alignas(16) int16_t s[W] = {};
    __builtin_memcpy(s, p, 2 * count);
    return widen(s);
  }
  static void narrow(void* p, V v) {
    const __m256i r = _mm256_cvtps_epi32(v);
    _mm_storeu_si128(static_cast<__m128i*>(p),
                     _mm_packs_epi32(_mm256_castsi256_si128(r), _mm256_extracti128_si256(r, 1)));
  }
  static __m256i narrow_pair(V a, V b) {
    // The pack interleaves a and b by 4 int16 in each 128-bit lane.
    const __m256i packed = _mm256_packs_epi32(_mm256_cvtps_epi32(a), _mm256_cvtps_epi32(b));
    return _mm256_permute4x64_epi64(packed, 0xD8);
  }
  static void narrow2(void* p, V a, V b) {
    _mm256_storeu_si256(static_cast<__m256i*>(p), narrow_pair(a, b));
  }
  static void stream2(void* p, V a, V b) {
    _mm256_stream_si256(static_cast<__m256i*>(p), narrow_pair(a, b));
  }
  static void narrow_part(void* p, V v, int count) {
    alignas(16) int16_t s[W];
    narrow(s, v);
    __builtin_memcpy(p, s, 2 * count);
  }

  static constexpr bool PIXEL_LANES = false;
  // Eight rows in three vectors, where four lanes a row took a quarter of
  // the lanes for nothing.
  static constexpr bool DENSE_ROWS = true;
  static void prefetch(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0); }
  static void prefetch_l2(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T1); }
  static constexpr const KERNEL_VARIANT* narrower = &sse2_kernels;
};

}  // namespace

const KERNEL_VARIANT avx2_kernels = wide_variant<AVX2_POLICY>("avx2");
