#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "SimdGuard.h"

namespace {

// Index of a mirrored border extended without end: the frame, then itself reversed, repeating.
int reflect(int i, int n) {
  const int period = 2 * n;
  int k = ((i % period) + period) % period;
  return k < n ? k : period - 1 - k;
}

std::vector<int16_t> naiveMean(const std::vector<int16_t>& src, int w, int h, int size) {
  const int r = (size - 1) / 2;
  const long long count = (2LL * r + 1) * (2LL * r + 1);
  std::vector<int16_t> out(src.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      long long s = 0;
      for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) s += src[reflect(y + dy, h) * w + reflect(x + dx, w)];
      out[y * w + x] = int16_t(s / count);  // C++ division truncates toward zero
    }
  return out;
}

std::vector<int16_t> randomFrame(std::mt19937& rng, int w, int h, int lo, int hi) {
  std::uniform_int_distribution<int> d(lo, hi);
  std::vector<int16_t> f(size_t(w) * h);
  for (auto& v : f) v = int16_t(d(rng));
  return f;
}

struct Mean {
  AlgMeanContext* ctx = Alg_MeanCreate();
  ~Mean() { Alg_MeanFree(&ctx); }
};

TEST(MeanFilter, MatchesNaiveMirroredWindowOnRandomFrames) {
  ostrel::test::SimdGuard guard;
  for (auto level : ostrel::test::kLevels) {
  ostrel::alg::setSimdLevel(level);
  std::mt19937 rng(11);
  Mean m;  // one object across sizes and windows: the resizing is under test too
  struct Case { int w, h, size; };
  std::vector<Case> cases = {{32, 32, 129}, {32, 32, 130}, {32, 32, 3}, {45, 33, 7}, {33, 70, 64},
                             {100, 40, 31}, {40, 100, 66}, {37, 41, 4}, {64, 32, 99}};
  for (int k = 0; k < 8; ++k) cases.push_back({32 + int(rng() % 40), 32 + int(rng() % 40), 3 + int(rng() % 128)});
  for (const Case& c : cases) {
    // Full-range codes: negative sums must truncate toward zero, not down.
    const auto src = randomFrame(rng, c.w, c.h, -32768, 32767);
    std::vector<int16_t> dst(src.size(), 0x5A5A);
    ASSERT_EQ(Alg_MeanExecute(m.ctx, c.size, c.w, c.h, src.data(), dst.data()), 0);
    ASSERT_EQ(dst, naiveMean(src, c.w, c.h, c.size))
        << c.w << "x" << c.h << " size " << c.size << " level " << int(level);
  }
  }
}

TEST(MeanFilter, EvenSizeActsAsNextSmallerOddAndUniformFramesStay) {
  std::mt19937 rng(5);
  const auto src = randomFrame(rng, 48, 36, 0, 16000);
  Mean m;
  std::vector<int16_t> even(src.size()), odd(src.size());
  for (int size : {4, 10, 130}) {
    ASSERT_EQ(Alg_MeanExecute(m.ctx, size, 48, 36, src.data(), even.data()), 0);
    ASSERT_EQ(Alg_MeanExecute(m.ctx, size - 1, 48, 36, src.data(), odd.data()), 0);
    EXPECT_EQ(even, odd) << size;
  }
  // Uniform frames: every window sum is an exact multiple of the count, at the ends of the range.
  for (int16_t v : {int16_t(-32768), int16_t(-1), int16_t(1), int16_t(32767)})
    for (int size : {3, 5, 129}) {
      const std::vector<int16_t> flat(48 * 36, v);
      ASSERT_EQ(Alg_MeanExecute(m.ctx, size, 48, 36, flat.data(), odd.data()), 0);
      for (int16_t got : odd) ASSERT_EQ(got, v) << size;
    }
}

TEST(MeanFilter, RefusalsWriteNothing) {
  Mean m;
  std::vector<int16_t> src(64 * 64, 100), dst(64 * 64, 7);
  EXPECT_EQ(Alg_MeanExecute(m.ctx, 2, 64, 64, src.data(), dst.data()), -1);
  EXPECT_EQ(Alg_MeanExecute(m.ctx, 131, 64, 64, src.data(), dst.data()), -1);
  EXPECT_EQ(Alg_MeanExecute(m.ctx, 3, 31, 64, src.data(), dst.data()), -1);
  EXPECT_EQ(Alg_MeanExecute(m.ctx, 3, 64, 31, src.data(), dst.data()), -1);
  EXPECT_EQ(Alg_MeanExecute(m.ctx, 3, 64, 64, nullptr, dst.data()), OSTREL_E_ARGUMENT);
  EXPECT_EQ(Alg_MeanExecute(nullptr, 3, 64, 64, src.data(), dst.data()), OSTREL_E_ARGUMENT);
  for (int16_t v : dst) ASSERT_EQ(v, 7);
}

TEST(MeanFilter, FailedAllocationUnsizesAndNextCallRecovers) {
  Mean m;
  std::vector<int16_t> src(64 * 64, 100), dst(64 * 64, 7);
  ASSERT_EQ(Alg_MeanExecute(m.ctx, 3, 32, 32, src.data(), dst.data()), 0);
  ostrel::alg::algFailAllocAfter(0);
  EXPECT_EQ(Alg_MeanExecute(m.ctx, 3, 64, 64, src.data(), dst.data()), -2);
  ostrel::alg::algFailAllocAfter(-1);
  EXPECT_EQ(dst[64 * 64 - 1], 7);
  // Same size and window again: the missing buffer must not be taken for a ready one.
  ASSERT_EQ(Alg_MeanExecute(m.ctx, 3, 64, 64, src.data(), dst.data()), 0);
  for (int16_t v : dst) ASSERT_EQ(v, 100);
}

}  // namespace
