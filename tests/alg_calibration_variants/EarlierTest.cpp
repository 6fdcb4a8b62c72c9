// Earlier frame conversions against each other and against the merged-table conversion, and the
// video calibration from a file a Python script writes by its documented layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "VariantKit.h"
#include "alg/calibration/CaliInternal.h"

using namespace ostrel::test;

namespace {

class EarlierTest : public ::testing::Test {
 protected:
  void SetUp() override {
    model = makeModel(48, 32, 4, 8, 3);
    c = createCali(model, "earlier.cal");
    ASSERT_NE(c, nullptr);
  }
  void TearDown() override { Cali_Free(&c); }
  CaliModel model;
  CaliContext* c = nullptr;
};

TEST_F(EarlierTest, BothGenerationsAgreeBitForBit) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> any(-32768, 32767), scene(-20, 200);
  const int P = model.pixels();
  for (int32_t fpa : {-5000, 10000, 17300, 31700, 55000, 70000}) {
    for (int round = 0; round < 3; ++round) {
      std::vector<int16_t> in(P), out(P);
      for (int p = 0; p < P; ++p) {
        // Whole-range noise, and smooth scenes where the walk from the previous pixel matters.
        in[p] = round == 0 ? int16_t(any(rng)) : modelRaw(model, p, scene(rng) + 0.37 * (p % 7), fpa / 1000.0);
      }
      // Values exactly on a breakpoint of the lower curve.
      for (int p = 0; p < P; p += 97) in[p] = c->raw[(uint64_t(1) * model.B + 3) * P + p];
      Cali_Execute201601(c, fpa, in.data(), out.data());
      std::vector<int16_t> inPlace = in;
      Cali_Execute201704(c, fpa, inPlace.data());
      ASSERT_EQ(out, inPlace) << fpa << " round " << round;
    }
  }
}

TEST_F(EarlierTest, DirectBlendMatchesTheMergedTablesWithinThreeCodes) {
  const int P = model.pixels();
  for (double fpaC : {12.0, 31.7, 48.2}) {
    const int32_t fpa = int32_t(fpaC * 1000);
    Cali_InitEnvWhole(c, fpa, fpa);
    std::vector<int16_t> a(P);
    for (int p = 0; p < P; ++p) a[p] = modelRaw(model, p, -15.0 + (p * 7 % 210), fpaC);
    std::vector<int16_t> b = a;
    Cali_Execute201704(c, fpa, a.data());
    Cali_Execute_C1(c, b.data());
    for (int p = 0; p < P; ++p) ASSERT_NEAR(a[p], b[p], 3) << fpaC << " pixel " << p;
    // And both are the scene's code.
    for (int p = 0; p < P; p += 13) EXPECT_NEAR(a[p], modelCode(model, -15.0 + (p * 7 % 210)), 4) << p;
  }
}

// ---- video calibration --------------------------------------------------------------------

class VideoTest : public ::testing::Test {
 protected:
  static constexpr int W = 32, H = 24, P = W * H, E = 4;
  void make(bool flat = false) {
    ASSERT_TRUE(runPython("make_video_cali.py", dir.path + " " + std::to_string(W) + " " + std::to_string(H) +
                                                    (flat ? " flat" : "")));
    path = dir.path + "/video.cal";
  }
  std::vector<int16_t> read16(const std::string& name) {
    const std::vector<uint8_t> b = readBytes(dir.path + "/" + name);
    std::vector<int16_t> v(b.size() / 2);
    std::memcpy(v.data(), b.data(), v.size() * 2);
    return v;
  }
  TempDir dir{"video"};
  std::string path;
};

TEST_F(VideoTest, SizeMustMatchExactly) {
  make();
  const std::vector<uint8_t> good = readBytes(path);
  std::vector<uint8_t> head(good.begin(), good.begin() + 128);
  EXPECT_EQ(CaliVideo_CheckFile(path.c_str(), head.data()), 0);
  CaliVideo* v = CaliVideo_Create(path.c_str(), nullptr);
  EXPECT_NE(v, nullptr);
  CaliVideo_Free(&v);
  EXPECT_EQ(v, nullptr);
  for (int delta : {-1, 1}) {
    std::vector<uint8_t> bytes = good;
    bytes.resize(good.size() + delta);
    TempFile f("video.size", bytes);
    EXPECT_EQ(CaliVideo_CheckFile(f.path.c_str(), head.data()), OSTREL_E_MISMATCH) << delta;
    EXPECT_EQ(CaliVideo_Create(f.path.c_str(), nullptr), nullptr) << delta;
  }
  std::vector<uint8_t> other = head;
  other[3] = 'x';
  EXPECT_EQ(CaliVideo_CheckFile(path.c_str(), other.data()), OSTREL_E_MISMATCH);
  TempFile tiny("video.tiny", std::vector<uint8_t>(60, 0));
  EXPECT_EQ(CaliVideo_CheckFile(tiny.path.c_str(), head.data()), OSTREL_E_READ);
  EXPECT_EQ(CaliVideo_CheckFile("/nonexistent/v.cal", head.data()), OSTREL_E_OPEN);
  // One point only leaves nothing to interpolate.
  std::vector<uint8_t> one = good;
  one[40] = 1;
  TempFile f1("video.one", one);
  EXPECT_EQ(CaliVideo_Create(f1.path.c_str(), nullptr), nullptr);
  // Own entries pointing outside the image are refused, not used.
  std::vector<uint8_t> wild = good;
  const uint32_t far = P + 5;
  std::memcpy(wild.data() + good.size() - 40 + 8, &far, 4);
  TempFile fw("video.wild", wild);
  EXPECT_EQ(CaliVideo_Create(fw.path.c_str(), nullptr), nullptr);
}

TEST_F(VideoTest, EnvironmentAxis) {
  make();
  CaliVideo* v = CaliVideo_Create(path.c_str(), nullptr);
  ASSERT_NE(v, nullptr);
  // Environment 0, 20, 30, 60 °C at FPA 10, 25, 40, 55 °C; linear between, extended beyond.
  auto expected = [](double f) {
    const double fp[4] = {10000, 25000, 40000, 55000}, en[4] = {0, 20000, 30000, 60000};
    int k = 0;
    while (k < 2 && f >= fp[k + 1]) ++k;
    return en[k] + (en[k + 1] - en[k]) * (f - fp[k]) / (fp[k + 1] - fp[k]);
  };
  for (int32_t f : {31000, 52000, 12000, 2000, 47000, 25000, 70000, 10000}) {
    EXPECT_NEAR(CaliVideo_GetEnv(v, f), expected(f), 60) << f;
  }
  CaliVideo_Free(&v);
  make(true);
  v = CaliVideo_Create(path.c_str(), nullptr);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(CaliVideo_GetEnv(v, 31000), 0);
  CaliVideo_Free(&v);
}

TEST_F(VideoTest, FirstFrameComputesThePlaneAndGainAndRepairApply) {
  make();
  CaliVideo* v = CaliVideo_Create(path.c_str(), nullptr);
  ASSERT_NE(v, nullptr);
  const std::vector<int16_t> frame = read16("frame.bin"), fixed = read16("fixed.bin"), planes = read16("planes.bin");
  std::vector<int16_t> out(P);
  // At the FPA temperature of point 2 the plane is that point's own (bad pixels repaired).
  ASSERT_EQ(CaliVideo_Nst(v, 40000, frame.data(), out.data()), 0);
  const int16_t* plane2 = planes.data() + 2 * P;
  for (int p = 0; p < P; ++p) {
    if (p == 5 || p == W + 1) continue;
    ASSERT_EQ(out[p], frame[p] - plane2[p]) << p;
  }
  EXPECT_EQ(out[5], frame[5] - (plane2[4] + plane2[6]) / 2);
  // Within 30 frames the plane stays, even for another temperature.
  std::vector<int16_t> again(P);
  ASSERT_EQ(CaliVideo_Nst(v, 55000, frame.data(), again.data()), 0);
  EXPECT_EQ(again, out);
  // 31 frames later with the FPA 15 °C away it follows.
  for (int i = 0; i < 31; ++i) CaliVideo_Nst(v, 55000, frame.data(), again.data());
  EXPECT_EQ(again[7], frame[7] - planes[3 * P + 7]);

  std::vector<int16_t> g = frame;
  CaliVideo_Fix(v, g.data());
  EXPECT_EQ(g, fixed);
  std::vector<int16_t> r = frame;
  CaliVideo_Com(v, r.data());
  EXPECT_EQ(r[5], (frame[4] + frame[6]) / 2);
  EXPECT_EQ(r[W + 1], (frame[1] + frame[2 * W + 1]) / 2);
  EXPECT_EQ(r[9], frame[9]);
  CaliVideo_Free(&v);
}

TEST_F(VideoTest, BadPointListBecomesCompensationFile) {
  make();
  CaliVideo* v = CaliVideo_Create(path.c_str(), nullptr);
  ASSERT_NE(v, nullptr);
  std::vector<uint8_t> list(44, 0);
  const char id[] = "VIDEO-OSTREL-TEST-0001";
  std::memcpy(list.data(), id, sizeof id - 1);
  putAt(list, 32, int32_t(W));
  putAt(list, 36, int32_t(H));
  putAt(list, 40, int32_t(1));
  putAt(list, 44, uint16_t(10));
  putAt(list, 46, uint16_t(10));
  TempFile listFile("video.com", list);
  const std::string comp = dir.path + "/video.cmp";
  ASSERT_EQ(Com_ProcessVideo(v, listFile.path.c_str(), comp.c_str()), 0);
  const std::vector<uint8_t> bytes = readBytes(comp);
  ASSERT_EQ(bytes.size(), 128u + 40 * 3);  // the two own pixels and the new one
  CaliVideo_Free(&v);
  v = CaliVideo_Create(path.c_str(), comp.c_str());
  ASSERT_NE(v, nullptr);
  std::vector<int16_t> f(P);
  for (int p = 0; p < P; ++p) f[p] = int16_t(p);
  f[10 * W + 10] = 30000;
  CaliVideo_Com(v, f.data());
  EXPECT_LT(std::abs(f[10 * W + 10] - (10 * W + 10)), 2 * W);
  CaliVideo_Free(&v);
  EXPECT_EQ(Com_ProcessVideo(nullptr, listFile.path.c_str(), comp.c_str()), -1);
}

}  // namespace
