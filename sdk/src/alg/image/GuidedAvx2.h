// AVX2 row kernels of the guided filters, used from SimdLevel::Avx2 up. Each gives the same
// integers as the scalar reference in GuidedCore.h and the filters.
//
// The per-pixel arithmetic runs in double precision, four pixels a register: every intermediate
// is an integer below 2^53 in magnitude (so sums, products and the power-of-two floors are
// exact), and floor(x / d) of such an x comes out exact from one correctly rounded division (a
// quotient that is not an integer lies at least 1/d from one, further than the rounding error
// |x / d| x 2^-53 < 1/d). The bounds hold for 16-bit codes (or codes minus a centre, within
// +-65535), radii up to 16 and coefficients a in 0..1024.
#pragma once

#include <immintrin.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "GuidedCore.h"

namespace ostrel::alg {

// Coefficient indices below this take the reciprocal formula in double precision (the numerator
// v x 2^20 stays below 2^53).
constexpr double kCoefFormulaLimit = 8589934592.0;  // 2^33

// Sum of `taps` consecutive rows of eight int32 lanes from ext + x, in two chains so the adds
// overlap (T: the tap count as a constant, 0 at run time).
template <int T>
__attribute__((target("avx2"))) inline __m256i tapSum8(const int32_t* ext, int x, int taps) {
  __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext + x)), t = _mm256_setzero_si256();
#pragma GCC unroll 40
  for (int j = 1; j + 1 < (T > 0 ? T : taps); j += 2) {
    s = _mm256_add_epi32(s, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext + x + j)));
    t = _mm256_add_epi32(t, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(ext + x + j + 1)));
  }
  return _mm256_add_epi32(s, t);
}

// floor(v 2^20 / (c + 1024 v)) for 0 <= v < kCoefFormulaLimit, 0 for v = 0: the reciprocal
// table's entries and the formula coefLookup uses past the table.
__attribute__((target("avx2"))) inline __m256d coefPd(__m256d v, __m256d c) {
  const __m256d q = _mm256_floor_pd(_mm256_div_pd(_mm256_mul_pd(v, _mm256_set1_pd(1048576.0)),
                                          _mm256_add_pd(c, _mm256_mul_pd(v, _mm256_set1_pd(1024.0)))));
  return _mm256_and_pd(q, _mm256_cmp_pd(v, _mm256_setzero_pd(), _CMP_NEQ_OQ));
}

// The same coefficient in 32-bit lanes, for 0 <= v < 2^21 and 0 < c <= kCoefEpi32MaxC: with
// cHi = c >> 10, cLo = c & 1023 and cF = c / 1024 rounded to single precision. The
// single-precision quotient 1024 v / (v + cF) lies within 2^-12 of the real one (three roundings
// of 2^-24 on a value at most 1024), so for k = floor(approx - 1/4) + 1 the coefficient is k - 1
// or k; it is k exactly when v 2^20 >= k (c + 1024 v), that is v (1024 - k) >= ceil(k c / 1024)
// = k cHi + ceil(k cLo / 1024), both sides exact below 2^31. For c below kCoefEpi32SmallC
// (Small) k c itself fits and the plan holds c whole in `hi`.
constexpr int64_t kCoefEpi32MaxC = int64_t{1} << 30;
constexpr int64_t kCoefEpi32SmallC = int64_t{1} << 21;
struct CoefEpi32 {
  __m256i hi, lo;
  __m256 f;
};
template <bool Small>
__attribute__((target("avx2"))) inline CoefEpi32 coefEpi32Plan(int64_t c) {
  return {_mm256_set1_epi32(static_cast<int32_t>(Small ? c : c >> 10)),
          _mm256_set1_epi32(static_cast<int32_t>(c & 1023)),
          _mm256_set1_ps(static_cast<float>(static_cast<double>(c) / 1024.0))};
}
template <bool Small>
__attribute__((target("avx2"))) inline __m256i coefEpi32(__m256i v, const CoefEpi32& c) {
  const __m256 vf = _mm256_cvtepi32_ps(v);
  const __m256 approx = _mm256_div_ps(_mm256_mul_ps(vf, _mm256_set1_ps(1024.0f)), _mm256_add_ps(vf, c.f));
  const __m256i k =
      _mm256_add_epi32(_mm256_cvtps_epi32(_mm256_floor_ps(_mm256_sub_ps(approx, _mm256_set1_ps(0.25f)))),
                       _mm256_set1_epi32(1));
  const __m256i lhs = _mm256_mullo_epi32(v, _mm256_sub_epi32(_mm256_set1_epi32(1024), k));
  const __m256i round = _mm256_set1_epi32(1023);
  const __m256i rhs =
      Small ? _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(k, c.hi), round), 10)
            : _mm256_add_epi32(_mm256_mullo_epi32(k, c.hi),
                               _mm256_srli_epi32(_mm256_add_epi32(_mm256_mullo_epi32(k, c.lo), round), 10));
  return _mm256_add_epi32(k, _mm256_cmpgt_epi32(rhs, lhs));  // k - 1 where lhs < rhs
}
// b = S1 - floor(S1 a / 1024) for |S1| < 2^26 and 0 <= a <= 1024, in 32-bit lanes: with
// S1 = 1024 h + l (0 <= l < 1024), floor(S1 a / 1024) = h a + floor(l a / 1024). Below 2^21
// (Small: windows of at most 63 int16 codes) the product S1 a itself fits.
template <bool Small>
__attribute__((target("avx2"))) inline __m256i offsetEpi32(__m256i s1, __m256i a) {
  if constexpr (Small) return _mm256_sub_epi32(s1, _mm256_srai_epi32(_mm256_mullo_epi32(s1, a), 10));
  const __m256i h = _mm256_srai_epi32(s1, 10), l = _mm256_and_si256(s1, _mm256_set1_epi32(1023));
  return _mm256_sub_epi32(
      s1, _mm256_add_epi32(_mm256_mullo_epi32(h, a), _mm256_srli_epi32(_mm256_mullo_epi32(l, a), 10)));
}

// Division by a fixed d > 0 without dividing: x times the rounded reciprocal lies within one of
// x / d (|x| < 2^53), and the remainder x - q d, exact in double, says which. floor(x / d):
__attribute__((target("avx2"))) inline __m256d floorDivPd(__m256d x, __m256d d, __m256d inv) {
  const __m256d q = _mm256_floor_pd(_mm256_mul_pd(x, inv));
  const __m256d r = _mm256_sub_pd(x, _mm256_mul_pd(q, d));
  const __m256d one = _mm256_set1_pd(1.0);
  const __m256d up = _mm256_and_pd(_mm256_cmp_pd(r, d, _CMP_GE_OQ), one);
  const __m256d down = _mm256_and_pd(_mm256_cmp_pd(r, _mm256_setzero_pd(), _CMP_LT_OQ), one);
  return _mm256_sub_pd(_mm256_add_pd(q, up), down);
}
// floorDivPd for |x| < 2^50: x times the rounded reciprocal is within |x / d| 2^-52 < 1 / (4d) of
// x / d, so a quotient that is not an integer (at least 1 / d from one) floors right, and an
// integer quotient k comes out as k or just below it, which the remainder (then exactly d) puts
// right. Only the upward correction is needed.
__attribute__((target("avx2"))) inline __m256d floorDivSmallPd(__m256d x, __m256d d, __m256d inv) {
  const __m256d q = _mm256_floor_pd(_mm256_mul_pd(x, inv));
  const __m256d r = _mm256_sub_pd(x, _mm256_mul_pd(q, d));
  return _mm256_add_pd(q, _mm256_and_pd(_mm256_cmp_pd(r, d, _CMP_GE_OQ), _mm256_set1_pd(1.0)));
}
// trunc(x / d), as C++ integer division gives it.
__attribute__((target("avx2"))) inline __m256d truncDivPd(__m256d x, __m256d d, __m256d inv) {
  const __m256d q = floorDivPd(x, d, inv);
  const __m256d inexact = _mm256_cmp_pd(_mm256_mul_pd(q, d), x, _CMP_NEQ_OQ);
  const __m256d negative = _mm256_cmp_pd(x, _mm256_setzero_pd(), _CMP_LT_OQ);
  return _mm256_add_pd(q, _mm256_and_pd(_mm256_and_pd(inexact, negative), _mm256_set1_pd(1.0)));
}

// ---- What the vector row kernels share (plain C++) ----------------------------------------
namespace rowtools {
inline int64_t floorDivScalar(int64_t x, int64_t d) {
  const int64_t q = x / d;
  return q - static_cast<int64_t>((x % d != 0) && (x < 0));
}

// Lays a row of column sums (a GuidedPlanes row, with margins) out with its mirrored entries at
// both ends in place, and zeros after them so whole registers may be read past the end; returns
// where the extended row starts (entry -r).
template <class T>
inline T* extend(T* c, const BoxPlan& p) {
  const int r = p.r, w = p.w;
  for (int i = 0; i < r; ++i) c[i - r] = c[p.mx[i]];
  for (int i = r + w; i < w + 2 * r; ++i) c[i - r] = c[p.mx[i]];
  for (int i = w + r; i < w + r + 8; ++i) c[i] = 0;
  return c - r;
}

// Window sums Sa, Sb of 32-bit column sums (rows laid out by extend) for x .. w - 1, one by one.
inline void rowSums32Tail(const int32_t* ext1, const int32_t* ext2, int taps, int x, int w, int32_t* sa, int64_t* sb) {
  for (; x < w; ++x) {
    int32_t s = 0, u = 0;
    for (int j = 0; j < taps; ++j) s += ext1[x + j], u += ext2[x + j];
    sa[x] = s;
    sb[x] = u;
  }
}

// a and b of one pixel from its window sums, as the reference computes them.
inline void coefScalar(int64_t s1, int64_t s2, int64_t n, const GuidedCoef& c, int32_t* a, int32_t* b) {
  const int64_t q = (n * s2 - s1 * s1) >> 10;
  const int32_t av = coefLookup(c.table, c.size, c.c, q);
  *a = av;
  *b = static_cast<int32_t>(s1 - ((s1 * av) >> 10));
}

}  // namespace rowtools

// The row steps of both passes are declared in GuidedCore.h, which the templates there call.
// Column sums: c1 += in - out, c2 += in^2 - out^2 over n values (int16 and int32 guides).
void colAddSubSq16Avx2(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out, int n);
void colAddSubSq32Avx2(int32_t* c1, int64_t* c2, const int32_t* in, const int32_t* out, int n);
// ca += ai - ao, cb += bi - bo over n values (ao and bo null: ca += ai, cb += bi).
void colAddSubABAvx2(int32_t* ca, int64_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                     const int32_t* bo, int n);

// The first pass in 32-bit lanes on int16 codes minus a centre, for codes within lo..hi where the
// window sums of the centred squares provably fit (squaresFit); c1 and c2 then hold the centred
// column sums (c2 in 32 bits, in the int64 row's memory). From SimdLevel::Avx2 up.
struct SquarePlan {
  bool fits = false;
  int32_t centre = 0;
};
inline SquarePlan squaresFit(int r, int lo, int hi) {
  SquarePlan s;
  if (lo > hi) return s;
  s.centre = lo + (hi - lo) / 2;
  const int64_t reach = std::max<int64_t>(hi - s.centre, s.centre - lo);
  const int64_t n = static_cast<int64_t>(2 * r + 1) * (2 * r + 1);
  s.fits = n * reach * reach < (int64_t{1} << 31);
  return s;
}
void colStartSqCentred(int32_t* c1, int32_t* c2, const int16_t* guide, const BoxPlan& p, int32_t centre);
void colAddSubSqCentredAvx2(int32_t* c1, int32_t* c2, const int16_t* in, const int16_t* out, int n, int32_t centre);
void guidedRowCoefCentredAvx2(int32_t* c1, int32_t* c2, const BoxPlan& p, int32_t centre, int filters,
                              const GuidedCoef* coef, int32_t* const* a, int32_t* const* b);

// The second pass with 32-bit column and window sums of b, for windows whose sums of b provably
// fit 32 bits (narrowOffsets); the window sums Sb still come out as int64. Eight lanes a register
// here, sixteen in the AVX-512 forms below.
inline bool narrowOffsets(int r) {
  const int64_t n = static_cast<int64_t>(2 * r + 1) * (2 * r + 1);
  return n * (n * 65536 + 1) < (int64_t{1} << 31);  // |b| <= |S1| + 1, |S1| <= n x 65535
}
void colAddSubAB32Avx2(int32_t* ca, int32_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                       const int32_t* bo, int n);
void guidedRowSums32Avx2(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb);

// Denoise output of one row: row[x] = sat16(floor((floor(n v sa / 1024) + sb) / nn)). The dividend
// stays below 2^38 in magnitude (n <= 33 x 33, |v| <= 65535, sa <= 1024 n, |sb| <= n (65535 n + 1)),
// so it and the detail's base take floorDivSmallPd.
void denoiseRowAvx2(int16_t* row, const int32_t* sa, const int64_t* sb, int w, int64_t n, int64_t nn);

// Detail output of one row, the frame guiding itself with window sums of two filters (or one
// with `denoised` set): see detailFilter in Detail.cpp for the formulas.
struct DetailRowArgs {
  int64_t n = 49, nn = 2401;
  int64_t gn1 = 0, gn2 = 0, switchG = 0;
  int shiftDn = 0;
  int32_t c0 = 0, lowest = 0, highest = 0;
};
void detailRowAvx2(const int16_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2, const int64_t* sb2,
                   int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k);
void detailRowAvx2(const int32_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2, const int64_t* sb2,
                   int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k);

// The second pass folded into the output (GuidedColumnsAvx2.cpp), from SimdLevel::Avx2 up, for
// radii whose offsets fit 32 bits (narrowOffsets): the kernels take one row of 32-bit column sums
// of a and b per filter (GuidedPlanes rows, whose margins they lay out), form the window sums in
// registers and give the rows denoiseRowAvx2 and detailRowAvx2 give, in eight 32-bit lanes.
void denoiseRowColumnsAvx2(int16_t* row, int32_t* ca, int32_t* cb, const BoxPlan& p);
void detailRowColumnsAvx2(const int16_t* v, int32_t* ca1, int32_t* cb1, int32_t* ca2, int32_t* cb2, int16_t* det,
                          int16_t* denoised, const BoxPlan& p, const DetailRowArgs& k);
void detailRowColumnsAvx2(const int32_t* v, int32_t* ca1, int32_t* cb1, int32_t* ca2, int32_t* cb2, int16_t* det,
                          int16_t* denoised, const BoxPlan& p, const DetailRowArgs& k);

// AVX-512 forms (GuidedAvx512.cpp), from SimdLevel::Avx512 up, with the same results.
void colAddSubSq16Avx512(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out, int n);
void colAddSubABAvx512(int32_t* ca, int64_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                       const int32_t* bo, int n);
void guidedRowCoefAvx512(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
                         int32_t* const* a, int32_t* const* b);
void guidedRowSumsAvx512(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb);
void colAddSubAB32Avx512(int32_t* ca, int32_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                         const int32_t* bo, int n);
void guidedRowSums32Avx512(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb);
void denoiseRowAvx512(int16_t* row, const int32_t* sa, const int64_t* sb, int w, int64_t n, int64_t nn);
void detailRowAvx512(const int16_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                     const int64_t* sb2, int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k);
void detailRowAvx512(const int32_t* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                     const int64_t* sb2, int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k);

// The row steps at the widest level in force (AVX2 or AVX-512); callers have checked for AVX2.
inline bool wide512() { return simdLevel() >= SimdLevel::Avx512; }
inline void colAddSubSq16Vec(int32_t* c1, int64_t* c2, const int16_t* in, const int16_t* out, int n) {
  wide512() ? colAddSubSq16Avx512(c1, c2, in, out, n) : colAddSubSq16Avx2(c1, c2, in, out, n);
}
inline void colAddSubABVec(int32_t* ca, int64_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                           const int32_t* bo, int n) {
  wide512() ? colAddSubABAvx512(ca, cb, ai, ao, bi, bo, n) : colAddSubABAvx2(ca, cb, ai, ao, bi, bo, n);
}
inline void colAddSubAB32Vec(int32_t* ca, int32_t* cb, const int32_t* ai, const int32_t* ao, const int32_t* bi,
                             const int32_t* bo, int n) {
  wide512() ? colAddSubAB32Avx512(ca, cb, ai, ao, bi, bo, n) : colAddSubAB32Avx2(ca, cb, ai, ao, bi, bo, n);
}
inline void guidedRowSums32Vec(int32_t* ca, int32_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb) {
  wide512() ? guidedRowSums32Avx512(ca, cb, p, sa, sb) : guidedRowSums32Avx2(ca, cb, p, sa, sb);
}
inline void denoiseRowVec(int16_t* row, const int32_t* sa, const int64_t* sb, int w, int64_t n, int64_t nn) {
  wide512() ? denoiseRowAvx512(row, sa, sb, w, n, nn) : denoiseRowAvx2(row, sa, sb, w, n, nn);
}
template <class In>
inline void detailRowVec(const In* v, const int32_t* sa1, const int64_t* sb1, const int32_t* sa2,
                         const int64_t* sb2, int16_t* det, int16_t* denoised, int w, const DetailRowArgs& k) {
  wide512() ? detailRowAvx512(v, sa1, sb1, sa2, sb2, det, denoised, w, k)
            : detailRowAvx2(v, sa1, sb1, sa2, sb2, det, denoised, w, k);
}

}  // namespace ostrel::alg
