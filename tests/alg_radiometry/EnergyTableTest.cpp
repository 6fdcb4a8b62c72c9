// The radiance table against the kept rows and an independent Planck integration, its lookups,
// and the point formulas of the calculators.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "alg/radiometry/EnergyTable.h"

namespace {
using namespace ostrel::alg;

// Composite 5-point Gauss-Legendre over wavenumber-free wavelength panels.
double planckBand(double kelvin, double lo, double hi) {
  static const double xs[5] = {0.0, -0.5384693101056831, 0.5384693101056831, -0.9061798459386640,
                               0.9061798459386640};
  static const double ws[5] = {0.5688888888888889, 0.4786286704993665, 0.4786286704993665, 0.2369268850561891,
                               0.2369268850561891};
  const double c2 = 14387.7688;
  const int panels = 300;
  const double h = (hi - lo) / panels;
  double total = 0;
  for (int p = 0; p < panels; ++p) {
    const double mid = lo + (p + 0.5) * h;
    for (int k = 0; k < 5; ++k) {
      const double l = mid + xs[k] * h / 2;
      total += ws[k] * h / 2 / (std::pow(l, 5) * std::expm1(c2 / (l * kelvin)));
    }
  }
  return total;
}

struct Kept {
  int32_t t;
  uint32_t e0, e1;
};
const Kept kKept[] = {{-50000, 1000, 1000},          {0, 3021, 13669},
                      {20000, 4264, 30711},          {100000, 12018, 344735},
                      {500000, 103927, 45439170},    {1000000, 275080, 321547713},
                      {2000000, 663574, 1429585779}, {3500000, 1272898, 3617550560u}};

bool isKept(int32_t t) {
  for (const Kept& k : kKept)
    if (k.t == t) return true;
  return false;
}

TEST(EnergyTable, KeepsTheSixteenGivenValuesAndRisesStrictly) {
  for (const Kept& k : kKept) {
    const int row = (k.t + 50000) / 5000;
    EXPECT_EQ(kEnergyTable[row].t_mC, k.t);
    EXPECT_EQ(kEnergyTable[row].e[0], k.e0) << k.t;
    EXPECT_EQ(kEnergyTable[row].e[1], k.e1) << k.t;
  }
  for (int r = 1; r < kEnergyRows; ++r) {
    EXPECT_EQ(kEnergyTable[r].t_mC, kEnergyTable[r - 1].t_mC + 5000);
    EXPECT_GT(kEnergyTable[r].e[0], kEnergyTable[r - 1].e[0]) << r;
    EXPECT_GT(kEnergyTable[r].e[1], kEnergyTable[r - 1].e[1]) << r;
  }
}

TEST(EnergyTable, OtherRowsFollowPlanckWithinOneUnit) {
  const double ref0 = planckBand(223.15, 7.7, 14.0), ref1 = planckBand(223.15, 3.0, 5.0);
  for (int r = 0; r < kEnergyRows; ++r) {
    const int32_t t = kEnergyTable[r].t_mC;
    if (isKept(t)) continue;
    const double k = t / 1000.0 + 273.15;
    EXPECT_NEAR(double(kEnergyTable[r].e[0]), 1000.0 * planckBand(k, 7.7, 14.0) / ref0, 1.0) << t;
    EXPECT_NEAR(double(kEnergyTable[r].e[1]), 1000.0 * planckBand(k, 3.0, 5.0) / ref1, 1.0) << t;
  }
}

TEST(EnergyTable, LookupsClampInterpolateAndInvertWithinOneStep) {
  for (int band = 0; band < 2; ++band) {
    EXPECT_EQ(energyOf(-60000, band), 1000);
    EXPECT_EQ(energyOf(4000000, band), int64_t(kEnergyTable[710].e[band]));
    EXPECT_EQ(tempOfEnergy(10, band, nullptr), -50000);
    EXPECT_EQ(tempOfEnergy(int64_t(kEnergyTable[710].e[band]) + 5, band, nullptr), 3500000);
    // Halfway between rows 14 (20 °C) and 15 (25 °C).
    const int64_t mid = (int64_t(kEnergyTable[14].e[band]) + kEnergyTable[15].e[band]) / 2;
    EXPECT_NEAR(double(energyOf(22500, band)), double(mid), 1.0);
    int hint = 1;
    for (int32_t t = -50000; t <= 3500000; t += 997) {
      const int r = std::min((t + 50000) / 5000 + 1, 710);
      const int64_t de = int64_t(kEnergyTable[r].e[band]) - kEnergyTable[r - 1].e[band];
      const int32_t back = tempOfEnergy(energyOf(t, band), band, &hint);
      EXPECT_LE(back, t);
      EXPECT_LE(t - back, 5000 / de + 1) << t << " band " << band;
      // A hint from higher up must not change the answer.
      int high = 700;
      EXPECT_EQ(tempOfEnergy(energyOf(t, band), band, &high), back);
    }
  }
}

TEST(PointFormulas, CalculatorsAgreeWithTheRadianceBalance) {
  // Same emissivity twice: unchanged, exactly.
  for (double t : {-20.0, 0.0, 36.6, 250.0, 1200.0}) {
    EXPECT_EQ(FixEmi_CalcTemp(20.0, t, 0.9, 0.9, 0), t);
    EXPECT_EQ(FixEmi_CalcTemp(25.0, t, 0.5, 0.5, 1), t);
  }
  // Hand calculation with the table rows: ambient 20 °C (4264), object read at 100 °C (12018)
  // with emissivity 1 shows at 0.95: E = (12018 - 0.05 * 4264) / 0.95 = 12426.1; between the rows
  // of 100 and 105 °C.
  const double t95 = FixEmi_CalcTemp(20.0, 100.0, 1.0, 0.95, 0);
  EXPECT_GT(t95, 100.0);
  EXPECT_LT(t95, 105.0);
  // The emissivity calculator recovers the emissivity that the temperature formula used.
  EXPECT_NEAR(FixEmi_CalcEmi(20.0, 100.0, 1.0, t95, 0), 0.95, 0.002);
  EXPECT_NEAR(FixTrans_CalcTrans(25.0, 80.0, 90.96, 0), 0.8, 0.002);
  EXPECT_NEAR(FixTrans_CalcTrans(25.0, 25.0 + 1e-9, 300.0, 1), 0.0, 1e-9);
}

TEST(PointFormulas, DivisionsByZeroAndNonFiniteInputsGiveZero) {
  EXPECT_EQ(FixTrans_CalcTrans(30.0, 50.0, 30.0, 0), 0.0);   // object at window temperature
  EXPECT_EQ(FixEmi_CalcEmi(20.0, 50.0, 0.9, 20.0, 0), 0.0);  // object at ambient
  EXPECT_EQ(FixEmi_CalcTemp(20.0, 50.0, 0.9, 0.0, 0), 0.0);  // second emissivity 0
  EXPECT_EQ(FixEmi_CalcTemp(NAN, 50.0, 0.9, 0.8, 0), 0.0);
  EXPECT_EQ(FixEmi_CalcTemp(20.0, INFINITY, 0.9, 0.8, 0), 0.0);
  EXPECT_EQ(FixEmi_CalcTemp(20.0, 50.0, NAN, 0.8, 1), 0.0);
  EXPECT_EQ(FixTrans_CalcTrans(NAN, 50.0, 60.0, 0), 0.0);
  EXPECT_EQ(FixEmi_CalcEmi(20.0, 50.0, INFINITY, 60.0, 0), 0.0);
  // Huge but finite inputs are limited, not converted out of range.
  const double big = FixEmi_CalcTemp(20.0, 1e300, 0.9, 0.8, 0);
  EXPECT_TRUE(std::isfinite(big));
}

TEST(PointFormulas, Temp2EnergyPassesValuesThroughThePointers) {
  double t = 20.0, e = 0;
  EXPECT_EQ(FixTrans_Temp2Energy(1, 0, &t, &e), 0);
  EXPECT_EQ(e, 4264.0);
  t = 3500.0;
  EXPECT_EQ(FixTrans_Temp2Energy(1, 1, &t, &e), 0);
  EXPECT_EQ(e, 3617550560.0);  // beyond the int range
  e = 13669.0;
  EXPECT_EQ(FixTrans_Temp2Energy(0, 1, &t, &e), 0);
  EXPECT_EQ(t, 0.0);
  // Below the table the first segment extends.
  t = -60.0;
  EXPECT_EQ(FixTrans_Temp2Energy(1, 0, &t, &e), 0);
  EXPECT_LT(e, 1000.0);
  EXPECT_EQ(FixTrans_Temp2Energy(1, 0, nullptr, &e), OSTREL_E_ARGUMENT);
  EXPECT_EQ(FixTrans_Temp2Energy(0, 0, &t, nullptr), OSTREL_E_ARGUMENT);
}

}  // namespace

namespace {

// The checked-in table is exactly what its generator writes.
TEST(EnergyTable, CheckedInSourceMatchesTheGenerator) {
  const std::string dir = std::string(OSTREL_TEST_SOURCE_DIR) + "/../../sdk/src/alg/radiometry/";
  const std::string out = std::string(OSTREL_TEST_BINARY_DIR) + "/EnergyTableData.regenerated.cpp";
  const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " " + dir + "gen_energy_table.py > " + out;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  auto slurp = [](const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
  };
  const std::string fresh = slurp(out);
  ASSERT_FALSE(fresh.empty());
  EXPECT_EQ(fresh, slurp(dir + "EnergyTableData.cpp"));
}

}  // namespace
