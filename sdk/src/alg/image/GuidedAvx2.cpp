#include "GuidedAvx2.h"

#include <immintrin.h>

#include <cstring>

#define OSTREL_AVX2 __attribute__((target("avx2")))

namespace ostrel::alg {

using namespace rowtools;

namespace {

// Exact conversion of int64 lanes within +-2^51 to double: the value lands in the mantissa of
// 1.5 x 2^52, which is then subtracted.
OSTREL_AVX2 inline __m256d i64ToPd(__m256i x) {
  const __m256i k = _mm256_set1_epi64x(0x4338000000000000LL);
  return _mm256_sub_pd(_mm256_castsi256_pd(_mm256_add_epi64(x, k)), _mm256_set1_pd(6755399441055744.0));
}

OSTREL_AVX2 inline __m256d floorPd(__m256d x) {
  return _mm256_round_pd(x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}

// Four integer-valued doubles to int16, saturated, in the low 8 bytes.
OSTREL_AVX2 inline __m128i sat16x4(__m256d x) {
  const __m128i i = _mm256_cvttpd_epi32(
      _mm256_min_pd(_mm256_max_pd(x, _mm256_set1_pd(-32768.0)), _mm256_set1_pd(32767.0)));
  return _mm_packs_epi32(i, i);
}

}  // namespace

namespace {

// The row kernels take the window width T as a constant for the common radii (0: at run time,
// the taps then run in a loop) and sum the taps in two chains so the adds overlap; F is the
// number of coefficient sets (1 or 2).
template <int T, int F>
OSTREL_AVX2 void rowCoefT(int32_t* c1, int64_t* c2, const BoxPlan& p, const GuidedCoef* coef,
                          int32_t* const* a, int32_t* const* b) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int64_t n = static_cast<int64_t>(taps) * taps;
  const int32_t* ext1 = extend(c1, p);
  const int64_t* ext2 = extend(c2, p);
  const __m256d nD = _mm256_set1_pd(static_cast<double>(n));
  const __m256d inv1024 = _mm256_set1_pd(1.0 / 1024.0);
  const __m256d zero = _mm256_setzero_pd();
  const __m256d limit = _mm256_set1_pd(kCoefFormulaLimit);
  __m256d cc[F];
  int32_t* ap[F];
  int32_t* bp[F];
  for (int f = 0; f < F; ++f) cc[f] = _mm256_set1_pd(double(coef[f].c)), ap[f] = a[f], bp[f] = b[f];
  int x = 0;
  for (; x + 4 <= w; x += 4) {
    __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ext1 + x)), t1 = _mm_setzero_si128();
    __m256i s2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext2 + x)), t2 = _mm256_setzero_si256();
#pragma GCC unroll 40
    for (int j = 1; j + 1 < taps; j += 2) {
      s1 = _mm_add_epi32(s1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(ext1 + x + j)));
      t1 = _mm_add_epi32(t1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(ext1 + x + j + 1)));
      s2 = _mm256_add_epi64(s2, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext2 + x + j)));
      t2 = _mm256_add_epi64(t2, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext2 + x + j + 1)));
    }
    s1 = _mm_add_epi32(s1, t1);
    s2 = _mm256_add_epi64(s2, t2);
    const __m256d s1d = _mm256_cvtepi32_pd(s1);
    const __m256d qd = floorPd(_mm256_mul_pd(
        _mm256_sub_pd(_mm256_mul_pd(nD, i64ToPd(s2)), _mm256_mul_pd(s1d, s1d)), inv1024));
    // The coefficient by its formula, which the table holds (and which continues past it): exact
    // for indices below 2^33. Index 0 is 0 whatever c.
    const __m256d inside = _mm256_and_pd(_mm256_cmp_pd(qd, zero, _CMP_GE_OQ), _mm256_cmp_pd(qd, limit, _CMP_LT_OQ));
    if (_mm256_movemask_pd(inside) != 0xF) [[unlikely]] {
      alignas(16) int32_t s1v[4];
      alignas(32) int64_t s2v[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(s1v), s1);
      _mm256_store_si256(reinterpret_cast<__m256i*>(s2v), s2);
      for (int f = 0; f < F; ++f)
        for (int l = 0; l < 4; ++l) coefScalar(s1v[l], s2v[l], n, coef[f], ap[f] + x + l, bp[f] + x + l);
      continue;
    }
    for (int f = 0; f < F; ++f) {
      const __m256d ad = coefPd(qd, cc[f]);
      const __m256d bd = _mm256_sub_pd(s1d, floorPd(_mm256_mul_pd(_mm256_mul_pd(s1d, ad), inv1024)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(ap[f] + x), _mm256_cvttpd_epi32(ad));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(bp[f] + x), _mm256_cvttpd_epi32(bd));
    }
  }
  for (; x < w; ++x) {
    int64_t s1 = 0, s2 = 0;
    for (int j = 0; j < taps; ++j) s1 += ext1[x + j], s2 += ext2[x + j];
    for (int f = 0; f < F; ++f) coefScalar(s1, s2, n, coef[f], ap[f] + x, bp[f] + x);
  }
}

// a and b of one pixel from its centred window sums, as the reference computes them.
inline void coefCentredScalar(int64_t s1c, int64_t s2c, int64_t n, int32_t centre, const GuidedCoef& c,
                              int32_t* a, int32_t* b) {
  const int64_t q = (n * s2c - s1c * s1c) >> 10, s1 = s1c + n * centre;
  const int32_t av = coefLookup(c.table, c.size, c.c, q);
  *a = av;
  *b = static_cast<int32_t>(s1 - ((s1 * av) >> 10));
}

// Four pixels of the centred first pass in double precision (any index q).
template <int F>
OSTREL_AVX2 inline void coefCentredPd(__m128i h1, __m128i h2, int64_t n, int32_t centre,
                                      const GuidedCoef* coef, const __m256d* cc, int32_t* const* a,
                                      int32_t* const* b, int xh) {
  const __m256d inv1024 = _mm256_set1_pd(1.0 / 1024.0);
  const __m256d s1c = _mm256_cvtepi32_pd(h1);
  const __m256d qd =
      floorPd(_mm256_mul_pd(_mm256_sub_pd(_mm256_mul_pd(_mm256_set1_pd(double(n)), _mm256_cvtepi32_pd(h2)),
                                          _mm256_mul_pd(s1c, s1c)),
                            inv1024));
  const __m256d inside = _mm256_and_pd(_mm256_cmp_pd(qd, _mm256_setzero_pd(), _CMP_GE_OQ),
                                       _mm256_cmp_pd(qd, _mm256_set1_pd(kCoefFormulaLimit), _CMP_LT_OQ));
  if (_mm256_movemask_pd(inside) != 0xF) [[unlikely]] {
    alignas(16) int32_t v1[4], v2[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(v1), h1);
    _mm_store_si128(reinterpret_cast<__m128i*>(v2), h2);
    for (int l = 0; l < 4; ++l)
      for (int f = 0; f < F; ++f)
        coefCentredScalar(v1[l], v2[l], n, centre, coef[f], a[f] + xh + l, b[f] + xh + l);
    return;
  }
  const __m256d s1d = _mm256_add_pd(s1c, _mm256_set1_pd(double(n * centre)));
  for (int f = 0; f < F; ++f) {
    const __m256d ad = coefPd(qd, cc[f]);
    const __m256d bd = _mm256_sub_pd(s1d, floorPd(_mm256_mul_pd(_mm256_mul_pd(s1d, ad), inv1024)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(a[f] + xh), _mm256_cvttpd_epi32(ad));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(b[f] + xh), _mm256_cvttpd_epi32(bd));
  }
}

// The first pass on codes minus a centre, all in 32-bit lanes (see squaresFit): the window sums
// S1' and S2' of the centred codes give the same index q as the codes themselves, since
// n sum (v - c)^2 - (sum (v - c))^2 = n sum v^2 - (sum v)^2, and b takes S1 = S1' + n c.
// With Mode 1 (every c in 1..kCoefEpi32MaxC) the eight pixels of a register whose n S2' - S1'^2 is
// below 2^31 (nearly all: it is n^2 times the window's variance) stay in 32-bit lanes: then
// q < 2^21 and coefEpi32 applies. A single-precision estimate of n S2' - S1'^2 is within
// n 2^9 of it (each of four roundings is at most 2^-24 of n 2^31), so an estimate below 2^30
// proves the bound; other registers take the double-precision form. The small forms of the
// 32-bit steps serve Mode bit 1 (every c below kCoefEpi32SmallC) and bit 2 (windows of at most 63
// codes).
template <int T, int F, int Mode>
OSTREL_AVX2 void rowCoefCentredT(int32_t* c1, int32_t* c2, const BoxPlan& p, int32_t centre,
                                 const GuidedCoef* coef, int32_t* const* a, int32_t* const* b) {
  constexpr bool SmallC = (Mode & 2) != 0, SmallN = (Mode & 4) != 0;
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int64_t n = static_cast<int64_t>(taps) * taps;
  const int32_t* ext1 = extend(c1, p);
  const int32_t* ext2 = extend(c2, p);
  __m256d cc[F];
  CoefEpi32 ci[F];
  int32_t* ap[F];
  int32_t* bp[F];
  for (int f = 0; f < F; ++f) {
    cc[f] = _mm256_set1_pd(double(coef[f].c));
    if constexpr (Mode > 0) ci[f] = coefEpi32Plan<SmallC>(coef[f].c);
    ap[f] = a[f], bp[f] = b[f];
  }
  const __m256i nI = _mm256_set1_epi32(static_cast<int32_t>(n));
  const __m256i ncI = _mm256_set1_epi32(static_cast<int32_t>(n * centre));
  const __m256 nF = _mm256_set1_ps(static_cast<float>(n));
  const __m256 estimateLimit = _mm256_set1_ps(1073741824.0f);  // 2^30
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m256i s1 = tapSum8<T>(ext1, x, taps), s2 = tapSum8<T>(ext2, x, taps);
    if constexpr (Mode > 0) {
      const __m256 s1f = _mm256_cvtepi32_ps(s1);
      const __m256 d = _mm256_sub_ps(_mm256_mul_ps(nF, _mm256_cvtepi32_ps(s2)), _mm256_mul_ps(s1f, s1f));
      if (_mm256_movemask_ps(_mm256_cmp_ps(d, estimateLimit, _CMP_GE_OQ)) == 0) [[likely]] {
        // The products wrap, their difference does not.
        const __m256i q =
            _mm256_srli_epi32(_mm256_sub_epi32(_mm256_mullo_epi32(nI, s2), _mm256_mullo_epi32(s1, s1)), 10);
        const __m256i s1u = _mm256_add_epi32(s1, ncI);
#pragma GCC unroll 2
        for (int f = 0; f < F; ++f) {
          const __m256i av = coefEpi32<SmallC>(q, ci[f]);
          _mm256_storeu_si256(reinterpret_cast<__m256i*>(ap[f] + x), av);
          _mm256_storeu_si256(reinterpret_cast<__m256i*>(bp[f] + x), offsetEpi32<SmallN>(s1u, av));
        }
        continue;
      }
    }
    coefCentredPd<F>(_mm256_castsi256_si128(s1), _mm256_castsi256_si128(s2), n, centre, coef, cc, ap, bp, x);
    coefCentredPd<F>(_mm256_extracti128_si256(s1, 1), _mm256_extracti128_si256(s2, 1), n, centre, coef, cc,
                     ap, bp, x + 4);
  }
  for (; x < w; ++x) {
    int64_t s1 = 0, s2 = 0;
    for (int j = 0; j < taps; ++j) s1 += ext1[x + j], s2 += ext2[x + j];
    for (int f = 0; f < F; ++f) coefCentredScalar(s1, s2, n, centre, coef[f], ap[f] + x, bp[f] + x);
  }
}

template <int T, int F>
void rowCoefCentredM(int32_t* c1, int32_t* c2, const BoxPlan& p, int32_t centre, const GuidedCoef* coef,
                     int32_t* const* a, int32_t* const* b) {
  const bool smallN = (2 * p.r + 1) * (2 * p.r + 1) <= 63;
  bool fits = true, smallC = true;
  for (int f = 0; f < F; ++f) {
    fits = fits && coef[f].c >= 1 && coef[f].c <= kCoefEpi32MaxC;
    smallC = smallC && coef[f].c < kCoefEpi32SmallC;
  }
  if (!fits) return rowCoefCentredT<T, F, 0>(c1, c2, p, centre, coef, a, b);
  if (smallN && smallC) return rowCoefCentredT<T, F, 7>(c1, c2, p, centre, coef, a, b);
  if (smallN) return rowCoefCentredT<T, F, 5>(c1, c2, p, centre, coef, a, b);
  if (smallC) return rowCoefCentredT<T, F, 3>(c1, c2, p, centre, coef, a, b);
  rowCoefCentredT<T, F, 1>(c1, c2, p, centre, coef, a, b);
}

template <int T>
void rowCoefCentredF(int32_t* c1, int32_t* c2, const BoxPlan& p, int32_t centre, int filters, const GuidedCoef* coef,
                     int32_t* const* a, int32_t* const* b) {
  if (filters > 1) return rowCoefCentredM<T, 2>(c1, c2, p, centre, coef, a, b);
  rowCoefCentredM<T, 1>(c1, c2, p, centre, coef, a, b);
}

template <int T>
OSTREL_AVX2 void rowSumsT(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int32_t* ext1 = extend(ca, p);
  const auto* ext2 = extend(cb, p);
  int x = 0;
  for (; x + 8 <= w; x += 8)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sa + x), tapSum8<T>(ext1, x, taps));
  for (; x < w; ++x) {
    int32_t s = 0;
    for (int j = 0; j < taps; ++j) s += ext1[x + j];
    sa[x] = s;
  }
  x = 0;
  for (; x + 4 <= w; x += 4) {
    __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext2 + x)), t = _mm256_setzero_si256();
#pragma GCC unroll 40
    for (int j = 1; j + 1 < taps; j += 2) {
      s = _mm256_add_epi64(s, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext2 + x + j)));
      t = _mm256_add_epi64(t, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext2 + x + j + 1)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sb + x), _mm256_add_epi64(s, t));
  }
  for (; x < w; ++x) {
    int64_t s = 0;
    for (int j = 0; j < taps; ++j) s += ext2[x + j];
    sb[x] = s;
  }
}

template <int T>
void rowCoefF(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
              int32_t* const* a, int32_t* const* b) {
  if (filters > 1) return rowCoefT<T, 2>(c1, c2, p, coef, a, b);
  rowCoefT<T, 1>(c1, c2, p, coef, a, b);
}

}  // namespace

void guidedRowCoefAvx2(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
                       int32_t* const* a, int32_t* const* b) {
  switch (p.r) {
    case 1: return rowCoefF<3>(c1, c2, p, filters, coef, a, b);
    case 2: return rowCoefF<5>(c1, c2, p, filters, coef, a, b);
    case 3: return rowCoefF<7>(c1, c2, p, filters, coef, a, b);
    case 4: return rowCoefF<9>(c1, c2, p, filters, coef, a, b);
    default: return rowCoefF<0>(c1, c2, p, filters, coef, a, b);
  }
}

void guidedRowCoefCentredAvx2(int32_t* c1, int32_t* c2, const BoxPlan& p, int32_t centre, int filters,
                              const GuidedCoef* coef, int32_t* const* a, int32_t* const* b) {
  switch (p.r) {
    case 1: return rowCoefCentredF<3>(c1, c2, p, centre, filters, coef, a, b);
    case 2: return rowCoefCentredF<5>(c1, c2, p, centre, filters, coef, a, b);
    case 3: return rowCoefCentredF<7>(c1, c2, p, centre, filters, coef, a, b);
    case 4: return rowCoefCentredF<9>(c1, c2, p, centre, filters, coef, a, b);
    default: return rowCoefCentredF<0>(c1, c2, p, centre, filters, coef, a, b);
  }
}

OSTREL_AVX2 void colAddSubSqCentredAvx2(int32_t* c1, int32_t* c2, const int16_t* in, const int16_t* out, int n,
                                        int32_t centre) {
  const __m256i c = _mm256_set1_epi32(centre);
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    const __m256i i =
        _mm256_sub_epi32(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x))), c);
    const __m256i o =
        _mm256_sub_epi32(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x))), c);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(c1 + x),
                        _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(c1 + x)),
                                         _mm256_sub_epi32(i, o)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(c2 + x),
                        _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(c2 + x)),
                                         _mm256_sub_epi32(_mm256_mullo_epi32(i, i), _mm256_mullo_epi32(o, o))));
  }
  for (; x < n; ++x) {
    const int32_t i = in[x] - centre, o = out[x] - centre;
    c1[x] += i - o;
    c2[x] += i * i - o * o;
  }
}

void colStartSqCentred(int32_t* c1, int32_t* c2, const int16_t* guide, const BoxPlan& p, int32_t centre) {
  std::memset(c1, 0, sizeof(int32_t) * p.w);
  std::memset(c2, 0, sizeof(int32_t) * p.w);
  for (int i = -p.r; i <= p.r; ++i) {
    const int16_t* row = guide + p.my[i + p.r];
    for (int x = 0; x < p.w; ++x) {
      const int32_t v = row[x] - centre;
      c1[x] += v;
      c2[x] += v * v;
    }
  }
}

void guidedRowSumsAvx2(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  switch (p.r) {
    case 1: return rowSumsT<3>(ca, cb, p, sa, sb);
    case 2: return rowSumsT<5>(ca, cb, p, sa, sb);
    case 3: return rowSumsT<7>(ca, cb, p, sa, sb);
    case 4: return rowSumsT<9>(ca, cb, p, sa, sb);
    default: return rowSumsT<0>(ca, cb, p, sa, sb);
  }
}

OSTREL_AVX2 inline void addWide8(int64_t* acc, __m256i d) {
  const __m256i lo = _mm256_cvtepi32_epi64(_mm256_castsi256_si128(d));
  const __m256i hi = _mm256_cvtepi32_epi64(_mm256_extracti128_si256(d, 1));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc),
                      _mm256_add_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(acc)), lo));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc + 4),
                      _mm256_add_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(acc + 4)), hi));
}

// Squares of int16 values stay below 2^30, so their differences fit 32 bits.
OSTREL_AVX2 void colAddSubSq16Avx2(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out, int n) {
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    const __m256i i = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x)));
    const __m256i o = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x)));
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c1 + x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(c1 + x), _mm256_add_epi32(s, _mm256_sub_epi32(i, o)));
    addWide8(c2 + x, _mm256_sub_epi32(_mm256_mullo_epi32(i, i), _mm256_mullo_epi32(o, o)));
  }
  for (; x < n; ++x) {
    const int32_t i = in[x], o = out[x];
    c1[x] += i - o;
    c2[x] += i * i - o * o;
  }
}

OSTREL_AVX2 void colAddSubSq32Avx2(int32_t* c1, int64_t* c2, const int32_t* in, const int32_t* out, int n) {
  int x = 0;
  for (; x + 4 <= n; x += 4) {
    const __m128i i = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + x));
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c1 + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(c1 + x), _mm_add_epi32(s, _mm_sub_epi32(i, o)));
    const __m256i iw = _mm256_cvtepi32_epi64(i), ow = _mm256_cvtepi32_epi64(o);
    const __m256i d = _mm256_sub_epi64(_mm256_mul_epi32(iw, iw), _mm256_mul_epi32(ow, ow));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(c2 + x),
                        _mm256_add_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(c2 + x)), d));
  }
  for (; x < n; ++x) {
    const int64_t i = in[x], o = out[x];
    c1[x] += static_cast<int32_t>(i - o);
    c2[x] += i * i - o * o;
  }
}

OSTREL_AVX2 void colAddSubABAvx2(int32_t* ca, int64_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                                 const int32_t* bo, int n) {
  int x = 0;
  if (!ao) {
    for (; x + 8 <= n; x += 8) {
      const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ca + x));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(ca + x),
                          _mm256_add_epi32(s, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ai + x))));
      addWide8(cb + x, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bi + x)));
    }
    for (; x < n; ++x) ca[x] += ai[x], cb[x] += bi[x];
    return;
  }
  for (; x + 8 <= n; x += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ca + x));
    const __m256i da = _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(ai + x)),
                                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ao + x)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(ca + x), _mm256_add_epi32(s, da));
    addWide8(cb + x, _mm256_sub_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(bi + x)),
                                      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bo + x))));
  }
  for (; x < n; ++x) {
    ca[x] += ai[x] - ao[x];
    cb[x] += bi[x] - bo[x];
  }
}

OSTREL_AVX2 void colAddSubAB32Avx2(int32_t* ca, int32_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                                   const int32_t* bo, int n) {
  int x = 0;
  for (; x + 8 <= n; x += 8) {
    __m256i da = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ai + x));
    __m256i db = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bi + x));
    if (ao) {
      da = _mm256_sub_epi32(da, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ao + x)));
      db = _mm256_sub_epi32(db, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bo + x)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(ca + x),
                        _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(ca + x)), da));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(cb + x),
                        _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(cb + x)), db));
  }
  for (; x < n; ++x) {
    ca[x] += ai[x] - (ao ? ao[x] : 0);
    cb[x] += bi[x] - (bo ? bo[x] : 0);
  }
}

namespace {

// Window sums of 32-bit column sums of a and b, eight lanes a register; Sb widened on the store.
template <int T>
OSTREL_AVX2 void rowSums32T(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int32_t* ext1 = extend(ca, p);
  const int32_t* ext2 = extend(cb, p);
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sa + x), tapSum8<T>(ext1, x, taps));
    const __m256i b = tapSum8<T>(ext2, x, taps);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sb + x), _mm256_cvtepi32_epi64(_mm256_castsi256_si128(b)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(sb + x + 4), _mm256_cvtepi32_epi64(_mm256_extracti128_si256(b, 1)));
  }
  rowSums32Tail(ext1, ext2, taps, x, w, sa, sb);
}

}  // namespace

void guidedRowSums32Avx2(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  switch (p.r) {
    case 1: return rowSums32T<3>(ca, cb, p, sa, sb);
    case 2: return rowSums32T<5>(ca, cb, p, sa, sb);
    case 3: return rowSums32T<7>(ca, cb, p, sa, sb);
    case 4: return rowSums32T<9>(ca, cb, p, sa, sb);
    default: return rowSums32T<0>(ca, cb, p, sa, sb);
  }
}

OSTREL_AVX2 void denoiseRowAvx2(int16_t* row, const int32_t* sa, const int64_t* sb, int w, int64_t n, int64_t nn) {
  const __m256d nD = _mm256_set1_pd(static_cast<double>(n));
  const __m256d nnD = _mm256_set1_pd(static_cast<double>(nn));
  const __m256d invNN = _mm256_set1_pd(1.0 / static_cast<double>(nn));
  const __m256d inv1024 = _mm256_set1_pd(1.0 / 1024.0);
  int x = 0;
  for (; x + 4 <= w; x += 4) {
    const __m256d v = _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + x))));
    const __m256d a = _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sa + x)));
    const __m256d b = i64ToPd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sb + x)));
    const __m256d t = _mm256_add_pd(floorPd(_mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(nD, v), a), inv1024)), b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(row + x), sat16x4(floorDivSmallPd(t, nnD, invNN)));
  }
  for (; x < w; ++x) {
    const int64_t v = row[x];
    row[x] = sat16(floorDivScalar(((n * v * sa[x]) >> 10) + sb[x], nn));
  }
}

namespace {

template <class In>
OSTREL_AVX2 inline __m256d loadCodes(const In* v) {
  if constexpr (sizeof(In) == 2) {
    return _mm256_cvtepi32_pd(_mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(v))));
  } else {
    return _mm256_cvtepi32_pd(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v)));
  }
}

// base = floor((floor(n v Sa / 1024) + Sb) / nn) and the detail floor(Sa (v - base) gn / 2^20).
struct DetailLanes {
  __m256d base, det;
};
OSTREL_AVX2 inline DetailLanes detailLanes(__m256d v, __m128i sa, __m256i sb, __m256d nD, __m256d nnD, __m256d invNN,
                                          __m256d gn) {
  const __m256d a = _mm256_cvtepi32_pd(sa);
  const __m256d b = i64ToPd(sb);
  const __m256d t = _mm256_add_pd(
      floorPd(_mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(nD, v), a), _mm256_set1_pd(1.0 / 1024.0))), b);
  const __m256d base = floorDivSmallPd(t, nnD, invNN);
  const __m256d det = floorPd(
      _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(a, _mm256_sub_pd(v, base)), gn), _mm256_set1_pd(1.0 / 1048576.0)));
  return {base, det};
}
OSTREL_AVX2 inline DetailLanes detailLanes(__m256d v, const int32_t* sa, const int64_t* sb, __m256d nD, __m256d nnD,
                                          __m256d invNN, __m256d gn) {
  return detailLanes(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(sa)),
                     _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sb)), nD, nnD, invNN, gn);
}

template <class In>
OSTREL_AVX2 void detailRowT(const In* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                            const int64_t* sb2, int16_t* det, int16_t* dn, int w, const DetailRowArgs& k) {
  const int64_t n = k.n;
  const __m256d nD = _mm256_set1_pd(double(k.n)), nnD = _mm256_set1_pd(double(k.nn));
  const __m256d invNN = _mm256_set1_pd(1.0 / double(k.nn));
  const __m256d g1 = _mm256_set1_pd(double(k.gn1)), g2 = _mm256_set1_pd(double(k.gn2));
  int x = 0;
  if (dn) {
    const __m256d scaleDn = _mm256_set1_pd(1.0 / double(1LL << k.shiftDn));
    const __m256d c0 = _mm256_set1_pd(double(k.c0));
    const __m256d lo = _mm256_set1_pd(double(k.lowest)), hi = _mm256_set1_pd(double(k.highest));
    for (; x + 4 <= w; x += 4) {
      const __m256d vv = loadCodes(v + x);
      const DetailLanes d = detailLanes(vv, sa1 + x, sb1 + x, nD, nnD, invNN, g1);
      _mm_storel_epi64(reinterpret_cast<__m128i*>(det + x), sat16x4(d.det));
      const __m256d m = _mm256_sub_pd(vv, d.base);
      const __m256d c = _mm256_add_pd(_mm256_add_pd(floorPd(_mm256_mul_pd(m, scaleDn)), d.base), c0);
      const __m128i ci = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(c, lo), hi));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(dn + x), _mm_packs_epi32(ci, ci));
    }
    for (; x < w; ++x) {
      const int64_t vv = v[x];
      const int64_t base = floorDivScalar(((n * vv * sa1[x]) >> 10) + sb1[x], k.nn);
      const int64_t m = vv - base;
      det[x] = sat16((sa1[x] * m * k.gn1) >> 20);
      const int64_t c = (m >> k.shiftDn) + base + k.c0;
      dn[x] = static_cast<int16_t>(c < k.lowest ? k.lowest : (c > k.highest ? k.highest : c));
    }
    return;
  }
  const __m128i sw = _mm_set1_epi32(static_cast<int32_t>(k.switchG));
  for (; x + 4 <= w; x += 4) {
    const __m256d vv = loadCodes(v + x);
    // Lanes whose Sa of the first filter is below the switch take the second filter; a filter
    // no lane takes is not computed.
    const __m128i second = _mm_cmplt_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sa1 + x)), sw);
    const int taken = _mm_movemask_ps(_mm_castsi128_ps(second));
    __m256d d;
    if (taken == 0) {
      d = detailLanes(vv, sa1 + x, sb1 + x, nD, nnD, invNN, g1).det;
    } else if (taken == 0xF) {
      d = detailLanes(vv, sa2 + x, sb2 + x, nD, nnD, invNN, g2).det;
    } else {
      // Mixed lanes: each lane's sums and gain are picked first, and the rule runs once.
      const __m256i second64 = _mm256_cvtepi32_epi64(second);
      const __m128i sa = _mm_blendv_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sa1 + x)),
                                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(sa2 + x)), second);
      const __m256i sb = _mm256_blendv_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sb1 + x)),
                                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sb2 + x)), second64);
      d = detailLanes(vv, sa, sb, nD, nnD, invNN, _mm256_blendv_pd(g1, g2, _mm256_castsi256_pd(second64))).det;
    }
    _mm_storel_epi64(reinterpret_cast<__m128i*>(det + x), sat16x4(d));
  }
  for (; x < w; ++x) {
    const int64_t vv = v[x];
    if (sa1[x] < k.switchG) {
      const int64_t base = floorDivScalar(((n * vv * sa2[x]) >> 10) + sb2[x], k.nn);
      det[x] = sat16((sa2[x] * (vv - base) * k.gn2) >> 20);
    } else {
      const int64_t base = floorDivScalar(((n * vv * sa1[x]) >> 10) + sb1[x], k.nn);
      det[x] = sat16((sa1[x] * (vv - base) * k.gn1) >> 20);
    }
  }
}

}  // namespace

void detailRowAvx2(const int16_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2, const int64_t* sb2,
                   int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k) {
  detailRowT(v, sa1, sb1, sa2, sb2, det, denoised, w, k);
}
void detailRowAvx2(const int32_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2, const int64_t* sb2,
                   int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k) {
  detailRowT(v, sa1, sb1, sa2, sb2, det, denoised, w, k);
}

void guidedRowCoefVec(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
                      int32_t* const* a, int32_t* const* b) {
  if (wide512()) return guidedRowCoefAvx512(c1, c2, p, filters, coef, a, b);
  guidedRowCoefAvx2(c1, c2, p, filters, coef, a, b);
}

void guidedRowSumsVec(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  if (wide512()) return guidedRowSumsAvx512(ca, cb, p, sa, sb);
  guidedRowSumsAvx2(ca, cb, p, sa, sb);
}

}  // namespace ostrel::alg
