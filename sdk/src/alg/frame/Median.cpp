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
#define OSTREL_MEDIAN_BODY(VEC, LOAD, STORE, MIN, MAX, LANES)               \
  const int pw = w + 2;                                                     \
  int16_t* lo = tmp;                                                        \
  int16_t* mid = tmp + pw;                                                  \
  int16_t* hi = tmp + 2 * pw;                                               \
  int x = 0;                                                                \
  for (; x + LANES <= pw; x += LANES) {                                     \
    VEC p = LOAD(a + x), q = LOAD(b + x), r = LOAD(c + x);                  \
    VEC mn = MIN(p, q), mx = MAX(p, q), t = MAX(mn, r);                     \
    STORE(lo + x, MIN(mn, r));                                              \
    STORE(mid + x, MIN(mx, t));                                             \
    STORE(hi + x, MAX(mx, t));                                              \
  }                                                                         \
  for (; x < pw; ++x) {                                                     \
    const int16_t mn = std::min(a[x], b[x]), mx = std::max(a[x], b[x]);     \
    const int16_t t = std::max(mn, c[x]);                                   \
    lo[x] = std::min(mn, c[x]);                                             \
    mid[x] = std::min(mx, t);                                               \
    hi[x] = std::max(mx, t);                                                \
  }                                                                         \
  for (x = 0; x + LANES <= w; x += LANES) {                                 \
    VEC l = MAX(MAX(LOAD(lo + x), LOAD(lo + x + 1)), LOAD(lo + x + 2));     \
    VEC h = MIN(MIN(LOAD(hi + x), LOAD(hi + x + 1)), LOAD(hi + x + 2));     \
    VEC m0 = LOAD(mid + x), m1 = LOAD(mid + x + 1), m2 = LOAD(mid + x + 2); \
    VEC m = MAX(MIN(m0, m1), MIN(MAX(m0, m1), m2));                         \
    STORE(out + x, MAX(MIN(l, m), MIN(MAX(l, m), h)));                      \
  }                                                                         \
  if (x < w) medianRowScalar(a + x, b + x, c + x, out + x, w - x, nullptr);

#define OSTREL_LOAD128(p) _mm_loadu_si128(reinterpret_cast<const __m128i*>(p))
#define OSTREL_STORE128(p, v) _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v)
#define OSTREL_LOAD256(p) _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))
#define OSTREL_STORE256(p, v) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v)

__attribute__((target("sse2"))) void medianRowSse2(const int16_t* a, const int16_t* b, const int16_t* c,
                                                   int16_t* out, int w, int16_t* tmp) {
  OSTREL_MEDIAN_BODY(__m128i, OSTREL_LOAD128, OSTREL_STORE128, _mm_min_epi16, _mm_max_epi16, 8)
}

__attribute__((target("avx2"))) void medianRowAvx2(const int16_t* a, const int16_t* b, const int16_t* c,
                                                   int16_t* out, int w, int16_t* tmp) {
  OSTREL_MEDIAN_BODY(__m256i, OSTREL_LOAD256, OSTREL_STORE256, _mm256_min_epi16, _mm256_max_epi16, 16)
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
  // The padded copy, then three rows of sorted columns for the vector form.
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
  void (*row)(const int16_t*, const int16_t*, const int16_t*, int16_t*, int, int16_t*) = medianRowScalar;
  switch (simdLevel()) {
    case SimdLevel::Avx2:
      row = medianRowAvx2;
      break;
    case SimdLevel::Sse2:
      row = medianRowSse2;
      break;
    case SimdLevel::Scalar:
      break;
  }
  // Padded row p (p = 0 .. height + 1; rows 0 and height + 1 repeat the first and last row) lives
  // in ring slot p % 3 only while the three output rows that need it are made: output row y reads
  // padded rows y .. y + 2 and overwrites the caller's row y, which padded row y + 1 already holds.
  // Three small rows stay in the first-level cache where a whole padded frame would not.
  const size_t pw = static_cast<size_t>(width) + 2;
  int16_t* ring = ctx->buffer;
  int16_t* tmp = ring + 3 * pw;
  auto slot = [&](int p) { return ring + static_cast<size_t>(p % 3) * pw; };
  padRow(values, width, slot(0));
  padRow(values, width, slot(1));
  for (int y = 0; y < height; ++y) {
    padRow(values + static_cast<size_t>(std::min(y + 1, height - 1)) * width, width, slot(y + 2));
    row(slot(y), slot(y + 1), slot(y + 2), values + static_cast<size_t>(y) * width, width, tmp);
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
