// AVX-512 forms of the guided filters' row kernels (from SimdLevel::Avx512 up): the AVX2 kernels'
// arithmetic on eight pixels a register instead of four, giving the same integers (the bounds
// and exactness arguments are those of GuidedAvx2.h). Row ends shorter than a register go
// through the AVX2 kernels or the scalar rule.
// GCC 12's AVX-512 headers start some conversions from an undefined register, which its
// uninitialised-use analysis reports (clang has no such analysis, nor the warning's name).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include "GuidedAvx2.h"

#define OSTREL_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl")))

namespace ostrel::alg {

using namespace rowtools;

namespace {

OSTREL_AVX512 inline __m512d floor8(__m512d x) {
  return _mm512_roundscale_pd(x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
}

// floor(v 2^20 / (c + 1024 v)) for 0 <= v < kCoefFormulaLimit, 0 for v = 0.
OSTREL_AVX512 inline __m512d coef8(__m512d v, __m512d c) {
  const __m512d q = floor8(_mm512_div_pd(_mm512_mul_pd(v, _mm512_set1_pd(1048576.0)),
                                         _mm512_add_pd(c, _mm512_mul_pd(v, _mm512_set1_pd(1024.0)))));
  return _mm512_maskz_mov_pd(_mm512_cmp_pd_mask(v, _mm512_setzero_pd(), _CMP_NEQ_OQ), q);
}

// floor(x / d) for integer-valued |x| < 2^53 and d > 0, from the rounded reciprocal and the
// exact remainder (as floorDivPd).
OSTREL_AVX512 inline __m512d floorDiv8(__m512d x, __m512d d, __m512d inv) {
  __m512d q = floor8(_mm512_mul_pd(x, inv));
  const __m512d r = _mm512_sub_pd(x, _mm512_mul_pd(q, d));
  const __m512d one = _mm512_set1_pd(1.0);
  q = _mm512_mask_add_pd(q, _mm512_cmp_pd_mask(r, d, _CMP_GE_OQ), q, one);
  return _mm512_mask_sub_pd(q, _mm512_cmp_pd_mask(r, _mm512_setzero_pd(), _CMP_LT_OQ), q, one);
}

// Eight integer-valued doubles to int16, saturated.
OSTREL_AVX512 inline __m128i sat16x8(__m512d x) {
  const __m256i i =
      _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(x, _mm512_set1_pd(-32768.0)), _mm512_set1_pd(32767.0)));
  return _mm256_cvtsepi32_epi16(i);
}

template <int T, int F>
OSTREL_AVX512 void rowCoef8(int32_t* c1, int64_t* c2, const BoxPlan& p, const GuidedCoef* coef,
                            int32_t* const* a, int32_t* const* b) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int64_t n = static_cast<int64_t>(taps) * taps;
  const int32_t* ext1 = extend(c1, p);
  const int64_t* ext2 = extend(c2, p);
  const __m512d nD = _mm512_set1_pd(static_cast<double>(n));
  const __m512d inv1024 = _mm512_set1_pd(1.0 / 1024.0);
  const __m512d zero = _mm512_setzero_pd();
  const __m512d limit = _mm512_set1_pd(kCoefFormulaLimit);
  __m512d cc[F];
  int32_t* ap[F];
  int32_t* bp[F];
  for (int f = 0; f < F; ++f) cc[f] = _mm512_set1_pd(double(coef[f].c)), ap[f] = a[f], bp[f] = b[f];
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    __m256i s1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext1 + x)), t1 = _mm256_setzero_si256();
    __m512i s2 = _mm512_loadu_si512(ext2 + x), t2 = _mm512_setzero_si512();
#pragma GCC unroll 40
    for (int j = 1; j + 1 < taps; j += 2) {
      s1 = _mm256_add_epi32(s1, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext1 + x + j)));
      t1 = _mm256_add_epi32(t1, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext1 + x + j + 1)));
      s2 = _mm512_add_epi64(s2, _mm512_loadu_si512(ext2 + x + j));
      t2 = _mm512_add_epi64(t2, _mm512_loadu_si512(ext2 + x + j + 1));
    }
    s1 = _mm256_add_epi32(s1, t1);
    s2 = _mm512_add_epi64(s2, t2);
    // Sums of squares stay far below 2^53, so the conversion is exact.
    const __m512d s1d = _mm512_cvtepi32_pd(s1);
    const __m512d qd = floor8(_mm512_mul_pd(
        _mm512_sub_pd(_mm512_mul_pd(nD, _mm512_cvtepi64_pd(s2)), _mm512_mul_pd(s1d, s1d)), inv1024));
    const __mmask8 inside =
        _mm512_cmp_pd_mask(qd, zero, _CMP_GE_OQ) & _mm512_cmp_pd_mask(qd, limit, _CMP_LT_OQ);
    if (inside != 0xFF) [[unlikely]] {
      alignas(32) int32_t s1v[8];
      alignas(64) int64_t s2v[8];
      _mm256_store_si256(reinterpret_cast<__m256i*>(s1v), s1);
      _mm512_store_si512(s2v, s2);
      for (int f = 0; f < F; ++f)
        for (int l = 0; l < 8; ++l) coefScalar(s1v[l], s2v[l], n, coef[f], ap[f] + x + l, bp[f] + x + l);
      continue;
    }
    for (int f = 0; f < F; ++f) {
      const __m512d ad = coef8(qd, cc[f]);
      const __m512d bd = _mm512_sub_pd(s1d, floor8(_mm512_mul_pd(_mm512_mul_pd(s1d, ad), inv1024)));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(ap[f] + x), _mm512_cvttpd_epi32(ad));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(bp[f] + x), _mm512_cvttpd_epi32(bd));
    }
  }
  for (; x < w; ++x) {
    int64_t s1 = 0, s2 = 0;
    for (int j = 0; j < taps; ++j) s1 += ext1[x + j], s2 += ext2[x + j];
    for (int f = 0; f < F; ++f) coefScalar(s1, s2, n, coef[f], ap[f] + x, bp[f] + x);
  }
}

template <int T>
OSTREL_AVX512 void rowSums8(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int32_t* ext1 = extend(ca, p);
  const auto* ext2 = extend(cb, p);
  int x = 0;
  for (; x + 16 <= w; x += 16) {
    __m512i s = _mm512_loadu_si512(ext1 + x), t = _mm512_setzero_si512();
#pragma GCC unroll 40
    for (int j = 1; j + 1 < taps; j += 2) {
      s = _mm512_add_epi32(s, _mm512_loadu_si512(ext1 + x + j));
      t = _mm512_add_epi32(t, _mm512_loadu_si512(ext1 + x + j + 1));
    }
    _mm512_storeu_si512(sa + x, _mm512_add_epi32(s, t));
  }
  for (; x < w; ++x) {
    int32_t s = 0;
    for (int j = 0; j < taps; ++j) s += ext1[x + j];
    sa[x] = s;
  }
  x = 0;
  for (; x + 8 <= w; x += 8) {
    __m512i s = _mm512_loadu_si512(ext2 + x), t = _mm512_setzero_si512();
#pragma GCC unroll 40
    for (int j = 1; j + 1 < taps; j += 2) {
      s = _mm512_add_epi64(s, _mm512_loadu_si512(ext2 + x + j));
      t = _mm512_add_epi64(t, _mm512_loadu_si512(ext2 + x + j + 1));
    }
    _mm512_storeu_si512(sb + x, _mm512_add_epi64(s, t));
  }
  for (; x < w; ++x) {
    int64_t s = 0;
    for (int j = 0; j < taps; ++j) s += ext2[x + j];
    sb[x] = s;
  }
}

template <int T>
void rowCoefF8(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
               int32_t* const* a, int32_t* const* b) {
  if (filters > 1) return rowCoef8<T, 2>(c1, c2, p, coef, a, b);
  rowCoef8<T, 1>(c1, c2, p, coef, a, b);
}

template <class In>
OSTREL_AVX512 inline __m512d loadCodes8(const In* v) {
  if constexpr (sizeof(In) == 2) {
    return _mm512_cvtepi32_pd(_mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(v))));
  } else {
    return _mm512_cvtepi32_pd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v)));
  }
}

// base = floor((floor(n v Sa / 1024) + Sb) / nn) and the detail floor(Sa (v - base) gn / 2^20).
struct DetailLanes8 {
  __m512d base, det;
};
OSTREL_AVX512 inline DetailLanes8 detailLanes8(__m512d v, const int32_t* sa, const int64_t* sb, __m512d nD,
                                               __m512d nnD, __m512d invNN, __m512d gn) {
  const __m512d a = _mm512_cvtepi32_pd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sa)));
  const __m512d b = _mm512_cvtepi64_pd(_mm512_loadu_si512(sb));
  const __m512d t = _mm512_add_pd(
      floor8(_mm512_mul_pd(_mm512_mul_pd(_mm512_mul_pd(nD, v), a), _mm512_set1_pd(1.0 / 1024.0))), b);
  const __m512d base = floorDiv8(t, nnD, invNN);
  const __m512d det = floor8(_mm512_mul_pd(_mm512_mul_pd(_mm512_mul_pd(a, _mm512_sub_pd(v, base)), gn),
                                           _mm512_set1_pd(1.0 / 1048576.0)));
  return {base, det};
}

template <class In>
OSTREL_AVX512 void detailRow8(const In* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                              const int64_t* sb2, int16_t* det, int16_t* dn, int w, const DetailRowArgs& k) {
  const __m512d nD = _mm512_set1_pd(double(k.n)), nnD = _mm512_set1_pd(double(k.nn));
  const __m512d invNN = _mm512_set1_pd(1.0 / double(k.nn));
  const __m512d g1 = _mm512_set1_pd(double(k.gn1)), g2 = _mm512_set1_pd(double(k.gn2));
  int x = 0;
  if (dn) {
    const __m512d scaleDn = _mm512_set1_pd(1.0 / double(1LL << k.shiftDn));
    const __m512d c0 = _mm512_set1_pd(double(k.c0));
    const __m512d lo = _mm512_set1_pd(double(k.lowest)), hi = _mm512_set1_pd(double(k.highest));
    for (; x + 8 <= w; x += 8) {
      const __m512d vv = loadCodes8(v + x);
      const DetailLanes8 d = detailLanes8(vv, sa1 + x, sb1 + x, nD, nnD, invNN, g1);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(det + x), sat16x8(d.det));
      const __m512d m = _mm512_sub_pd(vv, d.base);
      const __m512d c = _mm512_add_pd(_mm512_add_pd(floor8(_mm512_mul_pd(m, scaleDn)), d.base), c0);
      const __m256i ci = _mm512_cvttpd_epi32(_mm512_min_pd(_mm512_max_pd(c, lo), hi));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dn + x), _mm256_cvtsepi32_epi16(ci));
    }
  } else {
    const __m256i sw = _mm256_set1_epi32(static_cast<int32_t>(k.switchG));
    for (; x + 8 <= w; x += 8) {
      const __m512d vv = loadCodes8(v + x);
      // Lanes whose Sa of the first filter is below the switch take the second filter; a filter
      // no lane takes is not computed.
      const __mmask8 second =
          _mm256_cmplt_epi32_mask(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sa1 + x)), sw);
      __m512d d;
      if (second == 0) {
        d = detailLanes8(vv, sa1 + x, sb1 + x, nD, nnD, invNN, g1).det;
      } else if (second == 0xFF) {
        d = detailLanes8(vv, sa2 + x, sb2 + x, nD, nnD, invNN, g2).det;
      } else {
        const __m512d d1 = detailLanes8(vv, sa1 + x, sb1 + x, nD, nnD, invNN, g1).det;
        const __m512d d2 = detailLanes8(vv, sa2 + x, sb2 + x, nD, nnD, invNN, g2).det;
        d = _mm512_mask_blend_pd(second, d1, d2);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(det + x), sat16x8(d));
    }
  }
  if (x < w)
    detailRowAvx2(v + x, sa1 + x, sb1 + x, sa2 ? sa2 + x : nullptr, sb2 ? sb2 + x : nullptr, det + x,
                  dn ? dn + x : nullptr, w - x, k);
}

}  // namespace

OSTREL_AVX512 void colAddSubSq16Avx512(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out,
                                       int n) {
  int x = 0;
  for (; x + 16 <= n; x += 16) {
    const __m512i i = _mm512_cvtepi16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + x)));
    const __m512i o = _mm512_cvtepi16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + x)));
    _mm512_storeu_si512(c1 + x, _mm512_add_epi32(_mm512_loadu_si512(c1 + x), _mm512_sub_epi32(i, o)));
    // Squares of int16 values stay below 2^30, so their differences fit 32 bits.
    const __m512i d = _mm512_sub_epi32(_mm512_mullo_epi32(i, i), _mm512_mullo_epi32(o, o));
    const __m512i lo = _mm512_cvtepi32_epi64(_mm512_castsi512_si256(d));
    const __m512i hi = _mm512_cvtepi32_epi64(_mm512_extracti64x4_epi64(d, 1));
    _mm512_storeu_si512(c2 + x, _mm512_add_epi64(_mm512_loadu_si512(c2 + x), lo));
    _mm512_storeu_si512(c2 + x + 8, _mm512_add_epi64(_mm512_loadu_si512(c2 + x + 8), hi));
  }
  if (x < n) colAddSubSq16Avx2(c1 + x, c2 + x, in + x, out + x, n - x);
}

OSTREL_AVX512 void colAddSubABAvx512(int32_t* ca, int64_t* cb, const int32_t* ai, const int32_t* ao,
                                     const int32_t* bi, const int32_t* bo, int n) {
  int x = 0;
  for (; x + 16 <= n; x += 16) {
    __m512i da = _mm512_loadu_si512(ai + x), db = _mm512_loadu_si512(bi + x);
    if (ao) {
      da = _mm512_sub_epi32(da, _mm512_loadu_si512(ao + x));
      db = _mm512_sub_epi32(db, _mm512_loadu_si512(bo + x));
    }
    _mm512_storeu_si512(ca + x, _mm512_add_epi32(_mm512_loadu_si512(ca + x), da));
    const __m512i lo = _mm512_cvtepi32_epi64(_mm512_castsi512_si256(db));
    const __m512i hi = _mm512_cvtepi32_epi64(_mm512_extracti64x4_epi64(db, 1));
    _mm512_storeu_si512(cb + x, _mm512_add_epi64(_mm512_loadu_si512(cb + x), lo));
    _mm512_storeu_si512(cb + x + 8, _mm512_add_epi64(_mm512_loadu_si512(cb + x + 8), hi));
  }
  if (x < n)
    colAddSubABAvx2(ca + x, cb + x, ai + x, ao ? ao + x : nullptr, bi + x, bo ? bo + x : nullptr, n - x);
}

OSTREL_AVX512 void colAddSubAB32Avx512(int32_t* ca, int32_t* cb, const int32_t* ai, const int32_t* ao,
                                       const int32_t* bi, const int32_t* bo, int n) {
  int x = 0;
  for (; x + 16 <= n; x += 16) {
    __m512i da = _mm512_loadu_si512(ai + x), db = _mm512_loadu_si512(bi + x);
    if (ao) {
      da = _mm512_sub_epi32(da, _mm512_loadu_si512(ao + x));
      db = _mm512_sub_epi32(db, _mm512_loadu_si512(bo + x));
    }
    _mm512_storeu_si512(ca + x, _mm512_add_epi32(_mm512_loadu_si512(ca + x), da));
    _mm512_storeu_si512(cb + x, _mm512_add_epi32(_mm512_loadu_si512(cb + x), db));
  }
  if (x < n)
    colAddSubAB32Avx2(ca + x, cb + x, ai + x, ao ? ao + x : nullptr, bi + x, bo ? bo + x : nullptr, n - x);
}

namespace {

template <int T>
OSTREL_AVX512 void rowSums32(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  const int w = p.w, taps = T > 0 ? T : 2 * p.r + 1;
  const int32_t* ext1 = extend(ca, p);
  const auto* ext2 = extend(cb, p);
  int x = 0;
  for (; x + 16 <= w; x += 16) {
    __m512i s = _mm512_loadu_si512(ext1 + x), t = _mm512_setzero_si512();
    __m512i u = _mm512_loadu_si512(ext2 + x), v = _mm512_setzero_si512();
#pragma GCC unroll 40
    for (int j = 1; j + 1 < taps; j += 2) {
      s = _mm512_add_epi32(s, _mm512_loadu_si512(ext1 + x + j));
      t = _mm512_add_epi32(t, _mm512_loadu_si512(ext1 + x + j + 1));
      u = _mm512_add_epi32(u, _mm512_loadu_si512(ext2 + x + j));
      v = _mm512_add_epi32(v, _mm512_loadu_si512(ext2 + x + j + 1));
    }
    _mm512_storeu_si512(sa + x, _mm512_add_epi32(s, t));
    const __m512i b = _mm512_add_epi32(u, v);
    _mm512_storeu_si512(sb + x, _mm512_cvtepi32_epi64(_mm512_castsi512_si256(b)));
    _mm512_storeu_si512(sb + x + 8, _mm512_cvtepi32_epi64(_mm512_extracti64x4_epi64(b, 1)));
  }
  rowSums32Tail(ext1, ext2, taps, x, w, sa, sb);
}

}  // namespace

void guidedRowSums32Avx512(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  switch (p.r) {
    case 1:
      return rowSums32<3>(ca, cb, p, sa, sb);
    case 2:
      return rowSums32<5>(ca, cb, p, sa, sb);
    case 3:
      return rowSums32<7>(ca, cb, p, sa, sb);
    case 4:
      return rowSums32<9>(ca, cb, p, sa, sb);
    default:
      return rowSums32<0>(ca, cb, p, sa, sb);
  }
}

void guidedRowCoefAvx512(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
                         int32_t* const* a, int32_t* const* b) {
  switch (p.r) {
    case 1:
      return rowCoefF8<3>(c1, c2, p, filters, coef, a, b);
    case 2:
      return rowCoefF8<5>(c1, c2, p, filters, coef, a, b);
    case 3:
      return rowCoefF8<7>(c1, c2, p, filters, coef, a, b);
    case 4:
      return rowCoefF8<9>(c1, c2, p, filters, coef, a, b);
    default:
      return rowCoefF8<0>(c1, c2, p, filters, coef, a, b);
  }
}

void guidedRowSumsAvx512(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  switch (p.r) {
    case 1:
      return rowSums8<3>(ca, cb, p, sa, sb);
    case 2:
      return rowSums8<5>(ca, cb, p, sa, sb);
    case 3:
      return rowSums8<7>(ca, cb, p, sa, sb);
    case 4:
      return rowSums8<9>(ca, cb, p, sa, sb);
    default:
      return rowSums8<0>(ca, cb, p, sa, sb);
  }
}

OSTREL_AVX512 void denoiseRowAvx512(int16_t* row, const int32_t* sa, const int64_t* sb, int w, int64_t n,
                                    int64_t nn) {
  const __m512d nD = _mm512_set1_pd(static_cast<double>(n));
  const __m512d nnD = _mm512_set1_pd(static_cast<double>(nn));
  const __m512d invNN = _mm512_set1_pd(1.0 / static_cast<double>(nn));
  const __m512d inv1024 = _mm512_set1_pd(1.0 / 1024.0);
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m512d v = loadCodes8(row + x);
    const __m512d a = _mm512_cvtepi32_pd(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sa + x)));
    const __m512d b = _mm512_cvtepi64_pd(_mm512_loadu_si512(sb + x));
    const __m512d t =
        _mm512_add_pd(floor8(_mm512_mul_pd(_mm512_mul_pd(_mm512_mul_pd(nD, v), a), inv1024)), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + x), sat16x8(floorDiv8(t, nnD, invNN)));
  }
  if (x < w) denoiseRowAvx2(row + x, sa + x, sb + x, w - x, n, nn);
}

void detailRowAvx512(const int16_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                     const int64_t* sb2, int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k) {
  detailRow8(v, sa1, sb1, sa2, sb2, det, denoised, w, k);
}
void detailRowAvx512(const int32_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                     const int64_t* sb2, int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k) {
  detailRow8(v, sa1, sb1, sa2, sb2, det, denoised, w, k);
}

}  // namespace ostrel::alg
