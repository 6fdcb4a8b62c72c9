// Thermistor table against the beta model it was written from, the external blackbody shift at
// offsets 0 and 800, and the folder conversion against the calibration run by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <vector>

#include "VariantKit.h"
#include "alg/calibration/CaliInternal.h"

using namespace ostrel::test;

namespace {

// ---- thermistor table -------------------------------------------------------------------

double ntcTemperature(int reading) {
  const double r = 10000.0 / (60000.0 / reading - 1.0);
  return 1.0 / (1.0 / 298.15 + std::log(r / 10000.0) / 3950.0) - 273.15;
}

class RtTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(runPython("write_rt.py", dir.path)); }
  TempDir dir{"rt"};
};

TEST_F(RtTest, ReadingsFollowTheThermistorModel) {
  RtTable* rt = rtCreate((dir.path + "/ntc.rt").c_str());
  ASSERT_NE(rt, nullptr);
  // Inside the table (-40..150 °C) the linear pieces stay within one table spacing (5 °C).
  for (int j = 2000; j <= 58000; j += 250) {
    const double t = ntcTemperature(j);
    if (t < -40 || t > 150) continue;
    EXPECT_NEAR(rtGet(rt, j) / 1000.0, t, 5.0) << j;
  }
  // Temperatures fall as the reading (resistance) rises up to full scale, without wrapping; the
  // segments. 1/1024 slopes leave steps (up to resistance / 1024 m°C) where two of them meet.
  for (int j = 2; j < 60000; ++j) ASSERT_LE(rtGet(rt, j), rtGet(rt, j - 1) + 500) << j;
  EXPECT_GT(rtGet(rt, 1000), 100000);
  EXPECT_LT(rtGet(rt, 59000), -30000);
  // At and above the divider's full scale the resistance is unbounded: the coldest end.
  for (int j : {60000, 60001, 65535}) EXPECT_EQ(rtGet(rt, j), -40000) << j;
  EXPECT_EQ(rtGet(rt, 0), rtGet(rt, 1));
  EXPECT_EQ(rtGet(rt, 65536 + 30000), rtGet(rt, 30000));
  EXPECT_EQ(rtGet(rt, -1), rtGet(rt, 65535));
  rtFree(&rt);
  EXPECT_EQ(rt, nullptr);
}

TEST_F(RtTest, MalformedTablesAreRefused) {
  EXPECT_EQ(rtCreate((dir.path + "/falling.rt").c_str()), nullptr);
  EXPECT_EQ(rtCreate("/nonexistent/t.rt"), nullptr);
  std::vector<uint8_t> good = readBytes(dir.path + "/ntc.rt");
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  std::vector<uint8_t> one = good;
  putAt(one, 32, int32_t(1));
  one.resize(136);
  std::vector<uint8_t> huge = good;
  putAt(huge, 32, int32_t(0x7fffffff));
  std::vector<uint8_t> head(good.begin(), good.begin() + 64);
  for (const auto& bytes : {longer, one, huge, head}) {
    TempFile f("rt.bad", bytes);
    EXPECT_EQ(rtCreate(f.path.c_str()), nullptr);
  }
  EXPECT_EQ(rtGet(nullptr, 5), 0);
}

// ---- external blackbody -----------------------------------------------------------------

constexpr int W = 64, H = 48;

std::vector<uint8_t> frameHead(uint16_t scale, int16_t offset, uint16_t w = W, uint16_t h = H) {
  std::vector<uint8_t> head(128, 0);
  putAt(head, 0, w);
  putAt(head, 2, h);
  putAt(head, 12, scale);
  putAt(head, 14, offset);
  return head;
}

ExtBbConfig config(int16_t t10, uint16_t x, uint16_t y, uint16_t radius) {
  ExtBbConfig c{};
  c.enable = 1;
  c.temperature = t10;
  c.x = x;
  c.y = y;
  c.radius = radius;
  return c;
}

int mean3x3(const std::vector<int16_t>& f, int x, int y) {
  int s = 0;
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) s += f[(y + dy) * W + x + dx];
  return s / 9;
}

std::vector<int16_t> scene(int16_t level) {
  std::vector<int16_t> f(W * H);
  for (int p = 0; p < W * H; ++p) f[p] = int16_t(level + (p * 31) % 40);
  return f;
}

TEST(ExtBbTest, BlackbodyReadsItsSetTemperature) {
  ExtBbState* s = ExtBb_Create();
  ASSERT_NE(s, nullptr);
  // 35.0 °C at scale 10, offset 0 is code 350; 900.0 °C at scale 5, offset 800 is (900-800)*5.
  for (auto [scale, offset, t10, ref] : {std::tuple{10, 0, 350, 350}, {5, 800, 9000, 500}, {10, -50, 350, 850}}) {
    ASSERT_EQ(ExtBb_SetConfig(s, std::make_unique<ExtBbConfig>(config(int16_t(t10), 20, 15, 3)).get()), 0);
    const std::vector<uint8_t> head = frameHead(uint16_t(scale), int16_t(offset));
    std::vector<int16_t> f = scene(1200);
    const std::vector<int16_t> before = f;
    ExtBb_Execute(s, head.data(), f.data());
    EXPECT_NEAR(mean3x3(f, 20, 15), ref, 1) << offset;
    // Every pixel moved by the same amount.
    for (int p = 0; p < W * H; ++p) ASSERT_EQ(f[p] - before[p], f[0] - before[0]);
    // Next frame, same geometry: the cached reference still applies.
    std::vector<int16_t> g = scene(3000);
    ExtBb_Execute(s, head.data(), g.data());
    EXPECT_NEAR(mean3x3(g, 20, 15), ref, 1);
  }
  ExtBb_Free(&s);
  EXPECT_EQ(s, nullptr);
}

TEST(ExtBbTest, PointsAtTheEdgeDisabledOrHotFrames) {
  ExtBbState* s = ExtBb_Create();
  const std::vector<uint8_t> head = frameHead(10, 0);
  // Radius 0 still needs one pixel of margin for the 3x3 mean; radius 5 needs five.
  for (const ExtBbConfig& c : {config(350, 0, 10, 0), config(350, W - 1, 10, 0), config(350, 10, H - 1, 0),
                               config(350, 4, 20, 5), config(350, 30, H - 5, 5)}) {
    ASSERT_EQ(ExtBb_SetConfig(s, &c), 0);
    std::vector<int16_t> f = scene(1200);
    const std::vector<int16_t> before = f;
    for (int i = 0; i < 2; ++i) ExtBb_Execute(s, head.data(), f.data());
    EXPECT_EQ(f, before) << c.x << "," << c.y << " r" << c.radius;
  }
  ExtBbConfig off = config(350, 20, 15, 3);
  off.enable = 0;
  ExtBb_SetConfig(s, &off);
  std::vector<int16_t> f = scene(1200);
  const std::vector<int16_t> before = f;
  ExtBb_Execute(s, head.data(), f.data());
  EXPECT_EQ(f, before);
  const std::vector<uint8_t> zeroScale = frameHead(0, 0);
  ExtBbConfig on = config(350, 20, 15, 3);
  ExtBb_SetConfig(s, &on);
  ExtBb_Execute(s, zeroScale.data(), f.data());
  EXPECT_EQ(f, before);
  // A blackbody reading far below its reference pushes hot pixels to the top, never round to cold.
  std::vector<int16_t> hot = scene(-30000);
  hot[5] = 32000;
  const ExtBbConfig warm = config(3000, 20, 15, 3);
  ExtBb_SetConfig(s, &warm);
  ExtBb_Execute(s, head.data(), hot.data());
  EXPECT_EQ(hot[5], 32767);
  EXPECT_NEAR(mean3x3(hot, 20, 15), 3000, 1);
  EXPECT_EQ(ExtBb_SetConfig(nullptr, &warm), OSTREL_E_ARGUMENT);
  ExtBb_Free(&s);
}

// ---- folder conversion ------------------------------------------------------------------

class FolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(40, 30, 4, 8, 9);
    cali = std::make_unique<TempFile>("vd.cal", caliBytes(model));
    ASSERT_TRUE(runPython("make_recordings.py", cali->path + " " + in.path));
  }
  CaliModel model;
  std::unique_ptr<TempFile> cali;
  TempDir in{"vd_in"}, out{"vd_out"};
};

TEST_F(FolderTest, ConvertsOnlyThisCamerasRawRecordings) {
  ASSERT_EQ(Cali_vd2temp(cali->path.c_str(), in.path.c_str(), out.path.c_str()), 1);
  std::vector<std::string> written;
  for (const auto& e : std::filesystem::directory_iterator(out.path)) written.push_back(e.path().filename());
  ASSERT_EQ(written, std::vector<std::string>{"good.bmp"});
  const std::vector<uint8_t> src = readBytes(in.path + "/good.bmp"), dst = readBytes(out.path + "/good.bmp");
  const size_t P = model.pixels();
  ASSERT_EQ(dst.size(), src.size());
  const size_t fh = 4 * P + 1216, data = 4 * P + 1344;
  EXPECT_EQ(dst[fh + 8], 2);
  uint16_t scale;
  int16_t offset;
  std::memcpy(&scale, dst.data() + fh + 12, 2);
  std::memcpy(&offset, dst.data() + fh + 14, 2);
  EXPECT_EQ(scale, model.scale);
  EXPECT_EQ(offset, -(model.c0 / model.scale));
  // Everything but the kind, the scale, the offset and the codes is carried over.
  for (size_t i = 0; i < src.size(); ++i) {
    if (i == fh + 8 || (i >= fh + 12 && i < fh + 16) || (i >= data && i < data + 2 * P)) continue;
    ASSERT_EQ(dst[i], src[i]) << i;
  }
  // The codes are the calibration's at the recording's temperatures, with the fixed settings.
  FixInfoRecord fix{};
  fix.atmosphericTemperature = 20;
  fix.globalEmissivity = 0.97f;
  fix.infraredWindowTrans = 1;
  CaliContext* c = Cali_Create(cali->path.c_str(), nullptr, &fix, 100000);
  ASSERT_NE(c, nullptr);
  Cali_InitEnvWhole(c, 31700, 29000);
  std::vector<int16_t> codes(P), got(P);
  std::memcpy(codes.data(), src.data() + data, 2 * P);
  Cali_Execute(c, codes.data());
  Cali_Com(c, codes.data());
  std::memcpy(got.data(), dst.data() + data, 2 * P);
  EXPECT_EQ(got, codes);
  Cali_Free(&c);
}

TEST_F(FolderTest, UnusableInputs) {
  EXPECT_EQ(Cali_vd2temp(cali->path.c_str(), "/nonexistent/folder", out.path.c_str()), OSTREL_E_OPEN);
  EXPECT_EQ(Cali_vd2temp("/nonexistent/c.cal", in.path.c_str(), out.path.c_str()), OSTREL_E_OPEN);
  EXPECT_EQ(Cali_vd2temp(nullptr, in.path.c_str(), out.path.c_str()), OSTREL_E_ARGUMENT);
  // A calibration with its own base LUT is not converted with.
  CaliModel withLut = model;
  withLut.lutBp = {-32768, 0, 1000};
  withLut.lutSeg = {1u, 1u};
  withLut.lutShift = 0;
  TempFile lutCali("vd.lut", caliBytes(withLut));
  EXPECT_EQ(Cali_vd2temp(lutCali.path.c_str(), in.path.c_str(), out.path.c_str()), 0);
  EXPECT_TRUE(std::filesystem::is_empty(out.path));
}

}  // namespace
