// Kernel variant for SSE2: the baseline's 4-lane vectors, but several lines
// in flight with the elimination chains in registers, and int16 conversions
// without MMX.
#include <emmintrin.h>

#include "wide_walks.h"

namespace {

struct SSE2_POLICY {
  using V = __m128;
  static constexpr int W = 4;
  // Also in 32-bit code, whose eight vector registers make the compiler
  // spill some of four vectors' state: stores and loads that stay in the
  // first-level cache cost less than the stalls of fewer chains in flight.
  static constexpr int MAX_VECTORS = 4;

  static V load(const float* p) { return _mm_load_ps(p); }
  static void store(float* p, V v) { _mm_store_ps(p, v); }
  static V add(V a, V b) { return _mm_add_ps(a, b); }
  static V sub(V a, V b) { return _mm_sub_ps(a, b); }
  static V mul(V a, V b) { return _mm_mul_ps(a, b); }
  static V set1(float f) { return _mm_set1_ps(f); }
  static V zero() { return _mm_setzero_ps(); }

  // Sign extension: each int16 into the high half of a lane, then shifted down.
  static V widen64(__m128i s) {
    return _mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(s, s), 16));
  }
  static V widen(const void* p) { return widen64(_mm_loadl_epi64(static_cast<const __m128i*>(p))); }
  static V widen_part(const void* p, int count) {
    int16_t s[W] = {};
    __builtin_memcpy(s, p, 2 * count);
    return widen(s);
  }
  static void narrow(void* p, V v) {
    const __m128i r = _mm_cvtps_epi32(v);
    _mm_storel_epi64(static_cast<__m128i*>(p), _mm_packs_epi32(r, r));
  }
  static void narrow2(void* p, V a, V b) {
    _mm_storeu_si128(static_cast<__m128i*>(p),
                     _mm_packs_epi32(_mm_cvtps_epi32(a), _mm_cvtps_epi32(b)));
  }
  static void narrow_part(void* p, V v, int count) {
    int16_t s[W];
    narrow(s, v);
    __builtin_memcpy(p, s, 2 * count);
  }

  static constexpr bool PIXEL_LANES = false;
  // Four rows in three vectors, where a vector a row left a lane idle.
  static constexpr bool DENSE_ROWS = true;
  static void prefetch(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0); }
  static void prefetch_l2(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T1); }
  static constexpr const KERNEL_VARIANT* narrower = &sse_kernels;
};

}  // namespace

const KERNEL_VARIANT sse2_kernels = wide_variant<SSE2_POLICY>("sse2");
