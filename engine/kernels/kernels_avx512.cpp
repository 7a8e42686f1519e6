// Kernel variant for AVX-512 F and BW: 16 lanes per vector, up to four
// vectors (16 column groups or 20 rows) in flight. Masked int16 loads and
// stores handle the end of a row, and never touch the bytes they leave out.
// GCC 12 reports the deliberately undefined source operands inside its own
// AVX-512 intrinsics as uninitialised (GCC bug 105593); only that header's
// lines are exempted.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop

#include "wide_walks.h"

namespace {

struct AVX512_POLICY {
  using V = __m512;
  static constexpr int W = 16;
  // Four, not eight: a column walk of eight over a 1080-row frame keeps
  // 1.1 MB of knots and spills more; four were faster on every job measured
  // (Intel Xeon with two 512-bit units, native and 32-bit).
  static constexpr int MAX_VECTORS = 4;
  // With eight vector registers a row walk of one vector (five rows), whose
  // pixel moves need eight permute indices besides: faster so than walks of
  // two and four vectors (0.78 to 0.88 of four on an AMD EPYC, native code
  // with the registers of 32-bit code). The column walks keep four: fewer
  // chains in flight were slower there, spills and all.
  static constexpr int MAX_ROW_VECTORS = eight_vector_registers ? 1 : MAX_VECTORS;

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

  static V widen(const void* p) {
    return widen16(_mm256_loadu_si256(static_cast<const __m256i*>(p)));
  }
  static V widen_part(const void* p, int count) {
    return widen16(_mm512_castsi512_si256(_mm512_maskz_loadu_epi16(first(count), p)));
  }
  static void narrow(void* p, V v) { _mm256_storeu_si256(static_cast<__m256i*>(p), narrow16(v)); }
  static __m512i narrow_pair(V a, V b) {
    // The pack interleaves a and b by 4 int16 in each 128-bit lane.
    const __m512i packed = _mm512_packs_epi32(_mm512_cvtps_epi32(a), _mm512_cvtps_epi32(b));
    const __m512i order = _mm512_set_epi64(7, 5, 3, 1, 6, 4, 2, 0);
    return _mm512_permutexvar_epi64(order, packed);
  }
  static void narrow2(void* p, V a, V b) { _mm512_storeu_si512(p, narrow_pair(a, b)); }
  static void stream2(void* p, V a, V b) {
    _mm512_stream_si512(static_cast<__m512i*>(p), narrow_pair(a, b));
  }
  static void narrow_part(void* p, V v, int count) {
    _mm512_mask_storeu_epi16(p, first(count), _mm512_castsi256_si512(narrow16(v)));
  }

  // Rows and lanes in blocks of four pixels: each of a vector's five rows
  // brings 24 bytes (pixels p .. p + 3); two-source word permutes take
  // channel c of pixel p + k in row j to lane 3j + c of knot p + k, and back.
  static constexpr bool PIXEL_LANES = true;

  // The int16 of `lanes` (up to 16) from p; all 32 bytes when `whole`.
  static __m256i load_words(const uint8_t* p, int lanes, bool whole) {
    if (whole) return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    return _mm512_castsi512_si256(_mm512_maskz_loadu_epi16(first(lanes), p));
  }
  static __m512i pair(__m256i lo, __m256i hi) {
    return _mm512_inserti64x4(_mm512_castsi256_si512(lo), hi, 1);
  }
  static __m512i indices(const int16_t (&lane)[32]) { return _mm512_loadu_si512(lane); }

  // The rows of all NV vectors of a walk are read (or written) together, with
  // a prefetch this far ahead in each row: more streams in flight, and reads
  // that run on across page boundaries where the hardware's stop.
  static constexpr intptr_t row_prefetch = 1024;

  template <int NV>
  static void place_pixels(int16_t* dst, intptr_t stride, const uint8_t* const* rows, int32_t n) {
    // Knot k of a block: lanes 3j + c from rows 0-3 (first permute, rows 0/1
    // in the first source, 2/3 in the second) and from row 4 (second permute).
    __m512i from_rows[4], from_last[4];
    for (int k = 0; k < 4; ++k) {
      int16_t a[32] = {}, b[32] = {};
      for (int j = 0; j < 5; ++j)
        for (int c = 0; c < 3; ++c) {
          if (j < 4)
            a[3 * j + c] = static_cast<int16_t>(16 * j + 3 * k + c);
          else
            b[3 * j + c] = static_cast<int16_t>(3 * k + c);
        }
      from_rows[k] = indices(a);
      from_last[k] = indices(b);
    }
    for (int32_t p = 0; p < n; p += 4) {
      const int32_t count = n - p < 4 ? n - p : 4;
      const bool whole = p + 6 <= n;  // 32 bytes stay inside the row
      const intptr_t at = 6 * static_cast<intptr_t>(p);
#pragma GCC unroll 16
      for (int u = 0; u < NV; ++u) {
        const uint8_t* const* row = rows + 5 * u;
        __m256i r[5];
        for (int j = 0; j < 5; ++j) {
          _mm_prefetch(reinterpret_cast<const char*>(row[j] + at + row_prefetch), _MM_HINT_T0);
          r[j] = load_words(row[j] + at, 3 * count, whole);
        }
        const __m512i r01 = pair(r[0], r[1]), r23 = pair(r[2], r[3]),
                      r4 = _mm512_castsi256_si512(r[4]);
        for (int k = 0; k < count; ++k) {
          __m512i t = _mm512_permutex2var_epi16(r01, from_rows[k], r23);
          t = _mm512_mask_permutexvar_epi16(t, 0x7000, from_last[k], r4);
          _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + (p + k) * stride + u * W),
                              _mm512_castsi512_si256(t));
        }
      }
    }
  }

  template <int NV>
  static void spread_pixels(uint8_t* const* rows, const int16_t* stage, intptr_t stride,
                            int32_t m) {
    // Row j of a block: outputs i .. i + 3 as 12 int16, lanes 3k + c.
    __m512i to_row[5];
    for (int j = 0; j < 5; ++j) {
      int16_t a[32] = {};
      for (int k = 0; k < 4; ++k)
        for (int c = 0; c < 3; ++c) a[3 * k + c] = static_cast<int16_t>(16 * k + 3 * j + c);
      to_row[j] = indices(a);
    }
    for (int32_t i = 0; i < m; i += 4) {
      const int32_t count = m - i < 4 ? m - i : 4;
      const intptr_t at = 6 * static_cast<intptr_t>(i);
      // 32 bytes reach 8 bytes into pixels i + 4 and i + 5, which the next
      // block writes again; near the end only the block's own bytes.
      const bool whole = i + 6 <= m;
#pragma GCC unroll 16
      for (int u = 0; u < NV; ++u) {
        uint8_t* const* row = rows + 5 * u;
        const int16_t* o = stage + i * stride + u * W;
        // Outputs past m are read from the staging area but never stored.
        const __m512i o01 = pair(_mm256_load_si256(reinterpret_cast<const __m256i*>(o)),
                                 _mm256_load_si256(reinterpret_cast<const __m256i*>(o + stride)));
        const __m512i o23 =
            pair(_mm256_load_si256(reinterpret_cast<const __m256i*>(o + 2 * stride)),
                 _mm256_load_si256(reinterpret_cast<const __m256i*>(o + 3 * stride)));
        for (int j = 0; j < 5; ++j) {
          __builtin_prefetch(row[j] + at + row_prefetch, 1, 3);
          const __m512i t = _mm512_permutex2var_epi16(o01, to_row[j], o23);
          if (whole) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(row[j] + at), _mm512_castsi512_si256(t));
          } else {
            _mm512_mask_storeu_epi16(row[j] + at, first(3 * count), t);
          }
        }
      }
    }
  }

  static void prefetch(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T0); }
  static void prefetch_l2(const void* p) { _mm_prefetch(static_cast<const char*>(p), _MM_HINT_T1); }
  static constexpr const KERNEL_VARIANT* narrower = &avx2_kernels;
};

}  // namespace

const KERNEL_VARIANT avx512_kernels = wide_variant<AVX512_POLICY>("avx512");
