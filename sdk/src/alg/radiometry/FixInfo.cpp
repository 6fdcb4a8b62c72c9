// Validity test of the correction record and the atmospheric transmittance model.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "OstrelSDK.h"
#include "alg/radiometry/EnergyTable.h"
#include "alg/radiometry/FixInfoAccess.h"

namespace ostrel::alg {

int32_t fixAtmTemp_mC(const void* record) {
  const double t = fixInfoFloat(record, kFixAtmTemp);
  if (!std::isfinite(t)) return 20000;
  return int32_t(std::clamp(t * 1000.0, double(kEnergyFirst_mC), double(kEnergyLast_mC)));
}

int32_t fixTargetDistance_m(const void* record) {
  const double d = fixInfoFloat(record, kFixDistance);
  if (!std::isfinite(d) || d <= 0) return 0;
  return int32_t(std::min(d, 100000.0));
}

namespace {

struct Node {
  double x, y;
};

// Linear through the table; outside it the first and last segments are extended.
double interpolate(const Node* n, int count, double x) {
  int i = 1;
  while (i < count - 1 && x >= n[i].x) ++i;
  return n[i - 1].y + (n[i].y - n[i - 1].y) * (x - n[i - 1].x) / (n[i].x - n[i - 1].x);
}

constexpr Node kWater[] = {{0.1, 0.995}, {0.2, 0.992}, {0.5, 0.981}, {1, 0.965},  {2, 0.937},
                           {5, 0.87},    {10, 0.779},  {20, 0.64},   {50, 0.389}, {100, 0.2},
                           {200, 0.07},  {500, 0.01},  {1000, 0},    {1500, 0}};
constexpr Node kGas[] = {{0.1, 1.0}, {0.2, 0.991}, {0.5, 0.9779}, {1, 0.956}, {2, 0.914},
                         {5, 0.799}, {10, 0.638},  {20, 0.407},   {30, 0}};

// Negative or non-finite weather inputs mean "none".
double nonNegative(float v) {
  return std::isfinite(v) && v > 0 ? double(v) : 0.0;
}

}  // namespace
}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API int Alg_FixIsValid(const struct FixInfoRecord* fixInfo) {
  if (!fixInfo) return 0;
  // NaN fails every comparison, so a non-finite field is refused too.
  const float trans = fixInfoFloat(fixInfo, kFixWindowTrans);
  const float windowOffset = fixInfoFloat(fixInfo, kFixWindowTempOffset);
  const float emi = fixInfoFloat(fixInfo, kFixEmissivity);
  const float offset = fixInfoFloat(fixInfo, kFixTempOffset);
  const bool ok = trans > 0.49f && trans < 1.01f && windowOffset > -50.1f && windowOffset < 50.1f &&
                  emi > 0.09f && emi < 1.01f && offset > -50.1f && offset < 50.1f;
  return ok ? 1 : 0;
}

extern "C" OSTREL_API double Alg_FixGetVirtualAtmTrans(const struct FixInfoRecord* fixInfo) {
  if (!fixInfo) return 1.0;
  const double visibility = nonNegative(fixInfoFloat(fixInfo, kFixVisibility));
  const int32_t distance = fixTargetDistance_m(fixInfo);
  if (visibility == 0 || distance == 0) return 1.0;
  const double d = distance / 1000.0;
  const double h = nonNegative(fixInfoFloat(fixInfo, kFixHumidity)) / 100.0;
  const double rain = nonNegative(fixInfoFloat(fixInfo, kFixRain));
  const double snow = nonNegative(fixInfoFloat(fixInfo, kFixSnow));
  const double weather =
      std::exp(d * (-0.66 * std::pow(rain, 0.66) - 6.5 * std::pow(snow, 0.7) - 0.3 / visibility));

  // Saturated water density at the air temperature: 2 °C rows from -12 °C, end rows extended.
  const double t = fixAtmTemp_mC(fixInfo) / 1000.0;
  const double pos = (t + 12.0) / 2.0;
  const int row = std::clamp(int(std::floor(pos)), 0, kSaturatedWaterRows - 2);
  const double sat = kSaturatedWater[row] + (kSaturatedWater[row + 1] - kSaturatedWater[row]) * (pos - row);
  const double u = std::max(0.0, sat) * h * d;  // precipitable water, mm

  const double water = interpolate(kWater, int(std::size(kWater)), u);
  const double gas = interpolate(kGas, int(std::size(kGas)), d);
  const double r = gas * water * weather;
  if (!std::isfinite(r)) return 0.0;
  return std::clamp(r, 0.0, 1.0);
}
