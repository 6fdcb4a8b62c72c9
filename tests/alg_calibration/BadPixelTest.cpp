// Bad-pixel repair entries: neighbour order and counts, the 3 x 3 block order, random masks,
// repairs on frames, the compensation file (read back by Python) and the point file check.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"

using namespace ostrel::test;

namespace {

using Points = std::vector<std::pair<int, int>>;

std::vector<uint8_t> listBytes(int w, int h, const Points& pts, const char* identity = "") {
  std::vector<uint8_t> b(44, 0);
  std::strncpy(reinterpret_cast<char*>(b.data()), identity, 32);
  const int32_t n = int32_t(pts.size());
  std::memcpy(&b[32], &w, 4);
  std::memcpy(&b[36], &h, 4);
  std::memcpy(&b[40], &n, 4);
  for (auto [x, y] : pts) {
    const uint16_t v[2] = {uint16_t(x), uint16_t(y)};
    b.insert(b.end(), reinterpret_cast<const uint8_t*>(v), reinterpret_cast<const uint8_t*>(v) + 4);
  }
  return b;
}

std::vector<CompEntry> process(int w, int h, const Points& pts) {
  const std::vector<uint8_t> list = listBytes(w, h, pts);
  CompEntry* e = nullptr;
  const int n = Com_ProcessX(list.data(), &e);
  std::vector<CompEntry> out(e, e + std::max(n, 0));
  Ostrel_FreePaletteData(&e);
  return out;
}

struct TempFile {
  std::string path;
  explicit TempFile(const std::string& name) : path(tempPath(name)) {}
  ~TempFile() { std::remove(path.c_str()); }
};

}  // namespace

TEST(BadPixel, NeighboursInReadingOrderAndCornerCounts) {
  auto e = process(5, 5, {{2, 2}});
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].pixel, 12u);
  ASSERT_EQ(e[0].n, 8u);
  const uint32_t order[8] = {6, 7, 8, 11, 13, 16, 17, 18};
  EXPECT_TRUE(std::equal(order, order + 8, e[0].neighbour));
  e = process(5, 5, {{4, 0}});
  ASSERT_EQ(e.size(), 1u);
  EXPECT_EQ(e[0].n, 3u);
  EXPECT_EQ(e[0].neighbour[0], 3u);
  EXPECT_EQ(e[0].neighbour[1], 8u);
  EXPECT_EQ(e[0].neighbour[2], 9u);
  EXPECT_EQ(e[0].neighbour[3], 0u);
}

TEST(BadPixel, BlockOfNineRepairsCornersThenEdgesThenCentre) {
  Points pts;
  for (int y = 2; y <= 4; ++y)
    for (int x = 2; x <= 4; ++x) pts.push_back({x, y});
  const auto e = process(7, 7, pts);
  ASSERT_EQ(e.size(), 9u);
  auto px = [](int x, int y) { return uint32_t(y * 7 + x); };
  const uint32_t order[9] = {px(2, 2), px(4, 2), px(2, 4), px(4, 4), px(3, 2), px(2, 3), px(4, 3), px(3, 4), px(3, 3)};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(e[i].pixel, order[i]) << i;
  for (int i = 0; i < 4; ++i) EXPECT_EQ(e[i].n, 5u);
  EXPECT_EQ(e[4].n, 5u);  // top centre: three above and the two repaired corners
  EXPECT_EQ(e[5].n, 6u);  // left centre: also the repaired top centre
  EXPECT_EQ(e[6].n, 6u);
  EXPECT_EQ(e[7].n, 7u);
  EXPECT_EQ(e[8].n, 8u);
}

TEST(BadPixel, RandomMasksReadOnlyGoodOrEarlierRepairedPixels) {
  std::mt19937 rng(11);
  for (int round = 0; round < 30; ++round) {
    const int w = 3 + int(rng() % 40), h = 3 + int(rng() % 30);
    const double density = 0.05 + 0.6 * (rng() % 100) / 100.0;
    Points pts;
    std::set<uint32_t> bad;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (rng() % 1000 < density * 1000) pts.push_back({x, y}), bad.insert(uint32_t(y * w + x));
    if (bad.size() == size_t(w * h)) continue;
    pts.push_back(pts.empty() ? std::pair{0, 0} : pts.front());  // a duplicate collapses
    if (bad.empty()) bad.insert(0);
    const auto e = process(w, h, pts);
    ASSERT_EQ(e.size(), bad.size());
    std::set<uint32_t> repaired;
    for (const CompEntry& c : e) {
      ASSERT_TRUE(bad.count(c.pixel));
      ASSERT_FALSE(repaired.count(c.pixel));
      ASSERT_GE(c.n, 1u);
      ASSERT_LE(c.n, 8u);
      for (uint32_t j = 0; j < c.n; ++j) {
        const uint32_t nb = c.neighbour[j];
        ASSERT_TRUE(!bad.count(nb) || repaired.count(nb));
        const int dx = int(nb % w) - int(c.pixel % w), dy = int(nb / w) - int(c.pixel / w);
        ASSERT_TRUE(std::abs(dx) <= 1 && std::abs(dy) <= 1 && (dx || dy));
      }
      repaired.insert(c.pixel);
    }
  }
}

TEST(BadPixel, NoGoodPixelGivesNoEntriesAndEmptyListsNone) {
  EXPECT_TRUE(process(3, 2, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1}}).empty());
  EXPECT_TRUE(process(3, 2, {}).empty());
  EXPECT_TRUE(process(3, 2, {{3, 0}}).empty());  // outside
  CompEntry* e = reinterpret_cast<CompEntry*>(1);
  EXPECT_EQ(Com_ProcessX(nullptr, &e), 0);
  EXPECT_EQ(e, nullptr);
}

TEST(BadPixel, RepairsKeepConstantFramesAndRestoreARamp) {
  CaliModel m = makeModel(9, 7, 2, 3);
  TempFile cali("bp_cali"), list("bp_list");
  writeBytes(cali.path, caliBytes(m));
  writeBytes(list.path, listBytes(9, 7, {{4, 3}, {0, 0}, {8, 6}}));
  const FixInfoRecord fix = neutralFixInfo();
  CaliCreateInfo info{cali.path.c_str(), list.path.c_str(), &fix, 100000, 9, 7, 9, 7, 0, 0};
  CaliContext* c = Cali_CreateX(&info);
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(c->entryCount, 3u);
  std::vector<int16_t> flat(63, -1234);
  Cali_Com(c, flat.data());
  EXPECT_EQ(flat, std::vector<int16_t>(63, -1234));
  // A plane a + b x + c y is restored exactly at an isolated pixel (the mean of symmetric pairs).
  std::vector<int16_t> ramp(63);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) ramp[y * 9 + x] = int16_t(100 + 7 * x - 5 * y);
  std::vector<int16_t> broken = ramp;
  broken[3 * 9 + 4] = 30000;
  broken[0] = -30000;
  Cali_Com(c, broken.data());
  EXPECT_EQ(broken[3 * 9 + 4], ramp[3 * 9 + 4]);
  EXPECT_NE(broken[0], -30000);
  Cali_Free(&c);
}

TEST(BadPixel, CompensationFileIsWrittenReadByPythonAndLoaded) {
  CaliModel m = makeModel(10, 8, 2, 3);
  CompEntry own{};
  own.pixel = 2 * 10 + 2;
  own.n = 1;
  own.neighbour[0] = 2 * 10 + 1;
  m.own = {own};
  TempFile cali("cf_cali"), list("cf_list"), out("cf_out.bin");
  writeBytes(cali.path, caliBytes(m));
  const FixInfoRecord fix = neutralFixInfo();
  CaliContext* c = Cali_Create(cali.path.c_str(), nullptr, &fix, 100000);
  ASSERT_NE(c, nullptr);
  writeBytes(list.path, listBytes(10, 8, {{6, 5}, {7, 5}}, m.identity));
  ASSERT_EQ(Com_Process(c, list.path.c_str(), out.path.c_str()), 0);
  const auto expected = process(10, 8, {{2, 2}, {6, 5}, {7, 5}});
  // An independent reader of the layout: head fields and every entry.
  const std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " -c \"import struct,sys\n"
                          "d=open(sys.argv[1],'rb').read()\n"
                          "w,h,n=struct.unpack_from('<HHH',d,36)\n"
                          "assert len(d)==128+40*n and d[42:128]==bytes(86) and d[32:36]==bytes(4)\n"
                          "print(d[:32].rstrip(b'\\\\0').decode(),w,h,n)\n"
                          "for i in range(n):\n"
                          " e=struct.unpack_from('<10I',d,128+40*i)\n"
                          " print(' '.join(map(str,e[:2+e[1]])))\" " +
                          out.path;
  FILE* p = popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string text;
  char buf[256];
  while (fgets(buf, sizeof buf, p)) text += buf;
  ASSERT_EQ(pclose(p), 0) << text;
  std::string want = std::string(m.identity) + " 10 8 3\n";
  for (const CompEntry& e : expected) {
    want += std::to_string(e.pixel) + " " + std::to_string(e.n);
    for (uint32_t j = 0; j < e.n; ++j) want += " " + std::to_string(e.neighbour[j]);
    want += "\n";
  }
  EXPECT_EQ(text, want);
  // Loaded with the calibration, the file's entries are preferred over the own ones.
  CaliContext* withFile = Cali_Create(cali.path.c_str(), out.path.c_str(), &fix, 100000);
  ASSERT_NE(withFile, nullptr);
  EXPECT_EQ(withFile->entryCount, 3u);
  // Nothing new in the list: the file goes, since this object was created with it.
  writeBytes(list.path, listBytes(10, 8, {{2, 2}}, m.identity));
  EXPECT_EQ(Com_Process(withFile, list.path.c_str(), out.path.c_str()), 0);
  EXPECT_TRUE(readBytes(out.path).empty());
  // Another camera's list, a list one byte too long, everything bad.
  writeBytes(list.path, listBytes(10, 8, {{1, 1}}, "OTHER"));
  EXPECT_EQ(Com_Process(c, list.path.c_str(), out.path.c_str()), -1);
  std::vector<uint8_t> longer = listBytes(10, 8, {{1, 1}}, m.identity);
  longer.push_back(0);
  writeBytes(list.path, longer);
  EXPECT_EQ(Com_Process(c, list.path.c_str(), out.path.c_str()), -2);
  Points all;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) all.push_back({x, y});
  writeBytes(list.path, listBytes(10, 8, all, m.identity));
  EXPECT_EQ(Com_Process(c, list.path.c_str(), out.path.c_str()), -5);  // no good pixel left
  Cali_Free(&c);
  Cali_Free(&withFile);
}

TEST(BadPixel, PointFileCheck) {
  TempFile f("check.com");
  std::vector<uint8_t> check(40, 0);
  std::strcpy(reinterpret_cast<char*>(check.data()), "CAM01-SENSOR-A");
  const int32_t w = 640, h = 512;
  std::memcpy(&check[32], &w, 4);
  std::memcpy(&check[36], &h, 4);
  Points pts;
  for (int i = 0; i < 500; ++i) pts.push_back({i, i % 512});
  writeBytes(f.path, listBytes(640, 512, pts, "xxxxx-SENSOR-A"));
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), 0);
  pts.push_back({1, 1});
  writeBytes(f.path, listBytes(640, 512, pts, "xxxxx-SENSOR-A"));
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), -194);
  writeBytes(f.path, listBytes(640, 512, {{1, 1}}, "xxxxx-SENSOR-B"));
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), -194);
  writeBytes(f.path, listBytes(640, 480, {{1, 1}}, "xxxxx-SENSOR-A"));
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), -194);
  writeBytes(f.path, listBytes(640, 512, {{640, 1}}, "xxxxx-SENSOR-A"));
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), -11);
  std::vector<uint8_t> cut = listBytes(640, 512, {{1, 1}, {2, 2}}, "xxxxx-SENSOR-A");
  cut.resize(cut.size() - 1);
  writeBytes(f.path, cut);
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), -198);
  cut.resize(30);
  writeBytes(f.path, cut);
  EXPECT_EQ(Com_CheckFile(f.path.c_str(), check.data()), -198);
  EXPECT_EQ(Com_CheckFile((f.path + ".none").c_str(), check.data()), -200);
}
