// Environment updates and frame conversion: stepwise against whole re-interpolation, the update
// thresholds, the correction chain, saturation of out-of-range values, vector against scalar.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"
#include "alg/calibration/CaliExec.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"
#include "alg/radiometry/CorrLut.h"
#include "foundation/Logger.h"

using namespace ostrel::test;

namespace {

struct TempFile {
  std::string path;
  TempFile(const std::string& name, const std::vector<uint8_t>& bytes) : path(tempPath(name)) {
    writeBytes(path, bytes);
  }
  ~TempFile() { std::remove(path.c_str()); }
};

CaliContext* create(const CaliModel& m, int32_t start, const std::string& name = "env") {
  TempFile f(name, caliBytes(m));
  const FixInfoRecord fix = neutralFixInfo();
  return Cali_Create(f.path.c_str(), nullptr, &fix, start);
}

// Calls until nothing is left to do; returns the number of steps done.
int settle(CaliContext* c, int32_t fpa, int32_t shell) {
  int steps = 0;
  for (int guard = 0; guard < 1000; ++guard) {
    const int r = Cali_InitEnv(c, fpa, shell);
    if (r == 0) break;
    steps += r == 2;
  }
  return steps;
}

bool sameActiveSet(const CaliContext* a, const CaliContext* b) {
  const size_t planes = 2 * a->B - 3;
  return std::memcmp(a->bp[a->active], b->bp[b->active], planes * a->P * 2) == 0 &&
         std::memcmp(a->segs[a->active], b->segs[b->active], planes * a->P * 4) == 0;
}

std::vector<std::string> g_lines;
std::mutex g_linesLock;
void captureLine(int, const char* line, size_t length) {
  std::lock_guard<std::mutex> lock(g_linesLock);
  g_lines.emplace_back(line, length);
}

int jumpLines() {
  std::lock_guard<std::mutex> lock(g_linesLock);
  int n = 0;
  for (const std::string& l : g_lines) {
    n += l.find("Alg\\IRCali_Cali") != std::string::npos && l.find("Cali_InitEnv") != std::string::npos &&
         l.find("!!!fpaTemp") != std::string::npos;
  }
  return n;
}

}  // namespace

TEST(CaliEnv, StepwiseUpdateEndsEqualToTheWholeOneAndFramesKeepTheOldTables) {
  // 37 x 29 (2 steps) and 150 x 131 (64 steps): neither divides evenly by its step count.
  for (auto [w, h, steps] : {std::tuple{37, 29, 2}, std::tuple{150, 131, 64}}) {
    SCOPED_TRACE(w);
    const CaliModel m = makeModel(w, h, 4, 5, uint32_t(w));
    CaliContext* a = create(m, 20000);
    CaliContext* b = create(m, 20000);
    ASSERT_TRUE(a && b);
    settle(a, 20000, 22000);
    std::vector<int16_t> raw(size_t(w) * h);
    for (int p = 0; p < w * h; ++p) raw[p] = modelRaw(m, p, 15.0 + (p % 7) * 20.0, 20.0);
    std::vector<int16_t> before = raw;
    Cali_Execute(a, before.data());
    ASSERT_EQ(Cali_InitEnv(a, 22500, 24500), 1);
    for (int s = 0; s < steps - 1; ++s) {
      ASSERT_EQ(Cali_InitEnv(a, 22500, 24500), 2);
      std::vector<int16_t> during = raw;
      Cali_Execute(a, during.data());
      ASSERT_EQ(during, before) << s;
    }
    const uint8_t activeBefore = a->active;
    EXPECT_EQ(Cali_InitEnv(a, 22500, 24500), 2);
    EXPECT_NE(a->active, activeBefore);
    EXPECT_EQ(Cali_InitEnv(a, 22500, 24500), 0);
    Cali_InitEnvWhole(b, 22500, 24500);
    EXPECT_TRUE(sameActiveSet(a, b));
    Cali_Free(&a);
    Cali_Free(&b);
  }
}

TEST(CaliEnv, LargeWholeUpdateInBandsEqualsTheStepwiseOne) {
  // 1033 x 551 pixels: the whole update goes in bands on helper threads, with band edges that
  // are not multiples of the step size and a pixel count that is no multiple of a vector block;
  // the stepwise update works through one range at a time. Curves that fall back and cross.
  CaliModel m = makeModel(1033, 551, 2, 5, 7);
  std::mt19937 rng(17);
  for (auto& v : m.raw) v = int16_t(rng());
  for (auto& v : m.seg) v = rng();
  CaliContext* a = create(m, 20000, "band-a");
  CaliContext* b = create(m, 20000, "band-b");
  ASSERT_TRUE(a && b);
  settle(a, 20000, 22000);
  ASSERT_EQ(Cali_InitEnv(a, 22500, 22000), 1);
  EXPECT_EQ(settle(a, 22500, 22000), 256);
  Cali_InitEnvWhole(b, 22500, 22000);
  EXPECT_TRUE(sameActiveSet(a, b));
  Cali_Free(&a);
  Cali_Free(&b);
}

TEST(CaliEnv, UpdateThresholdsAndTheJumpLogLine) {
  const CaliModel m = makeModel(16, 8, 3, 4);
  CaliContext* c = create(m, 30000);
  ASSERT_NE(c, nullptr);
  ostrel::logSetCallback(ostrel::logDefault(), captureLine);
  settle(c, 30000, 32000);  // the correction record marked the object dirty at creation
  EXPECT_EQ(Cali_InitEnv(c, 30000, 32000), 0);
  EXPECT_EQ(Cali_InitEnv(c, 30150, 32000), 0);  // 150: nothing without a dirty flag
  Cali_SetHackFlags(c, 1);
  EXPECT_EQ(Cali_InitEnv(c, 30000, 32000), 1);  // dirty: even no change starts an update
  EXPECT_EQ(settle(c, 30000, 32000), 2);
  EXPECT_EQ(Cali_InitEnv(c, 30201, 32000), 1);  // 201 always starts one
  settle(c, 30201, 32000);
  const int before = jumpLines();
  EXPECT_EQ(Cali_InitEnv(c, 33200, 35000), 1);  // 2999: stepwise, no line
  EXPECT_EQ(jumpLines(), before);
  EXPECT_EQ(Cali_InitEnv(c, 33200, 35000), 2);
  settle(c, 33200, 35000);
  EXPECT_EQ(Cali_InitEnv(c, 36200, 35000), 1);  // exactly 3000: whole at once, logged
  EXPECT_EQ(jumpLines(), before + 1);
  EXPECT_EQ(c->stepsDone, c->steps);
  EXPECT_EQ(c->lastShell, 35000);
  EXPECT_EQ(Cali_InitEnv(c, 36200, 35000), 0);
  ostrel::logSetCallback(ostrel::logDefault(), nullptr);
  Cali_Free(&c);
}

TEST(CaliEnv, FinalLutChainsTheSeparateCorrections) {
  CaliModel m = makeModel(8, 4, 2, 3);
  m.scale = 50;
  m.c0 = 2000;
  m.lutBp = {-32768, 0, 4000, 20000};
  m.lutShift = 4;
  m.lutSeg = {16 | (0u << 16), 24 | (uint32_t(uint16_t(int16_t(-100))) << 16), 8 | (300u << 16)};
  CaliContext* c = create(m, 30000, "chain");
  ASSERT_NE(c, nullptr);
  // Base LUT worked by hand: below 0 x; 0..3999 1.5 x - 100; from 4000 x / 2 + 300.
  EXPECT_EQ(c->lutBase[-500], -500);
  EXPECT_EQ(c->lutBase[1000], 1400);
  EXPECT_EQ(c->lutBase[4000], 2300);
  EXPECT_EQ(c->lutBase[32767], 16683);
  FixInfoRecord fix = neutralFixInfo();
  fix.globalEmissivity = 0.9f;
  fix.infraredWindowTrans = 0.8f;
  fix.infraredWindowTempOffset = 3.0f;
  fix.tempOffset = 0.5f;
  ASSERT_EQ(Cali_SetFixInfo(c, &fix), 0);
  std::vector<uint8_t> cust(656, 0);
  const int32_t count = 2;
  const float pts[4] = {40.0f, 38.0f, 80.0f, 77.0f};
  std::memcpy(&cust[268], &count, 4);
  std::memcpy(&cust[272], &pts[0], 8);
  std::memcpy(&cust[296], &pts[2], 8);
  TempFile cf("cust", cust);
  ASSERT_EQ(Cali_LoadCust(c, cf.path.c_str()), 0);
  EXPECT_EQ(Cali_InitEnv(c, 30000, 31000), 1);
  // The separate LUTs, built here from the public calls with the calibration's scale/offset.
  FixTransContext* t = FixTrans_Create(0);
  std::vector<int16_t> trans(65536), emi(65536), custLut(65536), dist(65536);
  ASSERT_EQ(FixTrans_Init(t, 50, -40), 0);
  ASSERT_EQ(FixTrans_UpdateLut(t, 31000 - 3000, 0.8f, trans.data() + 32768), 0);
  ASSERT_EQ(FixEmi_UpdateLut(t, 20000, 0.9f, 0.5f, emi.data() + 32768), 0);
  EXPECT_EQ(Cali_InitCustLut(custLut.data() + 32768, cust.data(), c), 6);
  ostrel::alg::identityLut16(dist.data() + 32768);
  for (int x = -32768; x <= 32767; ++x) {
    const int16_t v = custLut[32768 + dist[32768 + emi[32768 + trans[32768 + c->lutBase[x]]]]];
    ASSERT_EQ(c->lutFinal[x], v) << x;
  }
  FixTrans_Free(&t);
  // A custom file that cannot be read leaves the identity and reports the reader's code.
  EXPECT_EQ(Cali_LoadCust(c, (cf.path + ".none").c_str()), -200);
  for (int x = -32768; x <= 32767; x += 97) ASSERT_EQ(c->lutCust[x], x);
  TempFile shortFile("custshort", std::vector<uint8_t>(cust.begin(), cust.begin() + 300));
  EXPECT_EQ(Cali_LoadCust(c, shortFile.path.c_str()), -198);
  for (int x = -32768; x <= 32767; x += 97) ASSERT_EQ(c->lutCust[x], x);
  EXPECT_EQ(Cali_LoadCust(nullptr, cf.path.c_str()), -8);
  Cali_Free(&c);
}

TEST(CaliEnv, CustomLutKeepsSteepSegmentsWhoseOffsetsPass16Bits) {
  CaliModel m = makeModel(4, 4, 2, 3);
  m.scale = 50;
  m.c0 = 2000;
  CaliContext* c = create(m, 30000, "steep");
  ASSERT_NE(c, nullptr);
  // 100 -> 99 degC and 200 -> 100.5 degC: the middle segment rises 5000 codes over 75, its line
  // crosses code 0 near -456000.
  std::vector<uint8_t> cust(656, 0);
  const int32_t count = 2;
  const float pts[4] = {100.0f, 99.0f, 200.0f, 100.5f};
  std::memcpy(&cust[268], &count, 4);
  std::memcpy(&cust[272], &pts[0], 8);
  std::memcpy(&cust[296], &pts[2], 8);
  std::vector<int16_t> lut(65536);
  int16_t* l = lut.data() + 32768;
  ASSERT_EQ(Cali_InitCustLut(l, cust.data(), c), 6);
  EXPECT_NEAR(l[6950], 7000, 1);   // measured 99 degC reads 100
  EXPECT_NEAR(l[7025], 12000, 1);  // measured 100.5 degC reads 200
  EXPECT_NEAR(l[6989], 9600, 70);  // and in between on the line
  for (int x = -32768; x < 32767; ++x) ASSERT_LE(l[x], l[x + 1]) << x;
  Cali_Free(&c);
}

TEST(CaliEnv, WithoutBaseLutEveryCorrectionIsIgnored) {
  CaliContext* c = create(makeModel(4, 4, 2, 3), 30000, "nolut");
  ASSERT_NE(c, nullptr);
  FixInfoRecord fix = neutralFixInfo();
  fix.globalEmissivity = 0.5f;
  ASSERT_EQ(Cali_SetFixInfo(c, &fix), 0);
  fix.globalEmissivity = 0.09f;
  EXPECT_EQ(Cali_SetFixInfo(c, &fix), -8);
  EXPECT_EQ(Cali_InitEnv(c, 30000, 31000), 1);
  for (int x = -32768; x <= 32767; ++x) ASSERT_EQ(c->lutFinal[x], x);
  Cali_Free(&c);
}

TEST(CaliEnv, OwnDistanceCorrectionIsLoadedWhenNoObjectIsGiven) {
  CaliModel m = makeModel(4, 4, 2, 3);
  m.lutBp = {-32768, 0, 32767};
  m.lutSeg = {1, 1};
  CaliContext* c = create(m, 30000, "dist");
  ASSERT_NE(c, nullptr);
  settle(c, 30000, 31000);
  std::vector<uint8_t> rec(696, 0);
  const int32_t one = 1, two = 2, d = 10;
  const float pairs[4] = {20.0f, 18.0f, 100.0f, 95.0f};
  std::memcpy(&rec[264], &one, 4);
  std::memcpy(&rec[268], &two, 4);
  std::memcpy(&rec[272], &d, 4);
  std::memcpy(&rec[292], pairs, 16);
  TempFile df("distrec", rec);
  EXPECT_EQ(FixDist_Init2(nullptr, df.path.c_str(), c), 0);
  EXPECT_EQ(Cali_InitEnv(c, 30000, 31000), 1);  // marked dirty
  FixDistContext* ref = FixDist_Create();
  ASSERT_EQ(FixDist_Init(ref, df.path.c_str(), uint16_t(m.scale), int16_t(-(m.c0 / m.scale))), 0);
  std::vector<int16_t> lut(65536);
  FixDist_UpdateLut(ref, 0, lut.data() + 32768);
  FixDist_Free(&ref);
  for (int x = -32768; x <= 32767; ++x) {
    ASSERT_EQ(c->lutDist[x], lut[32768 + x]) << x;
    ASSERT_EQ(c->lutFinal[x], c->lutCust[lut[32768 + c->lutEmi[c->lutTrans[x]]]]) << x;
  }
  EXPECT_NE(c->lutDist[1000], 1000);
  Cali_Free(&c);
}

TEST(CaliEnv, OutOfRangeValuesSaturateInsteadOfWrapping) {
  // 3 pixels, 2 points, 2 blackbodies: one segment per pixel and point, shift 4.
  CaliModel m;
  m.width = 3;
  m.height = 1;
  m.E = 2;
  m.B = 2;
  m.shift = 4;
  m.fpa = {20000, 30000};
  m.shell = {20000, 30000};
  m.env = {20, 25};
  m.raw = {100, 200, 300, 400, 500, 600, 100, 200, 300, 400, 500, 600};
  auto seg = [](uint16_t slope, int16_t off) { return uint32_t(slope) | uint32_t(uint16_t(off)) << 16; };
  // Pixel 0: plain line 16/16 x + 5. Pixel 1: slopes 60000 -> 65535, offsets 30000 -> 32000.
  // Pixel 2: negative offsets -30000 -> -32000.
  m.seg = {seg(16, 5), seg(60000, 30000), seg(16, -30000), seg(16, 5), seg(65535, 32000), seg(16, -32000)};
  CaliContext* c = create(m, 20000, "sat");
  ASSERT_NE(c, nullptr);
  Cali_InitEnvWhole(c, 40000, 40000);  // w = 2: extrapolated past the second point
  const ostrel::alg::SegEntry s1 = c->segs[c->active][1];
  EXPECT_EQ(s1.slope, 65535);  // 71070 held, not 5534
  EXPECT_EQ(s1.offset, 32767);
  EXPECT_EQ(c->segs[c->active][2].offset, -32768);
  int16_t frame[3] = {1000, 2, 32000};
  Cali_Execute_C1(c, frame);
  EXPECT_EQ(frame[0], 1005);   // in range: unchanged
  EXPECT_EQ(frame[1], 32767);  // a hot pixel stays hot
  EXPECT_EQ(frame[2], -32768 + 32000);
  int16_t hot[3] = {32767, 32767, -32768};
  Cali_Execute_C1(c, hot);
  EXPECT_EQ(hot[0], 32767);
  EXPECT_EQ(hot[1], 32767);
  EXPECT_EQ(hot[2], -32768);
  Cali_Free(&c);
}

TEST(CaliEnv, VectorAndScalarConversionAgreeOnAnyTables) {
  // Random curves, not rising: the tables are kept ascending, so both searches agree.
  CaliModel m = makeModel(61, 17, 3, 6, 9);
  std::mt19937 rng(3);
  for (auto& v : m.raw) v = int16_t(rng());
  for (auto& v : m.seg) v = rng();
  m.shift = 11;
  m.lutBp = {-32768, -100, 0, 5000};
  m.lutSeg = {1 << 3, 3 << 2, 5};
  m.lutShift = 3;
  CaliContext* c = create(m, 25000, "simd");
  ASSERT_NE(c, nullptr);
  for (int32_t fpa : {12000, 25000, 70000, -5000}) {
    Cali_InitEnvWhole(c, fpa, fpa);
    std::vector<int16_t> frame(c->P);
    for (auto& v : frame) v = int16_t(rng());
    for (bool lut : {true, false}) {
      std::vector<int16_t> ref = frame, vec = frame;
      ostrel::alg::caliExecuteScalar(c, ref.data(), lut, 0, c->P);
      ostrel::alg::setSimdLevel(ostrel::alg::SimdLevel::Avx2);
      ostrel::alg::caliExecuteFrame(c, vec.data(), lut);
      ASSERT_EQ(ref, vec) << fpa;
      // The segment is the number of breakpoints at or below the value.
      for (uint32_t p = 0; p < c->P; p += 13) {
        uint32_t i = 0;
        for (uint32_t j = 0; j < 2 * c->B - 4; ++j) i += c->bp[c->active][j * c->P + p] <= frame[p];
        const ostrel::alg::SegEntry s = c->segs[c->active][i * c->P + p];
        const int64_t x = std::clamp<int64_t>(((int64_t(frame[p]) * s.slope) >> c->shift) + s.offset, -32768, 32767);
        ASSERT_EQ(ref[p], lut ? c->lutFinal[x] : x);
      }
    }
  }
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
  Cali_Free(&c);
}

TEST(CaliEnv, VectorAndScalarUpdatesAgreeOnAnyCurves) {
  // Rising curves alike from pixel to pixel (kind 0), curves that fall back and cross (1) or tie
  // (2, coarse values), blackbody counts from 2 to 16 (the widest the vector form takes) and 17,
  // pixel counts that leave a scalar tail in every block, weights inside the axis, far outside it
  // with saturating segments, and past the 32-bit lanes.
  std::mt19937 rng(11);
  for (auto [w, h, B, kind] : {std::tuple{300, 7, 8, 0}, std::tuple{61, 17, 6, 1}, std::tuple{61, 17, 6, 2},
                               std::tuple{33, 9, 2, 1}, std::tuple{29, 11, 3, 2}, std::tuple{45, 7, 16, 2},
                               std::tuple{13, 5, 17, 1}, std::tuple{300, 7, 8, 2}}) {
    SCOPED_TRACE(B);
    CaliModel m = makeModel(w, h, 3, B, uint32_t(B));
    if (kind != 0) {
      for (auto& v : m.raw) v = kind == 2 ? int16_t(int(rng() % 7) * 900 - 2700) : int16_t(rng());
      for (auto& v : m.seg) v = rng();
    }
    CaliContext* ref = create(m, 25000, "upd-ref");
    CaliContext* vec = create(m, 25000, "upd-vec");
    ASSERT_TRUE(ref && vec);
    for (int32_t fpa : {12000, 39999, 70000, 400000, -400000, 600000}) {
      ostrel::alg::setSimdLevel(ostrel::alg::SimdLevel::Scalar);
      Cali_InitEnvWhole(ref, fpa, fpa);
      ostrel::alg::setSimdLevel(ostrel::alg::SimdLevel::Avx2);
      Cali_InitEnvWhole(vec, fpa, fpa);
      ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
      ASSERT_TRUE(sameActiveSet(ref, vec)) << fpa;
    }
    Cali_Free(&ref);
    Cali_Free(&vec);
  }
}

TEST(CaliEnv, FpaInterpolatorFollowsTheEnvironmentTable) {
  CaliModel a = makeModel(2, 2, 2, 2), b = makeModel(2, 2, 2, 2);
  a.fpa = {100000, 150000};
  a.env = {300, 400};
  b.fpa = {160000, 200000};
  b.env = {410, 450};
  CaliContext* ca = create(a, 120000, "fpa_a");
  CaliContext* cb = create(b, 180000, "fpa_b");
  ASSERT_TRUE(ca && cb);
  CaliContext* list[] = {ca, cb, nullptr};
  FpaContext* f = Fpa_Create(list);
  ASSERT_NE(f, nullptr);
  // m°C products pass 32 bits here (150000 * 300000).
  EXPECT_EQ(Fpa_GetEnv(f, 125000), 350000);
  EXPECT_EQ(Fpa_GetEnv(f, 155000), 405000);
  EXPECT_EQ(Fpa_GetEnv(f, 190000), 440000);
  EXPECT_EQ(Fpa_GetEnv(f, 50000), 200000);   // extended below
  EXPECT_EQ(Fpa_GetEnv(f, 210000), 460000);  // and above
  EXPECT_EQ(Fpa_GetEnv(f, 100000), 300000);
  Fpa_Free(&f);
  EXPECT_EQ(f, nullptr);
  CaliContext* overlap[] = {cb, ca, nullptr};
  EXPECT_EQ(Fpa_Create(overlap), nullptr);
  CaliContext* none[] = {nullptr};
  EXPECT_EQ(Fpa_Create(none), nullptr);
  Cali_Free(&ca);
  Cali_Free(&cb);
}
