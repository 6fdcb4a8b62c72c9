// Transmittance and emissivity LUTs: physics goldens, identity, monotonicity and saturation;
// the point-pair LUT builder and the custom-point LUT.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "OstrelSDK.h"
#include "alg/radiometry/CorrLut.h"

namespace {
using namespace ostrel::alg;

struct Lut {
  std::vector<int16_t> data = std::vector<int16_t>(65536);
  int16_t* at0() { return data.data() + 32768; }
  int16_t operator[](int c) const { return data[c + 32768]; }
};

struct Ctx {
  FixTransContext* p;
  explicit Ctx(int band) : p(FixTrans_Create(band)) {}
  ~Ctx() { FixTrans_Free(&p); }
};

int codeOf(double t, int scale, int offset) {
  return int((t - offset) * scale);
}

TEST(CorrectionLut, TransmittanceAndEmissivityGoldensFromPhysics) {
  Ctx ctx(0);
  ASSERT_NE(ctx.p, nullptr);
  ASSERT_EQ(FixTrans_Init(ctx.p, 100, 0), 0);
  Lut lut;
  // Window 25 °C at tau 0.8: E(80) = 0.8 E(T) + 0.2 E(25) gives T of about 90.96 °C.
  ASSERT_EQ(FixTrans_UpdateLut(ctx.p, 25000, 0.8, lut.at0()), 0);
  EXPECT_NEAR(lut[codeOf(80.0, 100, 0)] / 100.0, 90.96, 0.03);
  // Ambient 20 °C at emissivity 0.95: E(50) = 0.95 E(T) + 0.05 E(20) gives about 51.36 °C.
  ASSERT_EQ(FixEmi_UpdateLut(ctx.p, 20000, 0.95, 0.0, lut.at0()), 0);
  EXPECT_NEAR(lut[codeOf(50.0, 100, 0)] / 100.0, 51.36, 0.03);
  // The temperature offset is added in degrees.
  ASSERT_EQ(FixEmi_UpdateLut(ctx.p, 20000, 0.95, 1.5, lut.at0()), 0);
  EXPECT_NEAR(lut[codeOf(50.0, 100, 0)] / 100.0, 52.86, 0.03);
}

TEST(CorrectionLut, UnitFactorsGiveTheIdentityAboveTheRepairedLowEnd) {
  struct Case {
    int band, scale, offset;
  };
  for (const Case c : {Case{0, 100, 0}, Case{0, 10, -20}, Case{1, 64, 100}, Case{1, 100, 0}}) {
    Ctx ctx(c.band);
    ASSERT_EQ(FixTrans_Init(ctx.p, uint16_t(c.scale), int16_t(c.offset)), 0);
    Lut t, e;
    ASSERT_EQ(FixTrans_UpdateLut(ctx.p, 30000, 1.0, t.at0()), 0);
    ASSERT_EQ(FixEmi_UpdateLut(ctx.p, 30000, 1.0, 0.0, e.at0()), 0);
    const int from = std::max(-32768, (c.band == 1 ? -10 - c.offset : -30 - c.offset) * c.scale);
    const int to = std::min(32767, (3500 - c.offset) * c.scale);
    for (int code = from; code <= to; ++code) {
      ASSERT_NEAR(t[code], code, 1) << code << " band " << c.band << " scale " << c.scale;
      ASSERT_NEAR(e[code], code, 1) << code;
    }
  }
}

TEST(CorrectionLut, NonDecreasingAfterTheLowEndRepair) {
  for (int band = 0; band < 2; ++band) {
    Ctx ctx(band);
    ASSERT_EQ(FixTrans_Init(ctx.p, 100, 0), 0);
    for (double f : {0.3, 0.6, 0.95}) {
      Lut t, e;
      ASSERT_EQ(FixTrans_UpdateLut(ctx.p, 40000, f, t.at0()), 0);
      ASSERT_EQ(FixEmi_UpdateLut(ctx.p, -10000, f, 0.0, e.at0()), 0);
      for (int c = -32768; c < 32767; ++c) {
        ASSERT_LE(t[c], t[c + 1]) << c << " tau " << f << " band " << band;
        ASSERT_LE(e[c], e[c + 1]) << c << " eps " << f << " band " << band;
      }
      // Below the repaired point the continuation has a quarter slope: 4 degrees of input
      // below -60 °C move the output by about one degree.
      EXPECT_NEAR(t[-8000] - t[-8400], 100, 2);
    }
  }
}

TEST(CorrectionLut, HotCodesSaturateInsteadOfWrapping) {
  Ctx ctx(0);
  ASSERT_EQ(FixTrans_Init(ctx.p, 100, 0), 0);
  Lut lut;
  ASSERT_EQ(FixTrans_UpdateLut(ctx.p, 25000, 0.5, lut.at0()), 0);
  EXPECT_EQ(lut[32767], 32767);
  EXPECT_GT(lut[30000], 30000);
  // A large temperature offset pushes every warm code past the top: still the top, not cold.
  ASSERT_EQ(FixEmi_UpdateLut(ctx.p, 20000, 0.9, 300.0, lut.at0()), 0);
  EXPECT_EQ(lut[32767], 32767);
  EXPECT_EQ(lut[10000], 32767);
}

TEST(CorrectionLut, RepairStartOutsideTheCodeRangeAndBadFactors) {
  // Offset 50 at scale 1000: the code of -30 °C lies far below -32768; the repair clamps it.
  Ctx ctx(0);
  ASSERT_EQ(FixTrans_Init(ctx.p, 1000, 50), 0);
  Lut lut;
  ASSERT_EQ(FixTrans_UpdateLut(ctx.p, 25000, 0.7, lut.at0()), 0);
  for (int c = -32768; c < 32767; ++c) ASSERT_LE(lut[c], lut[c + 1]) << c;
  // Zero, negative or non-finite factors give the identity instead of dividing by zero.
  for (double f : {0.0, -0.5, double(NAN), double(INFINITY)}) {
    ASSERT_EQ(FixTrans_UpdateLut(ctx.p, 25000, f, lut.at0()), 0);
    EXPECT_EQ(lut[1234], 1234);
    ASSERT_EQ(FixEmi_UpdateLut(ctx.p, 25000, f, NAN, lut.at0()), 0);
    EXPECT_EQ(lut[-77], -77);
  }
  // Without a scale nothing happens.
  Ctx bare(1);
  lut.data.assign(65536, 7);
  EXPECT_EQ(FixTrans_UpdateLut(bare.p, 25000, 0.7, lut.at0()), OSTREL_E_STATE);
  EXPECT_EQ(lut[0], 7);
  EXPECT_EQ(FixTrans_UpdateLut(nullptr, 25000, 0.7, lut.at0()), OSTREL_E_ARGUMENT);
  FixTransContext* none = nullptr;
  FixTrans_Free(&none);
  FixTrans_Free(nullptr);
}

TEST(PairLut, NodesMapExactlyAndEndsExtendWithSaturation) {
  Lut lut;
  const int32_t in[] = {-1000, 0, 2000}, out[] = {-1100, 100, 2500};
  ASSERT_EQ(initLut(lut.at0(), 3, out, in), 0);
  for (int j = 0; j < 3; ++j) EXPECT_EQ(lut[in[j]], out[j]);
  EXPECT_EQ(lut[1000], 100 + (1000 * 2400) / 2000);
  EXPECT_EQ(lut[-2000], -1100 - 1200);  // first segment extended
  EXPECT_EQ(lut[32767], 32767);         // last segment extended, saturated
  EXPECT_EQ(lut[-32768], -32768);
  const int32_t flat[] = {0, 0, 100};
  EXPECT_EQ(cc_initLutCali2(lut.at0(), 3, out, flat), -11);  // equal inputs would divide by zero
  EXPECT_EQ(initLut(lut.at0(), 1, out, in), -11);
  const int32_t wide[] = {-40000, 0};
  EXPECT_EQ(initLut(lut.at0(), 2, out, wide), -11);
}

// A 656-byte custom record with the given (reference, measured) points.
std::vector<uint8_t> custRecord(const std::vector<std::pair<float, float>>& pts, int32_t count) {
  std::vector<uint8_t> r(656, 0);
  std::memcpy(&r[268], &count, 4);
  for (size_t p = 0; p < pts.size(); ++p) {
    std::memcpy(&r[272 + 24 * p], &pts[p].first, 4);
    std::memcpy(&r[276 + 24 * p], &pts[p].second, 4);
  }
  return r;
}

TEST(CustomLut, PassesThroughItsPointsOrFallsBackToIdentity) {
  Lut lut;
  const int scale = 10, c0 = 0;
  const auto rec = custRecord({{20.0f, 21.0f}, {50.0f, 49.0f}, {100.0f, 103.0f}}, 3);
  ASSERT_EQ(buildCustLut(lut.at0(), rec.data(), rec.size(), scale, c0), 7);
  EXPECT_NEAR(lut[210], 200, 1);
  EXPECT_NEAR(lut[490], 500, 1);
  EXPECT_NEAR(lut[1030], 1000, 1);
  for (int c = -32768; c < 32767; ++c) ASSERT_LE(lut[c], lut[c + 1]) << c;
  // The outer segments run to the code range's corners; their 12-bit slopes lose up to
  // |code| / 4096 codes.
  EXPECT_NEAR(lut[-30000], -30000, 10);
  EXPECT_NEAR(lut[30000], 30000, 10);

  for (int32_t count : {0, 17, -1}) {
    const auto bad = custRecord({{20.0f, 21.0f}}, count);
    EXPECT_EQ(buildCustLut(lut.at0(), bad.data(), bad.size(), scale, c0), 0);
    EXPECT_EQ(lut[210], 210);
  }
  const auto equal = custRecord({{20.0f, 30.0f}, {50.0f, 30.0f}}, 2);
  EXPECT_EQ(buildCustLut(lut.at0(), equal.data(), equal.size(), scale, c0), 0);
  EXPECT_EQ(lut[300], 300);
  const auto nan = custRecord({{NAN, 30.0f}}, 1);
  EXPECT_EQ(buildCustLut(lut.at0(), nan.data(), nan.size(), scale, c0), 0);
  EXPECT_EQ(buildCustLut(lut.at0(), rec.data(), 600, scale, c0), 0);  // short record
}

}  // namespace
