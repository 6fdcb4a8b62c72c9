// Range, lens and ".c2m" calibrations: the final LUT each builds, checked at the blackbody points
// against codes worked out from the emissivity rule, the blends at chosen shell temperatures,
// the refusals and the file rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "VariantKit.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/calibration/variants/WeiJuObject.h"

using namespace ostrel::test;

namespace {

struct Pt {
  float bb, meas;
};

CaliContext* caliOf(void* obj) {
  return *static_cast<CaliContext**>(obj);
}

// The correction LUTs after the variant's own tables (neutral settings: close to identity).
int16_t chain(const CaliContext* c, int32_t y) {
  return c->lutEmi[c->lutTrans[int16_t(std::clamp(y, -32768, 32767))]];
}

std::vector<uint8_t> xcaliRecord(uint8_t enable, const std::vector<float>& shells, const std::vector<std::vector<Pt>>& ranges,
                                 float env = 0, float emis = 1) {
  std::vector<uint8_t> r(1232, 0);
  r[0] = enable;
  r[1] = uint8_t(ranges.size());
  r[2] = ranges.empty() ? 0 : uint8_t(ranges[0].size());
  putAt(r, 56, env);
  putAt(r, 60, emis);
  for (size_t i = 0; i < shells.size(); ++i) putAt(r, 64 + 4 * i, shells[i]);
  for (size_t i = 0; i < ranges.size(); ++i) {
    for (size_t j = 0; j < ranges[i].size(); ++j) {
      putAt(r, 80 + 288 * i + 12 * j, ranges[i][j].bb);
      putAt(r, 84 + 288 * i + 12 * j, ranges[i][j].meas);
    }
  }
  return r;
}

class XCaliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(32, 24, 4, 8);
    TempFile f("xcali.cal", caliBytes(model));
    const FixInfoRecord fix = neutralFixInfo();
    CaliCreateInfo info{};
    info.caliPath = f.path.c_str();
    info.fixInfo = &fix;
    info.startFpa = 100000;
    info.sensorWidth = info.windowWidth = 32;
    info.sensorHeight = info.windowHeight = 24;
    x = XCali_Create(&info);
    ASSERT_NE(x, nullptr);
    c = caliOf(x);
  }
  void TearDown() override {
    XCali_Free(&x);
    EXPECT_EQ(x, nullptr);
  }
  // The final LUT for a shell temperature (°C), rebuilt at once.
  const int16_t* at(double shellC) {
    while (XCali_InitEnv(x, c->lastFpa, c->lastShell) != 0) {
    }
    Cali_SetHackFlags(c, 1);
    EXPECT_EQ(XCali_InitEnv(x, c->lastFpa, int32_t(shellC * 1000)), 1);
    return c->lutFinal;
  }
  int32_t in(double t) const { return codeOf(t, model.scale, model.c0); }
  int32_t out(double t, double ambient = 20) const { return bbCode(t, ambient, model.scale, model.c0); }
  CaliModel model;
  XCali* x = nullptr;
  CaliContext* c = nullptr;
};

const std::vector<Pt> kRangeA = {{0, 2}, {50, 48}, {150, 140}, {300, 310}};
const std::vector<Pt> kRangeB = {{10, 2}, {65, 48}, {170, 140}, {330, 310}};

TEST_F(XCaliTest, OneRangeHoldsAtEveryShellTemperature) {
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {25}, {kRangeA}).data())), 0);
  for (double s : {-10.0, 25.0, 80.0}) {
    const int16_t* f = at(s);
    for (const Pt& p : kRangeA) EXPECT_EQ(f[in(p.meas)], chain(c, out(p.bb))) << s << " " << p.meas;
    // Halfway between two points the LUT is on the line between them.
    const int32_t mid = (in(48) + in(140)) / 2;
    const double expect = out(50) + double(out(150) - out(50)) * (mid - in(48)) / (in(140) - in(48));
    EXPECT_NEAR(f[mid], chain(c, int32_t(std::lround(expect))), 2);
  }
}

TEST_F(XCaliTest, TwoRangesBlendByShellTemperatureAndExtrapolate) {
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {20, 40}, {kRangeA, kRangeB}).data())), 0);
  // Weight (s - 20) / 20 in 1/256: 128 at 30 °C, -128 at 10 °C (below the first), 384 at 50 °C.
  for (auto [s, w] : {std::pair{30.0, 128}, {10.0, -128}, {50.0, 384}, {20.0, 0}, {40.0, 256}}) {
    const int16_t* f = at(s);
    for (size_t j = 0; j < kRangeA.size(); ++j) {
      const int64_t lo = out(kRangeA[j].bb), hi = out(kRangeB[j].bb);
      const int64_t y = lo + (((hi - lo) * w) >> 8);
      EXPECT_EQ(f[in(kRangeA[j].meas)], chain(c, int32_t(y))) << s << " point " << j;
    }
  }
}

TEST_F(XCaliTest, FarExtrapolationSaturatesInsteadOfWrapping) {
  const std::vector<Pt> hot = {{0, 2}, {50, 48}, {1500, 140}, {2000, 310}};
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {20, 21}, {kRangeA, hot}).data())), 0);
  // At 60 °C the weight is 40 ranges' worth upward: the hot points pass the code range.
  const int16_t* f = at(60);
  EXPECT_EQ(f[in(140)], chain(c, 32767));
  const int16_t* g = at(-20);
  EXPECT_EQ(g[in(140)], chain(c, -32768));
}

TEST_F(XCaliTest, EmissivityChangesAt601AndTheRecordAmbientIsUsed) {
  const std::vector<Pt> pts = {{500, 500}, {600, 600}, {601, 601}, {700, 700}};
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {25}, {pts}).data())), 0);
  const int16_t* f = at(25);
  const int32_t at600 = int32_t(FixEmi_CalcTemp(20, 600, 0.97, 1, 0) * model.scale + model.c0);
  const int32_t at601 = int32_t(FixEmi_CalcTemp(20, 601, 0.998, 1, 0) * model.scale + model.c0);
  EXPECT_EQ(f[in(600)], chain(c, at600));
  EXPECT_EQ(f[in(601)], chain(c, at601));
  // The two emissivities are far apart at these temperatures; the rule is not a rounding detail.
  EXPECT_GT(std::abs(int32_t(FixEmi_CalcTemp(20, 601, 0.97, 1, 0) * model.scale) - (at601 - model.c0)), 20);
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {25}, {kRangeA}, 35.0f).data())), 0);
  EXPECT_EQ(at(25)[in(48)], chain(c, out(50, 35)));
}

TEST_F(XCaliTest, RefusedOrDisabledRecordsGiveTheIdentity) {
  const std::vector<Pt> falling = {{0, 2}, {50, 48}, {40, 140}, {300, 310}};
  const std::vector<std::vector<uint8_t>> bad = {
      xcaliRecord(1, {10, 20, 30, 40, 50}, {kRangeA, kRangeA, kRangeA, kRangeA, kRangeA}),
      xcaliRecord(1, {25}, {falling}),
      xcaliRecord(1, {30, 20}, {kRangeA, kRangeB}),
      xcaliRecord(1, {25}, {kRangeA}, 101.0f),
      xcaliRecord(1, {25}, {kRangeA}, 0, 1.2f),
      xcaliRecord(1, {}, {}),
  };
  for (size_t i = 0; i < bad.size(); ++i) {
    ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {25}, {kRangeA}).data())), 0);
    EXPECT_EQ(XCali_LoadCali2(x, bad[i].data()), OSTREL_E_MISMATCH) << i;
    const int16_t* f = at(25);
    for (int32_t v : {-32768, -5, 0, 980, 1900, 32767}) EXPECT_EQ(f[v], v) << i;
  }
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(0, {25}, {kRangeA}).data())), 0);
  EXPECT_EQ(at(25)[in(48)], in(48));
  EXPECT_EQ(XCali_LoadCali2(nullptr, bad[0].data()), OSTREL_E_ARGUMENT);
}

TEST_F(XCaliTest, CustomPointsFollowTheRangeTable) {
  ASSERT_EQ((XCali_LoadCali2(x, xcaliRecord(1, {25}, {kRangeA}).data())), 0);
  std::vector<uint8_t> cust(352, 0);
  cust[0] = 1;
  cust[1] = 2;
  putAt(cust, 64, 40.0f);
  putAt(cust, 68, 38.0f);
  putAt(cust, 76, 120.0f);
  putAt(cust, 80, 115.0f);
  ASSERT_EQ(XCali_LoadCust(x, cust.data()), 0);
  // The same points in the calibration's own record form give the expected custom LUT.
  std::vector<uint8_t> rec(656, 0);
  putAt(rec, 268, int32_t(2));
  putAt(rec, 272, 40.0f);
  putAt(rec, 276, 38.0f);
  putAt(rec, 296, 120.0f);
  putAt(rec, 300, 115.0f);
  std::vector<int16_t> custLut(65536);
  ASSERT_GT(Cali_InitCustLut(custLut.data() + 32768, rec.data(), c), 0);
  const int16_t* f = at(25);
  for (const Pt& p : kRangeA) EXPECT_EQ(f[in(p.meas)], custLut[32768 + chain(c, out(p.bb))]);
  cust[0] = 0;  // disabled: identity custom LUT
  ASSERT_EQ(XCali_LoadCust(x, cust.data()), 0);
  EXPECT_EQ(at(25)[in(48)], chain(c, out(50)));
  cust[0] = 1;
  cust[1] = 17;  // too many points count as none
  ASSERT_EQ(XCali_LoadCust(x, cust.data()), 0);
  EXPECT_EQ(at(25)[in(48)], chain(c, out(50)));
}

// ---- lens calibration ---------------------------------------------------------------------

std::vector<uint8_t> weijuRecord(uint8_t mode, const std::vector<float>& shells,
                                 const std::vector<std::vector<Pt>>& lens1, const std::vector<Pt>& lens2) {
  std::vector<uint8_t> r(1088, 0);
  r[36] = mode;
  r[37] = uint8_t(lens1.size());
  r[38] = lens1.empty() ? 0 : uint8_t(lens1[0].size());
  r[39] = uint8_t(lens2.size());
  for (size_t i = 0; i < shells.size(); ++i) putAt(r, 40 + 4 * i, shells[i]);
  putAt(r, 60, 0.95f);
  for (size_t i = 0; i < lens1.size(); ++i) {
    for (size_t j = 0; j < lens1[i].size(); ++j) {
      putAt(r, 128 + 192 * i + 12 * j, lens1[i][j].bb);
      putAt(r, 132 + 192 * i + 12 * j, lens1[i][j].meas);
    }
  }
  for (size_t j = 0; j < lens2.size(); ++j) {
    putAt(r, 896 + 12 * j, lens2[j].bb);
    putAt(r, 900 + 12 * j, lens2[j].meas);
  }
  return r;
}

class WeiJuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(32, 24, 4, 8);
    c = createCali(model, "weiju.cal");
    ASSERT_NE(c, nullptr);
    w = WeiJu_Create(c);
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(caliOf(w), c);
  }
  void TearDown() override {
    WeiJu_Free(&w);
    EXPECT_EQ(w, nullptr);
    Cali_Free(&c);
  }
  int load(const std::vector<uint8_t>& rec) {
    TempFile f("weiju.rec", rec);
    return WeiJu_LoadFile(w, f.path.c_str());
  }
  const int16_t* at(double shellC) {
    while (WeiJu_InitEnv(w, c->lastFpa, c->lastShell) != 0) {
    }
    Cali_SetHackFlags(c, 1);
    EXPECT_EQ(WeiJu_InitEnv(w, c->lastFpa, int32_t(shellC * 1000)), 1);
    return c->lutFinal;
  }
  int32_t in(double t) const { return codeOf(t, model.scale, model.c0); }
  int32_t out(double t) const { return bbCode(t, 20, model.scale, model.c0); }
  CaliModel model;
  CaliContext* c = nullptr;
  WeiJu* w = nullptr;
};

TEST_F(WeiJuTest, ModeThreeWithoutLensTwoRunsModeOne) {
  ASSERT_EQ((load(weijuRecord(3, {20, 40}, {kRangeA, kRangeB}, {}))), 0);
  EXPECT_EQ(w->mode, 1);
  EXPECT_EQ(w->record.caliMode, 1);
  EXPECT_TRUE(w->lens1Ok);
  EXPECT_EQ(at(30)[in(48)], in(48));
}

TEST_F(WeiJuTest, LensOneBlendsAndLensTwoUsesItsCustomTable) {
  ASSERT_EQ((load(weijuRecord(2, {20, 40}, {kRangeA, kRangeB}, kRangeB))), 0);
  EXPECT_EQ(w->record.caliMode, 2);
  const int16_t* f = at(30);
  for (size_t j = 0; j < kRangeA.size(); ++j) {
    const int64_t lo = out(kRangeA[j].bb), hi = out(kRangeB[j].bb);
    EXPECT_EQ(f[in(kRangeA[j].meas)], chain(c, int32_t(lo + (((hi - lo) * 128) >> 8))));
  }
  ASSERT_EQ((load(weijuRecord(3, {}, {}, kRangeB))), 0);
  EXPECT_EQ(w->mode, 3);
  std::vector<uint8_t> rec(656, 0);
  putAt(rec, 268, int32_t(1));
  putAt(rec, 272, 70.0f);
  putAt(rec, 276, 65.0f);
  TempFile custB("weiju.custb", rec);
  ASSERT_EQ(WeiJu_LoadCust(w, nullptr, custB.path.c_str()), 0);
  std::vector<int16_t> custLut(65536);
  ASSERT_GT(Cali_InitCustLut(custLut.data() + 32768, rec.data(), c), 0);
  const int16_t* g = at(30);
  for (const Pt& p : kRangeB) EXPECT_EQ(g[in(p.meas)], custLut[32768 + chain(c, out(p.bb))]);
  // An unreadable custom file reports the reader's code and leaves the identity, not old points.
  EXPECT_EQ(WeiJu_LoadCust(w, nullptr, "/nonexistent/weiju.cust"), OSTREL_E_OPEN);
  EXPECT_EQ(at(30)[in(48)], chain(c, out(65)));
}

TEST_F(WeiJuTest, UnreadableOrRefusedFilesRunModeOne) {
  ASSERT_EQ((load(weijuRecord(3, {}, {}, kRangeB))), 0);
  EXPECT_EQ(WeiJu_LoadFile(w, "/nonexistent/lens.rec"), OSTREL_E_OPEN);
  EXPECT_EQ(w->mode, 1);
  EXPECT_EQ(at(30)[in(48)], in(48));
  ASSERT_EQ((load(weijuRecord(3, {}, {}, kRangeB))), 0);
  std::vector<uint8_t> shortRec = weijuRecord(3, {}, {}, kRangeB);
  shortRec.resize(1087);
  EXPECT_EQ(load(shortRec), OSTREL_E_READ);
  EXPECT_FALSE(w->lens2Ok);
  EXPECT_EQ(at(30)[in(48)], in(48));
  const std::vector<Pt> falling = {{0, 2}, {50, 48}, {40, 140}};
  EXPECT_EQ((load(weijuRecord(3, {}, {}, falling))), OSTREL_E_MISMATCH);
  EXPECT_EQ(w->mode, 1);
  EXPECT_EQ((load(weijuRecord(2, {40, 20}, {kRangeA, kRangeB}, {}))), OSTREL_E_MISMATCH);
  EXPECT_EQ(w->record.caliMode, 1);
}

// ---- ".c2m" base LUT ----------------------------------------------------------------------

struct C2mTable {
  std::vector<int32_t> bp;
  std::vector<std::pair<int32_t, int32_t>> seg;  // slope, offset
};

std::vector<uint8_t> c2mFile(const char* identity, int32_t tables, int32_t shift, const std::vector<C2mTable>& t) {
  std::vector<uint8_t> f(128, 0);
  std::memcpy(f.data(), identity, std::strlen(identity));
  putAt(f, 32, tables);
  putAt(f, 36, int32_t(t[0].bp.size()));
  putAt(f, 40, shift);
  for (const C2mTable& tab : t) {
    for (int32_t b : tab.bp) putAt(f, f.size(), b);
    for (auto [s, o] : tab.seg) {
      putAt(f, f.size(), s);
      putAt(f, f.size(), o);
    }
  }
  return f;
}

class C2mTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(32, 24, 4, 8);
    c = createCali(model, "c2m.cal");
    ASSERT_NE(c, nullptr);
  }
  void TearDown() override { Cali_Free(&c); }
  int load(const std::vector<uint8_t>& bytes) {
    TempFile f("c2m.c2m", bytes);
    return C2m_Load(c, f.path.c_str());
  }
  CaliModel model;
  CaliContext* c = nullptr;
};

// The first table is deliberately unusable (falling breakpoints): only the second may be read.
const C2mTable kFirst = {{5000, 100, -300}, {{1, 1}, {1, 1}}};
const C2mTable kSecond = {{-32768, 1000, 6000}, {{1 << 16, 0}, {3 << 15, -500}}};

TEST_F(C2mTest, TheSecondTableBecomesTheBaseLut) {
  ASSERT_EQ((load(c2mFile(model.identity, 2, 16, {kFirst, kSecond}))), 0);
  EXPECT_EQ(c->lay.lutCount, 3u);
  while (Cali_InitEnv(c, c->lastFpa, c->lastShell) != 0) {
  }
  for (int32_t x : {-32768, -7, 0, 999}) EXPECT_EQ(c->lutBase[x], x);
  // From 1000: 1.5 x - 500, saturated at the top.
  for (int32_t x : {1000, 4001, 5999, 6000, 22000}) EXPECT_EQ(c->lutBase[x], std::min(x * 3 / 2 - 500, 32767)) << x;
  // A second load is refused whatever the file.
  EXPECT_EQ((load(c2mFile(model.identity, 2, 16, {kFirst, kSecond}))), OSTREL_E_STATE);
}

TEST_F(C2mTest, LargeSlopesUseWideProducts) {
  const C2mTable big = {{-32768, 0}, {{INT32_MAX, 0}}};
  ASSERT_EQ((load(c2mFile(model.identity, 2, 31, {big, big}))), 0);
  // x * (2^31 - 1) >> 31 is x - 1 for positive x and x for negative (floor), never a wrapped value.
  for (int32_t x : {-32768, -1, 1, 30000, 32767}) EXPECT_EQ(c->lutBase[x], x > 0 ? x - 1 : x) << x;
}

TEST_F(C2mTest, MalformedFilesAreRefusedWithoutChange) {
  const std::vector<uint8_t> good = c2mFile(model.identity, 2, 16, {kFirst, kSecond});
  std::vector<uint8_t> oneTable = c2mFile(model.identity, 1, 16, {kFirst, kSecond});
  std::vector<uint8_t> cut = good;
  cut.resize(good.size() - 4);  // ends inside the second table's segments
  std::vector<uint8_t> badShift = c2mFile(model.identity, 2, 32, {kFirst, kSecond});
  std::vector<uint8_t> negShift = c2mFile(model.identity, 2, -1, {kFirst, kSecond});
  std::vector<uint8_t> otherId = c2mFile("CALI-OSTREL-TEST-0002", 2, 16, {kFirst, kSecond});
  std::vector<uint8_t> head(good.begin(), good.begin() + 100);
  std::vector<uint8_t> tooMany = good;
  putAt(tooMany, 36, int32_t(33));
  std::vector<uint8_t> falling = c2mFile(model.identity, 2, 16, {kFirst, kFirst});
  for (const auto& [bytes, rc] : {std::pair{oneTable, -194}, {cut, -194}, {badShift, -194}, {negShift, -194},
                                  {otherId, -194}, {head, -194}, {tooMany, -194}, {falling, -11}}) {
    EXPECT_EQ(load(bytes), rc);
    EXPECT_EQ(c->lay.lutCount, 0u);
    EXPECT_EQ(c->lutBase[4000], 4000);
  }
  EXPECT_EQ(C2m_Load(c, "/nonexistent/x.c2m"), OSTREL_E_OPEN);
  EXPECT_EQ(C2m_Load(nullptr, "x"), OSTREL_E_ARGUMENT);
  ASSERT_EQ(load(good), 0);
}

TEST_F(C2mTest, CheckFileSizeRule) {
  // Identity compared from byte 5; size exactly 128 + 4 (3n - 2) t.
  std::vector<uint8_t> expected(128, 0);
  std::memcpy(expected.data(), model.identity, std::strlen(model.identity));
  const std::vector<uint8_t> three = c2mFile(model.identity, 3, 16, {kFirst, kSecond, kSecond});
  ASSERT_EQ(three.size(), 128u + 4 * 7 * 3);
  TempFile ok("c2m.check", three);
  EXPECT_EQ(C2m_CheckFile(ok.path.c_str(), expected.data()), 0);
  std::vector<uint8_t> longer = three;
  longer.push_back(0);
  TempFile plus("c2m.plus", longer);
  EXPECT_EQ(C2m_CheckFile(plus.path.c_str(), expected.data()), OSTREL_E_MISMATCH);
  std::vector<uint8_t> other = expected;
  other[7] = 'X';
  EXPECT_EQ(C2m_CheckFile(ok.path.c_str(), other.data()), OSTREL_E_MISMATCH);
  TempFile tiny("c2m.tiny", std::vector<uint8_t>(20, 0));
  EXPECT_EQ(C2m_CheckFile(tiny.path.c_str(), expected.data()), OSTREL_E_READ);
  EXPECT_EQ(C2m_CheckFile("/nonexistent/c.c2m", expected.data()), OSTREL_E_OPEN);
}

}  // namespace
