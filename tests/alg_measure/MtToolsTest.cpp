#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "SimdGuard.h"
#include "alg/measure/MtTools.h"

using ostrel::test::TestFrame;

namespace {

MtResult gmo(const TestFrame& f) {
  MtResult r{};
  r.alarmLevel = 77;
  EXPECT_EQ(mtGetResult_GMO(&f.head, f.codes.data(), &r), 0);
  EXPECT_EQ(r.alarmLevel, 77);  // not touched
  return r;
}

TEST(MtGmo, HandWorkedFrames) {
  // Equal codes: the first pixel is both maximum and minimum.
  TestFrame flat = ostrel::test::flatFrame(5, 4, 250, 10);
  MtResult r = gmo(flat);
  EXPECT_EQ(r.maxX, 0);
  EXPECT_EQ(r.maxY, 0);
  EXPECT_EQ(r.minX, 0);
  EXPECT_EQ(r.minY, 0);
  EXPECT_FLOAT_EQ(r.max, 25.0f);
  EXPECT_FLOAT_EQ(r.avg, 25.0f);

  // 5 x 4 frame of 100s at scale 10, offset -20. Maximum 1000 at (3, 0) (row 0: raw code kept);
  // minimum -80 at (1, 1) (inner: 3 x 3 mean (8 x 100 - 80) / 9 = 80).
  TestFrame f = ostrel::test::flatFrame(5, 4, 100, 10);
  f.head.offset = -20;
  f.at(3, 0) = 1000;
  f.at(1, 1) = -80;
  f.at(4, 3) = 1000;  // a later tie keeps the first position
  r = gmo(f);
  EXPECT_EQ(r.maxX, 3);
  EXPECT_EQ(r.maxY, 0);
  EXPECT_FLOAT_EQ(r.max, 1000 / 10.0f - 20);
  EXPECT_EQ(r.minX, 1);
  EXPECT_EQ(r.minY, 1);
  // Neighbourhood of (1, 1): rows 0..2, columns 0..2 - all 100 but the centre.
  EXPECT_FLOAT_EQ(r.min, (8 * 100 - 80) / 9 / 10.0f - 20);
  // Mean code: (17 x 100 + 2 x 1000 - 80) / 20 = 181 (truncated).
  EXPECT_FLOAT_EQ(r.avg, 181 / 10.0f - 20);

  // A maximum at (1, 1) becomes its 3 x 3 mean; a negative mean truncates toward zero.
  TestFrame g = ostrel::test::flatFrame(3, 3, -10, 1);
  g.at(1, 1) = 5;
  r = gmo(g);
  EXPECT_EQ(r.maxX, 1);
  EXPECT_FLOAT_EQ(r.max, static_cast<float>((8 * -10 + 5) / 9));  // -75 / 9 = -8

  TestFrame empty = ostrel::test::flatFrame(0, 3, 0);
  MtResult e{};
  EXPECT_EQ(mtGetResult_GMO(&empty.head, empty.codes.data(), &e), -1);
}

TEST(MtGmo, VectorAndScalarScansAgree) {
  ostrel::test::SimdGuard guard;
  for (auto [w, h] : {std::pair{640, 512}, std::pair{17, 3}, std::pair{1, 1}, std::pair{1280, 1024}}) {
    TestFrame f = ostrel::test::noiseFrame(w, h, 0, 32767, static_cast<uint32_t>(w + h));
    if (w > 100) f.at(w - 1, h - 1) = 32767;  // extreme sums and late extremes
    ostrel::alg::GmoScan a, b;
    ostrel::alg::gmoScanScalar(f.codes.data(), w, h, &a);
    for (auto level : ostrel::test::kLevels) {
      ostrel::alg::setSimdLevel(level);
      ostrel::alg::gmoScanVector(f.codes.data(), w, h, &b);
      EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << w;
    }
    TestFrame big = ostrel::test::flatFrame(w, h, 32767);
    ostrel::alg::gmoScanScalar(big.codes.data(), w, h, &a);
    ostrel::alg::gmoScanVector(big.codes.data(), w, h, &b);
    EXPECT_EQ(a.meanCode, 32767);
    EXPECT_EQ(b.meanCode, 32767);
  }
}

MtItem item(uint8_t kind, std::initializer_list<MtPoint> pts, uint8_t rule = 0, float t1 = 0, float t2 = 0,
            float t3 = 0) {
  MtItem it{};
  it.kind = kind;
  it.percent = 100;
  it.pointCount = static_cast<uint8_t>(pts.size());
  int i = 0;
  for (const MtPoint& p : pts) it.points[i++] = p;
  it.ruleType = rule;
  it.t1 = t1;
  it.t2 = t2;
  it.t3 = t3;
  return it;
}

TEST(MtGetResult, KindsAndAlarmRules) {
  TestFrame f = ostrel::test::rampFrame(10, 8, 0, 10, 1);  // code = 10 x column
  MtResult r{};
  // Box of kind 2 over columns 2..4: max 40 at (4, 2) -> inner 3 x 3 mean 40; min 20 -> 20.
  MtItem box = item(2, {{2, 2}, {4, 5}}, 1, 10, 40, 50);
  ASSERT_EQ(mtGetResult(&f.head, f.codes.data(), &box, &r), 0);
  EXPECT_FLOAT_EQ(r.max, 40);
  EXPECT_FLOAT_EQ(r.min, 20);
  EXPECT_FLOAT_EQ(r.avg, 30);
  EXPECT_EQ(r.maxX, 4);
  EXPECT_EQ(r.maxY, 2);
  EXPECT_EQ(r.alarmLevel, 2);  // max equal to t2 gives level 2
  // Line: avg is the code at its first point.
  MtItem line = item(1, {{1, 1}, {6, 3}});
  ASSERT_EQ(mtGetResult(&f.head, f.codes.data(), &line, &r), 0);
  EXPECT_FLOAT_EQ(r.avg, 10);
  EXPECT_EQ(r.maxX, 6);
  // Kind 0 point with radius 1 and rule 2 on its mean.
  MtItem pt = item(0, {{5, 5}, {1, 0}}, 2, 51);
  ASSERT_EQ(mtGetResult(&f.head, f.codes.data(), &pt, &r), 0);
  EXPECT_FLOAT_EQ(r.avg, 50);
  EXPECT_EQ(r.alarmLevel, 1);
  // Polygon without an inside pixel stands on its first vertex.
  MtItem poly = item(5, {{3, 3}, {3, 3}, {3, 3}});
  ASSERT_EQ(mtGetResult(&f.head, f.codes.data(), &poly, &r), 0);
  EXPECT_FLOAT_EQ(r.avg, 30);
  // Refusals.
  MtItem outside = item(2, {{2, 2}, {10, 5}});
  EXPECT_EQ(mtGetResult(&f.head, f.codes.data(), &outside, &r), -1);
  MtItem badPercent = box;
  badPercent.percent = 49;
  EXPECT_EQ(mtGetResult(&f.head, f.codes.data(), &badPercent, &r), -1);
  MtItem badKind = box;
  badKind.kind = 6;
  EXPECT_EQ(mtGetResult(&f.head, f.codes.data(), &badKind, &r), -2);
}

struct MtDeleter {
  void operator()(MtContext* c) const { mtFree(&c); }
};

TEST(MtContextTools, ReloadCheckAndMouse) {
  std::unique_ptr<MtContext, MtDeleter> ctx(mtCreate(6, 5));
  ASSERT_TRUE(ctx);
  EXPECT_EQ(mtCreate(1281, 10), nullptr);
  auto cfg = std::make_unique<MtConfig>();
  std::memset(cfg.get(), 0, sizeof *cfg);
  cfg->magic = OSTREL_MT_MAGIC;
  cfg->width = 6;
  cfg->height = 5;
  cfg->itemEnable = 1;
  cfg->items[0] = item(0, {{2, 2}, {4, 0}});
  EXPECT_EQ(mtReload(ctx.get(), cfg.get()), -2);  // radius 4
  cfg->items[0] = item(0, {{2, 2}, {1, 0}}, 1, 0, 1, 2);

  // Region over the whole frame: no pixel counted for the whole-frame scan.
  cfg->regionEnable = 1;
  cfg->regions[0].corners[0] = {0, 0};
  cfg->regions[0].corners[1] = {5, 0};
  cfg->regions[0].corners[2] = {5, 4};
  cfg->regions[0].corners[3] = {0, 4};
  ASSERT_EQ(mtReload(ctx.get(), cfg.get()), 0);
  TestFrame f = ostrel::test::rampFrame(6, 5, 0, 100, 100);
  MtResult res[17];
  std::memset(res, 0x7F, sizeof res);
  ASSERT_EQ(mtCheck(ctx.get(), &f.head, f.codes.data(), res), 0);
  EXPECT_EQ(res[0].max, 0.0f);        // nothing measured, nothing divided
  EXPECT_FLOAT_EQ(res[1].avg, 2.0f);  // box x 1..3 around (2, 2): mean code 200
  EXPECT_EQ(res[1].alarmLevel, 3);
  EXPECT_EQ(res[2].alarmLevel, 0x7F7F7F7F);  // disabled items are not written

  // A refused record (corner outside) keeps the previous configuration.
  auto bad = std::make_unique<MtConfig>(*cfg);
  bad->regions[0].corners[2] = {6, 4};
  EXPECT_EQ(mtReload(ctx.get(), bad.get()), -2);
  bad->width = 2000;
  EXPECT_EQ(mtReload(ctx.get(), bad.get()), -2);
  ASSERT_EQ(mtCheck(ctx.get(), &f.head, f.codes.data(), res), 0);
  EXPECT_EQ(res[0].max, 0.0f);

  // Without regions the whole frame counts; a box item clamps to the frame.
  cfg->regionEnable = 0;
  cfg->items[0] = item(2, {{0, 0}, {5, 4}});
  ASSERT_EQ(mtReload(ctx.get(), cfg.get()), 0);
  ASSERT_EQ(mtCheck(ctx.get(), &f.head, f.codes.data(), res), 0);
  EXPECT_FLOAT_EQ(res[0].max, 5.0f);
  EXPECT_EQ(res[0].maxX, 5);
  EXPECT_FLOAT_EQ(res[1].max, 5.0f);  // box of half-size 5 around (0, 0), clamped

  MtMouseResult m{};
  ASSERT_EQ(mtCheckMouse(ctx.get(), &f.head, f.codes.data(), 2, 2, &m), 0);
  EXPECT_FLOAT_EQ(m.temperature, 2.0f);
  EXPECT_EQ(mtCheckMouse(ctx.get(), &f.head, f.codes.data(), 6, 2, &m), -8);
  TestFrame other = ostrel::test::flatFrame(7, 5, 0, 100);
  EXPECT_EQ(mtCheck(ctx.get(), &other.head, other.codes.data(), res), -1);

  // A resize through reload whose buffer cannot be had: -1, context unchanged.
  cfg->width = 7;
  ostrel::alg::algFailAllocAfter(0);
  EXPECT_EQ(mtReload(ctx.get(), cfg.get()), -1);
  ostrel::alg::algFailAllocAfter(-1);
  EXPECT_EQ(mtCheck(ctx.get(), &f.head, f.codes.data(), res), 0);
  ASSERT_EQ(mtReload(ctx.get(), cfg.get()), 0);
  EXPECT_EQ(mtCheck(ctx.get(), &other.head, other.codes.data(), res), 0);
}

}  // namespace
