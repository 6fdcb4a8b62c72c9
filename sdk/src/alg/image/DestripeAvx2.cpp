// AVX2 forms of the destripe steps (from SimdLevel::Avx2 up), giving the scalar steps' integers.
// The row step runs in double precision four pixels a register: window sums of codes and their
// squares, w0 S2 - S1^2, (1024 - a) S1 and the base's numerator are integers below 2^40 for
// radii up to 16, so they are exact, and one correctly rounded division truncated gives the exact
// quotient (a non-integer quotient lies at least 1/d from an integer, further than the rounding
// error).
#include "DestripeAvx2.h"

#include "GuidedAvx2.h"

#include <immintrin.h>

#include <cstring>

#define OSTREL_AVX2 __attribute__((target("avx2")))

namespace ostrel::alg {


// T: the window width as a constant for the common radii (0: at run time). The taps are summed
// in two chains so the adds overlap (the sums are exact integers, so the order does not matter).
template <int T>
OSTREL_AVX2 void destripRowT(const int16_t* row, const DestripRowPlan& p, int16_t* det) {
  const int w = p.w, r = p.r, taps = T > 0 ? T : 2 * r + 1, n = w + 2 * r;
  const int32_t* mx = p.mx;
  double* v = p.v;
  double* v2 = p.v2;
  // The row with its mirrored ends, and squares; zeros after it for whole-register reads. The
  // inside (mx[i] = i - r) converts four codes a register.
  for (int i = 0; i < r; ++i) {
    const double c = row[mx[i]];
    v[i] = c, v2[i] = c * c;
  }
  int i = r;
  for (; i + 4 <= r + w; i += 4) {
    const __m256d c = _mm256_cvtepi32_pd(
        _mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + (i - r)))));
    _mm256_storeu_pd(v + i, c);
    _mm256_storeu_pd(v2 + i, _mm256_mul_pd(c, c));
  }
  for (; i < n; ++i) {
    const double c = row[mx[i]];
    v[i] = c, v2[i] = c * c;
  }
  for (int i = n; i < n + 8; ++i) v[i] = v2[i] = 0;

  const __m256d w0 = _mm256_set1_pd(double(p.w0));
  const __m256d inv1024 = _mm256_set1_pd(1.0 / 1024.0);
  const __m256d c1024 = _mm256_set1_pd(1024.0);
  const __m256d limit = _mm256_set1_pd(kCoefFormulaLimit);
  const __m256d c0 = _mm256_set1_pd(double(p.c0));
  double* a = p.a + r;  // a and b are written at 0..w-1 and mirrored into the ends afterwards
  double* b = p.b + r;
  int x = 0;
  for (; x + 4 <= w; x += 4) {
    __m256d s1 = _mm256_loadu_pd(v + x), s2 = _mm256_loadu_pd(v2 + x);
    __m256d t1 = _mm256_setzero_pd(), t2 = _mm256_setzero_pd();
    for (int j = 1; j + 1 < taps; j += 2) {
      s1 = _mm256_add_pd(s1, _mm256_loadu_pd(v + x + j));
      t1 = _mm256_add_pd(t1, _mm256_loadu_pd(v + x + j + 1));
      s2 = _mm256_add_pd(s2, _mm256_loadu_pd(v2 + x + j));
      t2 = _mm256_add_pd(t2, _mm256_loadu_pd(v2 + x + j + 1));
    }
    s1 = _mm256_add_pd(s1, t1);
    s2 = _mm256_add_pd(s2, t2);
    const __m256d q = _mm256_sub_pd(_mm256_mul_pd(w0, s2), _mm256_mul_pd(s1, s1));
    const __m256d index = _mm256_floor_pd(_mm256_mul_pd(q, inv1024));
    __m256d ad;
    // The reciprocal formula the table holds, exact for indices below 2^33.
    const __m256d inside =
        _mm256_and_pd(_mm256_cmp_pd(q, _mm256_setzero_pd(), _CMP_GE_OQ), _mm256_cmp_pd(index, limit, _CMP_LT_OQ));
    if (_mm256_movemask_pd(inside) == 0xF) {
      ad = coefPd(index, c0);
    } else {
      alignas(32) double qs[4], as[4];
      _mm256_store_pd(qs, q);
      for (int l = 0; l < 4; ++l) {
        const int64_t qi = static_cast<int64_t>(qs[l]);
        const int64_t i = qi < 0 ? p.tableSize - 1 : (qi >> 10);
        as[l] = coefLookup(p.table, p.tableSize, p.c0, i);
      }
      ad = _mm256_load_pd(as);
    }
    _mm256_storeu_pd(a + x, ad);
    _mm256_storeu_pd(b + x, _mm256_mul_pd(_mm256_sub_pd(c1024, ad), s1));
  }
  for (; x < w; ++x) {
    int64_t s1 = 0, s2 = 0;
    for (int j = 0; j < taps; ++j) s1 += static_cast<int64_t>(v[x + j]), s2 += static_cast<int64_t>(v2[x + j]);
    const int64_t q = p.w0 * s2 - s1 * s1;
    const int64_t index = q < 0 ? p.tableSize - 1 : (q >> 10);
    const int32_t av = coefLookup(p.table, p.tableSize, p.c0, index);
    a[x] = av;
    b[x] = static_cast<double>((1024 - av) * s1);
  }
  // Mirrored ends of a and b for the second window.
  for (int i = 0; i < r; ++i) {
    p.a[i] = a[mx[i]], p.b[i] = b[mx[i]];
  }
  for (int i = r + w; i < n; ++i) {
    p.a[i] = a[mx[i]], p.b[i] = b[mx[i]];
  }
  for (int i = n; i < n + 8; ++i) p.a[i] = p.b[i] = 0;

  // base = trunc((Sa w0 v + Sb) / (w0 w0 1024)), detail = v - base.
  const double denom = double(p.w0) * p.w0 * 1024.0;
  const __m256d dn = _mm256_set1_pd(denom), invDn = _mm256_set1_pd(1.0 / denom);
  x = 0;
  for (; x + 4 <= w; x += 4) {
    __m256d sa = _mm256_loadu_pd(p.a + x), sb = _mm256_loadu_pd(p.b + x);
    __m256d ta = _mm256_setzero_pd(), tb = _mm256_setzero_pd();
    for (int j = 1; j + 1 < taps; j += 2) {
      sa = _mm256_add_pd(sa, _mm256_loadu_pd(p.a + x + j));
      ta = _mm256_add_pd(ta, _mm256_loadu_pd(p.a + x + j + 1));
      sb = _mm256_add_pd(sb, _mm256_loadu_pd(p.b + x + j));
      tb = _mm256_add_pd(tb, _mm256_loadu_pd(p.b + x + j + 1));
    }
    sa = _mm256_add_pd(sa, ta);
    sb = _mm256_add_pd(sb, tb);
    const __m256d vv = _mm256_loadu_pd(v + r + x);
    const __m256d base = truncDivPd(_mm256_add_pd(_mm256_mul_pd(sa, _mm256_mul_pd(w0, vv)), sb), dn, invDn);
    const __m256d d = _mm256_min_pd(_mm256_max_pd(_mm256_sub_pd(vv, base), _mm256_set1_pd(-32768.0)),
                                    _mm256_set1_pd(32767.0));
    const __m128i di = _mm256_cvttpd_epi32(d);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(det + x), _mm_packs_epi32(di, di));
  }
  const int64_t denomI = int64_t(p.w0) * p.w0 * 1024;
  for (; x < w; ++x) {
    int64_t sa = 0, sb = 0;
    for (int j = 0; j < taps; ++j) sa += static_cast<int64_t>(p.a[x + j]), sb += static_cast<int64_t>(p.b[x + j]);
    const int64_t vv = row[x];
    const int64_t base = (sa * (p.w0 * vv) + sb) / denomI;
    det[x] = sat16(vv - base);
  }
}

void destripRowAvx2(const int16_t* row, const DestripRowPlan& p, int16_t* det) {
  switch (p.r) {
    case 2: return destripRowT<5>(row, p, det);
    case 4: return destripRowT<9>(row, p, det);
    case 8: return destripRowT<17>(row, p, det);
    default: return destripRowT<0>(row, p, det);
  }
}

// |acc| <= 33 x 32768 < 2^21 is exact in single precision and so is w1. The correctly rounded
// quotient lies within half an ulp (at most 2^-9 below 2^15) of acc / w1, while a quotient that is
// not an integer keeps at least 1 / w1 >= 1/33 from every integer, so rounding never reaches
// or crosses one and truncation gives the integer quotient (an exact quotient is representable).
OSTREL_AVX2 static inline __m128i estimate8(__m256i acc, __m256 w1) {
  const __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(acc), w1));
  return _mm_packs_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
}

OSTREL_AVX2 void destripColumnRowAvx2(int32_t* acc, const int16_t* add, const int16_t* sub, int w, int32_t w1,
                                      int16_t* est) {
  const __m256 d = _mm256_set1_ps(float(w1));
  int x = 0;
  if (add) {
    for (; x + 8 <= w; x += 8) {
      const __m256i in = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(add + x)));
      const __m256i out = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sub + x)));
      __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(acc + x));
      s = _mm256_add_epi32(s, _mm256_sub_epi32(in, out));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(acc + x), s);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(est + x), estimate8(s, d));
    }
    for (; x < w; ++x) {
      acc[x] += static_cast<int32_t>(add[x]) - sub[x];
      est[x] = sat16(acc[x] / w1);
    }
    return;
  }
  for (; x + 8 <= w; x += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(acc + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(est + x), estimate8(s, d));
  }
  for (; x < w; ++x) est[x] = sat16(acc[x] / w1);
}

OSTREL_AVX2 void destripSubtractRowAvx2(int16_t* row, const int16_t* est, int w) {
  int x = 0;
  for (; x + 16 <= w; x += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + x));
    const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(est + x));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + x), _mm256_subs_epi16(v, e));
  }
  for (; x < w; ++x) row[x] = sat16(static_cast<int32_t>(row[x]) - est[x]);
}

}  // namespace ostrel::alg
