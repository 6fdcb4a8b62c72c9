// Destripe filter: stripe removal, untouched stripe-free frames, cadence, row reduction,
// saturation and the record rules.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "alg/image/Destripe.h"
#include "alg/image/GuidedCore.h"

using namespace ostrel::alg;
using namespace ostrel::test;

namespace {

DestripInfoRecord record(int type, int w, int h, int r0 = 8, int reg0 = 60, int r1 = 8, int subY = 1,
                         int subT = 1) {
  DestripInfoRecord r{};
  r.type = static_cast<int16_t>(type);
  r.width = static_cast<uint16_t>(w);
  r.height = static_cast<uint16_t>(h);
  r.s0_radius = static_cast<uint16_t>(r0);
  r.s0_regular = static_cast<uint16_t>(reg0);
  r.s1_radius = static_cast<uint16_t>(r1);
  r.s1_regular = 1;
  r.sub_y = static_cast<uint8_t>(subY);
  r.sub_t = static_cast<uint8_t>(subT);
  return r;
}

struct State {
  DestripState* s = IRDestrip_Create();
  ~State() { IRDestrip_Free(&s); }
};

// Per-column offsets with a zero mean over any few neighbouring columns.
int16_t stripe(int x) {
  return static_cast<int16_t>((x % 2 ? -1 : 1) * (15 + 10 * ((x / 2) % 3)));
}

// Spread (standard deviation over columns) of the column means of frame - smooth.
double columnSpread(const std::vector<int16_t>& f, const std::vector<int16_t>& smooth, int w, int h) {
  std::vector<double> mean(w, 0.0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) mean[x] += double(f[y * w + x]) - smooth[y * w + x];
  double m = 0, m2 = 0;
  for (double& v : mean) v /= h, m += v, m2 += v * v;
  m /= w;
  return std::sqrt(m2 / w - m * m);
}

}  // namespace

TEST(Destripe, RemovesMostOfAKnownColumnPattern) {
  const int w = 160, h = 120;
  for (int type : {1, 2}) {
    std::vector<int16_t> smooth(w * h), striped(w * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        smooth[y * w + x] = static_cast<int16_t>(5000 + 3 * y + 0.2 * x);
        striped[y * w + x] = static_cast<int16_t>(smooth[y * w + x] + stripe(x));
      }
    State st;
    DestripInfoRecord r = record(type, w, h);
    ASSERT_EQ(IRDestrip_SetConfig(st.s, &r), 0);
    std::vector<int16_t> out = striped;
    ASSERT_EQ(IRDestrip_Execute(st.s, out.data(), w, h, 0), 0);
    const double before = columnSpread(striped, smooth, w, h), after = columnSpread(out, smooth, w, h);
    EXPECT_LT(after, 0.2 * before) << "type " << type << ": " << before << " -> " << after;
  }
}

TEST(Destripe, IdenticalColumnsAreUntouchedAndTypesAgree) {
  const int w = 96, h = 64;
  std::vector<int16_t> rows(w * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[y * w + x] = static_cast<int16_t>(-20000 + 700 * y);
  State st;
  DestripInfoRecord r = record(1, w, h, 16, 1, 16);
  ASSERT_EQ(IRDestrip_SetConfig(st.s, &r), 0);
  std::vector<int16_t> out = rows;
  ASSERT_EQ(IRDestrip_Execute(st.s, out.data(), w, h, 0), 0);
  EXPECT_EQ(out, rows);

  TestFrame noise = noiseFrame(w, h, 3000, 2000, 21);
  std::vector<int16_t> a = noise.codes, b = noise.codes;
  State s1, s2;
  DestripInfoRecord r1 = record(1, w, h, 5, 30, 4), r2 = record(2, w, h, 5, 30, 4);
  ASSERT_EQ(IRDestrip_SetConfig(s1.s, &r1), 0);
  ASSERT_EQ(IRDestrip_SetConfig(s2.s, &r2), 0);
  IRDestrip_Execute(s1.s, a.data(), w, h, 0);
  IRDestrip_Execute(s2.s, b.data(), w, h, 0);
  EXPECT_EQ(a, b);
}

TEST(Destripe, LargeCodesAtRadius16MatchTheShiftedFrame) {
  // The filter is translation invariant; 32-bit sums of squares would break it near 30000.
  const int w = 100, h = 60;
  TestFrame f = noiseFrame(w, h, 0, 500, 8);
  for (int i = 0; i < w * h; ++i) f.codes[i] = static_cast<int16_t>(f.codes[i] + stripe(i % w) * 4);
  std::vector<int16_t> low = f.codes, high = f.codes;
  for (auto& v : high) v = static_cast<int16_t>(v + 30000);
  State a, b;
  DestripInfoRecord r = record(1, w, h, 16, 40, 16);
  ASSERT_EQ(IRDestrip_SetConfig(a.s, &r), 0);
  ASSERT_EQ(IRDestrip_SetConfig(b.s, &r), 0);
  IRDestrip_Execute(a.s, low.data(), w, h, 0);
  IRDestrip_Execute(b.s, high.data(), w, h, 0);
  for (int i = 0; i < w * h; ++i) ASSERT_NEAR(high[i] - 30000, low[i], 1) << i;
  EXPECT_NE(low, f.codes);
}

TEST(Destripe, VectorAndScalarPathsAreIdentical) {
  const int w = 123, h = 77;
  TestFrame f = noiseFrame(w, h, -1000, 9000, 2);
  std::vector<int16_t> out[2];
  for (int simd = 0; simd < 2; ++simd) {
    setSimdLevel(simd == 1 ? SimdLevel::Sse2 : SimdLevel::Scalar);
    State st;
    DestripInfoRecord r = record(2, w, h, 3, 20, 5, 2);
    ASSERT_EQ(IRDestrip_SetConfig(st.s, &r), 0);
    out[simd] = f.codes;
    IRDestrip_Execute(st.s, out[simd].data(), w, h, 0);
  }
  setSimdLevel(simdBestLevel());
  EXPECT_EQ(out[0], out[1]);
}

TEST(Destripe, CadenceRefreshesEverySubTFrames) {
  State st;
  DestripInfoRecord r = record(1, 80, 60, 2, 10, 2, 1, 4);
  ASSERT_EQ(IRDestrip_SetConfig(st.s, &r), 0);
  std::vector<bool> seen;
  for (int i = 0; i < 10; ++i) seen.push_back(destripShouldRefresh(st.s, 1));
  const std::vector<bool> want = {true, false, false, false, true, false, false, false, true, false};
  EXPECT_EQ(seen, want);
  EXPECT_TRUE(destripShouldRefresh(st.s, 0));

  // Through Execute: frame 1 learns the stripes, frames 2..4 reuse them on a clean frame.
  State s2;
  ASSERT_EQ(IRDestrip_SetConfig(s2.s, &r), 0);
  TestFrame striped = stripesFrame(80, 60, 1000, {40, -40});
  ASSERT_EQ(IRDestrip_Execute(s2.s, striped.codes.data(), 80, 60, 1), 0);
  TestFrame clean = flatFrame(80, 60, 1000);
  ASSERT_EQ(IRDestrip_Execute(s2.s, clean.codes.data(), 80, 60, 1), 0);
  EXPECT_NE(clean.codes, flatFrame(80, 60, 1000).codes);  // old estimate subtracted
}

TEST(Destripe, RowReductionAndSaturation) {
  State st;
  DestripInfoRecord r = record(1, 80, 250, 2, 10, 2, 16);
  ASSERT_EQ(IRDestrip_SetConfig(st.s, &r), 0);
  EXPECT_EQ(destripRowFactor(st.s), 16);
  EXPECT_EQ(destripReducedRows(st.s), 15);
  TestFrame f = stripesFrame(80, 250, 500, {30, -30, 0});
  std::vector<int16_t> out = f.codes;
  ASSERT_EQ(IRDestrip_Execute(st.s, out.data(), 80, 250, 0), 0);
  for (int i = 240 * 80; i < 250 * 80; ++i) ASSERT_EQ(out[i], f.codes[i]);  // last 10 rows unchanged
  EXPECT_NE(std::vector<int16_t>(out.begin(), out.begin() + 240 * 80),
            std::vector<int16_t>(f.codes.begin(), f.codes.begin() + 240 * 80));

  State s3;
  r = record(1, 80, 60, 2, 10, 2, 3);
  ASSERT_EQ(IRDestrip_SetConfig(s3.s, &r), 0);
  EXPECT_EQ(destripRowFactor(s3.s), 2);

  // A cold column in the estimate rows and a hot pixel below it: the subtraction saturates.
  State s4;
  r = record(1, 80, 60, 2, 1, 1, 2);
  ASSERT_EQ(IRDestrip_SetConfig(s4.s, &r), 0);
  TestFrame hot = flatFrame(80, 60, 1000);
  for (int y = 0; y < 60; y += 2) hot.at(10, y) = 0;
  hot.at(10, 5) = 32767;
  ASSERT_EQ(IRDestrip_Execute(s4.s, hot.codes.data(), 80, 60, 0), 0);
  EXPECT_EQ(hot.at(10, 5), 32767);
}

TEST(Destripe, RecordChecksSizesAndAllocation) {
  DestripInfoRecord r = record(1, 79, 60);
  EXPECT_EQ(IRDestrip_IsValid(&r), 0);
  r = record(1, 80, 59);
  EXPECT_EQ(IRDestrip_IsValid(&r), 0);
  r = record(1, 80, 60);
  EXPECT_EQ(IRDestrip_IsValid(&r), 1);
  r.sub_t = 17;
  EXPECT_EQ(IRDestrip_IsValid(&r), 0);
  r = record(1, 80, 60);
  r.s0_regular = 0;
  EXPECT_EQ(IRDestrip_IsValid(&r), 0);

  State st;
  std::vector<int16_t> codes(640 * 512, 7);
  EXPECT_EQ(IRDestrip_Execute(st.s, codes.data(), 640, 512, 0), -8);  // unconfigured
  DestripInfoRecord bad = record(1, 79, 60);
  EXPECT_EQ(IRDestrip_SetConfig(st.s, &bad), -8);
  DestripInfoRecord a = record(1, 640, 512);
  ASSERT_EQ(IRDestrip_SetConfig(st.s, &a), 0);
  EXPECT_EQ(IRDestrip_Execute(st.s, codes.data(), 640, 480, 0), -8);
  EXPECT_EQ(IRDestrip_Execute(st.s, codes.data(), 640, 512, 0), 0);
  // The transposed size has the same pixel count but needs other tables.
  DestripInfoRecord t = record(2, 512, 640, 16, 60, 16);
  ASSERT_EQ(IRDestrip_SetConfig(st.s, &t), 0);
  TestFrame noise = noiseFrame(512, 640, 100, 50, 1);
  EXPECT_EQ(IRDestrip_Execute(st.s, noise.codes.data(), 512, 640, 0), 0);
  // A failed allocation leaves the state unconfigured; the next configuration allocates again.
  DestripInfoRecord big = record(1, 1280, 1024);
  algFailAllocAfter(0);
  EXPECT_EQ(IRDestrip_SetConfig(st.s, &big), -5);
  algFailAllocAfter(-1);
  EXPECT_EQ(IRDestrip_Execute(st.s, noise.codes.data(), 512, 640, 0), -8);
  EXPECT_EQ(IRDestrip_SetConfig(st.s, &a), 0);
  EXPECT_EQ(IRDestrip_Execute(st.s, codes.data(), 640, 512, 0), 0);
  DestripInfoRecord off = record(0, 640, 512);
  ASSERT_EQ(IRDestrip_SetConfig(st.s, &off), 0);
  std::vector<int16_t> before = noiseFrame(640, 512, 0, 100, 3).codes, after = before;
  EXPECT_EQ(IRDestrip_Execute(st.s, after.data(), 640, 512, 0), 0);
  EXPECT_EQ(after, before);
}
