// AVX2 steps of the stretch engine (from SimdLevel::Avx2 up): the code range of a frame, and the
// colouring without isotherms giving the scalar loop's pixels.
#include <immintrin.h>

#include <algorithm>
#include <cstdint>

#include "Stretch.h"

namespace ostrel::alg {

__attribute__((target("avx2"))) void codeRangeAvx2(const int16_t* codes, int64_t n, int* lo, int* hi) {
  int64_t i = 0;
  int l = 32767, h = -32768;
  if (n >= 32) {
    __m256i mn0 = _mm256_set1_epi16(32767), mx0 = _mm256_set1_epi16(-32768), mn1 = mn0, mx1 = mx0;
    for (; i + 32 <= n; i += 32) {
      const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + i));
      const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(codes + i + 16));
      mn0 = _mm256_min_epi16(mn0, v0), mx0 = _mm256_max_epi16(mx0, v0);
      mn1 = _mm256_min_epi16(mn1, v1), mx1 = _mm256_max_epi16(mx1, v1);
    }
    alignas(32) int16_t a[16], b[16];
    _mm256_store_si256(reinterpret_cast<__m256i*>(a), _mm256_min_epi16(mn0, mn1));
    _mm256_store_si256(reinterpret_cast<__m256i*>(b), _mm256_max_epi16(mx0, mx1));
    for (int k = 0; k < 16; ++k) l = std::min<int>(l, a[k]), h = std::max<int>(h, b[k]);
  }
  for (; i < n; ++i) l = std::min<int>(l, codes[i]), h = std::max<int>(h, codes[i]);
  *lo = l;
  *hi = h;
}

// Table lookups one by one: on the processors measured a vector gather of eight entries costs
// more than eight loads, so only the saturation is done in registers.
__attribute__((target("avx2"))) void stretchBgraAvx2(const int16_t* codes, const int16_t* detail,
                                                     const uint8_t* level, const uint32_t* palette, uint32_t* out,
                                                     int64_t n) {
  if (!detail) {
    for (int64_t i = 0; i < n; ++i) out[i] = palette[level[codes[i]]];
    return;
  }
  int64_t i = 0;
  alignas(32) int16_t l16[16];
  const __m256i top = _mm256_set1_epi16(255);
  for (; i + 16 <= n; i += 16) {
    __m256i l = _mm256_setr_epi16(level[codes[i]], level[codes[i + 1]], level[codes[i + 2]], level[codes[i + 3]],
                                  level[codes[i + 4]], level[codes[i + 5]], level[codes[i + 6]], level[codes[i + 7]],
                                  level[codes[i + 8]], level[codes[i + 9]], level[codes[i + 10]], level[codes[i + 11]],
                                  level[codes[i + 12]], level[codes[i + 13]], level[codes[i + 14]], level[codes[i + 15]]);
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(detail + i));
    // level + detail saturated to 0..255: the 16-bit sum saturates first, which changes nothing
    // since level is 0..255.
    l = _mm256_min_epi16(_mm256_max_epi16(_mm256_adds_epi16(l, d), _mm256_setzero_si256()), top);
    _mm256_store_si256(reinterpret_cast<__m256i*>(l16), l);
    for (int k = 0; k < 16; ++k) out[i + k] = palette[l16[k]];
  }
  for (; i < n; ++i) {
    int l = level[codes[i]];
    l = l + detail[i] < 0 ? 0 : (l + detail[i] > 255 ? 255 : l + detail[i]);
    out[i] = palette[l];
  }
}

}  // namespace ostrel::alg
