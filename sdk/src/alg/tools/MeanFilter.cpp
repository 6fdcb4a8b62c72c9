// Square box mean filter with mirrored borders (the Alg_Mean* exports).
//
// Each output row is the horizontal running sum over the column sums of its window rows; the
// column sums slide down the frame, adding the row that enters and subtracting the row that
// leaves, so the cost per pixel does not depend on the window size.
#include <cstdlib>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/frame/FrameCommon.h"
#include "alg/tools/ToolsCommon.h"

struct AlgMeanContext {
  void* buffer;  // first member: the shared free releases it
  int width, height, radius;
  int64_t pixels;
  int windowCount;
  size_t bufferSize;
  int32_t* columns;  // mirror(x) for x = -kMaxRadius .. width + kMaxRadius - 1
  int32_t* rows;     // width x mirror(y) for y = -kMaxRadius .. height + kMaxRadius - 1
  int32_t* colSums;  // width: the window's column sums of the current row
  int32_t* extended; // width + 2 kMaxRadius: colSums with the mirrored borders laid out
  int32_t* rowSums;  // width: the window sums of the current row
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
  const size_t words = size_t(width + 2 * kMaxRadius) * 2 + size_t(height + 2 * kMaxRadius) + size_t(width) * 2;
  const size_t need = words * sizeof(int32_t);
  if (!m->buffer || m->bufferSize < need) {
    unsize(m);
    void* block = ostrel::alg::frameAlloc(need);
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
  m->colSums = p;
  p += width;
  m->extended = p;
  p += width + 2 * kMaxRadius;
  m->rowSums = p;
  for (int x = -kMaxRadius; x < width + kMaxRadius; ++x) m->columns[x + kMaxRadius] = mirror(x, width);
  for (int y = -kMaxRadius; y < height + kMaxRadius; ++y) m->rows[y + kMaxRadius] = width * mirror(y, height);
  m->width = width;
  m->height = height;
  m->radius = radius;
  m->pixels = int64_t(width) * height;
  m->windowCount = (2 * radius + 1) * (2 * radius + 1);
  return true;
}

// One row of window sums divided by the window count, truncated toward zero. The quotient of
// two integers this small is never within 2^-20 of an integer unless it is one, so the nudge
// makes the product truncate exactly as the integer division would.
void divideRow(const int32_t* sums, int16_t* dst, int n, int count) {
  const double inverse = 1.0 / count;
  constexpr double kNudge = 1.0 / (1 << 20);
  for (int x = 0; x < n; ++x) {
    const int32_t s = sums[x];
    const int32_t a = s < 0 ? -s : s;
    const int32_t q = int32_t(double(a) * inverse + kNudge);
    dst[x] = int16_t(s < 0 ? -q : q);
  }
}

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
  int32_t* colSums = ctx->colSums;
  int32_t* ext = ctx->extended + kMaxRadius;
  int32_t* rowSums = ctx->rowSums;

  std::memset(colSums, 0, size_t(w) * sizeof(int32_t));
  for (int dy = -r; dy <= r; ++dy) {
    const int16_t* s = src + rows[dy];
    for (int x = 0; x < w; ++x) colSums[x] += s[x];
  }
  for (int y = 0; y < height; ++y) {
    std::memcpy(ext, colSums, size_t(w) * sizeof(int32_t));
    for (int x = -r; x < 0; ++x) ext[x] = colSums[cols[x]];
    for (int x = w; x < w + r; ++x) ext[x] = colSums[cols[x]];
    int32_t sum = 0;
    for (int x = -r; x <= r; ++x) sum += ext[x];
    rowSums[0] = sum;
    for (int x = 1; x < w; ++x) {
      sum += ext[x + r] - ext[x - r - 1];
      rowSums[x] = sum;
    }
    divideRow(rowSums, dst + int64_t(y) * w, w, ctx->windowCount);
    if (y + 1 < height) {
      const int16_t* enter = src + rows[y + r + 1];
      const int16_t* leave = src + rows[y - r];
      for (int x = 0; x < w; ++x) colSums[x] += enter[x] - leave[x];
    }
  }
  return 0;
}
