#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"

namespace {

constexpr int64_t kSecond = 10000000;  // 100-ns ticks

struct Netd {
  NetdContext* ctx = NETD_Create();
  ~Netd() { NETD_Free(&ctx); }
  int configure(int w, int h, int frames, int intervalMs) {
    NetdConfig c{};
    c.width = uint16_t(w);
    c.height = uint16_t(h);
    c.frameCount = uint16_t(frames);
    c.interval = uint16_t(intervalMs);
    return NETD_SetConfig(ctx, &c);
  }
  // Adds a frame taken at `time`; returns the result written at a deliberately odd address.
  NetdResult add(const std::vector<int16_t>& codes, int w, int h, int64_t time, int kind = 0, int scale = 100,
                 int* rc = nullptr) {
    uint8_t head[128 + 8] = {};
    DataFrameHead hd{};
    hd.width = uint16_t(w);
    hd.height = uint16_t(h);
    hd.kind = uint8_t(kind);
    hd.scale = uint16_t(scale);
    hd.time = time;
    std::memcpy(head, &hd, sizeof hd);
    // The device tool has the result written into the head at byte 57, which is not aligned.
    const int r = NETD_Execute(ctx, reinterpret_cast<DataFrameHead*>(head), codes.data(), head + 57);
    if (rc) *rc = r;
    NetdResult out;
    std::memcpy(&out, head + 57, sizeof out);
    return out;
  }
};

TEST(Netd, AlternatingUnitSwingGivesOne) {
  const int w = 8, h = 4;
  for (auto [kind, scale, expected] : {std::tuple{0, 100, 1.0f}, std::tuple{2, 10, 100.0f}}) {
    Netd n;
    ASSERT_EQ(n.configure(w, h, 10, 1000), 0);
    NetdResult r{};
    for (int k = 0; k < 10; ++k)
      r = n.add(std::vector<int16_t>(w * h, int16_t(k % 2 ? 1 : -1)), w, h, (k + 1) * 2 * kSecond, kind, scale);
    // Population deviation of +-1 is 1 code; kind 2 at scale 10 reports 1000 / 10 mK a code.
    EXPECT_FLOAT_EQ(r.netd, expected);
    EXPECT_FLOAT_EQ(r.spatial, 0.0f);
  }
}

TEST(Netd, GaussianNoiseGivesItsPopulationDeviation) {
  // 100 samples of sigma 3: E[population deviation] = 3 x sqrt(99/100) x c4(100) with
  // c4(100) = 0.99749, i.e. 2.9775; the per-pixel truncation to 1/100 code takes 0.005 more.
  const int w = 64, h = 64;
  Netd n;
  ASSERT_EQ(n.configure(w, h, 100, 1000), 0);
  std::mt19937 rng(2024);
  std::normal_distribution<double> noise(0.0, 3.0);
  NetdResult r{};
  for (int k = 0; k < 100; ++k) {
    std::vector<int16_t> f(w * h);
    for (auto& v : f) v = int16_t(std::lround(5000 + noise(rng)));
    r = n.add(f, w, h, (k + 1) * 2 * kSecond);
  }
  EXPECT_NEAR(r.netd, 2.9725, 0.05);
}

TEST(Netd, SpatialNoiseOfKnownSpreadWithoutOverflow) {
  // Half the pixels 29000, half 31000: deviation exactly 1000 codes. At 1280 x 1024, n x Q is
  // about 1.2e21, past what 64 bits hold.
  const int w = 1280, h = 1024;
  std::vector<int16_t> f(w * h);
  for (int i = 0; i < w * h; ++i) f[i] = int16_t(i % 2 ? 29000 : 31000);
  Netd n;
  ASSERT_EQ(n.configure(w, h, 10, 1000), 0);
  EXPECT_FLOAT_EQ(n.add(f, w, h, 0).spatial, 1000.0f);
  // Temperature frames report millikelvin: 1000 / scale per code, in floating point.
  for (auto [scale, factor] : {std::pair{100, 10.0}, std::pair{3, 1000.0 / 3}, std::pair{3000, 1.0 / 3},
                               std::pair{0, 1.0}}) {
    ASSERT_EQ(n.configure(w, h, 11 + scale % 7, 1000), 0);  // a fresh start
    EXPECT_FLOAT_EQ(n.add(f, w, h, 0, 2, scale).spatial, float(1000.0 * factor)) << scale;
  }
}

TEST(Netd, ComputesOnlyAfterTheInterval) {
  const int w = 4, h = 4;
  Netd n;
  ASSERT_EQ(n.configure(w, h, 10, 2000), 0);
  std::vector<int16_t> a(w * h, 0), b(w * h, 0);
  for (int i = 0; i < w * h; ++i) b[i] = int16_t(i % 2 ? 10 : -10);  // spatial 10
  const int64_t t0 = 5 * kSecond;
  EXPECT_FLOAT_EQ(n.add(b, w, h, t0).spatial, 10.0f);  // the first frame always computes
  EXPECT_FLOAT_EQ(n.add(a, w, h, t0 + kSecond).spatial, 10.0f);
  EXPECT_FLOAT_EQ(n.add(a, w, h, t0 + 2 * kSecond).spatial, 10.0f);  // exactly the interval: not past it
  EXPECT_FLOAT_EQ(n.add(a, w, h, t0 + 2 * kSecond + 1).spatial, 0.0f);
  EXPECT_FLOAT_EQ(n.add(b, w, h, t0 + 3 * kSecond).spatial, 0.0f);
  // A clock that jumps back by more than the interval counts as far away too.
  EXPECT_FLOAT_EQ(n.add(b, w, h, t0 - 10 * kSecond).spatial, 10.0f);
  EXPECT_FLOAT_EQ(n.add(a, w, h, INT64_MAX).spatial, 0.0f);
  EXPECT_FLOAT_EQ(n.add(b, w, h, INT64_MIN).spatial, 10.0f);
}

TEST(Netd, ConfigurationBoundsAndFrameSize) {
  Netd n;
  std::vector<int16_t> f(16, 3);
  int rc = 0;
  n.add(f, 4, 4, 0, 0, 100, &rc);
  EXPECT_EQ(rc, OSTREL_E_STATE);  // nothing configured
  for (auto [w, h, fc, ms] : {std::tuple{4, 4, 9, 1000}, std::tuple{4, 4, 101, 1000}, std::tuple{4, 4, 10, 999},
                              std::tuple{4, 4, 10, 10001}, std::tuple{0, 4, 10, 1000}, std::tuple{4, 0, 10, 1000}})
    EXPECT_EQ(n.configure(w, h, fc, ms), OSTREL_E_ARGUMENT);
  EXPECT_EQ(NETD_SetConfig(n.ctx, nullptr), OSTREL_E_ARGUMENT);
  ASSERT_EQ(n.configure(4, 4, 10, 10000), 0);
  ASSERT_EQ(n.configure(4, 4, 100, 1000), 0);
}

// Reference NETD over a list of frames: exact per-pixel integer sums over the last fc frames
// (zero frames fill a ring that is not yet full), integer square roots.
float referenceNetd(const std::vector<std::vector<int16_t>>& frames, int fc, int64_t pixels) {
  auto isqrt = [](int64_t x) {
    int64_t lo = 0, hi = 3037000499;
    while (lo < hi) {
      const int64_t mid = (lo + hi + 1) / 2;
      if (mid <= x / mid) lo = mid; else hi = mid - 1;
    }
    return lo;
  };
  int64_t total = 0;
  for (int64_t i = 0; i < pixels; ++i) {
    int64_t s = 0, q = 0;
    for (size_t k = frames.size() > size_t(fc) ? frames.size() - fc : 0; k < frames.size(); ++k) {
      s += frames[k][i];
      q += int64_t(frames[k][i]) * frames[k][i];
    }
    total += isqrt((fc * q - s * s) * 10000 / (int64_t(fc) * fc));
  }
  return float(double(total) / (double(pixels) * 100.0));
}

TEST(Netd, RunningSumsEqualRecomputationAndBadFramesLeaveTheRing) {
  const int w = 23, h = 17, fc = 17;
  Netd n;
  ASSERT_EQ(n.configure(w, h, fc, 1000), 0);
  std::mt19937 rng(99);
  std::vector<std::vector<int16_t>> frames;
  NetdResult r{};
  for (int k = 0; k < 1000; ++k) {
    std::vector<int16_t> f(w * h);
    for (auto& v : f) v = int16_t(rng());  // the whole code range
    frames.push_back(f);
    r = n.add(f, w, h, int64_t(k) * kSecond / 4);  // computes about every fifth frame
    if (k == 0) {
      EXPECT_EQ(r.netd, referenceNetd(frames, fc, w * h)) << "ring not yet full";
    }
    if (k % 97 == 0) {
      int rc = 0;
      n.add(std::vector<int16_t>(w * (h + 1), 1000), w, h + 1, int64_t(k) * kSecond, 0, 100, &rc);
      ASSERT_EQ(rc, OSTREL_E_STATE);
    }
  }
  r = n.add(frames.back(), w, h, 1000 * kSecond);
  frames.push_back(frames.back());
  EXPECT_EQ(r.netd, referenceNetd(frames, fc, w * h));
  // The same configuration again keeps the ring.
  ASSERT_EQ(n.configure(w, h, fc, 1000), 0);
  r = n.add(frames.back(), w, h, 2000 * kSecond);
  frames.push_back(frames.back());
  EXPECT_EQ(r.netd, referenceNetd(frames, fc, w * h));
}

TEST(Netd, FailedReconfigurationKeepsTheMeter) {
  const int w = 8, h = 8;
  Netd n;
  ASSERT_EQ(n.configure(w, h, 10, 1000), 0);
  ostrel::alg::algFailAllocAfter(0);
  EXPECT_EQ(n.configure(w, h, 20, 1000), OSTREL_E_NO_MEMORY);
  ostrel::alg::algFailAllocAfter(-1);
  int rc = -99;
  std::vector<int16_t> f(w * h, 1);
  n.add(f, w, h, 0, 0, 100, &rc);
  EXPECT_EQ(rc, 0);
  NETD_Free(&n.ctx);
  EXPECT_EQ(n.ctx, nullptr);
  NETD_Free(&n.ctx);
  NETD_Free(nullptr);
}

}  // namespace
