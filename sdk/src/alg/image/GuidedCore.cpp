#include "GuidedCore.h"

#include "GuidedAvx2.h"

#include <emmintrin.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace ostrel::alg {

void fillMirror(int32_t* table, int n, int r, int32_t mul) {
  for (int i = -r; i < n + r; ++i) table[i + r] = mul * mirrorIndex(i, n);
}

void fillReciprocal(uint16_t* table, size_t size, int64_t c) {
  table[0] = 0;
  for (size_t v = 1; v < size; ++v) {
    const int64_t vv = static_cast<int64_t>(v);
    table[v] = static_cast<uint16_t>((vv << 20) / (c + 1024 * vv));
  }
}

void MagicDiv::set(int32_t d) {
  divisor = d;
  multiplier = 0;
  shift = 0;
  if (d == 1 || d == -1 || d == 0) return;
  // Signed magic number (the classic search for the smallest p with 2^p > nc x (d - 2^p mod d)).
  const uint32_t two31 = 0x80000000u;
  const uint32_t ad = d < 0 ? 0u - static_cast<uint32_t>(d) : static_cast<uint32_t>(d);
  const uint32_t t = two31 + (static_cast<uint32_t>(d) >> 31);
  const uint32_t anc = t - 1 - t % ad;
  int p = 31;
  uint32_t q1 = two31 / anc, r1 = two31 - q1 * anc;
  uint32_t q2 = two31 / ad, r2 = two31 - q2 * ad;
  uint32_t delta;
  do {
    ++p;
    q1 *= 2;
    r1 *= 2;
    if (r1 >= anc) {
      ++q1;
      r1 -= anc;
    }
    q2 *= 2;
    r2 *= 2;
    if (r2 >= ad) {
      ++q2;
      r2 -= ad;
    }
    delta = ad - r2;
  } while (q1 < delta || (q1 == delta && r1 == 0));
  uint32_t m = q2 + 1;
  if (d < 0) m = 0u - m;
  multiplier = static_cast<int32_t>(m);
  shift = p - 32;
}

// ---- Vertical passes -----------------------------------------------------------------------

void addSub32(int32_t* acc, const int32_t* add, const int32_t* sub, int n) {
  int i = 0;
  if ((simdLevel() >= SimdLevel::Sse2)) {
    for (; i + 4 <= n; i += 4) {
      __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
      __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
      __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sub + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), _mm_add_epi32(a, _mm_sub_epi32(p, m)));
    }
  }
  for (; i < n; ++i) acc[i] += add[i] - sub[i];
}

void addSub16to32(int32_t* acc, const int16_t* add, const int16_t* sub, int n) {
  int i = 0;
  if ((simdLevel() >= SimdLevel::Sse2)) {
    for (; i + 8 <= n; i += 8) {
      __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
      __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sub + i));
      // Sign-extend both halves to 32 bits, then subtract (no 16-bit overflow possible).
      __m128i pl = _mm_srai_epi32(_mm_unpacklo_epi16(p, p), 16);
      __m128i ph = _mm_srai_epi32(_mm_unpackhi_epi16(p, p), 16);
      __m128i ml = _mm_srai_epi32(_mm_unpacklo_epi16(m, m), 16);
      __m128i mh = _mm_srai_epi32(_mm_unpackhi_epi16(m, m), 16);
      __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i));
      __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + i + 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i), _mm_add_epi32(a0, _mm_sub_epi32(pl, ml)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + i + 4), _mm_add_epi32(a1, _mm_sub_epi32(ph, mh)));
    }
  }
  for (; i < n; ++i) acc[i] += static_cast<int32_t>(add[i]) - sub[i];
}

// ---- Column sums -----------------------------------------------------------------------------

// acc64 += sign-extended d (four int32 differences).
static inline void addWide(int64_t* acc, __m128i d) {
  const __m128i sign = _mm_srai_epi32(d, 31);
  __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc));
  __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(acc + 2));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(acc), _mm_add_epi64(a0, _mm_unpacklo_epi32(d, sign)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(acc + 2), _mm_add_epi64(a1, _mm_unpackhi_epi32(d, sign)));
}

// Squares of int16 values fit 32 bits (at most 2^30), so their differences do too.
static void colAddSubSq16(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out, int n) {
  if (simdLevel() >= SimdLevel::Avx2) return colAddSubSq16Vec(c1, c2, in, out, n);
  int x = 0;
  if ((simdLevel() >= SimdLevel::Sse2)) {
    for (; x + 8 <= n; x += 8) {
      const __m128i vi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
      const __m128i vo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x));
      const __m128i il = _mm_srai_epi32(_mm_unpacklo_epi16(vi, vi), 16),
                    ih = _mm_srai_epi32(_mm_unpackhi_epi16(vi, vi), 16);
      const __m128i ol = _mm_srai_epi32(_mm_unpacklo_epi16(vo, vo), 16),
                    oh = _mm_srai_epi32(_mm_unpackhi_epi16(vo, vo), 16);
      __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c1 + x));
      __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c1 + x + 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(c1 + x), _mm_add_epi32(s0, _mm_sub_epi32(il, ol)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(c1 + x + 4), _mm_add_epi32(s1, _mm_sub_epi32(ih, oh)));
      const __m128i loI = _mm_mullo_epi16(vi, vi), hiI = _mm_mulhi_epi16(vi, vi);
      const __m128i loO = _mm_mullo_epi16(vo, vo), hiO = _mm_mulhi_epi16(vo, vo);
      const __m128i dl = _mm_sub_epi32(_mm_unpacklo_epi16(loI, hiI), _mm_unpacklo_epi16(loO, hiO));
      const __m128i dh = _mm_sub_epi32(_mm_unpackhi_epi16(loI, hiI), _mm_unpackhi_epi16(loO, hiO));
      addWide(c2 + x, dl);
      addWide(c2 + x + 4, dh);
    }
  }
  for (; x < n; ++x) {
    const int32_t i = in[x], o = out[x];
    c1[x] += i - o;
    c2[x] += i * i - o * o;
  }
}

void colStartSq16(int32_t* c1, int64_t* c2, const int16_t* guide, const BoxPlan& p) {
  std::memset(c1, 0, sizeof(int32_t) * p.w);
  std::memset(c2, 0, sizeof(int64_t) * p.w);
  for (int i = -p.r; i <= p.r; ++i) {
    const int16_t* row = guide + p.my[i + p.r];
    for (int x = 0; x < p.w; ++x) {
      const int32_t v = row[x];
      c1[x] += v;
      c2[x] += v * v;
    }
  }
}

void colStartSq32(int32_t* c1, int64_t* c2, const int32_t* guide, const BoxPlan& p) {
  std::memset(c1, 0, sizeof(int32_t) * p.w);
  std::memset(c2, 0, sizeof(int64_t) * p.w);
  for (int i = -p.r; i <= p.r; ++i) {
    const int32_t* row = guide + p.my[i + p.r];
    for (int x = 0; x < p.w; ++x) {
      const int64_t v = row[x];
      c1[x] += static_cast<int32_t>(v);
      c2[x] += v * v;
    }
  }
}

// Row y + r enters the window, row y - r - 1 leaves it.
void colNextSq16(int32_t* c1, int64_t* c2, const int16_t* guide, int y, const BoxPlan& p) {
  colAddSubSq16(c1, c2, guide + p.my[y + 2 * p.r], guide + p.my[y - 1], p.w);
}

void colNextSq32(int32_t* c1, int64_t* c2, const int32_t* guide, int y, const BoxPlan& p) {
  const int32_t* in = guide + p.my[y + 2 * p.r];
  const int32_t* out = guide + p.my[y - 1];
  if (simdLevel() >= SimdLevel::Avx2) return colAddSubSq32Avx2(c1, c2, in, out, p.w);
  for (int x = 0; x < p.w; ++x) {
    const int64_t i = in[x], o = out[x];
    c1[x] += static_cast<int32_t>(i - o);
    c2[x] += i * i - o * o;
  }
}

void colStartAB(int32_t* ca, int64_t* cb, const int32_t* a, const int32_t* b, const BoxPlan& p) {
  std::memset(ca, 0, sizeof(int32_t) * p.w);
  std::memset(cb, 0, sizeof(int64_t) * p.w);
  for (int i = -p.r; i <= p.r; ++i) {
    const int32_t* ra = a + p.my[i + p.r];
    const int32_t* rb = b + p.my[i + p.r];
    for (int x = 0; x < p.w; ++x) ca[x] += ra[x], cb[x] += rb[x];
  }
}

// |b| stays below 33 x 33 x 32768, so the difference of two b values fits 32 bits.
void colNextAB(int32_t* ca, int64_t* cb, const int32_t* a, const int32_t* b, int y, const BoxPlan& p) {
  const size_t in = p.my[y + 2 * p.r], out = p.my[y - 1];
  if (simdLevel() >= SimdLevel::Avx2) return colAddSubABVec(ca, cb, a + in, a + out, b + in, b + out, p.w);
  addSub32(ca, a + in, a + out, p.w);
  const int32_t* bi = b + in;
  const int32_t* bo = b + out;
  int x = 0;
  if ((simdLevel() >= SimdLevel::Sse2)) {
    for (; x + 4 <= p.w; x += 4) {
      const __m128i d = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bi + x)),
                                      _mm_loadu_si128(reinterpret_cast<const __m128i*>(bo + x)));
      addWide(cb + x, d);
    }
  }
  for (; x < p.w; ++x) cb[x] += bi[x] - bo[x];
}

}  // namespace ostrel::alg
