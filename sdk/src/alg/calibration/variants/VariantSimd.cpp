// Vector forms of the variants' frame loops (AVX2 when present), exact against the scalar forms.
#include "alg/calibration/variants/VariantSimd.h"

#include <algorithm>

#include "alg/common/AlgCommon.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ostrel::alg {

namespace {

inline int16_t sat(int64_t v) {
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

bool haveAvx2() {
#if defined(__x86_64__)
  return simdLevel() >= SimdLevel::Avx2;
#else
  return false;
#endif
}

#if defined(__x86_64__)
__attribute__((target("avx2"))) uint64_t subPlaneAvx2(const int16_t* in, const int16_t* off, int16_t* out,
                                                      uint64_t n) {
  const uint64_t end = n & ~uint64_t(15);
  for (uint64_t p = 0; p < end; p += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + p));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(off + p));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + p), _mm256_subs_epi16(a, b));
  }
  return end;
}

__attribute__((target("avx2"))) uint64_t subConstAvx2(int16_t* f, int16_t m, uint64_t n) {
  const uint64_t end = n & ~uint64_t(15);
  const __m256i b = _mm256_set1_epi16(m);
  for (uint64_t p = 0; p < end; p += 16) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + p));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(f + p), _mm256_subs_epi16(a, b));
  }
  return end;
}

__attribute__((target("avx2"))) uint64_t gainAvx2(int16_t* f, const SegEntry* g, uint32_t shift, uint64_t n) {
  const uint64_t end = n & ~uint64_t(15);
  const __m128i sh = _mm_cvtsi32_si128(int(shift));
  const __m256i lo16 = _mm256_set1_epi32(0xffff);
  for (uint64_t p = 0; p < end; p += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + p));
    __m256i half[2];
    for (int h = 0; h < 2; ++h) {
      const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + p + 8 * h));
      const __m128i v16 = h ? _mm256_extracti128_si256(v, 1) : _mm256_castsi256_si128(v);
      // |v * slope| < 2^31: exact in 32 bits; the offset sum too.
      const __m256i prod = _mm256_mullo_epi32(_mm256_cvtepi16_epi32(v16), _mm256_and_si256(e, lo16));
      half[h] = _mm256_add_epi32(_mm256_sra_epi32(prod, sh), _mm256_srai_epi32(e, 16));
    }
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(half[0], half[1]), 0xd8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(f + p), packed);
  }
  return end;
}

// One curve's line for 16 pixels. The segment is the count of interior breakpoints at or below v;
// when all 16 values lie in the segment of the previous block (the usual case on smooth frames)
// two breakpoint planes prove it and the entries are read contiguously, otherwise every plane is
// counted and the entries are gathered.
__attribute__((target("avx2"))) inline void curveLines(const int16_t* raw, const SegEntry* seg, uint64_t P,
                                                       uint32_t inner, __m128i sh, uint64_t p, __m256i v,
                                                       uint32_t* guess, __m256i out[2]) {
  const uint32_t g = *guess;
  __m256i inside = _mm256_set1_epi16(-1);
  if (g > 0) {
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(raw + uint64_t(g) * P + p));
    inside = _mm256_andnot_si256(_mm256_cmpgt_epi16(lo, v), inside);
  }
  if (g < inner) {
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(raw + uint64_t(g + 1) * P + p));
    inside = _mm256_and_si256(_mm256_cmpgt_epi16(hi, v), inside);
  }
  __m256i e[2];
  if (_mm256_movemask_epi8(inside) == -1) {
    const SegEntry* row = seg + uint64_t(g) * P + p;
    e[0] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
    e[1] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8));
  } else {
    __m256i cnt = _mm256_set1_epi16(int16_t(inner));
    for (uint32_t j = 1; j <= inner; ++j) {
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(raw + uint64_t(j) * P + p));
      cnt = _mm256_add_epi16(cnt, _mm256_cmpgt_epi16(b, v));
    }
    const __m256i iota = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const __m256i vP = _mm256_set1_epi32(int(P));
    for (int h = 0; h < 2; ++h) {
      const __m128i c16 = h ? _mm256_extracti128_si256(cnt, 1) : _mm256_castsi256_si128(cnt);
      const __m256i idx = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_cvtepi16_epi32(c16), vP),
                                           _mm256_add_epi32(_mm256_set1_epi32(int(p + 8 * h)), iota));
      e[h] = _mm256_i32gather_epi32(reinterpret_cast<const int*>(seg), idx, 4);
    }
    *guess = uint32_t(uint16_t(_mm256_extract_epi16(cnt, 15)));
  }
  const __m256i lo16 = _mm256_set1_epi32(0xffff);
  for (int h = 0; h < 2; ++h) {
    const __m128i v16 = h ? _mm256_extracti128_si256(v, 1) : _mm256_castsi256_si128(v);
    const __m256i prod = _mm256_mullo_epi32(_mm256_cvtepi16_epi32(v16), _mm256_and_si256(e[h], lo16));
    out[h] = _mm256_add_epi32(_mm256_sra_epi32(prod, sh), _mm256_srai_epi32(e[h], 16));
  }
}

__attribute__((target("avx2"))) uint64_t blendAvx2(const int16_t* rawK, const int16_t* rawK1, const SegEntry* segK,
                                                   const SegEntry* segK1, uint64_t P, uint32_t inner, uint32_t shift,
                                                   int32_t w, int16_t* f, const void* state, BlendScalar scalar) {
  const uint64_t end = P & ~uint64_t(15);
  const __m128i sh = _mm_cvtsi32_si128(int(shift));
  const __m256i vw = _mm256_set1_epi32(w);
  const __m256i lim = _mm256_set1_epi32(1 << 17);
  const __m256i nlim = _mm256_set1_epi32(-(1 << 17));
  uint32_t ga = inner / 2, gb = inner / 2;
  for (uint64_t p = 0; p < end; p += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + p));
    __m256i a[2], b[2];
    curveLines(rawK, segK, P, inner, sh, p, v, &ga, a);
    curveLines(rawK1, segK1, P, inner, sh, p, v, &gb, b);
    __m256i res[2];
    bool exact = true;
    for (int h = 0; h < 2; ++h) {
      const __m256i d = _mm256_sub_epi32(b[h], a[h]);
      // |a|, |b| <= 2^17 and |w| <= 2^12 keep (b - a) * w inside 32 bits.
      const __m256i outA = _mm256_or_si256(_mm256_cmpgt_epi32(a[h], lim), _mm256_cmpgt_epi32(nlim, a[h]));
      const __m256i outB = _mm256_or_si256(_mm256_cmpgt_epi32(b[h], lim), _mm256_cmpgt_epi32(nlim, b[h]));
      exact = exact && _mm256_testz_si256(_mm256_or_si256(outA, outB), _mm256_or_si256(outA, outB));
      res[h] = _mm256_add_epi32(a[h], _mm256_srai_epi32(_mm256_mullo_epi32(d, vw), 10));
    }
    if (!exact) {
      for (uint64_t q = p; q < p + 16; ++q) f[q] = scalar(state, q, f[q]);
      continue;
    }
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(res[0], res[1]), 0xd8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(f + p), packed);
  }
  return end;
}
#endif

}  // namespace

void subPlaneSat(const int16_t* in, const int16_t* off, int16_t* out, uint64_t n) {
  uint64_t done = 0;
#if defined(__x86_64__)
  if (haveAvx2()) done = subPlaneAvx2(in, off, out, n);
#endif
  for (uint64_t p = done; p < n; ++p) out[p] = sat(int32_t(in[p]) - off[p]);
}

void subConstSat(int16_t* f, int32_t m, uint64_t n) {
  uint64_t done = 0;
#if defined(__x86_64__)
  if (haveAvx2() && m >= -32768 && m <= 32767) done = subConstAvx2(f, int16_t(m), n);
#endif
  for (uint64_t p = done; p < n; ++p) f[p] = sat(int64_t(f[p]) - m);
}

void applyGain(int16_t* f, const SegEntry* g, uint32_t shift, uint64_t n) {
  uint64_t done = 0;
#if defined(__x86_64__)
  if (haveAvx2()) done = gainAvx2(f, g, shift, n);
#endif
  for (uint64_t p = done; p < n; ++p) f[p] = sat(((int32_t(f[p]) * int32_t(g[p].slope)) >> shift) + g[p].offset);
}

bool blendVectorUsable(uint64_t P, uint32_t B, int64_t w) {
  // Gather indexes are 32-bit; the weight bound keeps the blend product inside 32 bits.
  return haveAvx2() && uint64_t(B) * P < (uint64_t(1) << 31) && w >= -4096 && w <= 4096;
}

void blendCurvesVector(const int16_t* rawK, const int16_t* rawK1, const SegEntry* segK, const SegEntry* segK1,
                       uint64_t P, uint32_t inner, uint32_t shift, int64_t w, int16_t* frame, const void* state,
                       BlendScalar scalar) {
#if defined(__x86_64__)
  blendAvx2(rawK, rawK1, segK, segK1, P, inner, shift, int32_t(w), frame, state, scalar);
#else
  (void)rawK, (void)rawK1, (void)segK, (void)segK1, (void)P, (void)inner, (void)shift, (void)w, (void)frame;
  (void)state, (void)scalar;
#endif
}

}  // namespace ostrel::alg
