// AVX2 form of the stretch engine's colouring without isotherms (from SimdLevel::Avx2 up), giving
// the scalar loop's pixels: level of the code, plus the detail saturated to 0..255 when given,
// then the palette entry.
#include <immintrin.h>

#include <cstdint>

#include "Stretch.h"

namespace ostrel::alg {

// `level` is indexed by the signed code; the three bytes before level[-32768] must be readable
// (the level table sits behind the other tables of the engine's block), since each lookup reads
// the four bytes ending at the entry.
__attribute__((target("avx2"))) void stretchBgraAvx2(const int16_t* codes, const int16_t* detail,
                                                     const uint8_t* level, const uint32_t* palette, uint32_t* out,
                                                     int64_t n) {
  const int* levelEnd = reinterpret_cast<const int*>(level - 3);
  const __m256i zero = _mm256_setzero_si256(), top = _mm256_set1_epi32(255);
  int64_t i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i c = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i)));
    __m256i l = _mm256_srli_epi32(_mm256_i32gather_epi32(levelEnd, c, 1), 24);
    if (detail) {
      const __m256i d = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(detail + i)));
      l = _mm256_min_epi32(_mm256_max_epi32(_mm256_add_epi32(l, d), zero), top);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_i32gather_epi32(reinterpret_cast<const int*>(palette), l, 4));
  }
  for (; i < n; ++i) {
    int l = level[codes[i]];
    if (detail) l = l + detail[i] < 0 ? 0 : (l + detail[i] > 255 ? 255 : l + detail[i]);
    out[i] = palette[l];
  }
}

}  // namespace ostrel::alg
