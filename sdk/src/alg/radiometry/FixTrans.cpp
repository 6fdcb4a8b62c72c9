// Transmittance and emissivity corrections: the code <-> m°C tables, the 65536-entry code LUTs
// and the point formulas of the calculators.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "OstrelSDK.h"
#include "alg/radiometry/EnergyTable.h"

struct FixTransContext {
  int32_t band;
  uint16_t scale;  // 0 = tables not built
  int16_t offset;
  int32_t codeToMilli[65536];    // index code + 32768
  int16_t milliToCode[1 << 23];  // index m°C + 4194304
};

namespace ostrel::alg {
namespace {

constexpr int32_t kMilliMin = -4194304, kMilliMax = 4194303;

int16_t saturate16(int64_t v) {
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

int16_t codeOfMilli(const FixTransContext* ctx, int32_t t_mC) {
  return ctx->milliToCode[std::clamp(t_mC, kMilliMin, kMilliMax) - kMilliMin];
}

// A quarter-slope continuation below the point where the LUT starts to rise: where the
// correction runs out of energy (everything maps to the table's -50 °C) the LUT would be flat.
void repairLowEnd(const FixTransContext* ctx, int16_t* lut) {
  const int64_t s = ctx->scale;
  const int64_t lowC = ctx->band == 1 ? -10 : -30;
  const int64_t start = std::clamp<int64_t>((lowC - ctx->offset) * s, -32768, 32766);
  const int64_t stop = std::clamp<int64_t>((30 - ctx->offset) * s, -32768, 32766);
  int64_t i = start;
  while (i < stop && lut[i] >= lut[i + 1]) ++i;
  for (int64_t j = -32768; j < i; ++j) {
    lut[j] = saturate16(lut[i] + (s * (4 * s + j - i)) / (4 * s) - s);
  }
}

// lut[c] = addCode + code(T((E(T(c)) - base * (1 - f)) / f)), saturated to 16 bits.
void buildEnergyLut(const FixTransContext* ctx, int32_t base_mC, double f, int64_t addCode, int16_t* lut) {
  const double base = double(energyOfFine(base_mC, ctx->band));
  const double pedestal = base * (1.0 - f);
  int hint = 1;
  for (int c = -32768; c <= 32767; ++c) {
    const double e = double(energyOfFine(ctx->codeToMilli[c + 32768], ctx->band)) - pedestal;
    // Energies far above the table are clamped before the integer conversion; the inverse
    // clamps them to the last row anyway.
    const double a = std::min(std::max(e, 0.0) / f, 1e18);
    const int32_t t = tempOfEnergyFine(int64_t(a), ctx->band, &hint);
    lut[c] = saturate16(addCode + codeOfMilli(ctx, t));
  }
  repairLowEnd(ctx, lut);
}

void identityLut(int16_t* lut, int64_t addCode) {
  for (int c = -32768; c <= 32767; ++c) lut[c] = saturate16(c + addCode);
}

bool usableFactor(double f) {
  return std::isfinite(f) && f > 0.0 && f < 1.01;
}

// Degrees Celsius -> m°C for the point formulas; false for non-finite input.
bool toMilli(double c, int64_t* out) {
  if (!std::isfinite(c)) return false;
  *out = int64_t(std::clamp(c, -1e6, 1e6) * 1000.0);
  return true;
}

}  // namespace
}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API FixTransContext* FixTrans_Create(int band) {
  auto* ctx = static_cast<FixTransContext*>(std::calloc(1, sizeof(FixTransContext)));
  if (ctx) ctx->band = bandIndex(band);
  return ctx;
}

// FixTrans_Free is the SDK's one free of single-block objects (the context is one calloc block).

extern "C" OSTREL_API int FixTrans_Init(FixTransContext* ctx, uint16_t scale, int16_t offset) {
  if (!ctx) return OSTREL_E_ARGUMENT;
  if (scale == 0 || (scale == ctx->scale && offset == ctx->offset)) return OSTREL_OK;
  const int64_t s = scale, o = offset;
  for (int64_t c = -32768; c <= 32767; ++c) {
    ctx->codeToMilli[c + 32768] =
        int32_t(std::clamp<int64_t>(o * 1000 + (c * 1000) / s, kMilliMin, kMilliMax));
  }
  // 64-bit products: scales above 511 would overflow 32 bits at the table ends.
  for (int64_t t = kMilliMin; t <= kMilliMax; ++t) {
    ctx->milliToCode[t - kMilliMin] = saturate16((t * s) / 1000 - o * s);
  }
  ctx->scale = scale;
  ctx->offset = offset;
  return OSTREL_OK;
}

extern "C" OSTREL_API int FixTrans_UpdateLut(FixTransContext* ctx, int32_t windowTemp_mC, double trans,
                                             int16_t* lut) {
  if (!ctx || !lut) return OSTREL_E_ARGUMENT;
  if (ctx->scale == 0) return OSTREL_E_STATE;
  if (!usableFactor(trans)) {
    identityLut(lut, 0);
    return OSTREL_OK;
  }
  buildEnergyLut(ctx, windowTemp_mC, trans, 0, lut);
  return OSTREL_OK;
}

extern "C" OSTREL_API int FixEmi_UpdateLut(FixTransContext* ctx, int32_t ambient_mC, double emissivity,
                                           double tempOffset, int16_t* lut) {
  if (!ctx || !lut) return OSTREL_E_ARGUMENT;
  if (ctx->scale == 0) return OSTREL_E_STATE;
  const double offsetCodes =
      std::isfinite(tempOffset) ? std::clamp(tempOffset, -1000.0, 1000.0) * ctx->scale : 0.0;
  const int64_t addCode = int64_t(offsetCodes);
  if (!usableFactor(emissivity)) {
    identityLut(lut, addCode);
    return OSTREL_OK;
  }
  buildEnergyLut(ctx, ambient_mC, emissivity, addCode, lut);
  return OSTREL_OK;
}

extern "C" OSTREL_API double FixTrans_CalcTrans(double tWindow, double tMeasured, double tObject, int band) {
  int64_t w, m, o;
  if (!toMilli(tWindow, &w) || !toMilli(tMeasured, &m) || !toMilli(tObject, &o)) return 0.0;
  const double ew = double(energyOfExtended(w, band));
  const double den = double(energyOfExtended(o, band)) - ew;
  if (den == 0.0) return 0.0;
  return (double(energyOfExtended(m, band)) - ew) / den;
}

extern "C" OSTREL_API double FixEmi_CalcEmi(double tAmbient, double tMeasured, double emissivity,
                                            double tObject, int band) {
  int64_t a, m, o;
  if (!toMilli(tAmbient, &a) || !toMilli(tMeasured, &m) || !toMilli(tObject, &o) ||
      !std::isfinite(emissivity)) {
    return 0.0;
  }
  const double ea = double(energyOfExtended(a, band));
  const double den = double(energyOfExtended(o, band)) - ea;
  if (den == 0.0) return 0.0;
  const double r = ((1.0 - emissivity) * ea + emissivity * double(energyOfExtended(m, band)) - ea) / den;
  return std::isfinite(r) ? r : 0.0;
}

extern "C" OSTREL_API double FixEmi_CalcTemp(double tAmbient, double tObject, double emissivity,
                                             double secondEmissivity, int band) {
  int64_t a, o;
  if (!toMilli(tAmbient, &a) || !toMilli(tObject, &o) || !std::isfinite(emissivity) ||
      !std::isfinite(secondEmissivity) || secondEmissivity == 0.0) {
    return 0.0;
  }
  // The same emissivity changes nothing; the energy round trip would lose up to a few m°C.
  if (emissivity == secondEmissivity) return tObject;
  const double ea = double(energyOfExtended(a, band));
  // Radiance seen at the first emissivity, then solved for the object at the second one.
  const double seen = emissivity * double(energyOfExtended(o, band)) + (1.0 - emissivity) * ea;
  const double e = (seen - (1.0 - secondEmissivity) * ea) / secondEmissivity;
  if (!std::isfinite(e)) return 0.0;
  return double(tempOfEnergyExtended(int64_t(std::clamp(e, -1e12, 1e12)), band)) / 1000.0;
}

extern "C" OSTREL_API int FixTrans_Temp2Energy(int dir, int band, double* temp, double* energy) {
  if (!temp || !energy) return OSTREL_E_ARGUMENT;
  if (dir != 0) {
    int64_t t;
    *energy = toMilli(*temp, &t) ? double(energyOfExtended(t, band)) : 0.0;
  } else {
    const double e = *energy;
    *temp = std::isfinite(e)
                ? double(tempOfEnergyExtended(int64_t(std::clamp(e, -1e12, 1e12)), band)) / 1000.0
                : 0.0;
  }
  return OSTREL_OK;
}
