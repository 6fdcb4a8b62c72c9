// Per-pixel segment search and conversion. A pixel's segment is the number of its breakpoints at
// or below its value; the table sets keep every pixel's breakpoints ascending, so the scalar
// walk from the previous pixel's segment and the vector count over all breakpoints agree.
#include <algorithm>

#include "alg/calibration/CaliExec.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ostrel::alg {

namespace {

inline int16_t lineOf(int16_t v, SegEntry s, uint32_t shift) {
  // v * slope fits 32 bits (|v| <= 32768, slope < 65536); the sum is saturated, so a hot pixel
  // past the code range stays hot instead of wrapping round to cold.
  const int64_t x = ((int64_t(v) * s.slope) >> shift) + s.offset;
  return int16_t(std::clamp<int64_t>(x, -32768, 32767));
}

#if defined(__x86_64__)
// Segment index of 16 pixels: when they all lie in the segment of the previous block (the usual
// case on smooth frames) two breakpoint planes prove it and the segment entries are read
// contiguously; otherwise every breakpoint plane is counted and the entries are gathered.
__attribute__((target("avx2"))) void executeAvx2(const CaliContext* c, int16_t* f, bool applyLut, uint64_t count) {
  const uint32_t P = c->P, nb = 2 * c->B - 4;
  const int16_t* bp = c->bp[c->active];
  const SegEntry* sgE = c->segs[c->active];
  const int* sg = reinterpret_cast<const int*>(sgE);
  const int16_t* lut = c->lutFinal;
  const __m128i shift = _mm_cvtsi32_si128(int(c->shift));
  const __m256i iota = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i vP = _mm256_set1_epi32(int(P));
  const __m256i lo16 = _mm256_set1_epi32(0xffff);
  const __m256i minV = _mm256_set1_epi32(-32768), maxV = _mm256_set1_epi32(32767);
  const __m256i ones = _mm256_set1_epi16(-1);
  uint32_t guess = c->B - 2;
  for (uint64_t p = 0; p < count; p += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f + p));
    __m256i inside = ones;
    if (guess > 0) {
      const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bp + uint64_t(guess - 1) * P + p));
      inside = _mm256_andnot_si256(_mm256_cmpgt_epi16(lo, v), inside);
    }
    if (guess < nb) {
      const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bp + uint64_t(guess) * P + p));
      inside = _mm256_and_si256(_mm256_cmpgt_epi16(hi, v), inside);
    }
    __m256i segs[2];
    if (_mm256_movemask_epi8(inside) == -1) {
      const SegEntry* row = sgE + uint64_t(guess) * P + p;
      segs[0] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
      segs[1] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8));
    } else {
      __m256i cnt = _mm256_set1_epi16(int16_t(nb));
      for (uint32_t j = 0; j < nb; ++j) {
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bp + uint64_t(j) * P + p));
        cnt = _mm256_add_epi16(cnt, _mm256_cmpgt_epi16(b, v));  // -1 for every breakpoint above v
      }
      for (int h = 0; h < 2; ++h) {
        const __m128i c16 = h ? _mm256_extracti128_si256(cnt, 1) : _mm256_castsi256_si128(cnt);
        const __m256i base = _mm256_add_epi32(_mm256_set1_epi32(int(p + 8 * h)), iota);
        const __m256i idx = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_cvtepi16_epi32(c16), vP), base);
        segs[h] = _mm256_i32gather_epi32(sg, idx, 4);
      }
      guess = uint32_t(uint16_t(_mm256_extract_epi16(cnt, 15)));
    }
    __m256i half[2];
    for (int h = 0; h < 2; ++h) {
      const __m128i v16 = h ? _mm256_extracti128_si256(v, 1) : _mm256_castsi256_si128(v);
      const __m256i slope = _mm256_and_si256(segs[h], lo16);
      const __m256i off = _mm256_srai_epi32(segs[h], 16);
      // Exact in 32 bits: |v * slope| < 2^31 and the sum with the offset stays inside int32.
      const __m256i prod = _mm256_mullo_epi32(_mm256_cvtepi16_epi32(v16), slope);
      __m256i x = _mm256_add_epi32(_mm256_sra_epi32(prod, shift), off);
      x = _mm256_min_epi32(_mm256_max_epi32(x, minV), maxV);
      if (applyLut) {
        const __m256i g = _mm256_i32gather_epi32(reinterpret_cast<const int*>(lut), x, 2);
        x = _mm256_srai_epi32(_mm256_slli_epi32(g, 16), 16);
      }
      half[h] = x;
    }
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packs_epi32(half[0], half[1]), 0xd8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(f + p), packed);
  }
}
#endif

}  // namespace

void caliExecuteScalar(const CaliContext* c, int16_t* f, bool applyLut, uint64_t begin, uint64_t end) {
  const uint64_t P = c->P;
  const uint32_t nb = 2 * c->B - 4;
  const int16_t* bp = c->bp[c->active];
  const SegEntry* sg = c->segs[c->active];
  const int16_t* lut = c->lutFinal;
  uint32_t i = c->B - 2;
  for (uint64_t p = begin; p < end; ++p) {
    const int16_t v = f[p];
    while (i > 0 && v < bp[(i - 1) * P + p]) --i;
    while (i < nb && v >= bp[i * P + p]) ++i;
    const int16_t x = lineOf(v, sg[i * P + p], c->shift);
    f[p] = applyLut ? lut[x] : x;
  }
}

void caliExecuteFrame(const CaliContext* c, int16_t* f, bool applyLut) {
  uint64_t done = 0;
#if defined(__x86_64__)
  // Gather indexes are 32-bit: the segment planes of a set must stay below 2^31 entries.
  if (simdLevel() >= SimdLevel::Avx2 && (2ull * c->B - 3) * c->P < (1ull << 31)) {
    done = c->P & ~uint64_t(15);
    executeAvx2(c, f, applyLut, done);
  }
#endif
  caliExecuteScalar(c, f, applyLut, done, c->P);
}

}  // namespace ostrel::alg
