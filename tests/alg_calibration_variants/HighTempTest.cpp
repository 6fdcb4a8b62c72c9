// High-temperature calibration: the re-encoding to scale 5 / offset 800 °C, mode selection and
// fall-backs, frame labelling, and the converter against a file a Python script writes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "VariantKit.h"
#include "alg/calibration/variants/GaoWenObject.h"

using namespace ostrel::test;
using namespace ostrel::alg;

namespace {

class GaoWenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(32, 24, 4, 8);
    c = createCali(model, "gaowen.cal");
    ASSERT_NE(c, nullptr);
    g = GaoWen_Create(c);
    ASSERT_NE(g, nullptr);
  }
  void TearDown() override {
    GaoWen_Free(&g);
    EXPECT_EQ(g, nullptr);
    Cali_Free(&c);
  }
  const int16_t* lut(int i) const { return reinterpret_cast<const int16_t*>(g->luts) + size_t(i) * 65536 + 32768; }
  CaliModel model;
  CaliContext* c = nullptr;
  GaoWen* g = nullptr;
};

// A file in the loader's layout with table A and `ranges` ranges of points (bb, measured).
std::vector<uint8_t> gaowenFile(uint8_t mode, int ranges) {
  std::vector<uint8_t> f(5600, 0);
  f[4] = 4;
  f[5] = uint8_t(ranges);
  f[6] = 3;
  f[7] = mode;
  const float a[4][2] = {{20, 21}, {100, 98}, {300, 290}, {500, 480}};
  for (int j = 0; j < 4; ++j) {
    putAt(f, 2144 + 12 * j, a[j][0]);
    putAt(f, 2148 + 12 * j, a[j][1]);
  }
  for (int i = 0; i < ranges; ++i) {
    putAt(f, 64 + 4 * i, 10.0f + 30.0f * i);
    const float r[3][2] = {{600, 500}, {1000, 800}, {1500, 1100}};
    for (int j = 0; j < 3; ++j) {
      putAt(f, 2528 + 384 * i + 12 * j, r[j][0] + 50.0f * i);
      putAt(f, 2532 + 384 * i + 12 * j, r[j][1]);
    }
  }
  return f;
}

int loadFile(GaoWen* g, const std::vector<uint8_t>& bytes) {
  TempFile f("gaowen.gw", bytes);
  return GaoWen_LoadFile(g, f.path.c_str());
}

TEST_F(GaoWenTest, ConversionKeepsEveryTemperatureWithinTwoTenths) {
  const int16_t* conv = lut(kConv);
  const double offset = -(model.c0 / model.scale);
  for (int32_t x = -32768; x <= 32767; ++x) {
    const double t = double(x) / model.scale + offset;
    const double t5 = conv[x] / 5.0 + 800.0;
    ASSERT_LE(std::fabs(t5 - t), 0.2) << x;
  }
}

TEST(GaoWenConv, HotCodesSaturateInsteadOfWrapping) {
  CaliModel m = makeModel(16, 8, 4, 8);
  m.scale = 1;
  m.c0 = -2000;  // offset 2000 °C: codes above 5353 pass the high range's top
  CaliContext* c = createCali(m, "gaowen.hot");
  ASSERT_NE(c, nullptr);
  GaoWen* g = GaoWen_Create(c);
  ASSERT_NE(g, nullptr);
  const int16_t* conv = reinterpret_cast<const int16_t*>(g->luts) + size_t(kConv) * 65536 + 32768;
  for (int32_t x = -32767; x <= 32767; ++x) ASSERT_GE(conv[x], conv[x - 1]) << x;
  EXPECT_EQ(conv[32767], 32767);
  EXPECT_EQ(conv[0], 5 * 2000 - 4000);
  GaoWen_Free(&g);
  Cali_Free(&c);
}

TEST_F(GaoWenTest, ModesFallBackWhenTheirTablesAreMissing) {
  ASSERT_EQ(loadFile(g, gaowenFile(4, 1)), 0);
  EXPECT_EQ(g->mode, 1);  // one range cannot be blended
  EXPECT_EQ(GaoWen_SetMode(g, 4, c->lastFpa, c->lastShell), 1);
  EXPECT_EQ(GaoWen_SetMode(g, 2, c->lastFpa, c->lastShell), 2);
  EXPECT_EQ(GaoWen_SetMode(g, 7, c->lastFpa, c->lastShell), 1);
  EXPECT_EQ(c->lutFinal[1234], 1234);
  ASSERT_EQ(loadFile(g, gaowenFile(4, 2)), 0);
  EXPECT_EQ(g->mode, 4);
  // An unreadable file leaves both tables invalid and says why.
  EXPECT_EQ(GaoWen_LoadFile(g, "/nonexistent/t.gw"), OSTREL_E_OPEN);
  EXPECT_EQ(GaoWen_SetMode(g, 4, c->lastFpa, c->lastShell), 1);
  EXPECT_EQ(GaoWen_SetMode(g, 2, c->lastFpa, c->lastShell), 1);
  std::vector<uint8_t> cut = gaowenFile(4, 2);
  cut.resize(5599);
  EXPECT_EQ(loadFile(g, cut), OSTREL_E_READ);
  EXPECT_EQ(GaoWen_SetMode(g, 3, c->lastFpa, c->lastShell), 1);
  EXPECT_EQ(GaoWen_LoadCust(g, nullptr, "/nonexistent/b.cust"), OSTREL_E_OPEN);
}

TEST_F(GaoWenTest, ModeThreeKeepsCodesAndLabelsThemHigh) {
  ASSERT_EQ(loadFile(g, gaowenFile(3, 2)), 0);
  ASSERT_EQ(g->mode, 3);
  std::vector<int16_t> frame(model.pixels()), plain(model.pixels());
  for (int p = 0; p < model.pixels(); ++p) frame[p] = plain[p] = modelRaw(model, p, 40.0 + p % 50, 25.0);
  uint8_t head[128] = {};
  EXPECT_EQ(GaoWen_Execute(g, frame.data(), head), 800);
  Cali_Execute_C1(c, plain.data());
  EXPECT_EQ(frame, plain);
  uint16_t scale;
  int16_t offset;
  std::memcpy(&scale, head + 12, 2);
  std::memcpy(&offset, head + 14, 2);
  EXPECT_EQ(scale, 5);
  EXPECT_EQ(offset, 800);
  GaoWen_SetMode(g, 1, c->lastFpa, c->lastShell);
  EXPECT_EQ(GaoWen_Execute(g, frame.data(), head), -(model.c0 / model.scale));
  std::memcpy(&scale, head + 12, 2);
  EXPECT_EQ(scale, model.scale);
}

TEST_F(GaoWenTest, ModeFourBlendsRangesByFpaAndReencodes) {
  ASSERT_EQ(loadFile(g, gaowenFile(4, 2)), 0);
  // Range temperatures 10 and 40 °C: at 25 °C the weight is 128 / 256.
  ASSERT_EQ(GaoWen_SetMode(g, 4, 25000, c->lastShell), 4);
  const int16_t* conv = lut(kConv);
  const float meas[3] = {500, 800, 1100}, bb[3] = {600, 1000, 1500};
  for (int j = 0; j < 3; ++j) {
    const int64_t lo = bbCode(bb[j], 20, model.scale, model.c0);
    const int64_t hi = bbCode(bb[j] + 50, 20, model.scale, model.c0);
    const int32_t y = int32_t(lo + (((hi - lo) * 128) >> 8));
    const int16_t expect = conv[c->lutEmi[c->lutTrans[y]]];
    EXPECT_EQ(c->lutFinal[codeOf(meas[j], model.scale, model.c0)], expect) << j;
    // Halfway between the two ranges' temperatures, in the high range's encoding.
    const double offset = -(model.c0 / model.scale);
    const double mid = (double(lo + hi) / 2) / model.scale + offset;
    EXPECT_NEAR(expect / 5.0 + 800.0, mid, 0.35) << j;
  }
  // Table A in mode 2: the calibration's custom LUT after it (identity here).
  ASSERT_EQ(GaoWen_SetMode(g, 2, 25000, c->lastShell), 2);
  EXPECT_EQ(c->lutFinal[codeOf(98, model.scale, model.c0)],
            c->lutEmi[c->lutTrans[bbCode(100, 20, model.scale, model.c0)]]);
}

class GaoWenConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(16, 8, 4, 8);
    cali = std::make_unique<TempFile>("gwconv.cal", caliBytes(model));
    ASSERT_TRUE(runPython("write_gaowen.py", dir.path + " " + std::to_string(model.scale) + " " +
                                                 std::to_string(model.c0)));
  }
  int convert(const std::string& src, const std::string& out) {
    return GaoWen_ConvertFile(cali->path.c_str(), (dir.path + "/" + src).c_str(), out.c_str());
  }
  CaliModel model;
  TempDir dir{"gwconv"};
  std::unique_ptr<TempFile> cali;
};

TEST_F(GaoWenConvert, MatchesTheIndependentWriter) {
  for (const char* name : {"good", "short"}) {
    const std::string out = dir.path + "/" + name + ".out";
    ASSERT_EQ(convert(std::string(name) + ".src", out), 1);
    EXPECT_EQ(readBytes(out), readBytes(dir.path + "/" + name + ".gw")) << name;
  }
  EXPECT_EQ(convert("nine.src", dir.path + "/nine.out"), OSTREL_E_MISMATCH);
  EXPECT_EQ(convert("missing.src", dir.path + "/x.out"), OSTREL_E_OPEN);
  EXPECT_EQ(convert("good.src", "/nonexistent/dir/x.out"), OSTREL_E_OPEN);
  TempFile zeroScale("gwconv.zero", std::vector<uint8_t>(128, 0));
  EXPECT_EQ(GaoWen_ConvertFile(zeroScale.path.c_str(), (dir.path + "/good.src").c_str(), (dir.path + "/z").c_str()),
            OSTREL_E_MISMATCH);
}

TEST_F(GaoWenConvert, ConvertedFileLoadsWithItsCounts) {
  const std::string out = dir.path + "/good.out";
  ASSERT_EQ(convert("good.src", out), 1);
  const std::vector<uint8_t> bytes = readBytes(out);
  ASSERT_EQ(bytes.size(), 5600u);
  EXPECT_EQ(bytes[4], 6);
  EXPECT_EQ(bytes[5], 3);
  EXPECT_EQ(bytes[6], 5);
  CaliContext* c = createCali(model, "gwconv.load");
  GaoWen* g = GaoWen_Create(c);
  ASSERT_EQ(GaoWen_LoadFile(g, out.c_str()), 0);
  EXPECT_TRUE(g->tableAOk);
  EXPECT_TRUE(g->rangesOk);
  EXPECT_NEAR(g->rangeTemp[2], 50007, 1);  // f32 50.007, truncated
  EXPECT_EQ(GaoWen_SetMode(g, 4, 30000, 30000), 4);
  EXPECT_EQ(GaoWen_SetMode(g, 2, 30000, 30000), 2);
  // The one-point table of the short source gives an invalid table A.
  ASSERT_EQ(convert("short.src", out), 1);
  ASSERT_EQ(GaoWen_LoadFile(g, out.c_str()), 0);
  EXPECT_FALSE(g->tableAOk);
  EXPECT_EQ(GaoWen_SetMode(g, 2, 30000, 30000), 1);
  GaoWen_Free(&g);
  Cali_Free(&c);
}

}  // namespace
