// VEZ2024_GetSpaceData against a naive per-column loop, its edge cases, the LUT cache and use
// from several threads.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <thread>

#include "MeaOracle.h"

namespace {
using namespace meatest;
using ostrel::test::TestFrame;

class Profile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(VEZ2024_Init(), 0); }
  void TearDown() override { VEZ2024_Free(); }
};

// Per column (or row) of the stored box, clipped; stats over inside pixels; empty ends dropped.
std::vector<double> naiveProfile(const TestFrame& f, const MeaItem& it, int stats, bool perRow) {
  const auto& p = it.points;
  int x0, y0, x1, y1;
  if (it.meaType == 0) {
    x0 = y0 = 0, x1 = f.width() - 1, y1 = f.height() - 1;
  } else if (it.meaType == 11) {
    x0 = y0 = 1 << 30, x1 = y1 = -1;
    for (int i = 0; i < it.pointCount; ++i) {
      x0 = std::min<int>(x0, p[i].x), y0 = std::min<int>(y0, p[i].y);
      x1 = std::max<int>(x1, p[i].x), y1 = std::max<int>(y1, p[i].y);
    }
  } else {
    x0 = p[0].x, y0 = p[0].y, x1 = p[1].x, y1 = p[1].y;
  }
  x1 = std::min(x1, f.width() - 1), y1 = std::min(y1, f.height() - 1);
  const double s = f.head.scale ? f.head.scale : 1;
  std::vector<double> out;
  std::vector<bool> empty;
  const int lines = perRow ? y1 - y0 + 1 : x1 - x0 + 1;
  for (int l = 0; l < lines; ++l) {
    double mn = 1e300, mx = -1e300, sum = 0, sq = 0;
    int n = 0;
    const int len = perRow ? x1 - x0 + 1 : y1 - y0 + 1;
    for (int k = 0; k < len; ++k) {
      const int x = perRow ? x0 + k : x0 + l, y = perRow ? y0 + l : y0 + k;
      if (!inside(it, x, y)) continue;
      const double v = f.at(x, y) / s + f.head.offset;
      mn = std::min(mn, v), mx = std::max(mx, v), sum += v, sq += v * v, ++n;
    }
    double r;
    if (n == 0) {
      r = stats == 3 ? 0.0 : DBL_MIN;
    } else if (stats == 1) {
      r = mx;
    } else if (stats == 2) {
      r = sum / n;
    } else if (stats == 3) {
      r = sum;
    } else if (stats == 4) {
      r = std::sqrt(std::max(0.0, sq / n - (sum / n) * (sum / n)));
    } else {
      r = mn;
    }
    out.push_back(r);
    empty.push_back(n == 0);
  }
  if (!out.empty() && empty.front()) out.erase(out.begin()), empty.erase(empty.begin());
  if (!out.empty() && empty.back()) out.pop_back();
  return out;
}

void expectProfile(const TestFrame& f, const MeaItem& it, int stats, int dim) {
  double* out = nullptr;
  int count = -1;
  const int rc = VEZ2024_GetSpaceData(&it, &f.head, f.codes.data(), stats, dim, &out, &count);
  const auto want = naiveProfile(f, it, stats, dim == 1);
  ASSERT_EQ(rc, int(want.size())) << "type " << int(it.meaType) << " stats " << stats << " dim " << dim;
  ASSERT_EQ(count, rc);
  for (int i = 0; i < count; ++i) {
    ASSERT_NEAR(out[i], want[i], 1e-9 * std::max(1.0, std::abs(want[i]))) << i << " type " << int(it.meaType);
  }
}

TEST_F(Profile, AreasAgreeWithANaivePerColumnLoop) {
  std::mt19937 rng(9);
  const int w = 120, h = 90;
  std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1), pn(3, 32);
  for (int t = 0; t < 25; ++t) {
    TestFrame f = ostrel::test::noiseFrame(w, h, 1000, 900, 40 + t, t % 2 ? 100 : 10);
    f.head.offset = int16_t(t % 3 - 1);
    int x0 = px(rng), x1 = px(rng), y0 = py(rng), y1 = py(rng);
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    std::vector<std::pair<int, int>> pts(pn(rng));
    for (auto& p : pts) p = {px(rng), py(rng)};
    for (const MeaItem& it : {item(0, {}), item(9, {{x0, y0}, {x1, y1}}), item(10, {{x0, y0}, {x1, y1}}),
                              item(6, {{x0, y0}, {x1, y1}}), item(7, {{x0, y0}, {x1, y1}}), item(11, pts)}) {
      for (int stats = 0; stats <= 5; ++stats) {
        for (int dim = 0; dim <= 1; ++dim) expectProfile(f, it, stats, dim);
      }
    }
  }
}

TEST_F(Profile, PolylineFollowsTheWalkAndIsCappedAtTheBuffer) {
  TestFrame f = ostrel::test::rampFrame(10, 5, 0, 10);
  MeaItem line = item(5, {{0, 0}, {3, 1}, {3, 3}});
  double* out = nullptr;
  int count = 0;
  // (0,0) (1,0) (2,1) (3,1), then (3,1) (3,2) (3,3): the joint twice.
  ASSERT_EQ(VEZ2024_GetSpaceData(&line, &f.head, f.codes.data(), 3, 1, &out, &count), 7);
  const double want[] = {0, 0.1, 0.2, 0.3, 0.3, 0.3, 0.3};
  for (int i = 0; i < 7; ++i) EXPECT_DOUBLE_EQ(out[i], want[i]);
  // Line (type 4) and points have no profile.
  for (int type : {1, 2, 3, 4, 8}) {
    MeaItem it = item(type, {{1, 1}, {2, 2}});
    EXPECT_EQ(VEZ2024_GetSpaceData(&it, &f.head, f.codes.data(), 0, 0, &out, &count), -3) << type;
    EXPECT_EQ(count, 0);
  }
  // 32 points zigzagging across a 65535-wide frame: about 2 million visits, capped.
  TestFrame wide = ostrel::test::flatFrame(65535, 256, 7);
  std::vector<std::pair<int, int>> zig;
  for (int i = 0; i < 32; ++i) zig.emplace_back(i % 2 ? 65534 : 0, i * 8);
  MeaItem z = item(5, zig);
  ASSERT_EQ(VEZ2024_GetSpaceData(&z, &wide.head, wide.codes.data(), 0, 0, &out, &count), 131072);
  EXPECT_DOUBLE_EQ(out[131071], 0.07);
}

TEST_F(Profile, MaskEndsEmissivityAndClipping) {
  const TestFrame f = ostrel::test::flatFrame(40, 30, 3000);
  double* out = nullptr;
  int count = 0;
  // Circle box 0..9 (even diameter 9 -> odd sum): its top row holds no inside pixel.
  MeaItem circle = item(7, {{0, 0}, {9, 9}});
  ASSERT_EQ(VEZ2024_GetSpaceData(&circle, &f.head, f.codes.data(), 0, 1, &out, &count), 8);
  MeaItem even = item(6, {{0, 0}, {10, 10}});  // centre row and column have one pixel at the top
  ASSERT_EQ(VEZ2024_GetSpaceData(&even, &f.head, f.codes.data(), 0, 1, &out, &count), 11);

  MeaItem box = item(9, {{2, 2}, {39, 29}});
  box.fixEnable = 1;
  box.fixEmi = 0.7f;
  const double corrected = FixEmi_CalcTemp(f.head.reflectTemp, 30.0, f.head.globalEmi, 0.7, f.head.band);
  for (int stats : {0, 1, 2}) {
    ASSERT_EQ(VEZ2024_GetSpaceData(&box, &f.head, f.codes.data(), stats, 0, &out, &count), 38);
    EXPECT_DOUBLE_EQ(out[5], corrected) << stats;
  }
  ASSERT_EQ(VEZ2024_GetSpaceData(&box, &f.head, f.codes.data(), 3, 0, &out, &count), 38);
  EXPECT_DOUBLE_EQ(out[0], 30.0 * 28);  // sums stay uncorrected
  ASSERT_EQ(VEZ2024_GetSpaceData(&box, &f.head, f.codes.data(), 4, 1, &out, &count), 28);
  EXPECT_DOUBLE_EQ(out[0], 0.0);  // so do deviations
  // A polygon with a hole row in the middle keeps the marker uncorrected.
  MeaItem bow = item(11, {{0, 0}, {20, 20}, {20, 0}, {0, 20}});  // self-crossing bow tie
  bow.fixEnable = 1;
  bow.fixEmi = 0.7f;
  ASSERT_GT(VEZ2024_GetSpaceData(&bow, &f.head, f.codes.data(), 2, 0, &out, &count), 0);
  for (int i = 0; i < count; ++i) EXPECT_TRUE(out[i] == DBL_MIN || out[i] == corrected) << i << " " << out[i];

  // Points past the frame: boxes clip, nothing outside is read.
  MeaItem big = item(9, {{30, 20}, {65000, 65000}});
  ASSERT_EQ(VEZ2024_GetSpaceData(&big, &f.head, f.codes.data(), 2, 0, &out, &count), 10);
  MeaItem ell = item(6, {{30, 20}, {65535, 65535}});
  EXPECT_GE(VEZ2024_GetSpaceData(&ell, &f.head, f.codes.data(), 2, 1, &out, &count), 0);
  MeaItem poly = item(11, {{10, 10}, {65535, 10}, {65535, 65535}});
  EXPECT_GE(VEZ2024_GetSpaceData(&poly, &f.head, f.codes.data(), 2, 0, &out, &count), 0);
  MeaItem farLine = item(5, {{35, 25}, {65535, 65535}});
  EXPECT_GE(VEZ2024_GetSpaceData(&farLine, &f.head, f.codes.data(), 2, 0, &out, &count), 1);

  DataFrameHead huge = ostrel::test::makeHead(65535, 257);
  EXPECT_EQ(VEZ2024_GetSpaceData(&box, &huge, f.codes.data(), 0, 0, &out, &count), OSTREL_E_ARGUMENT);
  EXPECT_EQ(VEZ2024_GetSpaceData(&box, &f.head, f.codes.data(), 0, 0, nullptr, &count), OSTREL_E_ARGUMENT);
}

TEST(ProfileEngine, NeedsInitAndCachesOneTablePerScaleAndOffset) {
  const TestFrame f = ostrel::test::flatFrame(4, 4, 10);
  MeaItem box = item(9, {{0, 0}, {3, 3}});
  double* out = nullptr;
  int count = 5;
  EXPECT_EQ(VEZ2024_GetSpaceData(&box, &f.head, f.codes.data(), 0, 0, &out, &count), OSTREL_E_STATE);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(VEZ2024_GetLut(100, -20), nullptr);
  ASSERT_EQ(VEZ2024_Init(), 0);
  ASSERT_EQ(VEZ2024_Init(), 0);
  const double* a = VEZ2024_GetLut(100, -20);
  const double* b = VEZ2024_GetLut(10, -20);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  EXPECT_EQ(VEZ2024_GetLut(100, -20), a);
  EXPECT_DOUBLE_EQ(a[2500], 5.0);
  EXPECT_DOUBLE_EQ(b[2500], 230.0);
  EXPECT_DOUBLE_EQ(a[-32768], -347.68);
  EXPECT_DOUBLE_EQ(VEZ2024_GetLut(0, 3)[7], 10.0);  // scale 0 counts as 1
  VEZ2024_Free();
  VEZ2024_Free();
  EXPECT_EQ(VEZ2024_GetLut(100, -20), nullptr);
}

TEST_F(Profile, SeveralThreadsMeasureAtOnce) {
  std::vector<TestFrame> frames;
  for (int t = 0; t < 4; ++t)
    frames.push_back(ostrel::test::noiseFrame(64, 48, int16_t(500 * t), 300, t, 100 + t));
  std::vector<std::thread> threads;
  std::vector<int> failures(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const TestFrame& f = frames[t];
      MeaItem ell = item(6, {{3, 2}, {60, 45}});
      const auto want = naiveProfile(f, ell, 2, false);
      for (int i = 0; i < 50; ++i) {
        double* out = nullptr;
        int count = 0;
        if (VEZ2024_GetSpaceData(&ell, &f.head, f.codes.data(), 2, 0, &out, &count) != int(want.size())) {
          ++failures[t];
          continue;
        }
        for (int k = 0; k < count; ++k) failures[t] += std::abs(out[k] - want[k]) > 1e-9;
        failures[t] += VEZ2024_GetLut(uint16_t(100 + (i % 7)), int16_t(t)) == nullptr;
      }
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4; ++t) EXPECT_EQ(failures[t], 0) << t;
}

}  // namespace
