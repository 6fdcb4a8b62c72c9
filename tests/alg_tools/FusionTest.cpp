#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "SimdGuard.h"

namespace {

uint32_t bgra(int b, int g, int r, int a = 255) { return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24; }

struct Mix {
  MixContext* ctx = mixCreate();
  ~Mix() { mixFree(&ctx); }
  void set(int mode, int strength) {
    const uint8_t cfg[2] = {uint8_t(mode), uint8_t(strength)};
    mixSetConfig(ctx, cfg);
  }
  std::pair<int, int> get() const {
    uint8_t cfg[2] = {0xEE, 0xEE};
    mixGetConfig(ctx, cfg);
    return {cfg[0], cfg[1]};
  }
};

// A palette whose colours name their index in each channel differently.
std::vector<uint32_t> testPalette() {
  std::vector<uint32_t> p(256);
  for (int i = 0; i < 256; ++i) p[i] = bgra(i, 255 - i, (i * 7) & 255, 0x80);
  return p;
}

TEST(Fusion, ConfigurationDefaultsAndBounds) {
  Mix m;
  ASSERT_NE(m.ctx, nullptr);
  EXPECT_EQ(m.get(), std::make_pair(4, 8));
  for (auto [mode, strength] : {std::pair{6, 16}, std::pair{255, 0}}) m.set(mode, strength);
  EXPECT_EQ(m.get(), std::make_pair(4, 8));
  m.set(5, 15);
  EXPECT_EQ(m.get(), std::make_pair(5, 15));
}

TEST(Fusion, BlendAtStrength15IsOneSixteenthVisible) {
  Mix m;
  m.set(3, 15);
  const int w = 7, h = 3;
  std::vector<uint32_t> pal(256, bgra(0, 16, 255, 0)), vis(w * h, bgra(160, 32, 0, 0)), out(w * h, 0);
  std::vector<uint8_t> lv(w * h, 9);
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  // B (160 + 0) / 16 = 10, G (32 + 240) / 16 = 17, R (0 + 3825) / 16 = 239.
  for (uint32_t px : out) EXPECT_EQ(px, bgra(10, 17, 239, 255));
}

TEST(Fusion, BlendMatchesPerChannelFormulaAtEveryLevel) {
  ostrel::test::SimdGuard guard;
  std::mt19937 rng(8);
  const auto pal = testPalette();
  const int w = 37, h = 5;
  std::vector<uint32_t> vis(w * h), out(w * h);
  std::vector<uint8_t> lv(w * h);
  for (auto& v : vis) v = rng();
  for (auto& v : lv) v = uint8_t(rng());
  for (auto level : ostrel::test::kLevels)
    for (int s = 1; s <= 15; s += 7) {
      ostrel::alg::setSimdLevel(level);
      Mix m;
      m.set(3, s);
      mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
      for (int i = 0; i < w * h; ++i) {
        uint32_t want = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          const int v = (vis[i] >> (8 * c)) & 255, p = (pal[lv[i]] >> (8 * c)) & 255;
          want |= uint32_t(std::min(255, (v * (16 - s) + p * s) / 16)) << (8 * c);
        }
        ASSERT_EQ(out[i], want) << i << " level " << int(level);
      }
    }
}

TEST(Fusion, WindowShowsColocatedInfraredInTheCentre) {
  Mix m;
  const int w = 640, h = 480;
  const auto pal = testPalette();
  std::vector<uint32_t> vis(w * h), out(w * h, 0);
  std::vector<uint8_t> lv(w * h);
  for (int i = 0; i < w * h; ++i) {
    vis[i] = 0x01000000u | uint32_t(i);
    lv[i] = uint8_t(i * 31 + i / w);
  }
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool inside = x >= 160 && x <= 479 && y >= 120 && y <= 359;
      const int i = y * w + x;
      ASSERT_EQ(out[i], inside ? pal[lv[i]] : vis[i]) << x << "," << y;
    }
}

// Independent reference of the edge mode: BT.601 studio-swing luma, the eight neighbours minus
// eight times the centre, the strength scaling with an arithmetic shift, then the palette.
std::vector<uint32_t> edgeReference(const std::vector<uint32_t>& vis, const std::vector<uint8_t>& lv,
                                    const std::vector<uint32_t>& pal, int w, int h, int s) {
  std::vector<int> y(w * h);
  for (int i = 0; i < w * h; ++i) {
    const int b = vis[i] & 255, g = (vis[i] >> 8) & 255, r = (vis[i] >> 16) & 255;
    y[i] = ((66 * r + 129 * g + 25 * b) >> 8) + 16;
  }
  std::vector<uint32_t> out(w * h);
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) {
      int e = 0;
      if (r > 0 && c > 0 && r < h - 1 && c < w - 1) {
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if (dx || dy) e += y[(r + dy) * w + c + dx];
        e -= 8 * y[r * w + c];
      }
      const int scaled = s * e >= 0 ? s * e / 16 : -((-s * e + 15) / 16);  // floor division
      out[r * w + c] = pal[std::clamp(lv[r * w + c] + scaled, 0, 255)];
    }
  return out;
}

TEST(Fusion, EdgesMatchBruteForceLaplacian) {
  ostrel::test::SimdGuard guard;
  std::mt19937 rng(7);
  const auto pal = testPalette();
  for (auto level : ostrel::test::kLevels)
  for (auto [w, h, s] : {std::tuple{17, 13, 8}, std::tuple{64, 48, 15}, std::tuple{3, 3, 1}, std::tuple{2, 9, 5},
                         std::tuple{101, 37, 11}}) {
    ostrel::alg::setSimdLevel(level);
    Mix m;
    m.set(2, s);
    std::vector<uint32_t> vis(w * h), out(w * h, 0);
    std::vector<uint8_t> lv(w * h);
    for (auto& v : vis) v = rng();
    for (auto& v : lv) v = uint8_t(rng());
    mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
    EXPECT_EQ(out, edgeReference(vis, lv, pal, w, h, s)) << w << "x" << h << " level " << int(level);
  }
}

TEST(Fusion, EdgeLumaUsesStudioSwingAndUniformImagesHaveNoEdges) {
  // One white pixel on black at strength 1: white - black luma = 235 - 16 = 219. Each neighbour
  // sees +219 (>> 4 = 13), the centre -8 x 219 = -1752 (>> 4 = -110).
  Mix m;
  m.set(2, 1);
  const int w = 5, h = 5;
  const auto pal = testPalette();
  std::vector<uint32_t> vis(w * h, bgra(0, 0, 0)), out(w * h);
  vis[12] = bgra(255, 255, 255);
  std::vector<uint8_t> lv(w * h, 128);
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  EXPECT_EQ(out[12], pal[18]);
  EXPECT_EQ(out[6], pal[141]);
  EXPECT_EQ(out[18], pal[141]);
  EXPECT_EQ(out[0], pal[128]);  // border
  // Pure red on black: ((66 x 255) >> 8) + 16 = 81, 65 above black; 65 >> 4 = 4.
  vis[12] = bgra(0, 0, 255);
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  EXPECT_EQ(out[7], pal[132]);
  // A uniform visible image has no edges: the plain palette image, at full strength too.
  m.set(2, 15);
  vis.assign(w * h, bgra(12, 200, 99));
  for (int i = 0; i < w * h; ++i) lv[i] = uint8_t(i * 13);
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  for (int i = 0; i < w * h; ++i) ASSERT_EQ(out[i], pal[lv[i]]);
}

TEST(Fusion, RefusedCallsWriteNothing) {
  Mix m;
  const auto pal = testPalette();
  std::vector<uint32_t> vis(64, bgra(1, 2, 3)), out(64, 0xDEADBEEF);
  std::vector<uint8_t> lv(64, 5);
  for (int mode : {0, 1, 5}) {
    m.set(mode, 8);
    mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), 8, 8);
  }
  m.set(3, 8);
  // Sizes of zero or less, or past 16 Mi pixels, are refused before anything is read or written.
  for (auto [w, h] : {std::pair{0, 8}, std::pair{8, -1}, std::pair{-8, -8}, std::pair{4097, 4096},
                      std::pair{70000, 1}})
    mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  mixExecute(m.ctx, nullptr, vis.data(), lv.data(), pal.data(), 8, 8);
  for (uint32_t px : out) EXPECT_EQ(px, 0xDEADBEEFu);
}

TEST(Fusion, FailedGrowthLeavesObjectUnsizedAndRetries) {
  Mix m;
  m.set(4, 8);
  const int w = 800, h = 600;
  const auto pal = testPalette();
  std::vector<uint32_t> vis(w * h, bgra(1, 2, 3)), out(w * h, 0);
  std::vector<uint8_t> lv(w * h, 77);
  ostrel::alg::algFailAllocAfter(0);
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  ostrel::alg::algFailAllocAfter(-1);
  EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint32_t v) { return v == 0; }));
  // The same size again: the object must size itself, not use the buffer it failed to get.
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), w, h);
  EXPECT_EQ(out[0], vis[0]);
  EXPECT_EQ(out[300 * w + 400], pal[77]);
  // And back to a smaller size inside the grown buffer.
  mixExecute(m.ctx, out.data(), vis.data(), lv.data(), pal.data(), 8, 8);
  EXPECT_EQ(out[2 * 8 + 2], pal[77]);
}

TEST(Fusion, OneFreeForFusionAndMeanObjects) {
  MixContext* mix = mixCreate();
  AlgMeanContext* mean = Alg_MeanCreate();
  std::vector<int16_t> src(32 * 32, 1), dst(32 * 32);
  ASSERT_EQ(Alg_MeanExecute(mean, 3, 32, 32, src.data(), dst.data()), 0);  // gives it a buffer
  Alg_MeanFree(&mix);
  mixFree(&mean);
  EXPECT_TRUE(!mix && !mean);
  mixFree(&mix);
  mixFree(nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(&mixFree), reinterpret_cast<void*>(&Alg_MeanFree));
}

}  // namespace
