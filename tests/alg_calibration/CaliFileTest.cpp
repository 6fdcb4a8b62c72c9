// Calibration file checks and object creation: impossible heads, truncation, windows, own bad
// pixels of a cropped window, starting temperatures, allocation failures.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"

using namespace ostrel::test;

namespace {

CompEntry entry(uint32_t pixel, std::vector<uint32_t> nb) {
  CompEntry e{};
  e.pixel = pixel;
  e.n = uint32_t(nb.size());
  for (size_t i = 0; i < nb.size(); ++i) e.neighbour[i] = nb[i];
  return e;
}

struct FileGuard {
  std::string path;
  explicit FileGuard(std::string p) : path(std::move(p)) {}
  ~FileGuard() { std::remove(path.c_str()); }
};

CaliContext* createFrom(const std::vector<uint8_t>& bytes, const std::string& name, int32_t start = 100000) {
  FileGuard f(tempPath(name));
  writeBytes(f.path, bytes);
  const FixInfoRecord fix = neutralFixInfo();
  return Cali_Create(f.path.c_str(), nullptr, &fix, start);
}

std::vector<uint8_t> expectedHeadFor(const char* identity) {
  std::vector<uint8_t> h(216, 0);  // a camera's basic information record
  std::strncpy(reinterpret_cast<char*>(h.data()), identity, 32);
  return h;
}

}  // namespace

TEST(CaliFile, ImpossibleHeadsAreRefusedByTheCheckAndBothCreates) {
  const CaliModel m = makeModel(4, 3, 2, 3);
  const std::vector<uint8_t> good = caliBytes(m);
  struct Case {
    const char* what;
    size_t off;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Case> cases = {
      {"one calibration point", 40, {1}},      {"one blackbody", 41, {1}},
      {"no columns", 36, {0, 0}},              {"segment shift 32", 48, {32}},
      {"base LUT shift 40", 50, {40}},         {"size past 32 bits", 36, {0xff, 0xff, 0xff, 0xff, 200, 200}},
  };
  const std::vector<uint8_t> expected = expectedHeadFor(m.identity);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = good;
    std::memcpy(&bytes[c.off], c.bytes.data(), c.bytes.size());
    FileGuard f(tempPath("head"));
    writeBytes(f.path, bytes);
    EXPECT_EQ(Cali_CheckFile(f.path.c_str(), expected.data()), -11);
    const FixInfoRecord fix = neutralFixInfo();
    EXPECT_EQ(Cali_Create(f.path.c_str(), nullptr, &fix, 100000), nullptr);
    CaliCreateInfo info{f.path.c_str(), nullptr, &fix, 100000, 4, 3, 4, 3, 0, 0};
    EXPECT_EQ(Cali_CreateX(&info), nullptr);
  }
}

TEST(CaliFile, CheckComparesTheIdentityFromByteFiveAndTheSize) {
  const CaliModel m = makeModel(5, 4, 2, 3);
  std::vector<uint8_t> bytes = caliBytes(m);
  const std::vector<uint8_t> expected = expectedHeadFor(m.identity);
  FileGuard f(tempPath("check"));
  writeBytes(f.path, bytes);
  EXPECT_EQ(Cali_CheckFile(f.path.c_str(), expected.data()), 0);
  // The first five characters are not compared; the rest is.
  std::vector<uint8_t> other = expectedHeadFor("XXXX-OSTREL-TEST-0001");
  EXPECT_EQ(Cali_CheckFile(f.path.c_str(), other.data()), 0);
  other = expectedHeadFor("CALI-OSTREL-TEST-0002");
  EXPECT_EQ(Cali_CheckFile(f.path.c_str(), other.data()), -11);
  bytes.pop_back();
  writeBytes(f.path, bytes);
  EXPECT_EQ(Cali_CheckFile(f.path.c_str(), expected.data()), -11);
  bytes.push_back(0);
  bytes.push_back(0);
  writeBytes(f.path, bytes);
  EXPECT_EQ(Cali_CheckFile(f.path.c_str(), expected.data()), 0);
  bytes.resize(100);
  writeBytes(f.path, bytes);
  EXPECT_EQ(Cali_CheckFile(f.path.c_str(), expected.data()), -198);
  EXPECT_EQ(Cali_CheckFile((f.path + ".missing").c_str(), expected.data()), -200);
}

TEST(CaliFile, EveryTruncationAndRandomHeadIsRefusedSafely) {
  const CaliModel m = makeModel(3, 2, 2, 3);
  const std::vector<uint8_t> good = caliBytes(m);
  ASSERT_EQ(good.size(), caliMinSize(m));
  const FixInfoRecord fix = neutralFixInfo();
  FileGuard f(tempPath("trunc"));
  for (size_t n = 0; n < good.size(); ++n) {
    writeBytes(f.path, std::vector<uint8_t>(good.begin(), good.begin() + long(n)));
    ASSERT_EQ(Cali_Create(f.path.c_str(), nullptr, &fix, 100000), nullptr) << n;
  }
  std::mt19937 rng(5);
  for (int i = 0; i < 400; ++i) {
    std::vector<uint8_t> bytes = good;
    for (size_t k = 36; k < 51; ++k) bytes[k] = uint8_t(rng());
    if (i % 2) bytes[40] = uint8_t(2 + rng() % 3), bytes[41] = uint8_t(2 + rng() % 4);
    writeBytes(f.path, bytes);
    CaliContext* c = Cali_Create(f.path.c_str(), nullptr, &fix, 100000);
    if (c) {
      std::vector<int16_t> frame(c->P, 1234);
      Cali_Execute(c, frame.data());
      Cali_Com(c, frame.data());
    }
    Cali_Free(&c);
  }
}

TEST(CaliFile, CreateRefusesScaleZeroEqualFpaPointsAndCorruptOwnEntries) {
  CaliModel m = makeModel(4, 4, 3, 3);
  CaliContext* c = createFrom(caliBytes(m), "ok");
  ASSERT_NE(c, nullptr);
  Cali_Free(&c);
  CaliModel z = m;
  z.scale = 0;
  EXPECT_EQ(createFrom(caliBytes(z), "scale"), nullptr);
  CaliModel e = m;
  e.fpa[2] = e.fpa[1];
  EXPECT_EQ(createFrom(caliBytes(e), "equal"), nullptr);
  CaliModel bad = m;
  bad.own = {entry(16, {1})};
  EXPECT_EQ(createFrom(caliBytes(bad), "own"), nullptr);
  bad.own = {entry(5, {})};
  EXPECT_EQ(createFrom(caliBytes(bad), "own0"), nullptr);
  bad.own = {entry(5, {1, 16})};
  EXPECT_EQ(createFrom(caliBytes(bad), "ownnb"), nullptr);
  const FixInfoRecord fix = neutralFixInfo();
  FileGuard f(tempPath("xequal"));
  writeBytes(f.path, caliBytes(e));
  CaliCreateInfo info{f.path.c_str(), nullptr, &fix, 100000, 4, 4, 4, 4, 0, 0};
  EXPECT_EQ(Cali_CreateX(&info), nullptr);
}

TEST(CaliFile, StartingTemperaturesAndTheShellAxis) {
  CaliModel m = makeModel(4, 4, 3, 3);
  CaliContext* c = createFrom(caliBytes(m), "mid", 100000);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->lastFpa, (m.fpa[0] + m.fpa[2]) / 2);
  EXPECT_EQ(c->lastShell, (m.shell[0] + m.shell[2]) / 2);
  Cali_Free(&c);
  c = createFrom(caliBytes(m), "start", 99999);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->lastFpa, 99999);
  EXPECT_EQ(c->lastShell, 99999);
  Cali_Free(&c);
  // The shell axis replaces the FPA axis; a shell axis that does not rise is refused.
  const FixInfoRecord fix = neutralFixInfo();
  FileGuard f(tempPath("shell"));
  writeBytes(f.path, caliBytes(m));
  CaliCreateInfo info{f.path.c_str(), nullptr, &fix, 100000, 4, 4, 4, 4, 1, 1};
  c = Cali_CreateX(&info);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->fpa[1], m.shell[1]);
  EXPECT_EQ(c->band, 1);
  Cali_Free(&c);
  m.shell[1] = m.shell[0];
  writeBytes(f.path, caliBytes(m));
  EXPECT_EQ(Cali_CreateX(&info), nullptr);
  info.useShellAxis = 0;
  c = Cali_CreateX(&info);
  EXPECT_NE(c, nullptr);
  Cali_Free(&c);
}

TEST(CaliFile, WindowsCropOnlyWhenBothSidesFit) {
  const CaliModel m = makeModel(8, 6, 2, 3);
  const FixInfoRecord fix = neutralFixInfo();
  FileGuard f(tempPath("win"));
  writeBytes(f.path, caliBytes(m));
  CaliCreateInfo info{f.path.c_str(), nullptr, &fix, 100000, 8, 6, 10, 2, 0, 0};
  EXPECT_EQ(Cali_CreateX(&info), nullptr);  // smaller area, one side past the sensor
  info.windowWidth = 12;
  info.windowHeight = 6;
  CaliContext* c = Cali_CreateX(&info);  // larger area: not cropped
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->P, 48u);
  Cali_Free(&c);
  info.windowWidth = 4;
  info.windowHeight = 2;
  c = Cali_CreateX(&info);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->P, 8u);
  // Window row 0 is sensor row 2, column 0 is sensor column 2.
  EXPECT_EQ(c->raw[0], m.raw[2 * 8 + 2]);
  EXPECT_EQ(c->raw[8 * 3 + 7], m.raw[48 * 3 + 3 * 8 + 5]);
  Cali_Free(&c);
  info.sensorWidth = 6;  // the head's size differs from the record's sensor
  EXPECT_EQ(Cali_CreateX(&info), nullptr);
}

TEST(CaliFile, OwnBadPixelsAndListPointsMoveIntoTheWindow) {
  CaliModel m = makeModel(8, 8, 2, 3);
  // Own bad pixels at (3,3), inside the centre 4 x 4 window, and (0,0), outside it.
  m.own = {entry(3 * 8 + 3, {2 * 8 + 3}), entry(0, {1})};
  const FixInfoRecord fix = neutralFixInfo();
  FileGuard f(tempPath("ownwin"));
  writeBytes(f.path, caliBytes(m));
  FileGuard list(tempPath("ownwin.com"));
  auto writeList = [&](std::vector<std::pair<uint16_t, uint16_t>> pts) {
    std::vector<uint8_t> b(44, 0);
    const int32_t w = 8, h = 8, n = int32_t(pts.size());
    std::memcpy(&b[32], &w, 4);
    std::memcpy(&b[36], &h, 4);
    std::memcpy(&b[40], &n, 4);
    for (auto [x, y] : pts) {
      b.push_back(uint8_t(x)), b.push_back(uint8_t(x >> 8)), b.push_back(uint8_t(y)), b.push_back(uint8_t(y >> 8));
    }
    writeBytes(list.path, b);
  };
  writeList({{5, 2}, {7, 7}});
  CaliCreateInfo info{f.path.c_str(), list.path.c_str(), &fix, 100000, 8, 8, 4, 4, 0, 0};
  CaliContext* c = Cali_CreateX(&info);
  ASSERT_NE(c, nullptr);
  std::vector<uint32_t> pixels;
  for (uint32_t i = 0; i < c->entryCount; ++i) pixels.push_back(c->entries[i].pixel);
  std::sort(pixels.begin(), pixels.end());
  EXPECT_EQ(pixels, (std::vector<uint32_t>{3, 1 * 4 + 1}));  // (5,2) -> (3,0); (3,3) -> (1,1)
  Cali_Free(&c);
  writeList({{5, 2}, {8, 0}});  // one point outside the sensor drops the whole list
  c = Cali_CreateX(&info);
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->entryCount, 1u);
  EXPECT_EQ(c->entries[0].pixel, 5u);
  Cali_Free(&c);
}

TEST(CaliFile, EveryAllocationFailureGivesNullAndLeaksNothing) {
  const CaliModel m = makeModel(6, 5, 3, 4);
  const FixInfoRecord fix = neutralFixInfo();
  FileGuard f(tempPath("alloc"));
  writeBytes(f.path, caliBytes(m));
  CaliCreateInfo info{f.path.c_str(), nullptr, &fix, 100000, 6, 5, 4, 3, 0, 0};
  for (int create = 0; create < 2; ++create) {
    int n = 1;
    for (; n < 40; ++n) {
      ostrel::alg::algFailAllocAfter(n - 1);
      CaliContext* c = create ? Cali_CreateX(&info) : Cali_Create(f.path.c_str(), nullptr, &fix, 100000);
      ostrel::alg::algFailAllocAfter(-1);
      if (c) {
        Cali_Free(&c);
        break;
      }
    }
    EXPECT_GT(n, 2);
    EXPECT_LT(n, 40);
  }
}
