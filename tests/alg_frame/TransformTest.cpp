#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "SimdGuard.h"

using ostrel::test::TestFrame;

namespace {

TestFrame transformed(TestFrame f, int code) {
  std::vector<int16_t> scratch(f.codes.size());
  EXPECT_EQ(Alg_Transform(&f.head, f.codes.data(), scratch.data(), code), 0);
  return f;
}

TEST(AlgTransform, ClockwiseOnFourByTwo) {
  TestFrame f;
  f.head = ostrel::test::makeHead(4, 2);
  f.codes = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  TestFrame r = transformed(f, 1);
  EXPECT_EQ(r.head.width, 2);
  EXPECT_EQ(r.head.height, 4);
  EXPECT_EQ(r.codes, (std::vector<int16_t>{'e', 'a', 'f', 'b', 'g', 'c', 'h', 'd'}));
  TestFrame l = transformed(f, 3);
  EXPECT_EQ(l.codes, (std::vector<int16_t>{'d', 'h', 'c', 'g', 'b', 'f', 'a', 'e'}));
  EXPECT_EQ(transformed(f, 4).codes, (std::vector<int16_t>{'d', 'c', 'b', 'a', 'h', 'g', 'f', 'e'}));
  EXPECT_EQ(transformed(f, 5).codes, (std::vector<int16_t>{'e', 'f', 'g', 'h', 'a', 'b', 'c', 'd'}));
  EXPECT_EQ(transformed(f, 9).codes, f.codes);
}

TEST(AlgTransform, DihedralIdentitiesAtEveryLevel) {
  ostrel::test::SimdGuard guard;
  for (auto level : ostrel::test::kLevels) {
    ostrel::alg::setSimdLevel(level);
    for (auto [w, h] : {std::pair{37, 11}, std::pair{640, 3}, std::pair{1, 7}, std::pair{65, 64},
                        std::pair{24, 17}, std::pair{8, 8}, std::pair{641, 513}, std::pair{1280, 1024},
                        std::pair{300, 517}}) {
      TestFrame f = ostrel::test::noiseFrame(w, h, 0, 30000, static_cast<uint32_t>(w * 31 + h));
      TestFrame cw = transformed(f, 1);
      for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) ASSERT_EQ(cw.at(h - 1 - r, c), f.at(c, r));
      TestFrame ccw = transformed(f, 3);
      for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) ASSERT_EQ(ccw.at(r, w - 1 - c), f.at(c, r));
      TestFrame back = transformed(cw, 3);
      EXPECT_EQ(back.codes, f.codes);
      EXPECT_EQ(back.head.width, w);
      TestFrame twice = transformed(cw, 1);
      EXPECT_EQ(twice.codes, transformed(f, 2).codes);
      EXPECT_EQ(twice.head.width, w);
      EXPECT_EQ(transformed(transformed(f, 4), 4).codes, f.codes);
      EXPECT_EQ(transformed(transformed(f, 5), 5).codes, f.codes);
      // Mirror left-right then top-bottom is the half turn.
      EXPECT_EQ(transformed(transformed(f, 4), 5).codes, transformed(f, 2).codes);
      // Row mirror against a plain per-row reversal.
      TestFrame m = transformed(f, 4);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) ASSERT_EQ(m.at(x, y), f.at(w - 1 - x, y));
    }
  }
}

TEST(AlgTransform, Row121) {
  std::vector<int16_t> v = {10, -20, 30, 2, 4, 6, 100, 200, 300};
  std::vector<int16_t> scratch(3);
  ASSERT_EQ(Alg_Row121(v.data(), 3, 3, scratch.data()), 0);
  // Only row 0 changes: (row 1 + 3 row 0) >> 2, arithmetic shift for negatives.
  EXPECT_EQ(v, (std::vector<int16_t>{(2 + 30) >> 2, (4 - 60) >> 2, (6 + 90) >> 2, 2, 4, 6, 100, 200, 300}));
  std::vector<int16_t> two = {1, 2, 3, 4};
  ASSERT_EQ(Alg_Row121(two.data(), 2, 2, scratch.data()), 0);
  EXPECT_EQ(two, (std::vector<int16_t>{1, 2, 3, 4}));
  // Five rows: rows 0 .. 2 from the rows as they were, rows 3 and 4 stay.
  std::vector<int16_t> col = {0, 40, 80, 120, 160};
  ASSERT_EQ(Alg_Row121(col.data(), 1, 5, scratch.data()), 0);
  EXPECT_EQ(col,
            (std::vector<int16_t>{(40 + 0 + 0) >> 2, (80 + 80 + 0) >> 2, (120 + 160 + 40) >> 2, 120, 160}));
}

// Half-pixel-centre bilinear value of the source at output (r, c) for factor k.
double bilinear(const TestFrame& s, int k, int r, int c) {
  const double sy = (r + 0.5) / k - 0.5, sx = (c + 0.5) / k - 0.5;
  const int y0 = static_cast<int>(std::floor(sy)), x0 = static_cast<int>(std::floor(sx));
  const double fy = sy - y0, fx = sx - x0;
  auto v = [&](int y, int x) { return static_cast<double>(s.at(x, y)); };
  return (1 - fy) * ((1 - fx) * v(y0, x0) + fx * v(y0, x0 + 1)) +
         fy * ((1 - fx) * v(y0 + 1, x0) + fx * v(y0 + 1, x0 + 1));
}

TEST(AlgScaleTemp, InteriorMatchesBilinearReference) {
  ostrel::test::SimdGuard guard;
  for (auto level : ostrel::test::kLevels) {
    ostrel::alg::setSimdLevel(level);
    for (int k : {2, 3, 4}) {
      for (auto [w, h] : {std::pair{2, 2}, std::pair{13, 5}, std::pair{40, 9}}) {
        TestFrame s = ostrel::test::noiseFrame(w, h, 0, 32767, static_cast<uint32_t>(k * 100 + w));
        std::vector<int16_t> d(static_cast<size_t>(k * w) * k * h, 0x5555);
        ASSERT_EQ(Alg_ScaleTemp(k, w, h, s.codes.data(), d.data()), 0);
        // Interior samples lie between source centres; type 3 aligns its grid with the source.
        const int first = k == 4 ? 2 : 1;
        for (int r = first; r < k * (h - 1) + first; ++r)
          for (int c = first; c < k * (w - 1) + first; ++c) {
            const double ref = k == 3 ? [&] {
              const double sy = (r - 1) / 3.0, sx = (c - 1) / 3.0;
              const int y0 = static_cast<int>(sy), x0 = static_cast<int>(sx);
              const double fy = sy - y0, fx = sx - x0;
              auto v = [&](int y, int x) { return static_cast<double>(s.at(std::min(x, w - 1), std::min(y, h - 1))); };
              return (1 - fy) * ((1 - fx) * v(y0, x0) + fx * v(y0, x0 + 1)) +
                     fy * ((1 - fx) * v(y0 + 1, x0) + fx * v(y0 + 1, x0 + 1));
            }()
                                     : bilinear(s, k, r, c);
            if (k == 3 && (r >= 3 * h - 2 || c >= 3 * w - 2)) continue;  // strips checked below
            ASSERT_NEAR(d[static_cast<size_t>(r) * k * w + c], ref, 1.0) << k << " " << r << " " << c;
          }
      }
    }
  }
}

TEST(AlgScaleTemp, VectorAndScalarAgreeAndFrameRule) {
  ostrel::test::SimdGuard guard;
  TestFrame s = ostrel::test::noiseFrame(643, 7, -100, 32000, 9);
  std::vector<int16_t> a(4 * s.codes.size()), b(4 * s.codes.size());
  ostrel::alg::setSimdLevel(ostrel::alg::SimdLevel::Scalar);
  ASSERT_EQ(Alg_ScaleTemp(2, 643, 7, s.codes.data(), a.data()), 0);
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
  ASSERT_EQ(Alg_ScaleTemp(2, 643, 7, s.codes.data(), b.data()), 0);
  EXPECT_EQ(a, b);
  // The one-pixel frame of type 2 by hand: mean of the two values inward.
  const int W = 2 * 643, H = 14;
  auto at = [&](int r, int c) { return static_cast<int>(b[static_cast<size_t>(r) * W + c]); };
  for (int r = 1; r < H - 1; ++r) {
    EXPECT_EQ(at(r, 0), (at(r, 1) + at(r, 2)) >> 1);
    EXPECT_EQ(at(r, W - 1), (at(r, W - 2) + at(r, W - 3)) >> 1);
  }
  for (int c = 1; c < W - 1; ++c) EXPECT_EQ(at(H - 1, c), (at(H - 2, c) + at(H - 3, c)) >> 1);
  EXPECT_EQ(at(0, 0), (at(0, 1) + at(1, 0)) >> 1);
}

TEST(AlgScaleTemp, StripsAndFramesOfTypesThreeAndFour) {
  TestFrame s = ostrel::test::rampFrame(4, 3, 0, 30);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) s.at(x, y) = static_cast<int16_t>(30 * x + 100 * y);
  std::vector<int16_t> d(9 * 12);
  ASSERT_EQ(Alg_ScaleTemp(3, 4, 3, s.codes.data(), d.data()), 0);
  auto at3 = [&](int r, int c) { return static_cast<int>(d[static_cast<size_t>(r) * 12 + c]); };
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(at3(3 * y + 1, 3 * x + 1), s.at(x, y));  // grid positions
  EXPECT_EQ(at3(7, 2), (at3(6, 2) + at3(5, 2)) >> 1);   // last-row strip from above
  EXPECT_EQ(at3(2, 10), (at3(2, 9) + at3(2, 8)) >> 1);  // last-column strip from the left
  EXPECT_EQ(at3(8, 5), (at3(7, 5) + at3(6, 5)) >> 1);   // frame
  // Type 4 on a plane: interior exact to the shift; the frame lines by their rule.
  std::vector<int16_t> e(16 * 12);
  ASSERT_EQ(Alg_ScaleTemp(4, 4, 3, s.codes.data(), e.data()), 0);
  auto at4 = [&](int r, int c) { return static_cast<int>(e[static_cast<size_t>(r) * 16 + c]); };
  EXPECT_EQ(at4(2, 2), (49 * 0 + 7 * 30 + 7 * 100 + 130) >> 6);
  EXPECT_EQ(at4(3, 3), (25 * 0 + 15 * 30 + 15 * 100 + 9 * 130) >> 6);
  EXPECT_EQ(at4(5, 1), (at4(5, 2) + at4(5, 3)) >> 1);
  EXPECT_EQ(at4(5, 0), (at4(5, 2) + at4(5, 1)) >> 1);
  EXPECT_EQ(at4(10, 7), (at4(9, 7) + at4(8, 7)) >> 1);
  EXPECT_EQ(at4(11, 7), (at4(9, 7) + at4(10, 7)) >> 1);
  EXPECT_EQ(at4(0, 0), (at4(1, 2) + at4(2, 1)) >> 1);
}

TEST(AlgScaleTemp, RefusalsWriteNothing) {
  std::vector<int16_t> src(4, 1), dst(64, 77);
  EXPECT_EQ(Alg_ScaleTemp(5, 2, 2, src.data(), dst.data()), -2);
  EXPECT_EQ(Alg_ScaleTemp(1, 2, 2, src.data(), dst.data()), -2);
  EXPECT_EQ(Alg_ScaleTemp(2, 1, 4, src.data(), dst.data()), -8);
  EXPECT_EQ(Alg_ScaleTemp(3, 4, 1, src.data(), dst.data()), -8);
  EXPECT_EQ(dst, std::vector<int16_t>(64, 77));
}

}  // namespace
