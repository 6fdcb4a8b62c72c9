#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "SimdGuard.h"

using ostrel::test::TestFrame;

namespace {

// Brute force: nth_element over the clamped 3 x 3 neighbourhood.
std::vector<int16_t> oracle3x3(const TestFrame& f) {
  const int w = f.width(), h = f.height();
  std::vector<int16_t> out(f.codes.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int16_t v[9];
      int k = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          v[k++] = f.at(std::clamp(x + dx, 0, w - 1), std::clamp(y + dy, 0, h - 1));
      std::nth_element(v, v + 4, v + 9);
      out[static_cast<size_t>(y) * w + x] = v[4];
    }
  return out;
}

struct MedianDeleter {
  void operator()(AlgMedianContext* c) const { Alg_MedianFree(&c); }
};
using MedianPtr = std::unique_ptr<AlgMedianContext, MedianDeleter>;

TEST(AlgMedian, MatchesOracleAtEveryLevelAcrossSizeChanges) {
  ostrel::test::SimdGuard guard;
  MedianPtr ctx(Alg_MedianCreate());
  ASSERT_TRUE(ctx);
  for (auto level : ostrel::test::kLevels) {
    ostrel::alg::setSimdLevel(level);
    // Sizes grow, shrink and grow again so the buffer is renewed and reused.
    for (auto [w, h] :
         {std::pair{3, 3}, std::pair{17, 5}, std::pair{64, 40}, std::pair{5, 90}, std::pair{33, 33}}) {
      for (uint32_t seed : {1u, 2u}) {
        TestFrame f = ostrel::test::noiseFrame(w, h, 0, seed == 1 ? 32767 : 3, seed + w);
        const auto expect = oracle3x3(f);
        ASSERT_EQ(Alg_MedianExecute(ctx.get(), w, h, f.codes.data()), 0);
        ASSERT_EQ(f.codes, expect) << w << "x" << h << " level " << static_cast<int>(level);
      }
    }
  }
}

TEST(AlgMedian, HotPixelGoesHotLineStays) {
  MedianPtr ctx(Alg_MedianCreate());
  TestFrame f = ostrel::test::flatFrame(9, 9, 100);
  f.at(4, 4) = 5000;
  ASSERT_EQ(Alg_MedianExecute(ctx.get(), 9, 9, f.codes.data()), 0);
  EXPECT_EQ(f.codes, std::vector<int16_t>(81, 100));
  TestFrame g = ostrel::test::flatFrame(9, 9, 100);
  for (int y = 0; y < 9; ++y) g.at(4, y) = g.at(5, y) = 5000;
  ASSERT_EQ(Alg_MedianExecute(ctx.get(), 9, 9, g.codes.data()), 0);
  EXPECT_EQ(g.at(4, 4), 5000);
  EXPECT_EQ(g.at(5, 0), 5000);
  EXPECT_EQ(g.at(3, 4), 100);
}

TEST(AlgMedian, SmallFramesAndFailedRenewal) {
  MedianPtr ctx(Alg_MedianCreate());
  int16_t one = 42;
  EXPECT_EQ(Alg_MedianExecute(ctx.get(), 1, 1, &one), -8);
  EXPECT_EQ(one, 42);
  std::vector<int16_t> two = {1, 9, 3, 4, 5, 6};
  EXPECT_EQ(Alg_MedianExecute(ctx.get(), 3, 2, two.data()), -8);
  EXPECT_EQ(two, (std::vector<int16_t>{1, 9, 3, 4, 5, 6}));

  TestFrame small = ostrel::test::noiseFrame(8, 8, 0, 100, 3);
  ASSERT_EQ(Alg_MedianExecute(ctx.get(), 8, 8, small.codes.data()), 0);
  // A larger frame whose buffer cannot be had: -5, frame unchanged, the old buffer still serves.
  TestFrame big = ostrel::test::noiseFrame(64, 64, 0, 100, 4);
  const auto before = big.codes;
  ostrel::alg::algFailAllocAfter(0);
  EXPECT_EQ(Alg_MedianExecute(ctx.get(), 64, 64, big.codes.data()), -5);
  ostrel::alg::algFailAllocAfter(-1);
  EXPECT_EQ(big.codes, before);
  TestFrame again = ostrel::test::noiseFrame(8, 8, 0, 100, 5);
  const auto expect = oracle3x3(again);
  ASSERT_EQ(Alg_MedianExecute(ctx.get(), 8, 8, again.codes.data()), 0);
  EXPECT_EQ(again.codes, expect);

  AlgMedianContext* p = Alg_MedianCreate();
  Alg_MedianFree(&p);
  EXPECT_EQ(p, nullptr);
  Alg_MedianFree(&p);
  Alg_MedianFree(nullptr);
}

int16_t med3(int a, int b, int c) {
  int v[3] = {a, b, c};
  std::sort(v, v + 3);
  return static_cast<int16_t>(v[1]);
}

TEST(AlgMedianX, ThreeTapAndSeparable) {
  TestFrame f = ostrel::test::noiseFrame(7, 6, 0, 1000, 11);
  const int w = 7, h = 6;
  std::vector<int16_t> scratch(f.codes.size());
  TestFrame a = f;
  ASSERT_EQ(Alg_MedianExecuteX(w, h, a.codes.data(), scratch.data(), 1), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int c = std::clamp(x, 1, w - 2);
      EXPECT_EQ(a.at(x, y), med3(f.at(c - 1, y), f.at(c, y), f.at(c + 1, y)));
    }
  TestFrame b = f;
  ASSERT_EQ(Alg_MedianExecuteX(w, h, b.codes.data(), scratch.data(), 2), 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int r = std::clamp(y, 1, h - 2);
      EXPECT_EQ(b.at(x, y), med3(f.at(x, r - 1), f.at(x, r), f.at(x, r + 1)));
    }
  TestFrame c = f;
  ASSERT_EQ(Alg_MedianExecuteX(w, h, c.codes.data(), scratch.data(), 3), 0);
  auto vm = [&](int x, int y) { return med3(f.at(x, y - 1), f.at(x, y), f.at(x, y + 1)); };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
        EXPECT_EQ(c.at(x, y), f.at(x, y));
      else
        EXPECT_EQ(c.at(x, y), med3(vm(x - 1, y), vm(x, y), vm(x + 1, y)));
    }
  TestFrame d = f;
  EXPECT_NE(Alg_MedianExecuteX(w, h, d.codes.data(), scratch.data(), 4), 0);
  EXPECT_EQ(Alg_MedianExecuteX(2, 21, d.codes.data(), scratch.data(), 1), -8);
  EXPECT_EQ(Alg_MedianExecuteX(21, 2, d.codes.data(), scratch.data(), 2), -8);
  EXPECT_EQ(d.codes, f.codes);
}

}  // namespace
