// The atlas's skyline packer under many random rectangles: what it places never overlaps, stays
// inside, and leaves the reserved full-coverage block alone.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "Atlas.h"
#include "Skyline.h"

namespace qorn {
namespace {

TEST(SkylinePacker, RandomRectanglesAreDisjointInsideAndSpareTheReservedBlock) {
  for (const auto& [w, h] : {std::pair{512, 512}, std::pair{1024, 512}, std::pair{2048, 1024}}) {
    Skyline sky(w, h);
    int rx = -1, ry = -1;
    ASSERT_TRUE(sky.addRect(2, 2, &rx, &ry));  // the reserved block, as the atlas makes it
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(ry, 0);
    std::vector<int> owner(static_cast<size_t>(w) * h, -1);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) owner[y * w + x] = 0;

    std::mt19937 rng(1234u + w);
    std::uniform_int_distribution<int> side(1, 48);
    int placed = 0, refused = 0;
    for (int i = 1; i <= 10000; ++i) {
      const int rw = side(rng), rh = side(rng);
      if (!sky.addRect(rw, rh, &rx, &ry)) {
        ++refused;
        continue;
      }
      ++placed;
      ASSERT_GE(rx, 0);
      ASSERT_GE(ry, 0);
      ASSERT_LE(rx + rw, w);
      ASSERT_LE(ry + rh, h);
      for (int y = ry; y < ry + rh; ++y)
        for (int x = rx; x < rx + rw; ++x) {
          ASSERT_EQ(owner[y * w + x], -1) << "rect " << i << " overlaps " << owner[y * w + x] << " at " << x << ","
                                          << y;
          owner[y * w + x] = i;
        }
      // The skyline stays ordered, contiguous and within the atlas.
      int expectX = 0;
      for (const SkylineNode& n : sky.nodes()) {
        ASSERT_EQ(n.x, expectX);
        ASSERT_GT(n.width, 0);
        ASSERT_LE(n.y, h);
        expectX += n.width;
      }
      ASSERT_EQ(expectX, w);
    }
    EXPECT_GT(placed, 100);
    if (w == 512) {
      EXPECT_GT(refused, 0) << "the small atlas fills up";
    }
  }
}

TEST(SkylinePacker, FillsTheAtlasExactlyToItsEdges) {
  Skyline sky(64, 32);
  int rx, ry;
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(sky.addRect(8, 32, &rx, &ry)) << i;
    EXPECT_EQ(ry, 0);
  }
  EXPECT_FALSE(sky.addRect(1, 1, &rx, &ry));
  EXPECT_FALSE(Skyline(16, 16).addRect(17, 1, &rx, &ry));
  EXPECT_FALSE(Skyline(16, 16).addRect(0, 3, &rx, &ry));
}

TEST(GlyphAtlas, ResetReservesTheFullCoverageBlockAgain) {
  std::unique_ptr<Atlas> atlas(Atlas::create(256, 128));
  ASSERT_NE(atlas, nullptr);
  int dirty[4];
  ASSERT_TRUE(atlas->validateTexture(dirty));
  EXPECT_EQ(dirty[2] - dirty[0], 2);
  EXPECT_FALSE(atlas->validateTexture(dirty)) << "clean once taken";
  ASSERT_TRUE(atlas->reset(512, 256));
  int w, h;
  const unsigned char* data = atlas->textureData(&w, &h);
  EXPECT_EQ(w, 512);
  EXPECT_EQ(h, 256);
  EXPECT_EQ(data[0], 255);
  EXPECT_EQ(data[1 + 512], 255);
  EXPECT_EQ(data[2], 0);
  EXPECT_EQ(data[2 * 512], 0);
  ASSERT_TRUE(atlas->validateTexture(dirty));
  EXPECT_EQ(dirty[0], 0);
  EXPECT_EQ(dirty[3], 2);
}

}  // namespace
}  // namespace qorn
