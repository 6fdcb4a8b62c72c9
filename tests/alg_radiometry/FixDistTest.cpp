// Distance record files: content rules, reader errors, node mapping and the distance blend.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "OstrelSDK.h"

namespace {

struct Pair {
  float ref, meas;
};

// A 696-byte distance record: count at 264, bbCount at 268, distances at 272, pairs at 292.
std::vector<uint8_t> distRecord(const std::vector<int32_t>& dist, const std::vector<std::vector<Pair>>& pairs,
                                int32_t bb, int32_t count = -1) {
  std::vector<uint8_t> r(696, 0xEE);  // bytes 0..263 are never read
  if (count < 0) count = int32_t(dist.size());
  std::memcpy(&r[264], &count, 4);
  std::memcpy(&r[268], &bb, 4);
  for (size_t k = 0; k < dist.size() && k < 5; ++k) std::memcpy(&r[272 + 4 * k], &dist[k], 4);
  for (size_t k = 0; k < pairs.size() && k < 5; ++k) {
    for (size_t j = 0; j < pairs[k].size() && j < 10; ++j) {
      std::memcpy(&r[292 + 80 * k + 8 * j], &pairs[k][j].ref, 4);
      std::memcpy(&r[296 + 80 * k + 8 * j], &pairs[k][j].meas, 4);
    }
  }
  return r;
}

std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  const std::string path = std::string(OSTREL_TEST_BINARY_DIR) + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  EXPECT_NE(f, nullptr);
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

struct Dist {
  FixDistContext* p = FixDist_Create();
  ~Dist() { FixDist_Free(&p); }
};

std::vector<int16_t> lutAt(FixDistContext* ctx, int32_t distance) {
  std::vector<int16_t> lut(65536);
  EXPECT_EQ(FixDist_UpdateLut(ctx, distance, lut.data() + 32768), 0);
  return lut;
}
int16_t at(const std::vector<int16_t>& lut, int code) {
  return lut[code + 32768];
}

const std::vector<Pair> kNear = {{20, 19}, {50, 48}, {100, 96}};
const std::vector<Pair> kFar = {{20, 17}, {50, 44}, {100, 90}};

TEST(FixDist, RefusesBadRecordsAndKeepsTheActiveOne) {
  Dist d;
  ASSERT_NE(d.p, nullptr);
  const std::string good = writeFile("dist_good.bin", distRecord({10, 100}, {kNear, kFar}, 3));
  ASSERT_EQ(FixDist_Init(d.p, good.c_str(), 100, 0), 0);
  const auto before = lutAt(d.p, 50);

  EXPECT_EQ(
      FixDist_Init(d.p, writeFile("dist_six.bin", distRecord({1, 2, 3, 4, 5}, {}, 3, 6)).c_str(), 100, 0),
      OSTREL_E_MISMATCH);
  EXPECT_EQ(FixDist_Init(d.p, writeFile("dist_bb1.bin", distRecord({10}, {kNear}, 1)).c_str(), 100, 0),
            OSTREL_E_MISMATCH);
  EXPECT_EQ(FixDist_Init(d.p, writeFile("dist_bb11.bin", distRecord({10}, {kNear}, 11)).c_str(), 100, 0),
            OSTREL_E_MISMATCH);
  EXPECT_EQ(
      FixDist_Init(d.p, writeFile("dist_eq.bin", distRecord({10, 10}, {kNear, kFar}, 3)).c_str(), 100, 0),
      OSTREL_E_MISMATCH);
  EXPECT_EQ(
      FixDist_Init(d.p, writeFile("dist_neg.bin", distRecord({}, {}, 3, -1 & 0x7FFFFFFF)).c_str(), 100, 0),
      OSTREL_E_MISMATCH);
  const std::vector<Pair> falling = {{20, 19}, {50, 60}, {100, 59}};
  EXPECT_EQ(FixDist_Init(d.p, writeFile("dist_fall.bin", distRecord({10}, {falling}, 3)).c_str(), 100, 0),
            OSTREL_E_MISMATCH);
  const std::vector<Pair> nan = {{20, 19}, {NAN, 48}, {100, 96}};
  EXPECT_EQ(FixDist_Init(d.p, writeFile("dist_nan.bin", distRecord({10}, {nan}, 3)).c_str(), 100, 0),
            OSTREL_E_MISMATCH);
  auto shortRec = distRecord({10}, {kNear}, 3);
  shortRec.resize(695);
  EXPECT_EQ(FixDist_Init(d.p, writeFile("dist_short.bin", shortRec).c_str(), 100, 0), OSTREL_E_READ);
  EXPECT_EQ(FixDist_Init(d.p, (std::string(OSTREL_TEST_BINARY_DIR) + "/no_such_dist.bin").c_str(), 100, 0),
            OSTREL_E_OPEN);
  EXPECT_EQ(FixDist_Init(nullptr, good.c_str(), 100, 0), OSTREL_E_ARGUMENT);
  EXPECT_EQ(lutAt(d.p, 50), before);
}

TEST(FixDist, NodesMapExactlyAndDistancesBlendLinearly) {
  Dist d;
  const std::string path = writeFile("dist_blend.bin", distRecord({10, 100}, {kNear, kFar}, 3));
  ASSERT_EQ(FixDist_Init(d.p, path.c_str(), 100, -20), 0);
  auto code = [](float t) { return int(100.0f * t - (-20) * 100); };
  const auto nearLut = lutAt(d.p, 10), farLut = lutAt(d.p, 100), mid = lutAt(d.p, 55);
  for (const Pair& p : kNear) EXPECT_EQ(at(nearLut, code(p.meas)), code(p.ref));
  for (const Pair& p : kFar) EXPECT_EQ(at(farLut, code(p.meas)), code(p.ref));
  for (int c = -5000; c <= 20000; c += 250) {
    EXPECT_NEAR(at(mid, c), (at(nearLut, c) + at(farLut, c)) / 2.0, 1.0) << c;
  }
  // Below the first distance the blend extrapolates (not clamped), saturating at the ends.
  const auto beyond = lutAt(d.p, 1000);
  EXPECT_EQ(at(beyond, 32767), 32767);
}

TEST(FixDist, OneDistanceServesEveryTargetAndEmptyIsIdentity) {
  Dist d;
  auto identity = lutAt(d.p, 30);  // fresh context: no distances
  EXPECT_EQ(at(identity, 1234), 1234);
  EXPECT_EQ(at(identity, -32768), -32768);
  const std::string path = writeFile("dist_one.bin", distRecord({25}, {kNear}, 3));
  ASSERT_EQ(FixDist_Init(d.p, path.c_str(), 10, 0), 0);
  const auto a = lutAt(d.p, 1), b = lutAt(d.p, 5000);
  EXPECT_EQ(a, b);
  EXPECT_EQ(at(a, 480), 500);
  // Pairs that collapse to the same code refuse the LUT: the record is taken with no distances.
  const std::vector<Pair> close = {{20, 19.0f}, {50, 19.01f}, {100, 96}};
  ASSERT_EQ(FixDist_Init(d.p, writeFile("dist_close.bin", distRecord({25}, {close}, 3)).c_str(), 10, 0), 0);
  EXPECT_EQ(at(lutAt(d.p, 25), 480), 480);
  EXPECT_EQ(FixDist_UpdateLut(d.p, 25, nullptr), OSTREL_E_ARGUMENT);
}

}  // namespace
