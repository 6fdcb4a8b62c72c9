// 3 x 3 median filter with a reusable padded work buffer, and the small 3-tap medians.
#include <immintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"

struct AlgMedianContext {
  uint32_t width;
  uint32_t height;
  uint32_t capacity;  // values the work buffer holds
  int16_t* buffer;    // room for (width + 2) x (height + 5); the filter uses 6 rows of width + 2
};

namespace ostrel::alg {

namespace {

inline int16_t med3(int16_t a, int16_t b, int16_t c) {
  return std::max(std::min(a, b), std::min(std::max(a, b), c));
}

// Reference: the fifth of the nine values in order, found by five bubble passes.
void medianRowScalar(const int16_t* a, const int16_t* b, const int16_t* c, int16_t* out, int w, int16_t*) {
  for (int x = 0; x < w; ++x) {
    int16_t v[9] = {a[x], a[x + 1], a[x + 2], b[x], b[x + 1], b[x + 2], c[x], c[x + 1], c[x + 2]};
    for (int pass = 0; pass < 5; ++pass)
      for (int i = 0; i < 8 - pass; ++i)
        if (v[i] > v[i + 1]) std::swap(v[i], v[i + 1]);
    out[x] = v[4];
  }
}

// Vector form: each column of three is sorted once per output row (pass 1, into lo / mid / hi
// rows), then the median of nine is the median of (largest of the three column minima, median of
// the column medians, smallest of the column maxima) (pass 2).
__attribute__((target("sse2"))) void medianRowSse2(const int16_t* a, const int16_t* b, const int16_t* c,
                                                   int16_t* out, int w, int16_t* tmp) {
  auto load = [](const int16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  auto store = [](int16_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); };
  const int pw = w + 2;
  int16_t* lo = tmp;
  int16_t* mid = tmp + pw;
  int16_t* hi = tmp + 2 * pw;
  int x = 0;
  for (; x + 8 <= pw; x += 8) {
    __m128i p = load(a + x), q = load(b + x), r = load(c + x);
    __m128i mn = _mm_min_epi16(p, q), mx = _mm_max_epi16(p, q), t = _mm_max_epi16(mn, r);
    store(lo + x, _mm_min_epi16(mn, r));
    store(mid + x, _mm_min_epi16(mx, t));
    store(hi + x, _mm_max_epi16(mx, t));
  }
  for (; x < pw; ++x) {
    const int16_t mn = std::min(a[x], b[x]), mx = std::max(a[x], b[x]);
    const int16_t t = std::max(mn, c[x]);
    lo[x] = std::min(mn, c[x]);
    mid[x] = std::min(mx, t);
    hi[x] = std::max(mx, t);
  }
  for (x = 0; x + 8 <= w; x += 8) {
    __m128i l = _mm_max_epi16(_mm_max_epi16(load(lo + x), load(lo + x + 1)), load(lo + x + 2));
    __m128i h = _mm_min_epi16(_mm_min_epi16(load(hi + x), load(hi + x + 1)), load(hi + x + 2));
    __m128i m0 = load(mid + x), m1 = load(mid + x + 1), m2 = load(mid + x + 2);
    __m128i m = _mm_max_epi16(_mm_min_epi16(m0, m1), _mm_min_epi16(_mm_max_epi16(m0, m1), m2));
    store(out + x, _mm_max_epi16(_mm_min_epi16(l, m), _mm_min_epi16(_mm_max_epi16(l, m), h)));
  }
  if (x < w) medianRowScalar(a + x, b + x, c + x, out + x, w - x, nullptr);
}

// ---- AVX2: two output rows per pass, all in registers --------------------------------------
// Output rows y and y + 1 read padded rows a, b, c and b, c, d: the middle pair (b, c) is ordered
// once for both. The column sorts of 16 columns are kept in registers and the two neighbouring
// columns come from shifting them against the next 16, so nothing goes through a work row.

struct ColumnSort {
  __m256i lo, mid, hi;
};

__attribute__((target("avx2"), always_inline)) inline __m256i load256(const int16_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"), always_inline)) inline __m256i med3(__m256i a, __m256i b, __m256i c) {
  return _mm256_max_epi16(_mm256_min_epi16(a, b), _mm256_min_epi16(_mm256_max_epi16(a, b), c));
}

// Sorts columns x .. x + 15 of (a, b, c) into s0 and of (b, c, d) into s1.
__attribute__((target("avx2"), always_inline)) inline void sortColumns(const int16_t* a, const int16_t* b,
                                                                       const int16_t* c, const int16_t* d, int x,
                                                                       ColumnSort& s0, ColumnSort& s1) {
  const __m256i q = load256(b + x), r = load256(c + x);
  const __m256i mn = _mm256_min_epi16(q, r), mx = _mm256_max_epi16(q, r);
  const __m256i p = load256(a + x), t = load256(d + x);
  s0 = {_mm256_min_epi16(mn, p), _mm256_max_epi16(mn, _mm256_min_epi16(mx, p)), _mm256_max_epi16(mx, p)};
  s1 = {_mm256_min_epi16(mn, t), _mm256_max_epi16(mn, _mm256_min_epi16(mx, t)), _mm256_max_epi16(mx, t)};
}

// Lane-crossing shift by one and two int16 columns: the high half of v and the low half of
// `following` form the middle, palignr then takes 16 bytes from each 128-bit pair.
__attribute__((target("avx2"), always_inline)) inline void shifted(__m256i v, __m256i following, __m256i& by1,
                                                                   __m256i& by2) {
  const __m256i middle = _mm256_permute2x128_si256(v, following, 0x21);
  by1 = _mm256_alignr_epi8(middle, v, 2);
  by2 = _mm256_alignr_epi8(middle, v, 4);
}

// The median of nine from the column sorts of three neighbouring columns.
__attribute__((target("avx2"), always_inline)) inline __m256i median9(__m256i lo0, __m256i lo1, __m256i lo2,
                                                                      __m256i mid0, __m256i mid1, __m256i mid2,
                                                                      __m256i hi0, __m256i hi1, __m256i hi2) {
  const __m256i l = _mm256_max_epi16(_mm256_max_epi16(lo0, lo1), lo2);
  const __m256i h = _mm256_min_epi16(_mm256_min_epi16(hi0, hi1), hi2);
  return med3(l, med3(mid0, mid1, mid2), h);
}

// The 16 medians whose windows start at the columns of `cur`, with `next` the 16 columns after.
__attribute__((target("avx2"), always_inline)) inline __m256i median9(const ColumnSort& cur,
                                                                      const ColumnSort& next) {
  __m256i l1, l2, m1, m2, h1, h2;
  shifted(cur.lo, next.lo, l1, l2);
  shifted(cur.mid, next.mid, m1, m2);
  shifted(cur.hi, next.hi, h1, h2);
  return median9(cur.lo, l1, l2, cur.mid, m1, m2, cur.hi, h1, h2);
}

// Both rows at output columns x .. x + 15 from three column sorts each (unaligned loads).
__attribute__((target("avx2"), always_inline)) inline void medianPairAt(const int16_t* a, const int16_t* b,
                                                                        const int16_t* c, const int16_t* d,
                                                                        int16_t* o0, int16_t* o1, int x) {
  ColumnSort s0[3], s1[3];
  for (int j = 0; j < 3; ++j) sortColumns(a, b, c, d, x + j, s0[j], s1[j]);
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o0 + x), median9(s0[0].lo, s0[1].lo, s0[2].lo, s0[0].mid,
                                                                  s0[1].mid, s0[2].mid, s0[0].hi, s0[1].hi,
                                                                  s0[2].hi));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(o1 + x), median9(s1[0].lo, s1[1].lo, s1[2].lo, s1[0].mid,
                                                                  s1[1].mid, s1[2].mid, s1[0].hi, s1[1].hi,
                                                                  s1[2].hi));
}

// a .. d are padded rows (w + 2 values); o0 and o1 receive w values each.
__attribute__((target("avx2"))) void medianRowPairAvx2(const int16_t* a, const int16_t* b, const int16_t* c,
                                                       const int16_t* d, int16_t* o0, int16_t* o1, int w) {
  if (w < 16) {
    medianRowScalar(a, b, c, o0, w, nullptr);
    medianRowScalar(b, c, d, o1, w, nullptr);
    return;
  }
  int x = 0;
  // The shifted form reads padded columns x .. x + 31.
  if (w + 2 >= 32) {
    ColumnSort cur0, cur1;
    sortColumns(a, b, c, d, 0, cur0, cur1);
    for (; x + 32 <= w + 2; x += 16) {
      ColumnSort next0, next1;
      sortColumns(a, b, c, d, x + 16, next0, next1);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(o0 + x), median9(cur0, next0));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(o1 + x), median9(cur1, next1));
      cur0 = next0;
      cur1 = next1;
    }
  }
  for (; x + 16 <= w; x += 16) medianPairAt(a, b, c, d, o0, o1, x);
  // The last columns again as one whole vector ending at the row's end; the values it
  // recomputes come out the same.
  if (x < w) medianPairAt(a, b, c, d, o0, o1, w - 16);
}

// One row of the padded frame: the row with its first and last value repeated outward.
inline void padRow(const int16_t* src, int w, int16_t* row) {
  row[0] = src[0];
  std::memcpy(row + 1, src, static_cast<size_t>(w) * sizeof(int16_t));
  row[w + 1] = src[w - 1];
}

}  // namespace

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API AlgMedianContext* Alg_MedianCreate(void) {
  void* p = algAlloc(sizeof(AlgMedianContext));
  if (p) std::memset(p, 0, sizeof(AlgMedianContext));
  return static_cast<AlgMedianContext*>(p);
}

extern "C" OSTREL_API int Alg_MedianExecute(AlgMedianContext* ctx, int width, int height, int16_t* values) {
  if (!ctx || !values || width < 3 || height < 3) return OSTREL_E_ARGUMENT;
  // The buffer keeps room for a padded frame and three work rows; the filter itself walks only
  // its first few rows.
  const uint64_t need = (static_cast<uint64_t>(width) + 2) * (static_cast<uint64_t>(height) + 5);
  if (need > UINT32_MAX) return OSTREL_E_ARGUMENT;
  if (ctx->width != static_cast<uint32_t>(width) || ctx->height != static_cast<uint32_t>(height)) {
    if (!ctx->buffer || ctx->capacity < need) {
      // Renew only once the new buffer is there: a failure keeps the old buffer and size.
      auto* fresh = static_cast<int16_t*>(algAlloc(need * sizeof(int16_t)));
      if (!fresh) return OSTREL_E_NO_MEMORY;
      std::free(ctx->buffer);
      ctx->buffer = fresh;
      ctx->capacity = static_cast<uint32_t>(need);
    }
    ctx->width = static_cast<uint32_t>(width);
    ctx->height = static_cast<uint32_t>(height);
  }
  // Padded row p (p = 0 .. height + 1; rows 0 and height + 1 repeat the first and last row) lives
  // in a ring slot only while the output rows that need it are made: output row y reads padded rows
  // y .. y + 2 and overwrites the caller's row y, which padded row y + 1 already holds. A few small
  // rows stay in the first-level cache where a whole padded frame would not.
  const size_t pw = static_cast<size_t>(width) + 2;
  int16_t* ring = ctx->buffer;
  auto source = [&](int r) { return values + static_cast<size_t>(std::clamp(r, 0, height - 1)) * width; };
  auto out = [&](int y) { return values + static_cast<size_t>(y) * width; };
  if (simdLevel() >= SimdLevel::Avx2) {
    // Two output rows a pass from four slots; an odd last row writes its partner into a spare row.
    auto slot = [&](int p) { return ring + static_cast<size_t>(p % 4) * pw; };
    int16_t* spare = ring + 4 * pw;
    padRow(source(0), width, slot(0));
    padRow(source(0), width, slot(1));
    for (int y = 0; y < height; y += 2) {
      padRow(source(y + 1), width, slot(y + 2));
      const bool pair = y + 1 < height;
      if (pair) padRow(source(y + 2), width, slot(y + 3));
      medianRowPairAvx2(slot(y), slot(y + 1), slot(y + 2), pair ? slot(y + 3) : slot(y + 2), out(y),
                        pair ? out(y + 1) : spare, width);
    }
    return 0;
  }
  auto row = simdLevel() == SimdLevel::Sse2 ? medianRowSse2 : medianRowScalar;
  auto slot = [&](int p) { return ring + static_cast<size_t>(p % 3) * pw; };
  int16_t* tmp = ring + 3 * pw;
  padRow(source(0), width, slot(0));
  padRow(source(0), width, slot(1));
  for (int y = 0; y < height; ++y) {
    padRow(source(y + 1), width, slot(y + 2));
    row(slot(y), slot(y + 1), slot(y + 2), out(y), width, tmp);
  }
  return 0;
}

extern "C" OSTREL_API void Alg_MedianFree(AlgMedianContext** ctx) {
  if (!ctx || !*ctx) return;
  std::free((*ctx)->buffer);
  std::free(*ctx);
  *ctx = nullptr;
}

extern "C" OSTREL_API int Alg_MedianExecuteX(int width, int height, int16_t* values, int16_t* scratch,
                                             int type) {
  if (type < 1 || type > 3) return OSTREL_E_UNSUPPORTED;
  if (!values || !scratch || width <= 0 || height <= 0) return OSTREL_E_ARGUMENT;
  const size_t w = static_cast<size_t>(width);
  const size_t n = w * static_cast<size_t>(height);
  if (type == 1) {
    if (width < 3) return OSTREL_E_ARGUMENT;
    for (int y = 0; y < height; ++y) {
      int16_t* row = values + y * w;
      std::memcpy(scratch, row, w * sizeof(int16_t));
      const int16_t* s = scratch;
      row[0] = med3(s[0], s[1], s[2]);
      for (size_t x = 1; x + 1 < w; ++x) row[x] = med3(s[x - 1], s[x], s[x + 1]);
      row[w - 1] = med3(s[w - 3], s[w - 2], s[w - 1]);
    }
    return 0;
  }
  if (height < 3 || (type == 3 && width < 3)) return OSTREL_E_ARGUMENT;
  std::memcpy(scratch, values, n * sizeof(int16_t));
  auto s = [&](size_t y, size_t x) { return scratch[y * w + x]; };
  auto vmed = [&](size_t y, size_t x) { return med3(s(y - 1, x), s(y, x), s(y + 1, x)); };
  const size_t h = static_cast<size_t>(height);
  if (type == 2) {
    for (size_t x = 0; x < w; ++x) {
      values[x] = med3(s(0, x), s(1, x), s(2, x));
      values[(h - 1) * w + x] = med3(s(h - 3, x), s(h - 2, x), s(h - 1, x));
    }
    for (size_t y = 1; y + 1 < h; ++y)
      for (size_t x = 0; x < w; ++x) values[y * w + x] = vmed(y, x);
    return 0;
  }
  for (size_t y = 1; y + 1 < h; ++y)
    for (size_t x = 1; x + 1 < w; ++x) values[y * w + x] = med3(vmed(y, x - 1), vmed(y, x), vmed(y, x + 1));
  return 0;
}
