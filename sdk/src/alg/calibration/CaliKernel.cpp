// Per-pixel segment search and conversion. A pixel's segment is the number of its breakpoints at
// or below its value; the table sets keep every pixel's breakpoints ascending, so the scalar
// walk from the previous pixel's segment and the vector count over all breakpoints agree.
#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

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

// Environment update of eight pixels a register in 32-bit lanes. Each lane runs the reference's
// merge: the heads of both breakpoint lists are compared (an exhausted list's head is a value
// above every code, the second list's above the first's), the smaller one is taken, and the
// breakpoint and segment queues of the list it came from move up by one. With |w| < 2^15 every
// product of a weight and a difference of two 16-bit values fits 32 bits, and an arithmetic
// shift floors it as the reference's 64-bit one does.
constexpr int64_t kReinterpMaxWeight = 32767;
constexpr uint32_t kReinterpMaxInner = 14;

template <uint32_t I>
__attribute__((target("avx2"))) uint64_t reinterpAvx2(const ReinterpBlock& b, uint64_t n) {
  const uint64_t S = b.stride, O = b.outStride, ahead = b.ahead;
  constexpr uint32_t nb = 2 * I;
  const __m256i w = _mm256_set1_epi32(int32_t(b.w));
  const __m256i lo16 = _mm256_set1_epi32(0xffff);
  const __m256i minV = _mm256_set1_epi32(-32768), maxV = _mm256_set1_epi32(32767);
  const __m256i zero = _mm256_setzero_si256();
  const int* sa = reinterpret_cast<const int*>(b.sa);
  const int* sb = reinterpret_cast<const int*>(b.sb);
  int* so = reinterpret_cast<int*>(b.so);
  uint64_t i = 0;
  // Addresses past the last plane are only requested, never read: they are formed as integers.
  auto request = [](const void* p, uint64_t bytes) {
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(p) + bytes), _MM_HINT_T0);
  };
  for (; i + 8 <= n; i += 8) {
    // One request per input line: a line holds 32 breakpoints or 16 segments.
    if (ahead != 0 && (i & 15) == 0) {
      if ((i & 31) == 0) {
        for (uint32_t j = 0; j < I; ++j) {
          request(b.ra + j * S + i, ahead * 2);
          request(b.rb + j * S + i, ahead * 2);
        }
      }
      for (uint32_t j = 0; j <= I; ++j) {
        request(sa + j * S + i, ahead * 4);
        request(sb + j * S + i, ahead * 4);
      }
    }
    __m256i qa[I + 1], qb[I + 1], ga[I + 1], gb[I + 1];
    for (uint32_t j = 0; j < I; ++j) {
      qa[j] = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b.ra + j * S + i)));
      qb[j] = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b.rb + j * S + i)));
    }
    qa[I] = _mm256_set1_epi32(0x10000);
    qb[I] = _mm256_set1_epi32(0x20000);
    for (uint32_t j = 0; j <= I; ++j) {
      ga[j] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sa + j * S + i));
      gb[j] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sb + j * S + i));
    }
    __m256i prev = minV;
    // Lanes usually agree on which list goes next (neighbouring pixels have alike curves): then
    // the queues' heads just move on, ta and tb, and only a split decision shifts lane by lane.
    uint32_t ta = 0, tb = 0;
    for (uint32_t m = 0;; ++m) {
      const __m256i xs = _mm256_and_si256(ga[ta], lo16), ys = _mm256_and_si256(gb[tb], lo16);
      const __m256i xo = _mm256_srai_epi32(ga[ta], 16), yo = _mm256_srai_epi32(gb[tb], 16);
      __m256i slope = _mm256_add_epi32(xs, _mm256_srai_epi32(_mm256_mullo_epi32(w, _mm256_sub_epi32(ys, xs)), 10));
      __m256i off = _mm256_add_epi32(xo, _mm256_srai_epi32(_mm256_mullo_epi32(w, _mm256_sub_epi32(yo, xo)), 10));
      slope = _mm256_min_epi32(_mm256_max_epi32(slope, zero), lo16);
      off = _mm256_min_epi32(_mm256_max_epi32(off, minV), maxV);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(so + m * O + i),
                          _mm256_or_si256(slope, _mm256_slli_epi32(off, 16)));
      if (m == nb) break;
      // Ties take the second list first.
      const __m256i takeA = _mm256_cmpgt_epi32(qb[tb], qa[ta]);
      prev = _mm256_max_epi32(prev, _mm256_min_epi32(qa[ta], qb[tb]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(b.bo + m * O + i),
                       _mm_packs_epi32(_mm256_castsi256_si128(prev), _mm256_extracti128_si256(prev, 1)));
      const int lanes = _mm256_movemask_ps(_mm256_castsi256_ps(takeA));
      if (lanes == 0xFF) {
        ++ta;
        continue;
      }
      if (lanes == 0) {
        ++tb;
        continue;
      }
      for (uint32_t j = ta; j < I; ++j) {
        qa[j] = _mm256_blendv_epi8(qa[j], qa[j + 1], takeA);
        ga[j] = _mm256_blendv_epi8(ga[j], ga[j + 1], takeA);
      }
      for (uint32_t j = tb; j < I; ++j) {
        qb[j] = _mm256_blendv_epi8(qb[j + 1], qb[j], takeA);
        gb[j] = _mm256_blendv_epi8(gb[j + 1], gb[j], takeA);
      }
    }
  }
  return i;
}

template <size_t... I>
constexpr auto reinterpKernels(std::index_sequence<I...>) {
  return std::array<uint64_t (*)(const ReinterpBlock&, uint64_t), sizeof...(I)>{&reinterpAvx2<uint32_t(I)>...};
}
#endif

}  // namespace

uint64_t caliReinterpAvx2(const ReinterpBlock& b, uint64_t n) {
#if defined(__x86_64__)
  if (b.w < -kReinterpMaxWeight || b.w > kReinterpMaxWeight || b.inner > kReinterpMaxInner) return 0;
  static constexpr auto kernels = reinterpKernels(std::make_index_sequence<kReinterpMaxInner + 1>());
  return kernels[b.inner](b, n);
#else
  return 0;
#endif
}

void caliStreamCopy(void* dst, const void* src, size_t bytes) {
#if defined(__x86_64__)
  auto* d = static_cast<uint8_t*>(dst);
  const auto* s = static_cast<const uint8_t*>(src);
  const size_t head = std::min(bytes, size_t(-reinterpret_cast<uintptr_t>(d) & 15));
  std::memcpy(d, s, head);
  size_t i = head;
  for (; i + 16 <= bytes; i += 16)
    _mm_stream_si128(reinterpret_cast<__m128i*>(d + i), _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
  std::memcpy(d + i, s + i, bytes - i);
#else
  std::memcpy(dst, src, bytes);
#endif
}

void caliStreamFence() {
#if defined(__x86_64__)
  _mm_sfence();
#endif
}

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
