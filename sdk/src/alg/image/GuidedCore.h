// Shared core of the guided filters (denoise, destripe, detail enhancement): mirror tables,
// running window sums, reciprocal tables and exact divisions.
//
// Width rules: window sums of codes fit 32 bits (33 x 33 x 32768 < 2^31) but sums of squares
// and of the offsets b do not (radius 2 with codes near 9300 already overflows), so those are
// kept in 64 bits everywhere.
#pragma once

#include <cstddef>
#include <cstdint>

#include "alg/common/AlgCommon.h"

namespace ostrel::alg {

// Work buffers come from algAllocZeroed (alg/common/AlgCommon.h); vector paths run from
// SimdLevel::Sse2 up.

// ---- Mirror tables -----------------------------------------------------------------------
// Reflection with the edge pixel repeated (-1 -> 0, n -> n - 1), applied repeatedly so any index
// lands inside 0..n-1 even when the window is wider than the plane.
inline int mirrorIndex(int i, int n) {
  if (n <= 1) return 0;
  const int period = 2 * n;
  int m = i % period;
  if (m < 0) m += period;
  return m < n ? m : period - 1 - m;
}
// table[i + r] = mul x mirror(i, n) for i = -r .. n + r - 1 (n + 2r entries).
void fillMirror(int32_t* table, int n, int r, int32_t mul);

// ---- Reciprocal tables -------------------------------------------------------------------
// T[v] = v x 2^20 / (c + 1024 v) for v = 1 .. size - 1 (64-bit, truncated), T[0] = 0: the
// coefficient var / (var + eps) in 1/1024 for the scaled variance v. c > 0.
void fillReciprocal(uint16_t* table, size_t size, int64_t c);
// The same coefficient for any index: the table inside it, the formula beyond it (so a high
// variance is not capped at the last entry), the last entry for a negative index.
inline int32_t coefLookup(const uint16_t* table, int64_t size, int64_t c, int64_t v) {
  if (v < 0) return table[size - 1];
  if (v < size) return table[v];
  return static_cast<int32_t>((v << 20) / (c + 1024 * v));
}

// ---- Exact division ----------------------------------------------------------------------
// floor(x / d) for a fixed 0 < d < 2^40, exact for every int64 x. Values near 0 (|x| < d x 2^20, all the
// guided filters produce) take a multiply by the rounded-up reciprocal 2^64 / d after a bias
// that makes them positive; the product's high half is then the exact quotient because the
// biased value stays below 2^64 / d.
struct FloorDiv {
  int64_t d = 1;
  uint64_t m = 0;     // floor(2^64 / d) + 1
  int64_t bias = 0;   // d x 2^20
  int64_t limit = 0;  // biased values below this take the fast path
  void set(int64_t divisor) {
    d = divisor;
    m = d == 1
            ? 0
            : static_cast<uint64_t>((static_cast<unsigned __int128>(1) << 64) / static_cast<uint64_t>(d)) + 1;
    bias = d << 20;
    limit =
        d == 1
            ? 0
            : static_cast<int64_t>((static_cast<unsigned __int128>(1) << 64) / static_cast<uint64_t>(d) / 2);
    if (limit > (bias << 1)) limit = bias << 1;
  }
  int64_t operator()(int64_t x) const {
    const uint64_t biased = static_cast<uint64_t>(x) + static_cast<uint64_t>(bias);  // wraps, no UB
    if (x > -bias && biased < static_cast<uint64_t>(limit)) {
      const uint64_t q = static_cast<uint64_t>((static_cast<unsigned __int128>(biased) * m) >> 64);
      return static_cast<int64_t>(q) - (1LL << 20);
    }
    if (d == 1) return x;
    const int64_t q = x / d;
    return q - static_cast<int64_t>((x % d != 0) && (x < 0));
  }
};

// Signed division by a fixed 32-bit divisor by multiply-and-shift (magic number), giving the
// same truncated quotient as `/`. Divisors 1 and -1 are handled as special cases.
struct MagicDiv {
  int32_t divisor = 1;
  int32_t multiplier = 0;
  int32_t shift = 0;
  void set(int32_t d);  // d != 0
  int32_t operator()(int32_t n) const {
    if (divisor == 1) return n;
    if (divisor == -1) return static_cast<int32_t>(-static_cast<int64_t>(n));
    int32_t q = static_cast<int32_t>((static_cast<int64_t>(multiplier) * n) >> 32);
    if (divisor > 0 && multiplier < 0) q += n;
    if (divisor < 0 && multiplier > 0) q -= n;
    q >>= shift;
    q += static_cast<int32_t>(static_cast<uint32_t>(q) >> 31);  // toward zero for negatives
    return q;
  }
};

// ---- Running window sums -----------------------------------------------------------------
// A plane of w x h values and a square window of radius r, read through mirror tables:
// mx[x + r] is the mirrored column, my[y + r] is w x the mirrored row.
struct BoxPlan {
  int w = 0, h = 0, r = 0;
  const int32_t* mx = nullptr;  // w + 2r entries
  const int32_t* my = nullptr;  // h + 2r entries
};

// acc[i] += add[i] - sub[i] over n values, scalar or SSE2 (identical results).
void addSub32(int32_t* acc, const int32_t* add, const int32_t* sub, int n);
void addSub16to32(int32_t* acc, const int16_t* add, const int16_t* sub, int n);

inline int16_t sat16(int64_t v) {
  return static_cast<int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

// Bytes of a block of `n` elements of T, rounded up to 64 so each plane stays aligned.
template <class T>
constexpr size_t planeBytes(size_t n) {
  return (n * sizeof(T) + 63) & ~static_cast<size_t>(63);
}

// Cuts consecutive aligned planes out of one block.
class Carver {
 public:
  // A null base only measures: take() then returns null and used() is the block size needed.
  explicit Carver(void* base) : base_(reinterpret_cast<uintptr_t>(base)) {}
  template <class T>
  T* take(size_t n) {
    T* r = base_ ? reinterpret_cast<T*>(base_ + used_) : nullptr;
    used_ += planeBytes<T>(n);
    return r;
  }
  size_t used() const { return used_; }

 private:
  uintptr_t base_;
  size_t used_ = 0;
};

// ---- The two-pass guided filter ----------------------------------------------------------
// Coefficient table of one filter: a = var / (var + eps) in 1/1024, looked up by
// (N x S2 - S1 x S1) >> 10 with N the window size; c = N x N x eps.
struct GuidedCoef {
  const uint16_t* table = nullptr;
  int64_t size = 0;
  int64_t c = 1;
};

// Work planes of a guided filter over a w x h guide with up to two coefficient sets. The window
// sums run vertically first (column sums updated by the row entering and the row leaving the
// window, read straight from the guide or the coefficient planes), then horizontally along the
// row, so only the coefficients a and b are stored as whole planes.
struct GuidedPlanes {
  // The column-sum rows lie inside buffers with kMargin entries before and kMargin + 16 after,
  // where the vector paths lay the row's mirrored ends out in place.
  static constexpr int kMargin = 16;
  int32_t* col1 = nullptr;  // w: column sums of v
  int64_t* col2 = nullptr;  // w: column sums of v x v
  int32_t* a[2] = {};       // w x h coefficients a (1/1024)
  int32_t* b[2] = {};       // w x h offsets b
  int32_t* colA[2] = {};    // w: column sums of a
  int64_t* colB[2] = {};    // w: column sums of b
  int32_t* accA[2] = {};    // w: window sums Sa of the current row
  int64_t* accB[2] = {};    // w: window sums Sb
  // Set by the interleaved passes (GuidedFused.h) where the output folds the second pass in:
  // out(y, ...) then finds the 32-bit column sums of a and b of row y in colA and colB32(f), and
  // no window sums.
  bool columnSums = false;
  int32_t* colB32(int f) const { return reinterpret_cast<int32_t*>(colB[f]); }

  // Lays the planes out from `c` (nullptr base to measure).
  void carve(Carver& c, int w, int h, int filters) {
    const size_t n = static_cast<size_t>(w) * h;
    col1 = withMargin(c.take<int32_t>(rowWithMargins(w)));
    col2 = withMargin(c.take<int64_t>(rowWithMargins(w)));
    for (int f = 0; f < filters; ++f) {
      a[f] = c.take<int32_t>(n);
      b[f] = c.take<int32_t>(n);
      colA[f] = withMargin(c.take<int32_t>(rowWithMargins(w)));
      colB[f] = withMargin(c.take<int64_t>(rowWithMargins(w)));
      accA[f] = c.take<int32_t>(w);
      accB[f] = c.take<int64_t>(w);
    }
  }

 private:
  static size_t rowWithMargins(int w) { return static_cast<size_t>(w) + 3 * kMargin; }
  template <class T>
  static T* withMargin(T* p) {
    return p ? p + kMargin : nullptr;
  }
};

// Column sums of v and v x v: start() sums rows -r..r; next(y) adds row y + r and drops row
// y - r - 1 (scalar or SSE2 for int16 guides, identical results).
void colStartSq16(int32_t* c1, int64_t* c2, const int16_t* guide, const BoxPlan& p);
void colStartSq32(int32_t* c1, int64_t* c2, const int32_t* guide, const BoxPlan& p);
void colNextSq16(int32_t* c1, int64_t* c2, const int16_t* guide, int y, const BoxPlan& p);
void colNextSq32(int32_t* c1, int64_t* c2, const int32_t* guide, int y, const BoxPlan& p);
// Column sums of a (32 bits) and b (64 bits).
void colStartAB(int32_t* ca, int64_t* cb, const int32_t* a, const int32_t* b, const BoxPlan& p);
void colNextAB(int32_t* ca, int64_t* cb, const int32_t* a, const int32_t* b, int y, const BoxPlan& p);

// AVX2 forms of the row steps (GuidedAvx2.cpp), from SimdLevel::Avx2 up. First pass, one row:
// the window sums of c1, c2 and per filter a and b as guidedCoefficients computes them. Second
// pass: the window sums of the column sums of a and b. The column-sum rows are GuidedPlanes rows
// (with margins, which the kernels overwrite).
void guidedRowCoefAvx2(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
                       int32_t* const* a, int32_t* const* b);
void guidedRowSumsAvx2(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb);

// The same row steps at the widest level in force (AVX2 or AVX-512); from SimdLevel::Avx2 up.
void guidedRowCoefVec(int32_t* c1, int64_t* c2, const BoxPlan& p, int filters, const GuidedCoef* coef,
                      int32_t* const* a, int32_t* const* b);
void guidedRowSumsVec(int32_t* ca, int64_t* cb, const BoxPlan& p, int32_t* sa, int64_t* sb);

// Calls f(x, sum1, sum2) with the horizontal window sums of two column-sum rows.
template <class T1, class T2, class F>
inline void rowWindow(const T1* c1, const T2* c2, const BoxPlan& p, F&& f) {
  const int w = p.w, r = p.r;
  const int32_t* mx = p.mx;
  T1 s1 = 0;
  T2 s2 = 0;
  for (int i = -r; i <= r; ++i) s1 += c1[mx[i + r]], s2 += c2[mx[i + r]];
  f(0, s1, s2);
  // Columns x - 1 - r and x + r lie inside the row for x in r + 1 .. w - 1 - r.
  const int lo = w < r + 1 ? w : r + 1;
  const int hi = w - r > lo ? w - r : lo;
  for (int x = 1; x < lo; ++x) {
    s1 += c1[mx[x + 2 * r]] - c1[mx[x - 1]], s2 += c2[mx[x + 2 * r]] - c2[mx[x - 1]];
    f(x, s1, s2);
  }
  for (int x = lo; x < hi; ++x) {
    s1 += c1[x + r] - c1[x - 1 - r], s2 += c2[x + r] - c2[x - 1 - r];
    f(x, s1, s2);
  }
  for (int x = hi; x < w; ++x) {
    s1 += c1[mx[x + 2 * r]] - c1[mx[x - 1]], s2 += c2[mx[x + 2 * r]] - c2[mx[x - 1]];
    f(x, s1, s2);
  }
}

// First pass: window sums S1, S2 of the guide, per pixel q = (N S2 - S1^2) >> 10 (64 bits),
// a = coef(q), b = S1 - (S1 a >> 10).
template <class In>
void guidedCoefficients(const In* guide, const BoxPlan& p, GuidedPlanes& g, int filters,
                        const GuidedCoef* coef) {
  const int w = p.w;
  const int64_t n = static_cast<int64_t>(2 * p.r + 1) * (2 * p.r + 1);
  for (int y = 0; y < p.h; ++y) {
    if constexpr (sizeof(In) == 2) {
      if (y == 0) {
        colStartSq16(g.col1, g.col2, guide, p);
      } else {
        colNextSq16(g.col1, g.col2, guide, y, p);
      }
    } else {
      if (y == 0) {
        colStartSq32(g.col1, g.col2, guide, p);
      } else {
        colNextSq32(g.col1, g.col2, guide, y, p);
      }
    }
    const size_t off = static_cast<size_t>(y) * w;
    if (simdLevel() >= SimdLevel::Avx2) {
      int32_t* const a[2] = {g.a[0] + off, filters > 1 ? g.a[1] + off : nullptr};
      int32_t* const b[2] = {g.b[0] + off, filters > 1 ? g.b[1] + off : nullptr};
      guidedRowCoefVec(g.col1, g.col2, p, filters, coef, a, b);
      continue;
    }
    int32_t* a0 = g.a[0] + off;
    int32_t* b0 = g.b[0] + off;
    int32_t* a1 = filters > 1 ? g.a[1] + off : nullptr;
    int32_t* b1 = filters > 1 ? g.b[1] + off : nullptr;
    rowWindow(g.col1, g.col2, p, [&](int x, int32_t s1i, int64_t s2) {
      const int64_t s1 = s1i;
      const int64_t q = (n * s2 - s1 * s1) >> 10;
      const int32_t a = coefLookup(coef[0].table, coef[0].size, coef[0].c, q);
      a0[x] = a;
      b0[x] = static_cast<int32_t>(s1 - ((s1 * a) >> 10));
      if (a1) {
        const int32_t a2 = coefLookup(coef[1].table, coef[1].size, coef[1].c, q);
        a1[x] = a2;
        b1[x] = static_cast<int32_t>(s1 - ((s1 * a2) >> 10));
      }
    });
  }
}

// Second pass: hands every row y of window sums Sa, Sb (per filter) to out(y, g).
template <class Out>
void guidedWindowSums(const BoxPlan& p, GuidedPlanes& g, int filters, Out&& out) {
  g.columnSums = false;
  for (int y = 0; y < p.h; ++y) {
    for (int f = 0; f < filters; ++f) {
      if (y == 0) {
        colStartAB(g.colA[f], g.colB[f], g.a[f], g.b[f], p);
      } else {
        colNextAB(g.colA[f], g.colB[f], g.a[f], g.b[f], y, p);
      }
      int32_t* sa = g.accA[f];
      int64_t* sb = g.accB[f];
      if (simdLevel() >= SimdLevel::Avx2) {
        guidedRowSumsVec(g.colA[f], g.colB[f], p, sa, sb);
        continue;
      }
      rowWindow(g.colA[f], g.colB[f], p, [&](int x, int32_t a, int64_t b) {
        sa[x] = a;
        sb[x] = b;
      });
    }
    out(y, g);
  }
}

}  // namespace ostrel::alg
