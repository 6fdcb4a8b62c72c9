// NETD meter (the NETD_* exports): temporal noise over a ring of frames and the spatial noise of
// the newest frame.
//
// Per pixel the meter keeps the sum S and the sum of squares Q of the codes in the ring. Each
// frame adds its codes and subtracts those of the frame it evicts, so a frame costs O(pixels)
// whatever the ring length, and S and Q stay exactly the sums over the ring (integer arithmetic;
// the slots not yet filled count as zero, as they hold zero).
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "alg/tools/ToolsCommon.h"

struct NetdContext {
  NetdConfig config;   // applied; width 0 = none
  int64_t pixels;
  int64_t intervalTicks; // 100-ns units
  int64_t lastTime;
  bool computed;         // a computation happened since the configuration
  float netd, spatial;
  uint8_t kind;
  uint16_t scale;
  int ringPos;
  void* buffer;
  int64_t* sumSquares;   // Q, pixels
  int32_t* sums;         // S, pixels
  int32_t* sqrtTable;    // 16384
  int16_t* ring;         // frameCount x pixels
};

namespace {

using ostrel::alg::tools::kMaxToolPixels;

constexpr int kNetdTableSize = 16384;
constexpr int kNetdMinFrames = 10, kNetdMaxFrames = 100;
constexpr int kNetdMinInterval = 1000, kNetdMaxInterval = 10000;

int64_t isqrt64(int64_t x) {
  if (x <= 0) return 0;
  auto r = int64_t(std::sqrt(double(x)));
  while (r > 0 && r * r > x) --r;
  while ((r + 1) * (r + 1) <= x) ++r;
  return r;
}

int64_t netdPixelNoise(int64_t w, int frameCount, const int32_t* table) {
  if (w <= kNetdTableSize - 1 && table) return table[w];
  // floor(sqrt(floor(w * 10000 / fc^2))) == floor(sqrt(w * 10000 / fc^2)): estimate in double,
  // then settle the last unit in integers (r^2 fc^2 <= w * 10000), without the 64-bit division.
  const int64_t fc2 = int64_t(frameCount) * frameCount;
  const int64_t num = w * 10000;
  auto r = int64_t(std::sqrt(double(num) / double(fc2)));
  while (r > 0 && r * r * fc2 > num) --r;
  while ((r + 1) * (r + 1) * fc2 <= num) ++r;
  return r;
}

double netdSpatial(const int16_t* codes, int64_t n) {
  int64_t s = 0, q = 0;
  for (int64_t i = 0; i < n; ++i) {
    const int32_t v = codes[i];
    s += v;
    q += v * v;
  }
  // n x Q passes 2^63 at about a megapixel of ordinary codes: form the difference in 128 bits.
  const __int128 w = __int128(n) * q - __int128(s) * s;
  const long double variance = static_cast<long double>(w) / (static_cast<long double>(n) * n);
  return double(std::sqrt(variance));
}

// Millikelvin per code for temperature frames; codes stay codes for other kinds and for a scale
// of 0, which has no temperature meaning.
double reportFactor(uint8_t kind, uint16_t scale) { return kind == 2 && scale != 0 ? 1000.0 / scale : 1.0; }

void compute(NetdContext* c) {
  const int fc = c->config.frameCount;
  const int64_t n = c->pixels;
  int64_t total = 0;
  for (int64_t i = 0; i < n; ++i) {
    const int64_t s = c->sums[i];
    const int64_t w = fc * c->sumSquares[i] - s * s;
    total += netdPixelNoise(w, fc, c->sqrtTable);
  }
  const double factor = reportFactor(c->kind, c->scale);
  c->netd = float(double(total) / (double(n) * 100.0) * factor);
  const int newest = (c->ringPos + fc - 1) % fc;
  c->spatial = float(netdSpatial(c->ring + newest * n, n) * factor);
}

// |a - b| > limit without overflowing on hostile times.
bool fartherThan(int64_t a, int64_t b, int64_t limit) {
  const __int128 d = __int128(a) - b;
  return (d < 0 ? -d : d) > limit;
}

}  // namespace

extern "C" OSTREL_API NetdContext* NETD_Create(void) {
  return static_cast<NetdContext*>(std::calloc(1, sizeof(NetdContext)));
}

extern "C" OSTREL_API void NETD_Free(NetdContext** pctx) {
  if (!pctx || !*pctx) return;
  std::free((*pctx)->buffer);
  std::free(*pctx);
  *pctx = nullptr;
}

extern "C" OSTREL_API int NETD_SetConfig(NetdContext* ctx, const NetdConfig* config) {
  if (!ctx || !config) return OSTREL_E_ARGUMENT;
  NetdConfig cfg;
  std::memcpy(&cfg, config, sizeof cfg);
  if (cfg.width == 0 || cfg.height == 0 || cfg.frameCount < kNetdMinFrames || cfg.frameCount > kNetdMaxFrames ||
      cfg.interval < kNetdMinInterval || cfg.interval > kNetdMaxInterval)
    return OSTREL_E_ARGUMENT;
  const int64_t pixels = int64_t(cfg.width) * cfg.height;
  if (pixels > kMaxToolPixels) return OSTREL_E_ARGUMENT;
  if (ctx->buffer && std::memcmp(&cfg, &ctx->config, sizeof cfg) == 0) return 0;

  // The new buffer first: without memory the meter keeps its configuration and ring.
  const size_t bytes = size_t(pixels) * (8 + 4) + size_t(kNetdTableSize) * 4 + size_t(pixels) * 2 * cfg.frameCount;
  auto* block = static_cast<uint8_t*>(ostrel::alg::algAlloc(bytes));
  if (!block) return OSTREL_E_NO_MEMORY;
  std::memset(block, 0, bytes);
  std::free(ctx->buffer);
  ctx->buffer = block;
  ctx->sumSquares = reinterpret_cast<int64_t*>(block);
  ctx->sums = reinterpret_cast<int32_t*>(block + pixels * 8);
  ctx->sqrtTable = reinterpret_cast<int32_t*>(block + pixels * 12);
  ctx->ring = reinterpret_cast<int16_t*>(block + pixels * 12 + kNetdTableSize * 4);
  const int64_t fc2 = int64_t(cfg.frameCount) * cfg.frameCount;
  for (int64_t i = 0; i < kNetdTableSize; ++i) ctx->sqrtTable[i] = int32_t(isqrt64(i * 10000 / fc2));

  ctx->config = cfg;
  ctx->pixels = pixels;
  ctx->intervalTicks = int64_t(cfg.interval) * 10000;
  ctx->ringPos = 0;
  ctx->lastTime = 0;
  ctx->computed = false;
  ctx->netd = ctx->spatial = 0.0f;
  ctx->kind = 0;
  ctx->scale = 0;
  return 0;
}

extern "C" OSTREL_API int NETD_Execute(NetdContext* ctx, const DataFrameHead* head, const int16_t* codes,
                                       void* result) {
  if (!ctx || !head || !codes || !result) return OSTREL_E_ARGUMENT;
  DataFrameHead h;
  std::memcpy(&h, head, sizeof h);
  if (!ctx->buffer || h.width != ctx->config.width || h.height != ctx->config.height) return OSTREL_E_STATE;

  const int64_t n = ctx->pixels;
  int16_t* slot = ctx->ring + ctx->ringPos * n;
  int32_t* sums = ctx->sums;
  int64_t* squares = ctx->sumSquares;
  for (int64_t i = 0; i < n; ++i) {
    const int32_t v = codes[i], old = slot[i];
    slot[i] = int16_t(v);
    sums[i] += v - old;
    squares[i] += v * v - old * old;
  }
  if (++ctx->ringPos == ctx->config.frameCount) ctx->ringPos = 0;
  ctx->kind = h.kind;
  ctx->scale = h.scale;

  if (!ctx->computed || fartherThan(h.time, ctx->lastTime, ctx->intervalTicks)) {
    compute(ctx);
    ctx->lastTime = h.time;
    ctx->computed = true;
  }
  const NetdResult r{ctx->netd, ctx->spatial};
  std::memcpy(result, &r, sizeof r);
  return 0;
}
