// Square box mean filter with mirrored borders (the Alg_Mean* exports).
//
// Each output row is the horizontal running sum over the column sums of its window rows; the
// column sums slide down the frame, adding the row that enters and subtracting the row that
// leaves, so the cost per pixel does not depend on the window size.
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "alg/tools/ToolsCommon.h"

struct AlgMeanContext {
  void* buffer;  // first member: the shared free releases it
  int width, height, radius;
  int64_t pixels;
  int windowCount;
  size_t bufferSize;
  int32_t* columns;  // mirror(x) for x = -kMaxRadius .. width + kMaxRadius - 1
  int32_t* rows;     // width x mirror(y) for y = -kMaxRadius .. height + kMaxRadius - 1
  int32_t* extended; // width + 2 kMaxRadius: the window's column sums of the current row with
                     // the mirrored borders laid out on both sides
  uint32_t* prefix;  // width + 2 kMaxRadius + 1: prefix sums of the laid-out row
};

namespace {

constexpr int kMaxRadius = 64;
constexpr int kMinSide = 32;

// Reflects about the ends (-1 | 0 and n - 1 | n) until the index lies inside, so a window wider
// than the frame folds back and forth instead of reading outside it.
int mirror(int i, int n) {
  while (i < 0 || i >= n) i = i < 0 ? -i - 1 : 2 * n - i - 1;
  return i;
}

void unsize(AlgMeanContext* m) {
  std::free(m->buffer);
  m->buffer = nullptr;
  m->bufferSize = 0;
  m->width = m->height = m->radius = 0;
  m->pixels = 0;
  m->windowCount = 0;
}

bool sizeFor(AlgMeanContext* m, int width, int height, int radius) {
  if (m->buffer && m->width == width && m->height == height && m->radius == radius) return true;
  const size_t words = size_t(width + 2 * kMaxRadius) * 3 + size_t(height + 2 * kMaxRadius) + 1;
  const size_t need = words * sizeof(int32_t);
  if (!m->buffer || m->bufferSize < need) {
    unsize(m);
    void* block = ostrel::alg::algAlloc(need);
    if (!block) return false;
    std::memset(block, 0, need);
    m->buffer = block;
    m->bufferSize = need;
  }
  auto* p = static_cast<int32_t*>(m->buffer);
  m->columns = p;
  p += width + 2 * kMaxRadius;
  m->rows = p;
  p += height + 2 * kMaxRadius;
  m->extended = p;
  p += width + 2 * kMaxRadius;
  m->prefix = reinterpret_cast<uint32_t*>(p);
  for (int x = -kMaxRadius; x < width + kMaxRadius; ++x) m->columns[x + kMaxRadius] = mirror(x, width);
  for (int y = -kMaxRadius; y < height + kMaxRadius; ++y) m->rows[y + kMaxRadius] = width * mirror(y, height);
  m->width = width;
  m->height = height;
  m->radius = radius;
  m->pixels = int64_t(width) * height;
  m->windowCount = (2 * radius + 1) * (2 * radius + 1);
  return true;
}

// Truncation toward zero of a window sum divided by the window count, through one multiply by
// an inverse enlarged by 2^-40: it lifts an exact quotient k (|k| <= 32768) above the rounding
// of the double products (under 2^-51 relative) without carrying any other quotient across the
// next integer, which lies at least 1/count (> 2^-15) away. The sign needs no special case.
double truncatingInverse(int count) { return (1.0 / count) * (1.0 + 1.0 / (int64_t(1) << 40)); }

// Running window sums along the laid-out row: prefix sums (wrapping in 32 bits; the differences
// of neighbouring prefixes are the window sums, which fit), then one difference per pixel.
void meanRowScalar(const int32_t* ext, uint32_t* prefix, int16_t* dst, int w, int r, double inverse) {
  const int n = w + 2 * r;
  uint32_t run = 0;
  prefix[0] = 0;
  for (int k = 0; k < n; ++k) prefix[k + 1] = run += uint32_t(ext[k]);
  for (int x = 0; x < w; ++x) {
    const auto sum = int32_t(prefix[x + 2 * r + 1] - prefix[x]);
    dst[x] = int16_t(int32_t(double(sum) * inverse));
  }
}

void columnStepScalar(int32_t* colSums, const int16_t* enter, const int16_t* leave, int w) {
  for (int x = 0; x < w; ++x) colSums[x] += enter[x] - leave[x];
}

#if defined(__SSE2__)
__m128i divideFour(__m128i sums, __m128d inverse) {
  const __m128d lo = _mm_mul_pd(_mm_cvtepi32_pd(sums), inverse);
  const __m128d hi = _mm_mul_pd(_mm_cvtepi32_pd(_mm_shuffle_epi32(sums, 0xEE)), inverse);
  return _mm_unpacklo_epi64(_mm_cvttpd_epi32(lo), _mm_cvttpd_epi32(hi));
}

void meanRowSse2(const int32_t* ext, uint32_t* prefix, int16_t* dst, int w, int r, double inverse) {
  const int n = w + 2 * r;
  prefix[0] = 0;
  __m128i carry = _mm_setzero_si128();
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ext + k));
    v = _mm_add_epi32(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi32(v, _mm_slli_si128(v, 8));
    v = _mm_add_epi32(v, carry);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(prefix + k + 1), v);
    carry = _mm_shuffle_epi32(v, 0xFF);
  }
  for (uint32_t run = prefix[k]; k < n; ++k) prefix[k + 1] = run += uint32_t(ext[k]);
  const __m128d inv = _mm_set1_pd(inverse);
  const int span = 2 * r + 1;
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m128i s0 = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x + span)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x)));
    const __m128i s1 = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x + 4 + span)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x + 4)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                     _mm_packs_epi32(divideFour(s0, inv), divideFour(s1, inv)));
  }
  for (; x < w; ++x) {
    const auto sum = int32_t(prefix[x + span] - prefix[x]);
    dst[x] = int16_t(int32_t(double(sum) * inverse));
  }
}

void columnStepSse2(int32_t* colSums, const int16_t* enter, const int16_t* leave, int w) {
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m128i e = _mm_loadu_si128(reinterpret_cast<const __m128i*>(enter + x));
    const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(leave + x));
    // Sign-extend to 32 bits: the 16-bit difference of two codes can overflow.
    const __m128i eLo = _mm_srai_epi32(_mm_unpacklo_epi16(e, e), 16), eHi = _mm_srai_epi32(_mm_unpackhi_epi16(e, e), 16);
    const __m128i lLo = _mm_srai_epi32(_mm_unpacklo_epi16(l, l), 16), lHi = _mm_srai_epi32(_mm_unpackhi_epi16(l, l), 16);
    auto* c = reinterpret_cast<__m128i*>(colSums + x);
    _mm_storeu_si128(c, _mm_add_epi32(_mm_loadu_si128(c), _mm_sub_epi32(eLo, lLo)));
    _mm_storeu_si128(c + 1, _mm_add_epi32(_mm_loadu_si128(c + 1), _mm_sub_epi32(eHi, lHi)));
  }
  columnStepScalar(colSums + x, enter + x, leave + x, w - x);
}
__attribute__((target("avx2"))) void meanRowAvx2(const int32_t* ext, uint32_t* prefix, int16_t* dst, int w, int r,
                                                 double inverse) {
  const int n = w + 2 * r;
  prefix[0] = 0;
  __m128i carry = _mm_setzero_si128();
  int k = 0;
  for (; k + 4 <= n; k += 4) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(ext + k));
    v = _mm_add_epi32(v, _mm_slli_si128(v, 4));
    v = _mm_add_epi32(v, _mm_slli_si128(v, 8));
    v = _mm_add_epi32(v, carry);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(prefix + k + 1), v);
    carry = _mm_shuffle_epi32(v, 0xFF);
  }
  for (uint32_t run = prefix[k]; k < n; ++k) prefix[k + 1] = run += uint32_t(ext[k]);
  const __m256d inv = _mm256_set1_pd(inverse);
  const int span = 2 * r + 1;
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m128i s0 = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x + span)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x)));
    const __m128i s1 = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x + 4 + span)),
                                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix + x + 4)));
    const __m256d q0 = _mm256_mul_pd(_mm256_cvtepi32_pd(s0), inv);
    const __m256d q1 = _mm256_mul_pd(_mm256_cvtepi32_pd(s1), inv);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x),
                     _mm_packs_epi32(_mm256_cvttpd_epi32(q0), _mm256_cvttpd_epi32(q1)));
  }
  for (; x < w; ++x) {
    const auto sum = int32_t(prefix[x + span] - prefix[x]);
    dst[x] = int16_t(int32_t(double(sum) * inverse));
  }
}

__attribute__((target("avx2"))) void columnStepAvx2(int32_t* colSums, const int16_t* enter, const int16_t* leave,
                                                    int w) {
  int x = 0;
  for (; x + 8 <= w; x += 8) {
    const __m256i e = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(enter + x)));
    const __m256i l = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(leave + x)));
    auto* c = reinterpret_cast<__m256i*>(colSums + x);
    _mm256_storeu_si256(c, _mm256_add_epi32(_mm256_loadu_si256(c), _mm256_sub_epi32(e, l)));
  }
  columnStepScalar(colSums + x, enter + x, leave + x, w - x);
}
#endif

}  // namespace

extern "C" OSTREL_API AlgMeanContext* Alg_MeanCreate(void) {
  return static_cast<AlgMeanContext*>(std::calloc(1, sizeof(AlgMeanContext)));
}

extern "C" OSTREL_API int Alg_MeanExecute(AlgMeanContext* ctx, int windowSize, int width, int height,
                                          const int16_t* src, int16_t* dst) {
  if (!ctx || !src || !dst) return OSTREL_E_ARGUMENT;
  if (width < kMinSide || height < kMinSide || windowSize < 3 || windowSize > 2 * kMaxRadius + 2) return -1;
  if (int64_t(width) * height > ostrel::alg::tools::kMaxToolPixels) return -1;
  const int r = (windowSize - 1) / 2;
  if (!sizeFor(ctx, width, height, r)) return -2;

  const int w = width;
  const int32_t* rows = ctx->rows + kMaxRadius;
  const int32_t* cols = ctx->columns + kMaxRadius;
  int32_t* ext = ctx->extended;  // ext[k] = colSums[mirror(k - r)]
  int32_t* colSums = ext + r;     // the middle of the laid-out row, so rows need no copy
  const double inverse = truncatingInverse(ctx->windowCount);
  auto row = meanRowScalar;
  auto step = columnStepScalar;
#if defined(__SSE2__)
  if (ostrel::alg::simdLevel() >= ostrel::alg::SimdLevel::Avx2) {
    row = meanRowAvx2;
    step = columnStepAvx2;
  } else if (ostrel::alg::simdLevel() == ostrel::alg::SimdLevel::Sse2) {
    row = meanRowSse2;
    step = columnStepSse2;
  }
#endif

  std::memset(colSums, 0, size_t(w) * sizeof(int32_t));
  for (int dy = -r; dy <= r; ++dy) {
    const int16_t* s = src + rows[dy];
    for (int x = 0; x < w; ++x) colSums[x] += s[x];
  }
  for (int y = 0; y < height; ++y) {
    for (int x = -r; x < 0; ++x) ext[x + r] = colSums[cols[x]];
    for (int x = w; x < w + r; ++x) ext[x + r] = colSums[cols[x]];
    row(ext, ctx->prefix, dst + int64_t(y) * w, w, r, inverse);
    if (y + 1 < height) step(colSums, src + rows[y + r + 1], src + rows[y - r], w);
  }
  return 0;
}
