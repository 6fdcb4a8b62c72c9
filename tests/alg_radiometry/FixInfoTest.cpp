// Correction record checks, safe field conversions, the water table and the atmosphere model.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/radiometry/EnergyTable.h"
#include "alg/radiometry/FixInfoAccess.h"

namespace {
using namespace ostrel::alg;

struct Rec {
  uint8_t b[72] = {};
  Rec() {
    set(0, 20.0f);     // atmospheric temperature
    set(4, 50.0f);     // humidity %
    set(8, 10.0f);     // visibility km
    set(20, 1000.0f);  // distance m
    set(24, 0.95f);    // emissivity
    set(28, 0.9f);     // window transmittance
  }
  Rec& set(size_t off, float v) {
    std::memcpy(b + off, &v, 4);
    return *this;
  }
  const FixInfoRecord* p() const { return reinterpret_cast<const FixInfoRecord*>(b); }
};

TEST(FixInfo, ValidityBoundsAreExclusive) {
  EXPECT_EQ(Alg_FixIsValid(Rec().p()), 1);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(24, 0.09f).p()), 0);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(28, 0.49f).p()), 0);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(28, 1.01f).p()), 0);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(32, 50.1f).p()), 0);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(40, -50.1f).p()), 0);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(32, 50.0f).set(40, -50.0f).p()), 1);
  EXPECT_EQ(Alg_FixIsValid(Rec().set(24, NAN).p()), 0);
  EXPECT_EQ(Alg_FixIsValid(nullptr), 0);
}

TEST(FixInfo, TemperatureAndDistanceBecomeSafeIntegers) {
  EXPECT_EQ(fixAtmTemp_mC(Rec().set(0, 23.5f).b), 23500);
  EXPECT_EQ(fixAtmTemp_mC(Rec().set(0, NAN).b), 20000);
  EXPECT_EQ(fixAtmTemp_mC(Rec().set(0, INFINITY).b), 20000);
  EXPECT_EQ(fixAtmTemp_mC(Rec().set(0, 1e30f).b), 3500000);
  EXPECT_EQ(fixAtmTemp_mC(Rec().set(0, -1e30f).b), -50000);
  EXPECT_EQ(fixTargetDistance_m(Rec().set(20, 12.9f).b), 12);
  EXPECT_EQ(fixTargetDistance_m(Rec().set(20, NAN).b), 0);
  EXPECT_EQ(fixTargetDistance_m(Rec().set(20, -5.0f).b), 0);
  EXPECT_EQ(fixTargetDistance_m(Rec().set(20, 1e20f).b), 100000);
}

TEST(WaterTable, KeepsItsRowsAndFollowsMagnusElsewhere) {
  const double kept[][2] = {{-12, 1.724}, {0, 4.847}, {20, 17.29}, {40, 51.16}, {52, 91.08}};
  for (const auto& k : kept) EXPECT_EQ(kSaturatedWater[int(k[0] + 12) / 2], k[1]);
  for (int r = 1; r < kSaturatedWaterRows; ++r) {
    EXPECT_GT(kSaturatedWater[r], kSaturatedWater[r - 1]);
    const double t = -12 + 2 * r;
    if (t == 0 || t == 20 || t == 40 || t == 52) continue;
    // Magnus over water (Sonntag's constants), ideal gas, g/m^3.
    const double e = 611.2 * std::exp(17.62 * t / (243.12 + t));
    const double rho = e * 18.015 / (8.3145 * (t + 273.15));
    EXPECT_NEAR(kSaturatedWater[r], rho, rho * 0.005) << t;
  }
}

TEST(Atmosphere, GoldenAndSafeLimits) {
  // By hand: X = exp(-0.03), u = 17.29 * 0.5 = 8.645 mm -> V = 0.80366, G(1 km) = 0.956.
  EXPECT_NEAR(Alg_FixGetVirtualAtmTrans(Rec().p()), 0.7456, 0.0005);
  EXPECT_EQ(Alg_FixGetVirtualAtmTrans(Rec().set(8, 0.0f).set(20, 5000.0f).p()), 1.0);
  EXPECT_EQ(Alg_FixGetVirtualAtmTrans(Rec().set(20, 0.0f).p()), 1.0);
  // Past 30 km the gas line goes negative: clamped to 0, never below.
  EXPECT_EQ(Alg_FixGetVirtualAtmTrans(Rec().set(20, 40000.0f).p()), 0.0);
  // Negative weather counts as none, not NaN.
  const double base = Alg_FixGetVirtualAtmTrans(Rec().p());
  EXPECT_EQ(Alg_FixGetVirtualAtmTrans(Rec().set(12, -3.0f).set(16, -1.0f).p()), base);
  EXPECT_EQ(Alg_FixGetVirtualAtmTrans(Rec().set(8, -10.0f).p()), 1.0);
  for (float bad : {NAN, INFINITY, -INFINITY, 1e30f}) {
    for (size_t off : {0, 4, 8, 12, 16, 20}) {
      const double r = Alg_FixGetVirtualAtmTrans(Rec().set(off, bad).p());
      EXPECT_TRUE(r >= 0.0 && r <= 1.0) << off << " " << bad;
    }
  }
  // Rain lowers it.
  EXPECT_LT(Alg_FixGetVirtualAtmTrans(Rec().set(12, 5.0f).p()), base);
  EXPECT_EQ(Alg_FixGetVirtualAtmTrans(nullptr), 1.0);
}

}  // namespace
