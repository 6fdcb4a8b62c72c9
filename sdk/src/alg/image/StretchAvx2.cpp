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
// more than eight loads. With detail, the detail is clamped to -256..256 in registers, which keeps
// level + detail on the same side of 0..255, and a palette extended by clamped entries on both
// sides takes the sum as it is.
__attribute__((target("avx2"))) void stretchBgraAvx2(const int16_t* codes, const int16_t* detail,
                                                     const uint8_t* level, const uint32_t* palette, uint32_t* out,
                                                     int64_t n) {
  if (!detail) {
    for (int64_t i = 0; i < n; ++i) out[i] = palette[level[codes[i]]];
    return;
  }
  alignas(64) uint32_t wide[768];  // palette[clamp(l, 0, 255)] at l + 256 for l = -256..511
  for (int k = 0; k < 768; ++k) wide[k] = palette[std::clamp(k - 256, 0, 255)];
  const uint32_t* centre = wide + 256;
  const __m256i lo = _mm256_set1_epi16(-256), hi = _mm256_set1_epi16(256);
  alignas(32) int16_t d16[16];
  alignas(32) uint32_t o16[16];
  int64_t i = 0;
  // Whole output lines go straight to memory (streaming stores): the picture is read next by
  // another thread, and a line read first only to be overwritten costs as much as the write.
  for (; i < n && (reinterpret_cast<uintptr_t>(out + i) & 31) != 0; ++i) {
    int l = level[codes[i]];
    l = l + detail[i] < 0 ? 0 : (l + detail[i] > 255 ? 255 : l + detail[i]);
    out[i] = palette[l];
  }
  for (; i + 16 <= n; i += 16) {
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(detail + i));
    _mm256_store_si256(reinterpret_cast<__m256i*>(d16), _mm256_min_epi16(_mm256_max_epi16(d, lo), hi));
    for (int k = 0; k < 16; ++k) o16[k] = centre[level[codes[i + k]] + d16[k]];
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), _mm256_load_si256(reinterpret_cast<const __m256i*>(o16)));
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i + 8),
                        _mm256_load_si256(reinterpret_cast<const __m256i*>(o16 + 8)));
  }
  _mm_sfence();
  for (; i < n; ++i) {
    int l = level[codes[i]];
    l = l + detail[i] < 0 ? 0 : (l + detail[i] > 255 ? 255 : l + detail[i]);
    out[i] = palette[l];
  }
}

}  // namespace ostrel::alg
