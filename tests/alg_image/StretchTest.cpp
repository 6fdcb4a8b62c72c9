// Stretch engine and detail engine: hand goldens, properties and cross-checks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "alg/image/Detail.h"
#include "alg/image/GuidedCore.h"
#include "alg/image/Stretch.h"

using namespace ostrel::alg;
using namespace ostrel::test;

namespace {

struct Engine {
  StretchContext* c = strCreate();
  ~Engine() { strFree(c); }
  void set(uint32_t flags, StretchCtl ctl) {
    ctl.flags = flags;
    ASSERT_EQ(strSetCtl(c, &ctl), 0);
  }
  std::vector<uint8_t> gray(const TestFrame& f, int* rc = nullptr) {
    std::vector<uint8_t> out(f.codes.size(), 77);
    const int r = strTemp2Gray(c, f.codes.data(), &f.head, out.data());
    if (rc) *rc = r;
    return out;
  }
  std::vector<uint32_t> bgra(const TestFrame& f, const std::vector<uint32_t>& pal) {
    std::vector<uint32_t> out(f.codes.size());
    EXPECT_GE(strTemp2Bgra(c, f.codes.data(), &f.head, out.data(), pal.data()), 0);
    return out;
  }
  StretchContextView view() const { return stretchView(c); }
};

std::vector<uint32_t> whiteHot() {
  std::vector<uint32_t> p(256);
  for (uint32_t i = 0; i < 256; ++i) p[i] = i | (i << 8) | (i << 16) | 0xFF000000u;
  return p;
}

StretchCtl type(int t) {
  StretchCtl c{};
  c.strechType = static_cast<uint8_t>(t);
  return c;
}

TestFrame sceneFrame(int w, int h, int16_t base, int scale = 100, uint32_t seed = 1) {
  TestFrame f = noiseFrame(w, h, base, 40, seed, scale);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      f.at(x, y) = static_cast<int16_t>(
          f.at(x, y) + 6 * x + ((x - w / 2) * (x - w / 2) + (y - h / 3) * (y - h / 3) < 100 ? 900 : 0));
    }
  return f;
}

}  // namespace

TEST(Stretch, DefaultsAndRefusedSettings) {
  Engine e;
  StretchCtl c;
  std::memset(&c, 0xAB, sizeof(c));
  ASSERT_EQ(strGetCtl(e.c, &c), 0);
  StretchCtl want{};
  want.strechType = 1;
  want.smoothing = 1;
  want.gain = 2.0f;
  want.man_temp0 = 200;
  want.man_temp1 = 400;
  want.smalltarget_bg = 50;
  EXPECT_EQ(std::memcmp(&c, &want, sizeof(c)), 0);

  StretchCtl s{};
  for (float g : {0.07f, 10.03f}) {
    s.gain = g;
    e.set(StretchCtl_Gain, s);
    strGetCtl(e.c, &c);
    EXPECT_EQ(c.gain, 2.0f) << g;
  }
  for (float g : {0.08f, 10.02f}) {
    s.gain = g;
    e.set(StretchCtl_Gain, s);
    strGetCtl(e.c, &c);
    EXPECT_EQ(c.gain, g);
  }
  for (int t : {9, 51}) {
    s.temp2gray = static_cast<uint8_t>(t);
    e.set(StretchCtl_Temp2Gray, s);
    strGetCtl(e.c, &c);
    EXPECT_EQ(c.temp2gray, 0);
  }
  for (int b : {0, 100}) {
    s.smalltarget_bg = static_cast<uint8_t>(b);
    e.set(StretchCtl_SmallTargetBg, s);
    strGetCtl(e.c, &c);
    EXPECT_EQ(c.smalltarget_bg, 50);
  }
  s.ddeLevel = 9;
  s.denoise = 9;
  e.set(StretchCtl_DdeLevel | StretchCtl_Denoise, s);
  strGetCtl(e.c, &c);
  EXPECT_EQ(c.ddeLevel, 0);
  EXPECT_EQ(c.denoise, 0);
  EXPECT_EQ(c.flags, 0u);
}

TEST(Stretch, SingleCodeFrameUnderEachRule) {
  for (int t : {1, 2, 3, 4}) {
    Engine e;
    e.set(StretchCtl_Type, type(t));
    TestFrame f = flatFrame(64, 48, 2500);
    for (uint8_t v : e.gray(f)) ASSERT_EQ(v, t == 1 ? 85 : 0) << "rule " << t;
  }
}

TEST(Stretch, TailCountAndEffectiveTemp2GrayFollowTheFrame) {
  Engine e;
  e.gray(flatFrame(300, 299, 5));  // 89700 pixels
  EXPECT_EQ(e.view().tail, 2);
  e.gray(flatFrame(300, 300, 5));
  EXPECT_EQ(e.view().tail, 3);
  e.gray(flatFrame(600, 500, 5));
  EXPECT_EQ(e.view().tail, 10);
  TestFrame f = flatFrame(64, 48, 5, 100);
  e.gray(f);
  EXPECT_EQ(e.view().t2gEff, 4);
  // 356 differs from 100 only above the low byte: the engine must notice the change.
  f.head.scale = 356;
  e.gray(f);
  EXPECT_EQ(e.view().t2gEff, 20);
  f.head.scale = 100;
  e.gray(f);
  EXPECT_EQ(e.view().t2gEff, 4);
  StretchCtl s{};
  s.temp2gray = 33;
  e.set(StretchCtl_Temp2Gray, s);
  e.gray(f);
  EXPECT_EQ(e.view().t2gEff, 33);
}

TEST(Stretch, LinearManualRangeAtKnownCodes) {
  Engine e;
  StretchCtl s = type(2);
  s.man_enable = 1;
  s.man_temp0 = 200;
  s.man_temp1 = 400;
  e.set(StretchCtl_Type | StretchCtl_ManEnable | StretchCtl_ManTemp0 | StretchCtl_ManTemp1, s);
  TestFrame f = rampFrame(401, 32, 100, 1, 10);  // codes 100..500 at scale 10, offset 0
  std::vector<uint8_t> g = e.gray(f);
  for (int x = 0; x <= 400; ++x) {
    const int code = 100 + x;
    if (code <= 200) {
      ASSERT_EQ(g[x], 0) << code;
    }
    if (code >= 400) {
      ASSERT_EQ(g[x], 255) << code;
    }
  }
  EXPECT_EQ(g[200], 127);  // code 300
  // Manual ends far outside int16 are held inside it.
  s.man_temp0 = -32768;
  s.man_temp1 = 32767;
  f.head.offset = -3000;
  e.set(StretchCtl_ManTemp0 | StretchCtl_ManTemp1, s);
  g = e.gray(f);
  for (int x = 1; x <= 400; ++x) ASSERT_GE(g[x], g[x - 1]);
}

TEST(Stretch, LevelTablesRiseWithCodeAndPheMapsTheMidCodeTo85) {
  for (int t : {1, 2, 3, 4}) {
    Engine e;
    e.set(StretchCtl_Type, type(t));
    TestFrame f = sceneFrame(160, 120, 3000, 100, t);
    e.gray(f);
    const StretchContextView v = e.view();
    for (int code = v.lowest + 1; code <= v.highest; ++code)
      ASSERT_GE(v.level[code], v.level[code - 1]) << "rule " << t << " code " << code;
    if (t == 1) {
      const int mid = std::min(v.mean + 100, v.highest - 1);
      EXPECT_EQ(v.level[mid], 85);
    }
  }
}

// A flat room at 25 degC (2500..2503 at scale 100) with a 3x3 cold spot (-500, centre -800) and a
// 3x3 hot spot (9000, centre 9500), each smaller than the tail count of 10. By hand, with the
// default settings (effective temp2gray 4): mean 2501, mid 2601, low tail 2500, high tail 2503;
// o = 85 - 4 x 101 / 10 = 45; 85 + 4 x (2503 - 2601) / 10 = 46 would put the hot spot below the
// room, so the upper part stays at 85. The plateau clips the four room codes alike, so they take
// 45 + 40 x (1, 2, 3, 4) / 4; both spots lie past the tails and take the part bounds.
TEST(Stretch, PheOnAFlatSceneKeepsHotAboveColdAndRisesWithCode) {
  TestFrame f = flatFrame(640, 512, 0);
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 640; ++x) f.at(x, y) = static_cast<int16_t>(2500 + (x + y) % 4);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      f.at(300 + dx, 170 + dy) = (dx || dy) ? 9000 : 9500;
      f.at(480 + dx, 341 + dy) = (dx || dy) ? -500 : -800;
    }
  Engine e;
  for (int n = 0; n < 3; ++n) {  // the smoothed bounds settle on the same values
    const std::vector<uint8_t> g = e.gray(f);
    const StretchContextView v = e.view();
    EXPECT_EQ(v.lowTail, 2500);
    EXPECT_EQ(v.highTail, 2503);
    EXPECT_EQ(v.mean, 2501);
    for (int code = v.lowest + 1; code <= v.highest; ++code)
      ASSERT_GE(v.level[code], v.level[code - 1]) << "code " << code;
    auto at = [&](int x, int y) { return int(g[static_cast<size_t>(y) * 640 + x]); };
    EXPECT_EQ(at(480, 341), 45);
    EXPECT_EQ(at(481, 341), 45);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(at(k, 0), 55 + 10 * k) << "room code " << 2500 + k;
    EXPECT_EQ(at(300, 170), 85);
    EXPECT_EQ(at(301, 170), 85);
  }
}

TEST(Stretch, RawRuleSwitchPoint) {
  for (int top : {16383, 16384}) {
    Engine e;
    TestFrame f = rampFrame(64, 64, 0, 4, 100);
    for (int i = 0; i < 64 * 64; ++i) f.codes[i] = static_cast<int16_t>((i * 3) % 16000);
    for (int i = 0; i < 200; ++i) f.codes[i] = static_cast<int16_t>(top);
    f.head.kind = 0;
    std::vector<uint8_t> g = e.gray(f);
    EXPECT_EQ(e.view().highest, top);
    const int shift = top == 16383 ? 6 : 7;
    for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(g[i], std::min(f.codes[i] >> shift, 255));
    // The histogram read-out sees cumulative counts: all bins add up to 1.
    float bins[16];
    ASSERT_EQ(strHist(e.c, bins, 16, -1, static_cast<int16_t>(top)), 16);
    double sum = 0;
    for (float b : bins) sum += b;
    EXPECT_NEAR(sum, 1.0, 1e-5);
    // Indexes past the code range are clamped.
    EXPECT_EQ(strHist(e.c, bins, 1, 32000, 32767), 1);
    EXPECT_EQ(strHist(e.c, bins, 0, 0, 1), 0);
    EXPECT_EQ(strHist(e.c, bins, 16385, 0, 1), 0);
  }
}

TEST(Stretch, HistogramBarChart) {
  const float v[4] = {1.0f, 0.5f, 0.0f, -2.0f};
  std::vector<uint8_t> img(4 * 10, 1);
  EXPECT_EQ(strHist2(v, 3, img.data(), 4, 10), -8);
  EXPECT_EQ(img[0], 1);
  ASSERT_EQ(strHist2(v, 4, img.data(), 4, 10), 0);
  for (int y = 0; y < 10; ++y) {
    EXPECT_EQ(img[y * 4 + 0], 0);
    EXPECT_EQ(img[y * 4 + 1], y >= 5 ? 0 : 255);
    EXPECT_EQ(img[y * 4 + 2], 255);
    EXPECT_EQ(img[y * 4 + 3], 255);
  }
  const float zero[4] = {0, 0, 0, 0};
  ASSERT_EQ(strHist2(zero, 4, img.data(), 4, 10), 0);
  for (uint8_t p : img) ASSERT_EQ(p, 255);
}

TEST(Stretch, IsothermModesAtTheirThresholds) {
  const std::vector<uint32_t> pal = whiteHot();
  Engine e;
  StretchCtl s = type(2);
  s.ct_type = 1;
  s.ct_temp0 = 300;
  s.ct_color0 = 0xFF0000FFu;  // red
  e.set(StretchCtl_Type | StretchCtl_ColorTemp, s);
  TestFrame f = rampFrame(201, 32, 200, 1, 10);  // codes 200..400
  std::vector<uint32_t> out = e.bgra(f, pal);
  std::vector<uint8_t> g = e.gray(f);
  const StretchContextView v = e.view();
  for (int x = 0; x <= 200; ++x) {
    const int code = 200 + x;
    ASSERT_EQ(out[x], code > 300 ? v.ramp0[g[x]] : pal[g[x]]) << code;
  }
  // Mode 4 at exactly thr1: BGRA keeps the palette, the planes take ramp 1.
  s.ct_type = 4;
  s.ct_temp0 = 250;
  s.ct_temp1 = 350;
  s.ct_color1 = 0xFF00FF00u;
  e.set(StretchCtl_ColorTemp, s);
  out = e.bgra(f, pal);
  std::vector<uint8_t> p0(f.codes.size()), p1(f.codes.size()), p2(f.codes.size());
  ASSERT_GE(strTemp2Yuv(e.c, f.codes.data(), &f.head, p0.data(), p1.data(), p2.data(), pal.data()), 0);
  const int at = 150;  // code 350
  EXPECT_EQ(out[at], pal[g[at]]);
  EXPECT_EQ(p1[at], static_cast<uint8_t>(v.ramp1[g[at]] >> 8));
  EXPECT_EQ(out[at + 1], v.ramp1[g[at + 1]]);
  EXPECT_EQ(out[49], v.ramp0[g[49]]);  // code 249 < 250
  EXPECT_EQ(out[50], pal[g[50]]);
}

TEST(Stretch, GrayEqualsWhiteHotBlueAndIdentityPlanes) {
  const std::vector<uint32_t> pal = whiteHot();
  for (int t : {1, 2, 3, 4})
    for (int dde : {0, 5}) {
      Engine e;
      StretchCtl s = type(t);
      s.ddeLevel = static_cast<uint8_t>(dde);
      s.smoothing = 0;
      e.set(StretchCtl_Type | StretchCtl_DdeLevel | StretchCtl_Smoothing, s);
      TestFrame f = sceneFrame(96, 64, -2000, 10, 3);
      const std::vector<uint8_t> g = e.gray(f);
      const std::vector<uint32_t> b = e.bgra(f, pal);
      std::vector<uint8_t> p0(g.size()), p1(g.size()), p2(g.size());
      ASSERT_GE(strTemp2Yuv(e.c, f.codes.data(), &f.head, p0.data(), p1.data(), p2.data(), pal.data()), 0);
      for (size_t i = 0; i < g.size(); ++i) {
        ASSERT_EQ(g[i], b[i] & 0xFF);
        ASSERT_EQ(g[i], p0[i]);
        ASSERT_EQ(g[i], p1[i]);
        ASSERT_EQ(g[i], p2[i]);
      }
    }
}

TEST(Stretch, IsothermRampsMatchPythonColorsys) {
  const uint32_t colours[] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFF3C8CDCu,
                              0xFF808080u, 0xFFFFFF00u, 0xFF102030u};
  std::string script =
      "import colorsys\n"
      "for c in [";
  for (uint32_t c : colours) script += std::to_string(c) + ",";
  script +=
      "]:\n"
      "  b, g, r = c & 255, (c >> 8) & 255, (c >> 16) & 255\n"
      "  h, s, v = colorsys.rgb_to_hsv(r / 255.0, g / 255.0, b / 255.0)\n"
      "  out = []\n"
      "  for i in range(256):\n"
      "    R, G, B = colorsys.hsv_to_rgb(h, s, i / 255.0)\n"
      "    out.append(int(B * 255) | int(G * 255) << 8 | int(R * 255) << 16 | 255 << 24)\n"
      "  print(' '.join(str(x) for x in out))\n";
  const std::string path =
      std::string(OSTREL_TEST_BINARY_DIR) + "/ramps_" + std::to_string(::getpid()) + ".py";
  FILE* fp = std::fopen(path.c_str(), "w");
  ASSERT_TRUE(fp);
  std::fputs(script.c_str(), fp);
  std::fclose(fp);
  FILE* py = ::popen((std::string(OSTREL_SYSTEM_PYTHON) + " " + path).c_str(), "r");
  ASSERT_TRUE(py);
  for (uint32_t c : colours) {
    Engine e;
    StretchCtl s{};
    s.ct_type = 1;
    s.ct_color0 = c;
    e.set(StretchCtl_ColorTemp, s);
    e.gray(flatFrame(8, 8, 0));  // settings apply with a frame
    const uint32_t* ramp = e.view().ramp0;
    for (int i = 0; i < 256; ++i) {
      unsigned long want = 0;
      ASSERT_EQ(std::fscanf(py, "%lu", &want), 1);
      if ((c & 0xFFFFFF) == 0x808080)
        want = static_cast<uint32_t>(i * 0x010101u) | 0xFF000000u;  // gray ramp i, i, i
      ASSERT_EQ(ramp[i], want) << std::hex << c << " entry " << std::dec << i;
    }
  }
  ::pclose(py);
  std::remove(path.c_str());
}

TEST(Stretch, FixedCostWalkKeepsResultsOfAFreshEngine) {
  // A wide frame followed by a narrow one gives what a fresh engine gives for the narrow one.
  for (int t : {1, 2, 3, 4}) {
    StretchCtl s = type(t);
    s.smoothing = 0;
    Engine a, b;
    a.set(StretchCtl_Type | StretchCtl_Smoothing, s);
    b.set(StretchCtl_Type | StretchCtl_Smoothing, s);
    TestFrame wide = noiseFrame(128, 64, 0, 30000, 4);
    a.gray(wide);
    TestFrame narrow = sceneFrame(128, 64, 1200, 100, 9);
    EXPECT_EQ(a.gray(narrow), b.gray(narrow)) << t;
    wide.head.kind = 0;
    a.gray(wide);
    a.gray(narrow);
    EXPECT_EQ(a.gray(narrow), b.gray(narrow)) << t;
  }
}

TEST(Stretch, ManualRangeAboveTheMidCodeKeepsGainIndexInTable) {
  Engine e;
  StretchCtl s = type(1);
  s.man_enable = 1;
  s.man_temp0 = -1000;
  s.man_temp1 = 305;  // clears everything from code 305 up: share 255
  e.set(StretchCtl_Type | StretchCtl_ManEnable | StretchCtl_ManTemp0 | StretchCtl_ManTemp1, s);
  TestFrame f = sceneFrame(64, 48, 300, 10);
  e.gray(f);
  const StretchContextView v = e.view();
  for (int code = v.lowest + 1; code <= v.highest; ++code) ASSERT_GE(v.level[code], v.level[code - 1]);
}

TEST(Stretch, BadFramesAndDetailSetupFailures) {
  Engine e;
  TestFrame f = flatFrame(64, 48, 1);
  f.head.width = 0;
  std::vector<uint8_t> out(64 * 48, 9);
  EXPECT_EQ(strTemp2Gray(e.c, f.codes.data(), &f.head, out.data()), -8);
  EXPECT_EQ(strTemp2Gray(e.c, nullptr, &f.head, out.data()), -8);
  // Detail on a 31-pixel-wide frame: -1, nothing written; with the detail off it is drawn.
  StretchCtl s{};
  s.ddeLevel = 1;
  e.set(StretchCtl_DdeLevel, s);
  TestFrame narrow = sceneFrame(31, 240, 100);
  int rc = 0;
  std::vector<uint8_t> g = e.gray(narrow, &rc);
  EXPECT_EQ(rc, -1);
  for (uint8_t v : g) ASSERT_EQ(v, 77);
  std::vector<uint32_t> bg(31 * 240, 5);
  const std::vector<uint32_t> pal = whiteHot();
  EXPECT_EQ(strTemp2Bgra(e.c, narrow.codes.data(), &narrow.head, bg.data(), pal.data()), -1);
  s.ddeLevel = 0;
  e.set(StretchCtl_DdeLevel, s);
  g = e.gray(narrow, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_NE(g[0], 77);
  // A failed detail allocation writes nothing and returns -2; the next frame succeeds.
  s.ddeLevel = 3;
  e.set(StretchCtl_DdeLevel, s);
  TestFrame big = sceneFrame(64, 64, 100);
  algFailAllocAfter(0);
  g = e.gray(big, &rc);
  algFailAllocAfter(-1);
  EXPECT_EQ(rc, -2);
  for (uint8_t v : g) ASSERT_EQ(v, 77);
  g = e.gray(big, &rc);
  EXPECT_EQ(rc, 0);
  // strCreate with no memory returns null.
  algFailAllocAfter(1);
  EXPECT_EQ(strCreate(), nullptr);
  algFailAllocAfter(-1);
}

TEST(Stretch, SettingsFromAnotherThreadNeverTearAFrame) {
  // One thread switches the isotherm colour back and forth; every frame shows one whole ramp.
  Engine e;
  StretchCtl s = type(2);
  s.ct_type = 1;
  s.ct_temp0 = -10000;
  s.ct_color0 = 0xFF0000FFu;
  e.set(StretchCtl_Type | StretchCtl_ColorTemp, s);
  TestFrame f = rampFrame(256, 32, 0, 10, 10);
  const std::vector<uint32_t> pal = whiteHot();
  e.bgra(f, pal);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    StretchCtl w = s;
    w.flags = StretchCtl_ColorTemp | StretchCtl_Gain;
    for (int i = 0; !stop.load(); ++i) {
      w.ct_color0 = i % 2 ? 0xFF00FF00u : 0xFF0000FFu;
      w.gain = i % 2 ? 1.0f : 5.0f;
      strSetCtl(e.c, &w);
    }
  });
  for (int frame = 0; frame < 200; ++frame) {
    const std::vector<uint32_t> out = e.bgra(f, pal);
    // Every pixel is pure red or pure green (a scaled ramp), all the same hue in one frame.
    const bool red = (out.back() & 0xFF0000u) != 0;
    for (uint32_t p : out) {
      const uint32_t other = red ? (p & 0x00FF00u) : (p & 0xFF0000u);
      ASSERT_EQ(other, 0u) << "frame " << frame;
    }
  }
  stop = true;
  writer.join();
}

// ---- Detail engine -------------------------------------------------------------------------

TEST(Detail, FlatFrameAddsNothingAndConstantsFollowTheScale) {
  for (int scale : {1, 5, 10, 100}) {
    Engine plain, detail;
    StretchCtl s{};
    s.ddeLevel = 8;
    detail.set(StretchCtl_DdeLevel, s);
    TestFrame f = flatFrame(64, 48, 2000, scale);
    EXPECT_EQ(detail.gray(f), plain.gray(f));
    const DetailEngine& d = *detail.view().detail;
    if (scale == 1) {
      EXPECT_EQ(d.switchG, 0);
      EXPECT_EQ(d.eps2, 0);
    } else {
      EXPECT_EQ(d.switchG, 15052);
    }
    EXPECT_EQ(d.g1, scale == 100 ? 8 * 1024 : 8 * 2048);
  }
}

TEST(Detail, CentringAndDenoiseLevels) {
  Engine e;
  StretchCtl s{};
  s.ddeLevel = 2;
  s.denoise = 1;
  e.set(StretchCtl_DdeLevel | StretchCtl_Denoise, s);
  TestFrame f = noiseFrame(64, 48, 1000, 300, 5);
  e.gray(f);
  EXPECT_EQ(e.view().detail->c0, 0);
  // Denoise 1 keeps the whole detail: the denoised codes are the codes.
  for (size_t i = 0; i < f.codes.size(); ++i) ASSERT_EQ(e.view().detail->denoised[i], f.codes[i]);
  TestFrame hot = noiseFrame(64, 48, 6500, 600, 6);
  e.gray(hot);
  const StretchContextView v = e.view();
  EXPECT_GT(v.highTail, 6144);
  EXPECT_EQ(v.detail->c0, (v.lowTail + v.highTail) / 2);
}

TEST(Detail, DenoisedCodesMatchPublishedEquationsWithOutliers) {
  // Level 8 keeps 1/128 of the detail, so the denoised code is the guided-filter output. Outliers
  // near +-30000 on a frame near 0 push the windows' sums of squares past 32 bits (with or
  // without centring, which the comparison does not depend on).
  Engine e;
  StretchCtl s{};
  s.ddeLevel = 1;
  s.denoise = 8;
  e.set(StretchCtl_DdeLevel | StretchCtl_Denoise, s);
  TestFrame f = noiseFrame(64, 48, 100, 60, 7, 10);
  f.at(20, 20) = 30000;
  f.at(21, 20) = 29000;
  f.at(20, 21) = 30000;  // the three squares sum past 2^31
  f.at(40, 30) = -29000;
  e.gray(f);
  const StretchContextView v = e.view();
  // Scale 10: eps1 = 400.
  std::vector<double> ref(f.codes.size()), localMean(f.codes.size());
  {
    const int w = 64, h = 48, r = 3;
    std::vector<double> a(w * h), b(w * h);
    auto mir = [](int i, int n) { return mirrorIndex(i, n); };
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double s1 = 0, s2 = 0;
        for (int dy = -r; dy <= r; ++dy)
          for (int dx = -r; dx <= r; ++dx) {
            const double c = f.at(mir(x + dx, w), mir(y + dy, h));
            s1 += c, s2 += c * c;
          }
        const double mean = s1 / 49, var = s2 / 49 - mean * mean;
        localMean[y * w + x] = mean;
        a[y * w + x] = var / (var + 400);
        b[y * w + x] = mean - a[y * w + x] * mean;
      }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double sa = 0, sb = 0;
        for (int dy = -r; dy <= r; ++dy)
          for (int dx = -r; dx <= r; ++dx) {
            sa += a[mir(y + dy, h) * w + mir(x + dx, w)];
            sb += b[mir(y + dy, h) * w + mir(x + dx, w)];
          }
        ref[y * w + x] = std::clamp(sa / 49 * f.at(x, y) + sb / 49, double(v.lowest), double(v.highest));
      }
  }
  // The coefficients a are kept in 1/1024, which moves the output by up to |I - mean_j| / 1024
  // over the windows j around the pixel.
  for (size_t i = 0; i < ref.size(); ++i) {
    const double m = std::fabs(f.codes[i] - ref[i]);
    const int x = static_cast<int>(i % 64), y = static_cast<int>(i / 64);
    double quant = 0;
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx)
        quant = std::max(
            quant,
            std::fabs(f.codes[i] - localMean[mirrorIndex(y + dy, 48) * 64 + mirrorIndex(x + dx, 64)]) / 1024);
    ASSERT_NEAR(v.detail->denoised[i], ref[i], 2.0 + m / 128 + quant) << i;
  }
}

TEST(Detail, HotPixelStaysHotAndVectorPathMatches) {
  TestFrame f = noiseFrame(64, 48, 0, 20, 8, 10);
  f.at(30, 30) = 32767;
  std::vector<uint8_t> out[2];
  for (int simd = 0; simd < 2; ++simd) {
    setSimdLevel(simd == 1 ? SimdLevel::Sse2 : SimdLevel::Scalar);
    Engine e;
    StretchCtl s = type(2);
    s.ddeLevel = 8;
    e.set(StretchCtl_Type | StretchCtl_DdeLevel, s);
    out[simd] = e.gray(f);
  }
  setSimdLevel(simdBestLevel());
  EXPECT_EQ(out[0], out[1]);
  EXPECT_EQ(out[1][30 * 64 + 30], 255);
}

TEST(Detail, TurningDenoiseOffRebuildsTheSecondTable) {
  TestFrame f = sceneFrame(96, 64, 500, 10, 12);
  StretchCtl s{};
  s.ddeLevel = 4;
  s.smoothing = 0;
  Engine fresh;
  fresh.set(StretchCtl_DdeLevel | StretchCtl_Smoothing, s);
  const std::vector<uint8_t> want = fresh.gray(f);
  Engine toggled;
  s.denoise = 2;
  toggled.set(StretchCtl_DdeLevel | StretchCtl_Smoothing | StretchCtl_Denoise, s);
  toggled.gray(f);
  s.denoise = 0;
  toggled.set(StretchCtl_Denoise, s);
  EXPECT_EQ(toggled.gray(f), want);
}
