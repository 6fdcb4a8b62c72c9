// The mt* measurement tools: whole-frame statistics of the live preview, single items, a
// configured set of exclusion regions and alarm items, and a cursor readout.
#include <immintrin.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "alg/measure/MeaGeometry.h"
#include "alg/measure/MtTools.h"

struct MtContext {
  int width;
  int height;
  int pixels;
  uint16_t scale;  // pair the LUT was last asked for
  int16_t offset;
  float lut[65536];  // degrees of every code; entry 32768 + c for code c
  // One block: the active MtConfig followed by 17 planes of width x height bytes (plane 0: pixel
  // counts for the whole frame; plane i + 1: polygon mask of item i).
  uint8_t* block;
};

namespace ostrel::alg {

namespace {

constexpr int kMaxWidth = 1280, kMaxHeight = 1024;
constexpr int kPlanes = 17;

inline float degrees(int code, const DataFrameHead& head) {
  // A scale of 0 would divide by zero; it counts as 1.
  const float scale = head.scale ? static_cast<float>(head.scale) : 1.0f;
  return static_cast<float>(code) / scale + static_cast<float>(head.offset);
}

// Running statistic: a strictly greater sample moves the maximum (and is not tested against
// the minimum), otherwise a strictly smaller one moves the minimum; ties keep the earliest.
struct Scan {
  bool started = false;
  int maxCode = 0, minCode = 0;
  int maxX = 0, maxY = 0, minX = 0, minY = 0;
  int64_t sum = 0;
  int64_t samples = 0;
  void add(int code, int x, int y) {
    if (!started) {
      started = true;
      maxCode = minCode = code;
      maxX = minX = x;
      maxY = minY = y;
    } else if (code > maxCode) {
      maxCode = code;
      maxX = x;
      maxY = y;
    } else if (code < minCode) {
      minCode = code;
      minX = x;
      minY = y;
    }
    sum += code;
    ++samples;
  }
  // Mean code truncated toward zero; `fallback` when nothing was counted.
  int mean(int fallback) const { return samples ? static_cast<int>(sum / samples) : fallback; }
};

// The code at (x, y), replaced by its 3 x 3 mean (sum / 9, truncated) off the frame border.
int finishCode(const int16_t* codes, int w, int h, int x, int y) {
  if (x < 1 || x > w - 2 || y < 1 || y > h - 2) return codes[static_cast<size_t>(y) * w + x];
  int sum = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) sum += codes[static_cast<size_t>(y + dy) * w + x + dx];
  return sum / 9;
}

void writePositions(const Scan& s, MtResult* r) {
  r->maxX = static_cast<uint16_t>(s.maxX);
  r->maxY = static_cast<uint16_t>(s.maxY);
  r->minX = static_cast<uint16_t>(s.minX);
  r->minY = static_cast<uint16_t>(s.minY);
}

// The line walk and the even-odd rule are the measurement engine's (MeaGeometry.h), so both
// families of tools count the same pixels for the same shape.
bool insidePolygon(const MtPoint* p, int n, int x, int y) {
  return polygonInside(p, n, x, y);
}

bool pointInside(const MtPoint& p, int w, int h) {
  return p.x < w && p.y < h;
}

void scanBox(const int16_t* codes, int w, int h, int x0, int y0, int x1, int y1, Scan& s) {
  x0 = std::clamp(x0, 0, w - 1);
  x1 = std::clamp(x1, 0, w - 1);
  y0 = std::clamp(y0, 0, h - 1);
  y1 = std::clamp(y1, 0, h - 1);
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) s.add(codes[static_cast<size_t>(y) * w + x], x, y);
}

void scanPolyline(const int16_t* codes, int w, const MtPoint* pts, int n, Scan& s) {
  if (n == 1) s.add(codes[static_cast<size_t>(pts[0].y) * w + pts[0].x], pts[0].x, pts[0].y);
  for (int i = 0; i + 1 < n; ++i)
    walkLine(pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y,
             [&](int x, int y) {
               s.add(codes[static_cast<size_t>(y) * w + x], x, y);
               return true;
             });
}

// Alarm level of one result by the item's rule.
int alarmLevel(const MtItem& item, float max, float min, float avg) {
  const float t1 = item.t1, t2 = item.t2, t3 = item.t3;
  if (item.kind == 0) {
    const float v = avg;
    switch (item.ruleType) {
      case 1:
        return v < t1 ? 0 : v < t2 ? 1 : v < t3 ? 2 : 3;
      case 2:
        return v < t1 ? 1 : 0;
      case 3:
      case 5:
        return t1 < v && v < t2 ? 1 : 0;
      case 4:
        return t1 < v && v < t2 ? 0 : 1;
      default:
        return 0;
    }
  }
  switch (item.ruleType) {
    case 1:
      return max < t1 ? 0 : max < t2 ? 1 : max < t3 ? 2 : 3;
    case 2:
      return min < t1 ? 1 : 0;
    case 3:
      return max < t2 && min > t1 ? 1 : 0;
    case 4:
      return max < t2 && min > t1 ? 0 : 1;
    case 5:
      return t1 < max && max < t2 ? 1 : 0;
    default:
      return 0;
  }
}

// ---- whole-frame scan of the live path -------------------------------------------------------

struct Extremes {
  int16_t max, min;
  int64_t sum;
};

Extremes extremesScalar(const int16_t* c, size_t n) {
  Extremes e{c[0], c[0], 0};
  for (size_t i = 0; i < n; ++i) {
    e.max = std::max(e.max, c[i]);
    e.min = std::min(e.min, c[i]);
    e.sum += c[i];
  }
  return e;
}

__attribute__((target("avx2"))) Extremes extremesAvx2(const int16_t* c, size_t n) {
  __m256i vmax = _mm256_set1_epi16(c[0]), vmin = vmax;
  const __m256i ones = _mm256_set1_epi16(1);
  int64_t sum = 0;
  size_t i = 0;
  // Each madd lane adds two codes (|sum| <= 65536); 4096 steps stay far inside int32.
  while (i + 16 <= n) {
    __m256i acc = _mm256_setzero_si256();
    const size_t end = std::min(n - (n - i) % 16, i + 16 * 4096);
    for (; i < end; i += 16) {
      __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(c + i));
      vmax = _mm256_max_epi16(vmax, v);
      vmin = _mm256_min_epi16(vmin, v);
      acc = _mm256_add_epi32(acc, _mm256_madd_epi16(v, ones));
    }
    alignas(32) int32_t lanes[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), acc);
    for (int32_t l : lanes) sum += l;
  }
  alignas(32) int16_t mx[16], mn[16];
  _mm256_store_si256(reinterpret_cast<__m256i*>(mx), vmax);
  _mm256_store_si256(reinterpret_cast<__m256i*>(mn), vmin);
  Extremes e{mx[0], mn[0], sum};
  for (int k = 1; k < 16; ++k) {
    e.max = std::max(e.max, mx[k]);
    e.min = std::min(e.min, mn[k]);
  }
  for (; i < n; ++i) {
    e.max = std::max(e.max, c[i]);
    e.min = std::min(e.min, c[i]);
    e.sum += c[i];
  }
  return e;
}

}  // namespace

// Scalar reference: the statistic scan in the plain order.
void gmoScanScalar(const int16_t* codes, int w, int h, GmoScan* out) {
  Scan s;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) s.add(codes[static_cast<size_t>(y) * w + x], x, y);
  *out = {s.maxCode, s.minCode, s.maxX, s.maxY, s.minX, s.minY, s.mean(0)};
}

// Vector form: the scan's maximum sits at the first occurrence of the frame's largest code, and
// its minimum at the first occurrence of the smallest (a later sample equal to the smallest
// cannot also be a new maximum), so the values and the sum come from a vector pass and the
// positions from a search.
void gmoScanVector(const int16_t* codes, int w, int h, GmoScan* out) {
  const size_t n = static_cast<size_t>(w) * h;
  const Extremes e = simdLevel() >= SimdLevel::Avx2 ? extremesAvx2(codes, n) : extremesScalar(codes, n);
  const size_t iMax = static_cast<size_t>(std::find(codes, codes + n, e.max) - codes);
  const size_t iMin = static_cast<size_t>(std::find(codes, codes + n, e.min) - codes);
  *out = {e.max,
          e.min,
          static_cast<int>(iMax % w),
          static_cast<int>(iMax / w),
          static_cast<int>(iMin % w),
          static_cast<int>(iMin / w),
          static_cast<int>(e.sum / static_cast<int64_t>(n))};
}

}  // namespace ostrel::alg

using namespace ostrel::alg;

namespace {

MtConfig* configOf(MtContext* ctx) {
  return reinterpret_cast<MtConfig*>(ctx->block);
}
uint8_t* planeOf(MtContext* ctx, int i) {
  return ctx->block + sizeof(MtConfig) + static_cast<size_t>(i) * ctx->pixels;
}

void refillLut(MtContext* ctx, const DataFrameHead& head) {
  if (head.scale == ctx->scale && head.offset == ctx->offset) return;
  ctx->scale = head.scale;
  ctx->offset = head.offset;
  // A scale of 0 only records the pair and keeps the table as it is.
  if (head.scale == 0) return;
  for (int k = -32768; k <= 32767; ++k)
    ctx->lut[k + 32768] =
        static_cast<float>(k) / static_cast<float>(head.scale) + static_cast<float>(head.offset);
}

float lutAt(const MtContext* ctx, int code) {
  return ctx->lut[code + 32768];
}

bool itemValidForReload(const MtItem& it, int w, int h) {
  if (it.kind > 5) return false;
  if (it.percent < 50 || it.percent > 100) return false;
  switch (it.kind) {
    case 0:
      return pointInside(it.points[0], w, h) && it.points[1].x < 4;
    case 2:
    case 3:
      return it.points[0].x < it.points[1].x && it.points[1].x < w && it.points[0].y < it.points[1].y &&
             it.points[1].y < h;
    default:
      if (it.pointCount > 32) return false;
      if (it.kind == 4 && it.pointCount < 2) return false;
      if (it.kind == 5 && it.pointCount < 3) return false;
      for (int i = 0; i < it.pointCount; ++i)
        if (!pointInside(it.points[i], w, h)) return false;
      return true;
  }
}

bool configValid(const MtConfig& c) {
  const int w = c.width, h = c.height;
  if (w < 1 || w > kMaxWidth || h < 1 || h > kMaxHeight) return false;
  for (int r = 0; r < 8; ++r) {
    if (!(c.regionEnable >> r & 1)) continue;
    for (const MtPoint& p : c.regions[r].corners)
      if (!pointInside(p, w, h)) return false;
  }
  for (int i = 0; i < 16; ++i)
    if ((c.itemEnable >> i & 1) && !itemValidForReload(c.items[i], w, h)) return false;
  return true;
}

void buildPlanes(MtContext* ctx) {
  const MtConfig& c = *configOf(ctx);
  const int w = ctx->width, h = ctx->height;
  uint8_t* counted = planeOf(ctx, 0);
  std::memset(counted, 1, ctx->pixels);
  for (int r = 0; r < 8; ++r) {
    if (!(c.regionEnable >> r & 1)) continue;
    const MtPoint* q = c.regions[r].corners;
    int x0 = w, y0 = h, x1 = 0, y1 = 0;
    for (int k = 0; k < 4; ++k) {
      x0 = std::min<int>(x0, q[k].x);
      x1 = std::max<int>(x1, q[k].x);
      y0 = std::min<int>(y0, q[k].y);
      y1 = std::max<int>(y1, q[k].y);
    }
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (insidePolygon(q, 4, x, y)) counted[static_cast<size_t>(y) * w + x] = 0;
    for (int k = 0; k < 4; ++k) {
      const MtPoint& a = q[k];
      const MtPoint& b = q[(k + 1) % 4];
      walkLine(a.x, a.y, b.x, b.y, [&](int x, int y) {
        counted[static_cast<size_t>(y) * w + x] = 0;
        return true;
      });
    }
  }
  for (int i = 0; i < 16; ++i) {
    uint8_t* mask = planeOf(ctx, i + 1);
    std::memset(mask, 0, ctx->pixels);
    const MtItem& it = c.items[i];
    if (!(c.itemEnable >> i & 1) || it.kind != 5) continue;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (insidePolygon(it.points, it.pointCount, x, y)) mask[static_cast<size_t>(y) * w + x] = 1;
  }
}

// Finish of mtCheck: max and min through the LUT of their 3 x 3 means, avg of the mean code.
void finishCheck(MtContext* ctx, const int16_t* codes, const Scan& s, int meanCode, MtResult* r) {
  const int w = ctx->width, h = ctx->height;
  writePositions(s, r);
  r->max = lutAt(ctx, finishCode(codes, w, h, s.maxX, s.maxY));
  r->min = lutAt(ctx, finishCode(codes, w, h, s.minX, s.minY));
  r->avg = lutAt(ctx, meanCode);
}

}  // namespace

extern "C" OSTREL_API MtContext* mtCreate(int width, int height) {
  if (width < 1 || width > kMaxWidth || height < 1 || height > kMaxHeight) return nullptr;
  auto* ctx = static_cast<MtContext*>(algAlloc(sizeof(MtContext)));
  if (!ctx) return nullptr;
  std::memset(ctx, 0, sizeof *ctx);
  const size_t pixels = static_cast<size_t>(width) * height;
  ctx->block = static_cast<uint8_t*>(algAlloc(sizeof(MtConfig) + kPlanes * pixels));
  if (!ctx->block) {
    std::free(ctx);
    return nullptr;
  }
  ctx->width = width;
  ctx->height = height;
  ctx->pixels = static_cast<int>(pixels);
  MtConfig* c = configOf(ctx);
  std::memset(c, 0, sizeof *c);
  c->magic = OSTREL_MT_MAGIC;
  c->width = static_cast<uint16_t>(width);
  c->height = static_cast<uint16_t>(height);
  buildPlanes(ctx);
  return ctx;
}

extern "C" OSTREL_API void mtFree(MtContext** ctx) {
  if (!ctx || !*ctx) return;
  std::free((*ctx)->block);
  std::free(*ctx);
  *ctx = nullptr;
}

extern "C" OSTREL_API int mtReload(MtContext* ctx, const MtConfig* config) {
  if (!ctx || !config) return -2;
  // Validate first: a refused record leaves the context, its size and its buffer as they were.
  if (!configValid(*config)) return -2;
  if (config->width != ctx->width || config->height != ctx->height) {
    const size_t pixels = static_cast<size_t>(config->width) * config->height;
    auto* block = static_cast<uint8_t*>(algAlloc(sizeof(MtConfig) + kPlanes * pixels));
    if (!block) return -1;
    std::free(ctx->block);
    ctx->block = block;
    ctx->width = config->width;
    ctx->height = config->height;
    ctx->pixels = static_cast<int>(pixels);
  }
  std::memcpy(ctx->block, config, sizeof(MtConfig));
  buildPlanes(ctx);
  return 0;
}

extern "C" OSTREL_API int mtCheck(MtContext* ctx, const DataFrameHead* head, const int16_t* codes,
                                  MtResult* results) {
  if (!ctx || !head || !codes || !results) return -1;
  if (head->width != ctx->width || head->height != ctx->height) return -1;
  refillLut(ctx, *head);
  const MtConfig& c = *configOf(ctx);
  const int w = ctx->width, h = ctx->height;

  Scan whole;
  const uint8_t* counted = c.regionEnable & 0xFF ? planeOf(ctx, 0) : nullptr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      if (!counted || counted[i]) whole.add(codes[i], x, y);
    }
  if (whole.samples) {
    finishCheck(ctx, codes, whole, whole.mean(0), &results[0]);
    results[0].alarmLevel = alarmLevel(c.wholeFrame, results[0].max, results[0].min, results[0].avg);
  } else {
    // Every pixel excluded: nothing was measured.
    std::memset(&results[0], 0, sizeof(MtResult));
  }

  for (int i = 0; i < 16; ++i) {
    if (!(c.itemEnable >> i & 1)) continue;
    const MtItem& it = c.items[i];
    Scan s;
    int fallback = 0;
    if (it.kind == 5) {
      const uint8_t* mask = planeOf(ctx, i + 1);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const size_t k = static_cast<size_t>(y) * w + x;
          if (mask[k]) s.add(codes[k], x, y);
        }
      if (!s.samples) {
        // No pixel inside: the first vertex stands for the polygon.
        const MtPoint& p = it.points[0];
        s.add(codes[static_cast<size_t>(p.y) * w + p.x], p.x, p.y);
      }
    } else if (it.kind == 4) {
      scanPolyline(codes, w, it.points, it.pointCount, s);
    } else {
      const int r = it.points[1].x;
      const MtPoint& p = it.points[0];
      scanBox(codes, w, h, p.x - r, p.y - r, p.x + r, p.y + r, s);
    }
    finishCheck(ctx, codes, s, s.mean(fallback), &results[i + 1]);
    results[i + 1].alarmLevel = alarmLevel(it, results[i + 1].max, results[i + 1].min, results[i + 1].avg);
  }
  return 0;
}

extern "C" OSTREL_API int mtGetResult(const DataFrameHead* head, const int16_t* codes, const MtItem* item,
                                      MtResult* result) {
  if (!head || !codes || !item || !result) return -1;
  const int w = head->width, h = head->height;
  if (w <= 0 || h <= 0) return -1;
  const MtItem& it = *item;
  if (it.percent < 50 || it.percent > 100 || it.pointCount > 32) return -1;
  if (it.kind == 5 && it.pointCount < 3) return -1;
  if (it.kind == 4 && it.pointCount < 2) return -1;
  for (int i = 0; i < it.pointCount; ++i)
    if (!pointInside(it.points[i], w, h)) return -1;
  if (it.kind > 5) return -2;
  // Kinds 0 to 3 read their first two points whatever the count says.
  if (it.kind <= 3 && !pointInside(it.points[0], w, h)) return -1;
  if ((it.kind == 1 || it.kind == 2 || it.kind == 3) && !pointInside(it.points[1], w, h)) return -1;

  auto code = [&](int x, int y) -> int { return codes[static_cast<size_t>(y) * w + x]; };
  const MtPoint& p0 = it.points[0];
  const MtPoint& p1 = it.points[1];
  Scan s;
  int mean = 0;
  switch (it.kind) {
    case 0: {
      const int r = p1.x;
      scanBox(codes, w, h, p0.x - r, p0.y - r, p0.x + r, p0.y + r, s);
      mean = s.mean(0);
      break;
    }
    case 1:
      walkLine(p0.x, p0.y, p1.x, p1.y, [&](int x, int y) {
        s.add(code(x, y), x, y);
        return true;
      });
      mean = code(p0.x, p0.y);
      break;
    case 2:
      scanBox(codes, w, h, p0.x, p0.y, p1.x, p1.y, s);
      mean = s.mean(0);
      break;
    case 3: {
      const int x0 = std::min(p0.x, p1.x), x1 = std::max(p0.x, p1.x);
      const int y0 = std::min(p0.y, p1.y), y1 = std::max(p0.y, p1.y);
      if (x1 - x0 > 2 && y1 - y0 > 2) {
        const int64_t a = x1 - x0, b = y1 - y0;
        const int cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        s.add(code(cx, cy), cx, cy);  // start; not counted in the mean
        s.sum = 0;
        s.samples = 0;
        for (int y = y0; y <= y1; ++y)
          for (int x = x0; x <= x1; ++x) {
            const int64_t dy = 2 * y - y0 - y1, dx = 2 * x - x0 - x1;
            if (a * a * b * b >= a * a * dy * dy + b * b * dx * dx) s.add(code(x, y), x, y);
          }
        mean = s.mean(code(cx, cy));
      } else {
        scanBox(codes, w, h, x0, y0, x1, y1, s);
        mean = s.mean(0);
      }
      break;
    }
    case 4:
      scanPolyline(codes, w, it.points, it.pointCount, s);
      mean = s.mean(0);
      break;
    case 5: {
      int x0 = w, y0 = h, x1 = 0, y1 = 0;
      for (int i = 0; i < it.pointCount; ++i) {
        x0 = std::min<int>(x0, it.points[i].x);
        x1 = std::max<int>(x1, it.points[i].x);
        y0 = std::min<int>(y0, it.points[i].y);
        y1 = std::max<int>(y1, it.points[i].y);
      }
      s.add(code(p0.x, p0.y), p0.x, p0.y);  // start; not counted in the mean
      s.sum = 0;
      s.samples = 0;
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
          if (insidePolygon(it.points, it.pointCount, x, y)) s.add(code(x, y), x, y);
      mean = s.mean(code(p0.x, p0.y));
      break;
    }
  }
  writePositions(s, result);
  result->max = degrees(finishCode(codes, w, h, s.maxX, s.maxY), *head);
  result->min = degrees(finishCode(codes, w, h, s.minX, s.minY), *head);
  result->avg = degrees(mean, *head);
  result->alarmLevel = alarmLevel(it, result->max, result->min, result->avg);
  return 0;
}

extern "C" OSTREL_API int mtCheckMouse(MtContext* ctx, const DataFrameHead* head, const int16_t* codes,
                                       int column, int row, MtMouseResult* out) {
  if (!ctx || !head || !codes || !out) return OSTREL_E_ARGUMENT;
  if (head->width != ctx->width || head->height != ctx->height) return OSTREL_E_ARGUMENT;
  if (column < 0 || row < 0 || column >= ctx->width || row >= ctx->height) return OSTREL_E_ARGUMENT;
  refillLut(ctx, *head);
  out->column = static_cast<uint16_t>(column);
  out->row = static_cast<uint16_t>(row);
  out->temperature = lutAt(ctx, finishCode(codes, ctx->width, ctx->height, column, row));
  return 0;
}

extern "C" OSTREL_API int mtGetResult_GMO(const DataFrameHead* head, const int16_t* codes, MtResult* result) {
  if (!head || !codes || !result) return -1;
  const int w = head->width, h = head->height;
  if (w <= 0 || h <= 0) return -1;
  GmoScan g;
  if (simdLevel() == SimdLevel::Scalar)
    gmoScanScalar(codes, w, h, &g);
  else
    gmoScanVector(codes, w, h, &g);
  result->maxX = static_cast<uint16_t>(g.maxX);
  result->maxY = static_cast<uint16_t>(g.maxY);
  result->minX = static_cast<uint16_t>(g.minX);
  result->minY = static_cast<uint16_t>(g.minY);
  result->max = degrees(finishCode(codes, w, h, g.maxX, g.maxY), *head);
  result->min = degrees(finishCode(codes, w, h, g.minX, g.minY), *head);
  result->avg = degrees(g.meanCode, *head);
  return 0;
}
