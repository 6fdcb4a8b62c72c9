// Lens calibration: a multi-range lens-1 table set blended by the shell temperature, or a single
// lens-2 table, each with its own custom points, composing the final LUT of a calibration.
#include <cmath>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/calibration/variants/WeiJuObject.h"
#include "alg/radiometry/CorrLut.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "alg/radiometry/CalibrationRecords.h"

using namespace ostrel::alg;
using ostrel::alg::WeiJuRecord;

namespace {
constexpr const char* kSource = "Alg\\IRCali_WeiJu";
constexpr int kLens2 = 4, kCustA = 5, kCustB = 6, kLutCount = 7;
}  // namespace


namespace {

int weijuRebuild(CaliContext* c, int32_t, int32_t shellTemp, void* user) {
  auto* wj = static_cast<WeiJu*>(user);
  caliRefreshCorrLuts(c, shellTemp);
  if (wj->mode == 2) {
    const int n = wj->record.lens1RangeCount;
    if (n < 2) {
      composeFinal(c, lutAt(wj->luts, 0), lutAt(wj->luts, kCustA), nullptr);
    } else {
      int k;
      int64_t w;
      rangeWeight(wj->shell, n, shellTemp, &k, &w);
      blendLuts(c->lutFinal, lutAt(wj->luts, k), lutAt(wj->luts, k + 1), w);
      composeFinal(c, c->lutFinal, lutAt(wj->luts, kCustA), nullptr);
    }
  } else if (wj->mode == 3) {
    composeFinal(c, lutAt(wj->luts, kLens2), lutAt(wj->luts, kCustB), nullptr);
  } else {
    identityLut16(c->lutFinal);
  }
  return 1;
}

bool pointsOf(const ostrel::alg::CaliPoint3* src, int n, BbPoint* out) {
  for (int j = 0; j < n; ++j) out[j] = {src[j].pair.reference, src[j].pair.measured};
  return bbPointsRising(out, n);
}

bool recordValid(const WeiJuRecord& r) {
  if (r.lens1RangeCount > 4 || r.lens1Points > 16 || r.lens2Points > 16) return false;
  if (!(r.globalEnvTemp >= 0 && r.globalEnvTemp <= 100 && r.globalEmissivity >= 0 && r.globalEmissivity <= 1.01f)) {
    return false;
  }
  BbPoint pts[16];
  for (int i = 0; i < r.lens1RangeCount; ++i) {
    if (!std::isfinite(r.lens1ShellTemp[i]) || (i > 0 && r.lens1ShellTemp[i] <= r.lens1ShellTemp[i - 1])) {
      return false;
    }
    if (!pointsOf(r.lens1[i], r.lens1Points, pts)) return false;
  }
  return pointsOf(r.lens2, r.lens2Points, pts);
}

int loadCust(WeiJu* wj, const char* path, uint8_t* record, int16_t* lut, int32_t* nodes) {
  const int rc = ostrel::fileReadExact(path, record, kCustRecordSize);
  // An unreadable file must not leave a half-read record to build from.
  if (rc != 0) std::memset(record, 0, kCustRecordSize);
  *nodes = Cali_InitCustLut(lut, record, wj->cali);
  return rc;
}

}  // namespace

extern "C" OSTREL_API WeiJu* WeiJu_Create(CaliContext* cali) {
  if (!cali) return nullptr;
  auto* wj = static_cast<WeiJu*>(caliAlloc(sizeof(WeiJu) + kLutCount * kLut16 * 2));
  if (!wj) return nullptr;
  std::memset(wj, 0, sizeof *wj);
  wj->cali = cali;
  wj->mode = 1;
  wj->luts = reinterpret_cast<uint8_t*>(wj + 1);
  for (int i = 0; i < kLutCount; ++i) identityLut16(lutAt(wj->luts, i));
  return wj;
}

extern "C" OSTREL_API int WeiJu_LoadFile(WeiJu* wj, const char* path) {
  if (!wj || !path) return OSTREL_E_ARGUMENT;
  WeiJuRecord r;
  const int readRc = ostrel::fileReadExact(path, &r, sizeof r);
  wj->lens1Ok = wj->lens2Ok = 0;
  wj->mode = 1;
  wj->cali->dirty |= 1;
  if (readRc != 0) {
    // Nothing of a partial read is kept: the variant runs as mode 1.
    std::memset(&wj->record, 0, sizeof wj->record);
    wj->record.caliMode = 1;
    return readRc;
  }
  wj->record = r;
  int rc = OSTREL_OK;
  if (!recordValid(r)) {
    rc = OSTREL_E_MISMATCH;
  } else {
    const double ambient = bbAmbient(r.globalEnvTemp, kSource, "WeiJu_LoadFile");
    BbPoint pts[16];
    if (r.lens1RangeCount > 0 && r.lens1Points > 0) {
      bool ok = true;
      for (int i = 0; i < r.lens1RangeCount && ok; ++i) {
        wj->shell[i] = int32_t(double(r.lens1ShellTemp[i]) * 1000.0);
        pointsOf(r.lens1[i], r.lens1Points, pts);
        ok = bbPointLut(lutAt(wj->luts, i), pts, r.lens1Points, ambient, wj->cali) == 0;
      }
      wj->lens1Ok = ok;
    }
    if (r.lens2Points > 0) {
      pointsOf(r.lens2, r.lens2Points, pts);
      wj->lens2Ok = bbPointLut(lutAt(wj->luts, kLens2), pts, r.lens2Points, ambient, wj->cali) == 0;
    }
    if ((r.caliMode == 2 && wj->lens1Ok) || (r.caliMode == 3 && wj->lens2Ok)) wj->mode = r.caliMode;
  }
  wj->record.caliMode = wj->mode;
  ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_DEBUG, "%s,%d,%s:\ncaliMode %d, len1_ok %d, len2_ok %d,\n\n",
                    kSource, __LINE__, "WeiJu_LoadFile", wj->mode, wj->lens1Ok, wj->lens2Ok);
  return rc;
}

extern "C" OSTREL_API int WeiJu_LoadCust(WeiJu* wj, const char* pathA, const char* pathB) {
  if (!wj) return OSTREL_E_ARGUMENT;
  int rc = OSTREL_OK;
  if (pathA) rc = loadCust(wj, pathA, wj->custA, lutAt(wj->luts, kCustA), &wj->custANodes);
  if (pathB) {
    const int rb = loadCust(wj, pathB, wj->custB, lutAt(wj->luts, kCustB), &wj->custBNodes);
    if (rc == OSTREL_OK) rc = rb;
  }
  wj->cali->dirty |= 1;
  return rc;
}

extern "C" OSTREL_API void WeiJu_Execute(WeiJu* wj, int16_t* frame) {
  if (wj) Cali_Execute(wj->cali, frame);
}

extern "C" OSTREL_API int WeiJu_InitEnv(WeiJu* wj, int32_t fpaTemp, int32_t shellTemp) {
  if (!wj) return OSTREL_E_ARGUMENT;
  const FinalLutBuilder b{weijuRebuild, wj, kSource, "WeiJu_InitEnv"};
  return caliInitEnvWith(wj->cali, fpaTemp, shellTemp, &b);
}
