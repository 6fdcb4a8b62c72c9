// Blackbody point LUTs, range blending and final LUT composition for the calibration variants.
#include "alg/calibration/variants/VariantLut.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "OstrelSDK.h"
#include "alg/radiometry/CorrLut.h"
#include "foundation/Logger.h"

namespace ostrel::alg {

namespace {

int32_t truncCode(double v) {
  if (!std::isfinite(v)) return v < 0 ? INT32_MIN : INT32_MAX;
  return int32_t(std::clamp(std::trunc(v), double(INT32_MIN), double(INT32_MAX)));
}

}  // namespace

bool bbPointsRising(const BbPoint* p, int n) {
  for (int j = 0; j < n; ++j) {
    if (!std::isfinite(p[j].blackbody) || !std::isfinite(p[j].measured)) return false;
    if (j > 0 && (p[j].blackbody <= p[j - 1].blackbody || p[j].measured <= p[j - 1].measured)) return false;
  }
  return true;
}

int bbPointLut(int16_t* lut, const BbPoint* p, int n, double ambient, const CaliContext* cali) {
  if (n < 2 || n > 64) return OSTREL_E_MISMATCH;
  int32_t in[64], out[64];
  for (int j = 0; j < n; ++j) {
    const double tbb = p[j].blackbody;
    const double eps = tbb < 601.0 ? 0.97 : 0.998;
    const double t = FixEmi_CalcTemp(ambient, tbb, eps, 1.0, cali->band);
    out[j] = truncCode(t * cali->scale + cali->c0);
    in[j] = truncCode(double(p[j].measured) * cali->scale + cali->c0);
  }
  return cc_initLutCali2(lut, n, out, in);
}

double bbAmbient(float globalEnvTemp, const char* source, const char* function) {
  if (globalEnvTemp != 0.0f) {
    logPrintf(logDefault(), LOG_DEBUG, "%s,%d,%s:\nglobalEnvTemp %3.1f\n\n", source, __LINE__, function,
              double(globalEnvTemp));
    return globalEnvTemp;
  }
  return 20.0;
}

void rangeWeight(const int32_t* axis, int n, int32_t t, int* k, int64_t* c) {
  int i = 0;
  while (i < n - 2 && t >= axis[i + 1]) ++i;
  *k = i;
  *c = ((int64_t(t) - axis[i]) * 256) / (int64_t(axis[i + 1]) - axis[i]);
}

void blendLuts(int16_t* out, const int16_t* lo, const int16_t* hi, int64_t c) {
  // Far outside the axis the weight is held where every product still fits 64 bits.
  c = std::clamp<int64_t>(c, -(int64_t(1) << 40), int64_t(1) << 40);
  for (int32_t x = -32768; x <= 32767; ++x) {
    const int64_t y = lo[x] + (((int64_t(hi[x]) - lo[x]) * c) >> 8);
    out[x] = int16_t(std::clamp<int64_t>(y, -32768, 32767));
  }
}

void composeFinal(CaliContext* c, const int16_t* src, const int16_t* cust, const int16_t* post) {
  int16_t* fin = c->lutFinal;
  const int16_t* emi = c->lutEmi;
  const int16_t* trans = c->lutTrans;
  for (int32_t x = -32768; x <= 32767; ++x) {
    const int16_t y = src ? src[x] : int16_t(x);
    const int16_t v = cust[emi[trans[y]]];
    fin[x] = post ? post[v] : v;
  }
}

}  // namespace ostrel::alg
