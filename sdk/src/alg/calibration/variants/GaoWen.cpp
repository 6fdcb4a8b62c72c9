// High-temperature calibration: a normal-range blackbody table and FPA-blended high ranges, the
// high modes re-encoding codes with scale 5 and offset 800 °C.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/GaoWenFile.h"
#include "alg/calibration/variants/GaoWenObject.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/radiometry/CorrLut.h"
#include "foundation/Helpers.h"

using namespace ostrel::alg;

namespace {
constexpr const char* kSource = "Alg\\IRCali_GaoWen";
constexpr uint16_t kHighScale = 5;
constexpr int16_t kHighOffset = 800;
}  // namespace


namespace {

void readPoints(const uint8_t* at, int n, BbPoint* out) {
  for (int j = 0; j < n; ++j) out[j] = {rdF32(at + 12 * j), rdF32(at + 12 * j + 4)};
}

void buildConv(GaoWen* g) {
  int16_t* conv = lutAt(g->luts, kConv);
  const int64_t s = g->scale ? g->scale : 1;
  for (int32_t c = -32768; c <= 32767; ++c) {
    // (T - 800) * 5 for the temperature T that c encodes; saturated, so a hot code never wraps.
    const int64_t v = (int64_t(kHighScale) * c) / s + int64_t(kHighScale) * g->offset - int64_t(kHighScale) * kHighOffset;
    conv[c] = int16_t(std::clamp<int64_t>(v, -32768, 32767));
  }
}

int gaowenRebuild(CaliContext* c, int32_t fpaTemp, int32_t shellTemp, void* user) {
  auto* g = static_cast<GaoWen*>(user);
  caliRefreshCorrLuts(c, shellTemp);
  if (g->mode == 2) {
    composeFinal(c, lutAt(g->luts, kTableA), c->lutCust, nullptr);
  } else if (g->mode == 4) {
    int k;
    int64_t w;
    rangeWeight(g->rangeTemp, g->file[5], fpaTemp, &k, &w);
    blendLuts(c->lutFinal, lutAt(g->luts, kRange0 + k), lutAt(g->luts, kRange0 + k + 1), w);
    composeFinal(c, c->lutFinal, lutAt(g->luts, kCust2), lutAt(g->luts, kConv));
  } else {
    identityLut16(c->lutFinal);
  }
  return 1;
}

void rebuildNow(GaoWen* g, int32_t fpaTemp, int32_t shellTemp) {
  gaowenRebuild(g->cali, fpaTemp, shellTemp, g);
}

int effectiveMode(const GaoWen* g, int32_t mode) {
  if (mode == 2 && g->tableAOk) return 2;
  if ((mode == 3 || mode == 4) && g->rangesOk) return mode;
  return 1;
}

void loadTables(GaoWen* g) {
  const uint8_t* f = g->file;
  BbPoint pts[32];
  const int na = f[4];
  if (na >= 2 && na <= 32) {
    readPoints(f + kGwTableAAt, na, pts);
    g->tableAOk = bbPointsRising(pts, na) && bbPointLut(lutAt(g->luts, kTableA), pts, na, 20.0, g->cali) == 0;
  }
  const int nr = f[5], np = f[6];
  bool ok = nr >= 2 && nr <= 8 && np >= 2 && np <= 32;
  for (int i = 0; ok && i < nr; ++i) {
    const float t = rdF32(f + kGwRangeTempAt + 4 * i);
    ok = std::isfinite(t) && (i == 0 || t > rdF32(f + kGwRangeTempAt + 4 * (i - 1)));
    readPoints(f + kGwRangeAt + kGwRangeStride * i, np, pts);
    ok = ok && bbPointsRising(pts, np);
  }
  for (int i = 0; ok && i < nr; ++i) {
    g->rangeTemp[i] = int32_t(double(rdF32(f + kGwRangeTempAt + 4 * i)) * 1000.0);
    readPoints(f + kGwRangeAt + kGwRangeStride * i, np, pts);
    ok = bbPointLut(lutAt(g->luts, kRange0 + i), pts, np, 20.0, g->cali) == 0;
  }
  g->rangesOk = ok;
}

}  // namespace

extern "C" OSTREL_API GaoWen* GaoWen_Create(CaliContext* cali) {
  if (!cali) return nullptr;
  auto* g = static_cast<GaoWen*>(caliAlloc(sizeof(GaoWen) + kLutCount * kLut16 * 2));
  if (!g) return nullptr;
  std::memset(g, 0, sizeof *g);
  g->cali = cali;
  g->scale = uint16_t(cali->scale);
  g->offset = int16_t(cali->tempOffset);
  g->highScale = kHighScale;
  g->highOffset = kHighOffset;
  g->luts = reinterpret_cast<uint8_t*>(g + 1);
  for (int i = 0; i < kLutCount; ++i) identityLut16(lutAt(g->luts, i));
  buildConv(g);
  return g;
}

extern "C" OSTREL_API int GaoWen_LoadFile(GaoWen* g, const char* path) {
  if (!g || !path) return OSTREL_E_ARGUMENT;
  g->tableAOk = g->rangesOk = 0;
  const int rc = ostrel::fileReadExact(path, g->file, kGaoWenFileSize);
  if (rc != 0) {
    // Nothing is built from a partial read: both tables stay invalid.
    std::memset(g->file, 0, kGaoWenFileSize);
  } else {
    loadTables(g);
  }
  const int requested = rc == 0 ? g->file[7] : 1;
  g->mode = uint8_t(requested == 1 ? 1 : effectiveMode(g, requested));
  rebuildNow(g, g->cali->lastFpa, g->cali->lastShell);
  return rc < 0 ? rc : OSTREL_OK;
}

extern "C" OSTREL_API int GaoWen_LoadCust(GaoWen* g, const char* pathA, const char* pathB) {
  if (!g) return OSTREL_E_ARGUMENT;
  int rc = OSTREL_OK;
  if (pathA) rc = Cali_LoadCust(g->cali, pathA);
  if (pathB) {
    const int rb = ostrel::fileReadExact(pathB, g->cust2, kCustRecordSize);
    if (rb != 0) std::memset(g->cust2, 0, kCustRecordSize);
    Cali_InitCustLut(lutAt(g->luts, kCust2), g->cust2, g->cali);
    if (rc == OSTREL_OK) rc = rb;
  }
  g->cali->dirty |= 1;
  return rc;
}

extern "C" OSTREL_API int GaoWen_SetMode(GaoWen* g, int32_t mode, int32_t fpaTemp, int32_t shellTemp) {
  if (!g) return OSTREL_E_ARGUMENT;
  g->mode = uint8_t(effectiveMode(g, mode));
  rebuildNow(g, fpaTemp, shellTemp);
  return g->mode;
}

extern "C" OSTREL_API int GaoWen_InitEnv(GaoWen* g, int32_t fpaTemp, int32_t shellTemp) {
  if (!g) return OSTREL_E_ARGUMENT;
  const FinalLutBuilder b{gaowenRebuild, g, kSource, "GaoWen_InitEnv"};
  return caliInitEnvWith(g->cali, fpaTemp, shellTemp, &b);
}

extern "C" OSTREL_API int GaoWen_Execute(GaoWen* g, int16_t* frame, void* head) {
  if (!g || !frame) return 0;
  Cali_Execute(g->cali, frame);
  const bool high = g->mode >= 3;
  const uint16_t scale = high ? g->highScale : g->scale;
  const int16_t offset = high ? g->highOffset : g->offset;
  if (head) {
    ostrel::bytes::putU16(static_cast<uint8_t*>(head) + 12, scale);
    ostrel::bytes::putI16(static_cast<uint8_t*>(head) + 14, offset);
  }
  return offset;
}
