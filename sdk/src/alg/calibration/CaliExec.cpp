// Running a calibration: per-pixel curve re-interpolation (whole or stepwise), the final LUT chain,
// frame conversion, bad-pixel repair and the correction settings.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "alg/calibration/CaliExec.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"
#include "alg/radiometry/CorrLut.h"
#include "alg/radiometry/FixInfoAccess.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"

using namespace ostrel::alg;

namespace ostrel::alg {

namespace {

constexpr int64_t kWholeJump = 3000;

// The whole update of a large calibration reads and writes about 160 bytes a pixel (eight
// blackbodies) and one core spends most of it waiting on memory, so it is split into bands of
// whole 64-pixel blocks (no cache line written by two threads), one thread each. More bands than
// three cost more CPU time in memory contention than they save in waiting.
constexpr uint64_t kPixelsPerBand = uint64_t(1) << 18;
constexpr unsigned kMaxBands = 3;

int16_t sat16(int64_t v) {
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

uint16_t satU16(int64_t v) {
  return uint16_t(std::clamp<int64_t>(v, 0, 65535));
}

int64_t absDiff(int32_t a, int32_t b) {
  const int64_t d = int64_t(a) - b;
  return d < 0 ? -d : d;
}

}  // namespace

void caliSetStepPlan(CaliContext* c) {
  const uint32_t P = c->P;
  c->steps = P <= 19200 ? 2 : P <= 110592 ? 64 : P <= 327680 ? 128 : 256;
  c->perStep = P / c->steps;
  c->stepsDone = c->steps;
}

void caliBuildBaseLut(CaliContext* c) {
  const uint32_t L = c->lay.lutCount;
  if (L < 3) return;  // the identity stays
  uint32_t j = 0;
  for (int32_t x = -32768; x <= 32767; ++x) {
    while (j < L - 2 && x >= c->lutBp[j + 1]) ++j;
    const SegEntry s = c->lutSeg[j];
    c->lutBase[x] = sat16(int64_t(s.offset) + ((int64_t(x) * s.slope) >> c->lay.lutShift));
  }
}

void caliInterpAt(const CaliContext* c, int32_t fpaTemp, uint32_t* k, int64_t* w) {
  uint32_t i = 0;
  while (i < c->E - 2 && fpaTemp >= c->fpa[i + 1]) ++i;
  *k = i;
  // Not clamped: temperatures beyond the axis extrapolate from the end segment.
  *w = ((int64_t(fpaTemp) - c->fpa[i]) * 1024) / (int64_t(c->fpa[i + 1]) - c->fpa[i]);
}

void caliReinterpPixel(const ReinterpBlock& b, uint64_t i) {
  const uint64_t chunk = b.stride, oc = b.outStride;
  const uint32_t inner = b.inner, nb = 2 * inner;
  const int64_t w = b.w;
  uint32_t t = 0, u = 0;
  int16_t prev = -32768;
  for (uint32_t m = 0;; ++m) {
    const SegEntry x = b.sa[t * chunk + i];
    const SegEntry y = b.sb[u * chunk + i];
    SegEntry out;
    out.slope = satU16(int64_t(x.slope) + ((w * (int64_t(y.slope) - x.slope)) >> 10));
    out.offset = sat16(int64_t(x.offset) + (((int64_t(y.offset) - x.offset) * w) >> 10));
    b.so[m * oc + i] = out;
    if (m == nb) break;
    // On equal values point k+1 first.
    int16_t v;
    if (u < inner && (t == inner || b.rb[u * chunk + i] <= b.ra[t * chunk + i])) {
      v = b.rb[u++ * chunk + i];
    } else {
      v = b.ra[t++ * chunk + i];
    }
    // Breakpoints that fall back (a non-rising curve in the file) are held at the previous
    // one, so every pixel's list stays ascending and the segment search is well defined.
    prev = std::max(prev, v);
    b.bo[m * oc + i] = prev;
  }
}

void caliReinterpolateRange(CaliContext* c, int set, uint32_t k, int64_t w, uint64_t begin, uint64_t end) {
  const uint64_t P = c->P;
  const uint32_t B = c->B, inner = B - 2, nb = 2 * B - 4;
  const int16_t* rawK = c->raw + uint64_t(k) * B * P;
  const int16_t* rawK1 = rawK + uint64_t(B) * P;
  const SegEntry* segK = c->seg + uint64_t(k) * (B - 1) * P;
  const SegEntry* segK1 = segK + uint64_t(B - 1) * P;
  int16_t* bpOut = c->bp[set];
  SegEntry* segOut = c->segs[set];
  // Weights far outside the axis still keep every product inside 64 bits.
  w = std::clamp<int64_t>(w, -(int64_t(1) << 40), int64_t(1) << 40);
  constexpr size_t kStack = 96 * 1024;
  alignas(64) uint8_t work[kStack];
  if (simdLevel() >= SimdLevel::Avx2) {
    // The vector form reads the dozens of input planes where they lie, each a short sequential
    // run per block, and requests the lines of the pixels after the block as it goes; only the
    // merged block is staged, so it leaves in whole lines past the caches.
    constexpr uint64_t kAhead = 512;
    const uint64_t perPixel = 4ull * (nb + 1) + 2ull * nb;
    const uint64_t chunk = std::clamp<uint64_t>(((kStack - 64) / perPixel) & ~uint64_t(7), 8, 512);
    SegEntry* so = reinterpret_cast<SegEntry*>(work);                  // [nb+1][chunk]
    int16_t* bo = reinterpret_cast<int16_t*>(so + (nb + 1) * chunk);  // [nb][chunk]
    for (uint64_t p0 = begin; p0 < end; p0 += chunk) {
      const uint64_t n = std::min<uint64_t>(chunk, end - p0);
      const ReinterpBlock blk{rawK + P + p0, rawK1 + P + p0, segK + p0, segK1 + p0, so, bo, P, chunk, kAhead, inner, w};
      const uint64_t done = caliReinterpAvx2(blk, n);
      for (uint64_t i = done; i < n; ++i) caliReinterpPixel(blk, i);
      for (uint32_t m = 0; m <= nb; ++m) caliStreamCopy(segOut + m * P + p0, so + m * chunk, n * 4);
      for (uint32_t m = 0; m < nb; ++m) caliStreamCopy(bpOut + m * P + p0, bo + m * chunk, n * 2);
    }
    caliStreamFence();
    return;
  }
  // Pixels go in chunks: every plane's chunk is copied in and out whole, so the dozens of planes
  // are read and written as short sequential runs instead of one value each per pixel.
  const uint64_t perPixel = 2ull * 2 * (inner + 1) + 2ull * 4 * (B - 1) + 2ull * nb + 4ull * (nb + 1);
  const uint64_t chunk = std::clamp<uint64_t>((kStack - 64) / perPixel, 1, 256);
  int16_t* ra = reinterpret_cast<int16_t*>(work);  // [inner][chunk]
  int16_t* rb = ra + (inner + 1) * chunk;
  SegEntry* sa = reinterpret_cast<SegEntry*>(rb + (inner + 1) * chunk);  // [B-1][chunk]
  SegEntry* sb = sa + (B - 1) * chunk;
  SegEntry* so = sb + (B - 1) * chunk;                   // [nb+1][chunk]
  int16_t* bo = reinterpret_cast<int16_t*>(so + (nb + 1) * chunk);  // [nb][chunk]
  // The next chunk's input lines are requested while this one is worked on, so the wait for
  // memory overlaps the merging instead of following it.
  auto prefetch = [&](uint64_t p1) {
    if (p1 >= end) return;
    const uint64_t n = std::min<uint64_t>(chunk, end - p1);
    for (uint32_t j = 0; j < inner; ++j)
      for (uint64_t o = 0; o < n * 2; o += 64) {
        __builtin_prefetch(reinterpret_cast<const char*>(rawK + (j + 1) * P + p1) + o);
        __builtin_prefetch(reinterpret_cast<const char*>(rawK1 + (j + 1) * P + p1) + o);
      }
    for (uint32_t s = 0; s + 1 < B; ++s)
      for (uint64_t o = 0; o < n * 4; o += 64) {
        __builtin_prefetch(reinterpret_cast<const char*>(segK + s * P + p1) + o);
        __builtin_prefetch(reinterpret_cast<const char*>(segK1 + s * P + p1) + o);
      }
  };
  prefetch(begin);
  for (uint64_t p0 = begin; p0 < end; p0 += chunk) {
    const uint64_t n = std::min<uint64_t>(chunk, end - p0);
    prefetch(p0 + chunk);
    for (uint32_t j = 0; j < inner; ++j) {
      std::memcpy(ra + j * chunk, rawK + (j + 1) * P + p0, n * 2);
      std::memcpy(rb + j * chunk, rawK1 + (j + 1) * P + p0, n * 2);
    }
    for (uint32_t s = 0; s + 1 < B; ++s) {
      std::memcpy(sa + s * chunk, segK + s * P + p0, n * 4);
      std::memcpy(sb + s * chunk, segK1 + s * P + p0, n * 4);
    }
    const ReinterpBlock blk{ra, rb, sa, sb, so, bo, chunk, chunk, 0, inner, w};
    for (uint64_t i = 0; i < n; ++i) caliReinterpPixel(blk, i);
    for (uint32_t m = 0; m <= nb; ++m) std::memcpy(segOut + m * P + p0, so + m * chunk, n * 4);
    for (uint32_t m = 0; m < nb; ++m) std::memcpy(bpOut + m * P + p0, bo + m * chunk, n * 2);
  }
}

void caliRefreshCorrLuts(CaliContext* c, int32_t shellTemp) {
  if (c->windowTrans > 0.999) {
    identityLut16(c->lutTrans);
  } else {
    FixTrans_Init(c->fixTrans, uint16_t(c->scale), int16_t(c->tempOffset));
    const int64_t window = std::clamp<int64_t>(int64_t(shellTemp) - c->windowTempOffset, INT32_MIN, INT32_MAX);
    FixTrans_UpdateLut(c->fixTrans, int32_t(window), c->windowTrans, c->lutTrans);
  }
  if (c->distRefresh) {
    FixDist_UpdateLut(c->fixDist, c->targetDistance, c->lutDist);
    c->distRefresh = 0;
  }
}

int caliRebuildFinalLut(CaliContext* c, int32_t shellTemp) {
  caliRefreshCorrLuts(c, shellTemp);
  int16_t* fin = c->lutFinal;
  if (c->lay.lutCount != 0) {
    for (int32_t x = -32768; x <= 32767; ++x) {
      fin[x] = c->lutCust[c->lutDist[c->lutEmi[c->lutTrans[c->lutBase[x]]]]];
    }
  } else {
    identityLut16(fin);
  }
  return 1;
}

}  // namespace ostrel::alg

extern "C" OSTREL_API void Cali_Execute(CaliContext* ctx, int16_t* frame) {
  if (!ctx || !frame) return;
  caliExecuteFrame(ctx, frame, true);
}

extern "C" OSTREL_API void Cali_Execute_C1(CaliContext* ctx, int16_t* frame) {
  if (!ctx || !frame) return;
  caliExecuteFrame(ctx, frame, false);
}

namespace ostrel::alg {

namespace {

int rebuildWith(CaliContext* c, int32_t fpaTemp, int32_t shellTemp, const FinalLutBuilder* b) {
  if (b) return b->rebuild(c, fpaTemp, shellTemp, b->user);
  return caliRebuildFinalLut(c, shellTemp);
}

// Every pixel of one set, in bands on helper threads where the calibration is large. A helper
// that cannot be started leaves its band to the calling thread, so the update always completes.
void reinterpolateAll(CaliContext* c, int set, uint32_t k, int64_t w) {
  const uint64_t P = c->P;
  unsigned bands = unsigned(std::min<uint64_t>(kMaxBands, P / kPixelsPerBand));
  if (const unsigned cores = std::thread::hardware_concurrency(); cores > 0) bands = std::min(bands, cores);
  if (bands < 2) {
    caliReinterpolateRange(c, set, k, w, 0, P);
    return;
  }
  auto edge = [&](unsigned i) { return i == bands ? P : (P * i / bands) & ~uint64_t(63); };
  std::thread helpers[kMaxBands];
  for (unsigned i = 1; i < bands; ++i) {
    try {
      helpers[i] = std::thread(caliReinterpolateRange, c, set, k, w, edge(i), edge(i + 1));
    } catch (...) {
    }
  }
  caliReinterpolateRange(c, set, k, w, edge(0), edge(1));
  for (unsigned i = 1; i < bands; ++i) {
    if (helpers[i].joinable()) {
      helpers[i].join();
    } else {
      caliReinterpolateRange(c, set, k, w, edge(i), edge(i + 1));
    }
  }
}

}  // namespace

void caliInitEnvWholeWith(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp, const FinalLutBuilder* b) {
  uint32_t k;
  int64_t w;
  caliInterpAt(ctx, fpaTemp, &k, &w);
  reinterpolateAll(ctx, ctx->active, k, w);
  ctx->lastFpa = fpaTemp;
  ctx->lastShell = shellTemp;
  ctx->stepsDone = ctx->steps;
  rebuildWith(ctx, fpaTemp, shellTemp, b);
}

int caliInitEnvWith(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp, const FinalLutBuilder* b) {
  const int64_t d = absDiff(fpaTemp, ctx->lastFpa);
  if (d >= kWholeJump) {
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_DEBUG,
                      "%s,%d,%s:\n!!!fpaTemp %d, shellTemp %d, hack1_fpaTemp %d\n\n",
                      b ? b->source : kCaliSource, __LINE__, b ? b->function : "Cali_InitEnv", fpaTemp, shellTemp,
                      ctx->lastFpa);
    caliInitEnvWholeWith(ctx, fpaTemp, shellTemp, b);
    return 1;
  }
  if (ctx->stepsDone < ctx->steps) {
    const uint32_t s = ctx->stepsDone;
    const uint64_t begin = uint64_t(s) * ctx->perStep;
    // The last step runs to the end, so pixels past steps * perStep are written too.
    const uint64_t end = s + 1u == ctx->steps ? ctx->P : begin + ctx->perStep;
    caliReinterpolateRange(ctx, ctx->active ^ 1, ctx->stepSegment, ctx->stepWeight, begin, end);
    if (++ctx->stepsDone == ctx->steps) ctx->active ^= 1;
    return 2;
  }
  if (d <= 200 && ctx->dirty == 0) return 0;
  if (d <= 100 && !(ctx->dirty & 1)) return 0;
  caliInterpAt(ctx, fpaTemp, &ctx->stepSegment, &ctx->stepWeight);
  ctx->lastFpa = fpaTemp;
  ctx->lastShell = shellTemp;
  ctx->stepsDone = 0;
  ctx->dirty = 0;
  return rebuildWith(ctx, fpaTemp, shellTemp, b);
}

}  // namespace ostrel::alg

extern "C" OSTREL_API void Cali_InitEnvWhole(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp) {
  if (!ctx) return;
  caliInitEnvWholeWith(ctx, fpaTemp, shellTemp, nullptr);
}

extern "C" OSTREL_API int Cali_InitEnv(CaliContext* ctx, int32_t fpaTemp, int32_t shellTemp) {
  if (!ctx) return OSTREL_E_ARGUMENT;
  return caliInitEnvWith(ctx, fpaTemp, shellTemp, nullptr);
}

extern "C" OSTREL_API int Cali_SetFixInfo(CaliContext* ctx, const FixInfoRecord* r) {
  if (!ctx || !r || !Alg_FixIsValid(r)) return OSTREL_E_ARGUMENT;
  FixTrans_Init(ctx->fixTrans, uint16_t(ctx->scale), int16_t(ctx->tempOffset));
  FixEmi_UpdateLut(ctx->fixTrans, fixAtmTemp_mC(r), fixInfoFloat(r, kFixEmissivity), fixInfoFloat(r, kFixTempOffset),
                   ctx->lutEmi);
  ctx->windowTrans = fixInfoFloat(r, kFixWindowTrans);
  ctx->windowTempOffset = int32_t(double(fixInfoFloat(r, kFixWindowTempOffset)) * 1000.0);
  ctx->targetDistance = fixTargetDistance_m(r);
  ctx->dirty |= 1;
  ctx->distRefresh = 1;
  return OSTREL_OK;
}

extern "C" OSTREL_API void Cali_SetHackFlags(CaliContext* ctx, int32_t flags) {
  if (!ctx) return;
  if (flags & 1) ctx->dirty |= 1;
  if ((flags & 2) && ctx->nst) ctx->nst->flags |= 2;
}

extern "C" OSTREL_API int Cali_InitCustLut(int16_t* lut, const void* record, const CaliContext* cali) {
  if (!lut) return 0;
  if (!record || !cali) {
    identityLut16(lut);
    return 0;
  }
  return buildCustLut(lut, static_cast<const uint8_t*>(record), kCustRecordSize, cali->scale, cali->c0);
}

extern "C" OSTREL_API int Cali_LoadCust(CaliContext* ctx, const char* path) {
  if (!ctx || !path) return OSTREL_E_ARGUMENT;
  const int rc = ostrel::fileReadExact(path, ctx->cust, kCustRecordSize);
  // A failed read must not leave stale bytes to build from: no points means the identity.
  if (rc != 0) std::memset(ctx->cust, 0, kCustRecordSize);
  Cali_InitCustLut(ctx->lutCust, ctx->cust, ctx);
  ctx->dirty |= 1;
  return rc < 0 ? rc : OSTREL_OK;
}

extern "C" OSTREL_API void Cali_Com(const CaliContext* ctx, int16_t* frame) {
  if (!ctx || !frame) return;
  const CompEntry* e = ctx->entryCount ? ctx->entries : ctx->ownEntries;
  const uint32_t n = ctx->entryCount ? ctx->entryCount : ctx->ownCount;
  for (uint32_t i = 0; i < n; ++i) {
    int32_t sum = 0;
    for (uint32_t j = 0; j < e[i].n; ++j) sum += frame[e[i].neighbour[j]];
    frame[e[i].pixel] = int16_t(sum / int32_t(e[i].n));
  }
}

extern "C" OSTREL_API int FixDist_Init2(FixDistContext* ctx, const char* path, CaliContext* cali) {
  if (!cali || !path) return OSTREL_E_ARGUMENT;
  FixDistContext* target = ctx ? ctx : cali->fixDist;
  const int rc = FixDist_Init(target, path, uint16_t(cali->scale), int16_t(cali->tempOffset));
  cali->dirty |= 1;
  cali->distRefresh = 1;
  return rc;
}
