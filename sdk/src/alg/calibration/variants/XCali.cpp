// Range calibration: up to four blackbody-measured LUTs chosen and blended by the shell
// temperature, and custom points, composing the final LUT of a calibration.
#include <cmath>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/radiometry/CorrLut.h"
#include "alg/radiometry/CalibrationRecords.h"

using namespace ostrel::alg;
using ostrel::alg::XCaliCali2Record;
using ostrel::alg::XCaliCustRecord;

namespace {
constexpr const char* kSource = "Alg\\IRCali_XCali";
constexpr int kCustLut = 4;  // after the four range LUTs
}  // namespace

struct XCali {
  CaliContext* cali;  // first field: callers convert frames with Cali_Execute on it
  uint8_t enabled;
  uint8_t rangeCount;
  int32_t shell[4];
  uint8_t cust[kCustRecordSize];
  uint8_t custOk;
  uint8_t* luts;  // four ranges and the custom LUT, inside this block
};

namespace {

int xcaliRebuild(CaliContext* c, int32_t, int32_t shellTemp, void* user) {
  auto* x = static_cast<XCali*>(user);
  caliRefreshCorrLuts(c, shellTemp);
  if (!x->enabled || x->rangeCount == 0) {
    identityLut16(c->lutFinal);
    return 1;
  }
  const int16_t* cust = lutAt(x->luts, kCustLut);
  if (x->rangeCount < 2) {
    composeFinal(c, lutAt(x->luts, 0), cust, nullptr);
    return 1;
  }
  int k;
  int64_t w;
  rangeWeight(x->shell, x->rangeCount, shellTemp, &k, &w);
  // The blend goes through the final LUT's storage, then is composed in place.
  blendLuts(c->lutFinal, lutAt(x->luts, k), lutAt(x->luts, k + 1), w);
  composeFinal(c, c->lutFinal, cust, nullptr);
  return 1;
}

bool recordValid(const XCaliCali2Record& r) {
  if (r.rangeCount == 0 || r.rangeCount > 4 || r.pointsPerRange == 0 || r.pointsPerRange > 24) return false;
  if (!(r.globalEnvTemp >= 0 && r.globalEnvTemp <= 100 && r.globalEmissivity >= 0 && r.globalEmissivity <= 1.01f)) {
    return false;
  }
  for (int i = 0; i < r.rangeCount; ++i) {
    if (!std::isfinite(r.shellTemp[i]) || (i > 0 && r.shellTemp[i] <= r.shellTemp[i - 1])) return false;
    BbPoint pts[24];
    for (int j = 0; j < r.pointsPerRange; ++j) pts[j] = {r.points[i][j].pair.reference, r.points[i][j].pair.measured};
    if (!bbPointsRising(pts, r.pointsPerRange)) return false;
  }
  return true;
}

}  // namespace

extern "C" OSTREL_API XCali* XCali_Create(const CaliCreateInfo* info) {
  CaliContext* cali = Cali_CreateX(info);
  if (!cali) return nullptr;
  const size_t bytes = sizeof(XCali) + 5 * kLut16 * 2;
  auto* x = static_cast<XCali*>(caliAlloc(bytes));
  if (!x) {
    Cali_Free(&cali);
    return nullptr;
  }
  std::memset(x, 0, sizeof *x);
  x->cali = cali;
  x->luts = reinterpret_cast<uint8_t*>(x + 1);
  for (int i = 0; i <= kCustLut; ++i) identityLut16(lutAt(x->luts, i));
  return x;
}

extern "C" OSTREL_API void XCali_Free(XCali** p) {
  if (!p || !*p) return;
  Cali_Free(&(*p)->cali);
  caliRelease(*p);
  *p = nullptr;
}

extern "C" OSTREL_API int XCali_LoadCali2(XCali* x, const void* record) {
  if (!x || !record) return OSTREL_E_ARGUMENT;
  XCaliCali2Record r;
  std::memcpy(&r, record, sizeof r);
  int rc = recordValid(r) ? OSTREL_OK : OSTREL_E_MISMATCH;
  if (rc == OSTREL_OK) {
    const double ambient = bbAmbient(r.globalEnvTemp, kSource, "XCali_LoadCali2");
    for (int i = 0; i < r.rangeCount && rc == OSTREL_OK; ++i) {
      x->shell[i] = int32_t(double(r.shellTemp[i]) * 1000.0);
      BbPoint pts[24];
      for (int j = 0; j < r.pointsPerRange; ++j) pts[j] = {r.points[i][j].pair.reference, r.points[i][j].pair.measured};
      if (bbPointLut(lutAt(x->luts, i), pts, r.pointsPerRange, ambient, x->cali) != 0) rc = OSTREL_E_MISMATCH;
    }
  }
  if (rc == OSTREL_OK) {
    x->enabled = r.enable;
    x->rangeCount = r.enable ? r.rangeCount : 0;
  } else {
    x->enabled = 0;
    x->rangeCount = 0;
  }
  x->cali->dirty |= 1;
  return rc;
}

extern "C" OSTREL_API int XCali_LoadCust(XCali* x, const void* record) {
  if (!x || !record) return OSTREL_E_ARGUMENT;
  XCaliCustRecord r;
  std::memcpy(&r, record, sizeof r);
  const int32_t n = r.pointCount > 16 ? 0 : r.pointCount;
  std::memset(x->cust, 0, sizeof x->cust);
  std::memcpy(x->cust + 268, &n, 4);
  for (int k = 0; k < n; ++k) {
    std::memcpy(x->cust + 272 + 24 * k, &r.points[k].pair.reference, 4);
    std::memcpy(x->cust + 276 + 24 * k, &r.points[k].pair.measured, 4);
  }
  int16_t* lut = lutAt(x->luts, kCustLut);
  x->custOk = 0;
  if (r.enable) {
    x->custOk = Cali_InitCustLut(lut, x->cust, x->cali) > 0;
  } else {
    identityLut16(lut);
  }
  x->cali->dirty |= 1;
  return OSTREL_OK;
}

extern "C" OSTREL_API int XCali_InitEnv(XCali* x, int32_t fpaTemp, int32_t shellTemp) {
  if (!x) return OSTREL_E_ARGUMENT;
  const FinalLutBuilder b{xcaliRebuild, x, kSource, "XCali_InitEnv"};
  return caliInitEnvWith(x->cali, fpaTemp, shellTemp, &b);
}
