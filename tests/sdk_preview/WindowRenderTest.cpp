// Composition of the preview window: rectangles of the display table, zoom, palette bar,
// read-outs; PNG snapshots read back by an independent decoder.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "preview/WindowRender.h"

using namespace ostrel::sdk::render;

namespace {

constexpr uint32_t kGrey = 0xFF808080u;

uint32_t bgra(int r, int g, int b) { return 0xFF000000u | (r << 16) | (g << 8) | b; }

std::vector<uint32_t> heatPalette() {
  std::vector<uint32_t> p(256);
  for (int i = 0; i < 256; ++i) p[i] = bgra(i, 0, 255 - i);  // cold blue to hot red
  return p;
}

int channel(uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

bool isDark(uint32_t p) { return channel(p, 0) < 100 && channel(p, 8) < 100 && channel(p, 16) < 100; }

}  // namespace

TEST(WindowRender, TableFollowsTheDisplayRule) {
  for (auto [w, h] : {std::pair{160, 120}, {320, 240}, {384, 288}, {640, 480}, {640, 512}, {1024, 768},
                      {1280, 1024}, {384, 144}}) {
    const ModelEntry* e = findModel(w, h);
    ASSERT_NE(e, nullptr) << w << "x" << h;
    const int fw = w * e->zoom, fh = h * e->zoom;
    EXPECT_EQ(e->frame.width(), fw);
    EXPECT_EQ(e->frame.height(), fh);
    // The column is 80 pixels wide except on the 384 x 288 model, whose display is 448 wide.
    EXPECT_EQ(e->displayWidth, fw + (w == 384 && h == 288 ? 64 : 80));
    EXPECT_EQ(e->displayHeight, fh);
    EXPECT_EQ(e->bar.left, fw + 5);
    EXPECT_EQ(e->bar.width(), 15);
    EXPECT_EQ(e->bar.top, 30);
    EXPECT_EQ(e->bar.bottom, fh - 30);
    EXPECT_EQ(e->maxText.top, 0);
    EXPECT_EQ(e->maxText.bottom, 30);
    EXPECT_EQ(e->minText.top, fh - 30);
    EXPECT_EQ(e->minText.right, e->displayWidth);
  }
  EXPECT_EQ(findModel(336, 256), nullptr);
}

TEST(WindowRender, CreateWithoutTableEntryFails) {
  TempRenderer r;
  EXPECT_EQ(tempCreate(&r, 336, 256, 0), -2);
}

TEST(WindowRender, ComposesFrameBarAndReadouts) {
  TempRenderer r;
  ASSERT_EQ(tempCreate(&r, 160, 120, 0), 0);
  auto palette = heatPalette();
  tempSetPalette(&r, palette.data());
  // A frame with a distinct colour per pixel column pair, so the zoom is visible.
  std::vector<uint32_t> frame(160 * 120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) frame[y * 160 + x] = bgra(x, y, 200);
  FrameStats stats{};
  stats.max = 36.5f;
  stats.min = -5.0f;
  tempCompose(&r, frame.data(), &stats);
  const ModelEntry* e = r.entry;
  const auto& d = r.display;
  auto at = [&](int x, int y) { return d[static_cast<size_t>(y) * e->displayWidth + x]; };
  ASSERT_EQ(d.size(), 400u * 240u);
  // Zoom 2: display pixel (2x+1, 2y+1) lies between source pixels x and x+1 (linear filter),
  // display pixel (0,0) is source (0,0) exactly.
  EXPECT_EQ(at(0, 0), frame[0]);
  EXPECT_EQ(at(319, 239), frame[119 * 160 + 159]);
  EXPECT_NEAR(channel(at(101, 61), 16), 50, 1);  // red = source x = 50.25 -> 50
  EXPECT_NEAR(channel(at(101, 61), 8), 30, 1);
  // Gap column and the space around the bar stay grey.
  for (int y = 0; y < 240; ++y)
    for (int x = 320; x < 325; ++x) ASSERT_EQ(at(x, y), kGrey) << x << "," << y;
  EXPECT_EQ(at(345, 100), kGrey);
  // Bar: top row nearly the hottest colour, bottom row nearly the coldest, red rising upwards.
  EXPECT_GE(channel(at(330, 30), 16), 253);
  EXPECT_LE(channel(at(330, 209), 16), 2);
  for (int y = 31; y < 210; ++y) ASSERT_LE(channel(at(330, y), 16), channel(at(330, y - 1), 16));
  // Read-outs: dark text pixels inside both text rectangles, none in the bar column below them.
  int darkMax = 0, darkMin = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 325; x < 400; ++x) {
      if (!isDark(at(x, y))) continue;
      if (y < 30) ++darkMax;
      else if (y >= 210) ++darkMin;
      else ADD_FAILURE() << "text outside its rectangle at " << x << "," << y;
    }
  EXPECT_GT(darkMax, 20);
  EXPECT_GT(darkMin, 20);
}

TEST(WindowRender, ReadoutsAreRightAlignedInSixCharacters) {
  // "  36.5" starts with two spaces; "-100.0" fills all six: its ink starts further left.
  TempRenderer a, b;
  ASSERT_EQ(tempCreate(&a, 320, 240, 0), 0);
  ASSERT_EQ(tempCreate(&b, 320, 240, 0), 0);
  std::vector<uint32_t> frame(320 * 240, bgra(10, 10, 10));
  FrameStats sa{}, sb{};
  sa.max = 36.5f;
  sb.max = -100.0f;
  tempCompose(&a, frame.data(), &sa);
  tempCompose(&b, frame.data(), &sb);
  auto firstInk = [](const TempRenderer& r) {
    for (int x = 325; x < 400; ++x)
      for (int y = 0; y < 30; ++y)
        if (isDark(r.display[static_cast<size_t>(y) * 400 + x])) return x;
    return 400;
  };
  EXPECT_LT(firstInk(b), firstInk(a));
  EXPECT_LT(firstInk(a), 400);
}

TEST(WindowRender, SnapshotPngDecodesToTheInput) {
  const int w = 37, h = 23;  // odd sizes catch stride mistakes
  std::vector<uint32_t> pixels(w * h);
  for (int i = 0; i < w * h; ++i) pixels[i] = 0xFF000000u | static_cast<uint32_t>(i * 2654435761u & 0xFFFFFFu);
  std::vector<uint8_t> scratch(1 << 20);
  auto dir = std::filesystem::temp_directory_path() / ("ostrel_png_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string png = (dir / "snap.png").string();
  ASSERT_EQ(saveBgra(pixels.data(), w, h, scratch.data(), scratch.size(), png.c_str()), 0);
  // Too small a scratch area fails and writes nothing.
  std::string small = (dir / "small.png").string();
  EXPECT_EQ(saveBgra(pixels.data(), w, h, scratch.data(), 64, small.c_str()), -1);
  EXPECT_FALSE(std::filesystem::exists(small));
  std::string dump = (dir / "dump.txt").string();
  std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) +
                    " -c \"import sys; from PIL import Image; im=Image.open(sys.argv[1]).convert('RGBA'); "
                    "print(im.size[0], im.size[1]); [print(r, g, b, a) for (r, g, b, a) in im.getdata()]\" " +
                    png + " > " + dump;
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::ifstream in(dump);
  int rw, rh;
  in >> rw >> rh;
  ASSERT_EQ(rw, w);
  ASSERT_EQ(rh, h);
  for (int i = 0; i < w * h; ++i) {
    int r, g, b, a;
    in >> r >> g >> b >> a;
    ASSERT_EQ(bgra(r, g, b) | (static_cast<uint32_t>(a) << 24), pixels[i]) << i;
  }
  std::filesystem::remove_all(dir);
}
