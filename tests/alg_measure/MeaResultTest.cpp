// VEZ2024_GetResult and VEZ2024_CheckMea against a naive scan and the hand-made edge cases.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "MeaOracle.h"

namespace {
using namespace meatest;
using ostrel::test::TestFrame;

TestFrame randomFrame(int w, int h, uint32_t seed, int scale = 100) {
  return ostrel::test::noiseFrame(w, h, 2500, 2000, seed, scale);
}

struct Naive {
  int mx, mn, mxX, mxY, mnX, mnY;
  int64_t sum = 0, count = 0;
};

// Box scan in row order with the item's inside test; the start pixel as the rules give it.
Naive naiveArea(const TestFrame& f, const MeaItem& it) {
  const auto& p = it.points;
  int x0, y0, x1, y1, sx, sy;
  if (it.meaType == 11) {
    x0 = y0 = 1 << 30, x1 = y1 = -1;
    for (int i = 0; i < it.pointCount; ++i) {
      x0 = std::min<int>(x0, p[i].x), y0 = std::min<int>(y0, p[i].y);
      x1 = std::max<int>(x1, p[i].x), y1 = std::max<int>(y1, p[i].y);
    }
    sx = p[0].x, sy = p[0].y;
  } else {
    x0 = p[0].x, y0 = p[0].y, x1 = p[1].x, y1 = p[1].y;
    if (it.meaType == 7 || it.meaType == 10) y1 = y0 + x1 - x0;
    sx = (x0 + x1) / 2, sy = (y0 + y1) / 2;
  }
  MeaItem shape = it;
  if (it.meaType != 11) shape.points[1].y = uint16_t(y1);
  const int cx1 = std::min(x1, f.width() - 1), cy1 = std::min(y1, f.height() - 1);
  if (it.meaType == 9 || it.meaType == 10) sx = x0, sy = y0;
  sx = std::min(sx, cx1), sy = std::min(sy, cy1);
  Naive n{f.at(sx, sy), f.at(sx, sy), sx, sy, sx, sy};
  for (int y = y0; y <= cy1; ++y) {
    for (int x = x0; x <= cx1; ++x) {
      if (!inside(shape, x, y)) continue;
      const int v = f.at(x, y);
      n.sum += v, ++n.count;
      if (v > n.mx) {
        n.mx = v, n.mxX = x, n.mxY = y;
      } else if (v < n.mn) {
        n.mn = v, n.mnX = x, n.mnY = y;
      }
    }
  }
  return n;
}

void expectResult(const MeaResult& r, const Naive& n, const TestFrame& f, const char* what) {
  const double s = f.head.scale;
  const int avg = n.count ? int(n.sum / n.count) : n.mx;
  EXPECT_FLOAT_EQ(r.max, float(n.mx / s)) << what;
  EXPECT_FLOAT_EQ(r.min, float(n.mn / s)) << what;
  EXPECT_FLOAT_EQ(r.avg, float(avg / s)) << what;
  EXPECT_EQ(r.maxX, n.mxX) << what;
  EXPECT_EQ(r.maxY, n.mxY) << what;
  EXPECT_EQ(r.minX, n.mnX) << what;
  EXPECT_EQ(r.minY, n.mnY) << what;
}

TEST(MeaResult, AreasAgreeWithANaiveScanOnRandomFrames) {
  std::mt19937 rng(3);
  const int w = 160, h = 120;
  std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1), pn(3, 32);
  for (int t = 0; t < 60; ++t) {
    const TestFrame f = randomFrame(w, h, 100 + t);
    int x0 = px(rng), x1 = px(rng), y0 = py(rng), y1 = py(rng);
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    for (int type : {6, 7, 9, 10}) {
      const MeaItem it = item(type, {{x0, y0}, {x1, y1}});
      MeaResult r{};
      ASSERT_EQ(VEZ2024_GetResult(&it, &f.head, f.codes.data(), &r), 0) << type;
      expectResult(r, naiveArea(f, it), f, type == 6 ? "ellipse" : type == 7 ? "circle" : "box");
    }
    std::vector<std::pair<int, int>> pts(pn(rng));
    for (auto& p : pts) p = {px(rng), py(rng)};
    const MeaItem poly = item(11, pts);
    MeaResult r{};
    ASSERT_EQ(VEZ2024_GetResult(&poly, &f.head, f.codes.data(), &r), 0);
    expectResult(r, naiveArea(f, poly), f, "polygon");
  }
}

TEST(MeaResult, WholeFrameFirstExtremesAndTruncatedMean) {
  TestFrame f = ostrel::test::flatFrame(8, 4, 100);
  f.at(5, 1) = 300, f.at(2, 3) = 300;  // first maximum in memory order wins
  f.at(1, 2) = -7, f.at(7, 3) = -7;
  MeaResult r{};
  r.reserved0[0] = 0xAB;
  ASSERT_EQ(VEZ2024_GetResult(nullptr, &f.head, f.codes.data(), &r), 0);
  EXPECT_EQ(r.reserved0[0], 0xAB);
  EXPECT_EQ(r.maxX, 5);
  EXPECT_EQ(r.maxY, 1);
  EXPECT_EQ(r.minX, 1);
  EXPECT_EQ(r.minY, 2);
  // (28 * 100 + 600 - 14) / 32 = 105.81 -> 105 codes.
  EXPECT_FLOAT_EQ(r.avg, 1.05f);
  EXPECT_FLOAT_EQ(r.max, 3.0f);
  EXPECT_FLOAT_EQ(r.min, -0.07f);
}

TEST(MeaResult, PointsLinesAndTheThreeByThreeRules) {
  TestFrame f = ostrel::test::rampFrame(10, 10, 0, 10);
  for (int x = 0; x < 10; ++x) f.at(x, 0) = int16_t(5000 + x);  // hot first row
  MeaResult r{};
  MeaItem pt = item(1, {{3, 4}});
  ASSERT_EQ(VEZ2024_GetResult(&pt, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, 0.3f);
  EXPECT_EQ(r.maxX, 3);
  // 3x3 point at the corner: the box is clipped at 0, so 2x2 pixels: (0+10+0+10)... rows 0,1.
  MeaItem p3 = item(2, {{0, 1}});
  ASSERT_EQ(VEZ2024_GetResult(&p3, &f.head, f.codes.data(), &r), 0);
  const int mean = (5000 + 5001 + 0 + 10 + 0 + 10) / 6;
  EXPECT_FLOAT_EQ(r.max, mean / 100.0f);
  EXPECT_FLOAT_EQ(r.min, r.max);
  // Polyline (0,0)-(3,1): visits (0,0) (1,0) (2,1) (3,1); three points visit the middle twice.
  MeaItem line = item(5, {{0, 2}, {4, 2}, {4, 6}});
  ASSERT_EQ(VEZ2024_GetResult(&line, &f.head, f.codes.data(), &r), 0);
  // Row 2: 0,10,20,30,40 then column 4 rows 2..6: 40 x 5 -> sum 300, 10 visits.
  EXPECT_FLOAT_EQ(r.avg, 0.3f);
  // use3x3 with the maximum on the first row keeps the raw maximum.
  MeaItem box = item(9, {{0, 0}, {9, 9}});
  box.use3x3 = 1;
  ASSERT_EQ(VEZ2024_GetResult(&box, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, 50.09f);
  EXPECT_EQ(r.maxY, 0);
  // A minimum inside the frame is replaced by its 3x3 mean.
  f.at(4, 5) = -100;
  ASSERT_EQ(VEZ2024_GetResult(&box, &f.head, f.codes.data(), &r), 0);
  EXPECT_EQ(r.minX, 4);
  // The nine codes around (4,5): 3 x (30 + 40 + 50) - 40 - 100 = 220 -> 24.
  EXPECT_FLOAT_EQ(r.min, 0.24f);
}

TEST(MeaResult, RefusalsAndClipping) {
  const TestFrame f = ostrel::test::flatFrame(20, 10, 1234);
  MeaResult r{};
  MeaItem rect = item(9, {{2, 2}, {20, 5}});  // second corner outside
  EXPECT_EQ(VEZ2024_GetResult(&rect, &f.head, f.codes.data(), &r), OSTREL_E_ARGUMENT);
  MeaItem square = item(10, {{2, 5}, {12, 5}});  // derived y1 = 15 runs past the bottom
  ASSERT_EQ(VEZ2024_GetResult(&square, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.avg, 12.34f);
  MeaItem circle = item(7, {{0, 0}, {19, 9}});  // derived diameter 19 rows, frame has 10
  ASSERT_EQ(VEZ2024_GetResult(&circle, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, 12.34f);
  MeaItem inverted = item(9, {{10, 8}, {3, 2}});
  EXPECT_EQ(VEZ2024_GetResult(&inverted, &f.head, f.codes.data(), &r), OSTREL_E_ARGUMENT);
  for (int type : {8, 12, 255}) {
    MeaItem bad = item(type, {{1, 1}, {2, 2}});
    EXPECT_EQ(VEZ2024_GetResult(&bad, &f.head, f.codes.data(), &r), OSTREL_E_ARGUMENT) << type;
  }
  EXPECT_EQ(VEZ2024_CheckMea(&rect, 20, 10), OSTREL_E_ARGUMENT);
  EXPECT_EQ(VEZ2024_CheckMea(&rect, 21, 10), 0);
  MeaItem shortLine = item(4, {{1, 1}});
  EXPECT_EQ(VEZ2024_CheckMea(&shortLine, 20, 10), OSTREL_E_ARGUMENT);
  MeaItem twoPolygon = item(11, {{1, 1}, {5, 5}});
  EXPECT_EQ(VEZ2024_CheckMea(&twoPolygon, 20, 10), OSTREL_E_ARGUMENT);
  MeaItem frame = item(0, {});
  frame.points[0] = {60000, 60000};
  EXPECT_EQ(VEZ2024_CheckMea(&frame, 20, 10), 0);
  // Frames above 16 Mi pixels are refused before any code is read.
  DataFrameHead huge = ostrel::test::makeHead(4097, 4096);
  int16_t one = 0;
  EXPECT_EQ(VEZ2024_GetResult(nullptr, &huge, &one, &r), OSTREL_E_ARGUMENT);
  DataFrameHead empty = ostrel::test::makeHead(0, 10);
  EXPECT_EQ(VEZ2024_GetResult(nullptr, &empty, &one, &r), OSTREL_E_ARGUMENT);
  EXPECT_EQ(VEZ2024_GetResult(nullptr, &f.head, nullptr, &r), OSTREL_E_ARGUMENT);
}

TEST(MeaResult, ItemEmissivityCorrectsThroughTheRadianceBalance) {
  TestFrame f = ostrel::test::flatFrame(10, 10, 5000);  // 50 °C
  MeaItem box = item(9, {{1, 1}, {5, 5}});
  box.fixEnable = 1;
  box.fixEmi = 0.8f;
  MeaResult r{};
  // globalEmi 0 in the head: 20 °C, 0.97 and band 0 stand in.
  f.head.globalEmi = 0;
  ASSERT_EQ(VEZ2024_GetResult(&box, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.avg, float(FixEmi_CalcTemp(20.0, 50.0, 0.97, 0.8, 0)));
  EXPECT_GT(r.avg, 52.0f);
  f.head.globalEmi = 0.9f;
  f.head.reflectTemp = 30.0f;
  f.head.band = 1;
  ASSERT_EQ(VEZ2024_GetResult(&box, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, float(FixEmi_CalcTemp(30.0, 50.0, 0.9, 0.8, 1)));
  // A non-finite reflected temperature in the head: no correction instead of garbage.
  f.head.reflectTemp = NAN;
  ASSERT_EQ(VEZ2024_GetResult(&box, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, 50.0f);
  f.head.reflectTemp = 30.0f;
  // Out-of-range item emissivity: no correction.
  box.fixEmi = 1.5f;
  ASSERT_EQ(VEZ2024_GetResult(&box, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, 50.0f);
  // The whole frame is never corrected.
  MeaItem whole = item(0, {});
  whole.fixEnable = 1, whole.fixEmi = 0.5f;
  ASSERT_EQ(VEZ2024_GetResult(&whole, &f.head, f.codes.data(), &r), 0);
  EXPECT_FLOAT_EQ(r.max, 50.0f);
}

}  // namespace
