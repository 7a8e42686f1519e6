// Kernel variant for AVX-512 F and BW: 16 lanes per vector, up to eight
// vectors (32 column groups or 40 rows) in flight. Masked int16 loads and
// stores handle the end of a row, and never touch the bytes they leave out.
// GCC 12 reports the deliberately undefined source operands inside its own
// AVX-512 intrinsics as uninitialised (GCC bug 105593); only that header's
// lines are exempted.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wide_kernels.h"

namespace {

struct AVX512 {
  using V = __m512;
  static constexpr int W = 16;
  static constexpr int MAX_VECTORS = 8;
  static constexpr int LINE_BUFFERS = 9;
  static constexpr int64_t WALK_BYTES = 512 * 1024;

  static V load(const float* p) { return _mm512_load_ps(p); }
  static void store(float* p, V v) { _mm512_store_ps(p, v); }
  static V add(V a, V b) { return _mm512_add_ps(a, b); }
  static V sub(V a, V b) { return _mm512_sub_ps(a, b); }
  static V mul(V a, V b) { return _mm512_mul_ps(a, b); }
  static V set1(float f) { return _mm512_set1_ps(f); }
  static V zero() { return _mm512_setzero_ps(); }

  static __mmask32 first(int count) { return static_cast<__mmask32>((1u << count) - 1); }
  static V widen16(__m256i s) { return _mm512_cvtepi32_ps(_mm512_cvtepi16_epi32(s)); }
  static __m256i narrow16(V v) { return _mm512_cvtsepi32_epi16(_mm512_cvtps_epi32(v)); }

  static V widen(const void* p) { return widen16(_mm256_loadu_si256(static_cast<const __m256i*>(p))); }
  static V widen_part(const void* p, int count) {
    return widen16(_mm512_castsi512_si256(_mm512_maskz_loadu_epi16(first(count), p)));
  }
  static void narrow(void* p, V v) { _mm256_storeu_si256(static_cast<__m256i*>(p), narrow16(v)); }
  static void narrow_part(void* p, V v, int count) {
    _mm512_mask_storeu_epi16(p, first(count), _mm512_castsi256_si512(narrow16(v)));
  }

  static void widen_pixel(float* dst, const uint8_t* src, int bytes) {
    __m128i s;
    if (bytes == 8) {
      s = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src));
    } else {
      int32_t yc;
      int16_t cr;
      __builtin_memcpy(&yc, src, 4);
      __builtin_memcpy(&cr, src + 4, 2);
      s = _mm_insert_epi16(_mm_cvtsi32_si128(yc), cr, 2);
    }
    _mm_storeu_ps(dst, _mm_cvtepi32_ps(_mm_cvtepi16_epi32(s)));
  }

  static void prefetch(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0); }
};

}  // namespace

const KERNEL_VARIANT avx512_kernels = {"avx512",
                                       AVX512::LINE_BUFFERS,
                                       AVX512::MAX_VECTORS * AVX512::W / 4,
                                       AVX512::MAX_VECTORS * ((AVX512::W - 1) / 3),
                                       wide_column_groups<AVX512>,
                                       wide_pixel_rows<AVX512>};
