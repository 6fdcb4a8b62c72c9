// Every kernel level gives the scalar reference's integers: the guided core's two passes on
// planes down to 1 x 1 (where every window is mirrored over and over), and the filters of the
// preview (denoise, destripe, detail enhancement with and without its denoise) on random frames
// of odd sizes, with each level forced in turn.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "SimdGuard.h"
#include "alg/image/GuidedCore.h"

using namespace ostrel::alg;
using namespace ostrel::test;

namespace {

struct Size {
  int w, h;
};
constexpr Size kOddSizes[] = {{1, 1}, {7, 3}, {641, 513}, {1280, 1024}};

// Random codes: a smooth field with noise of the given amplitude, a few hard edges, and
// (extremes) stretches of the int16 limits.
std::vector<int16_t> randomCodes(int w, int h, int base, int amplitude, uint32_t seed, bool extremes) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> noise(-amplitude, amplitude);
  std::vector<int16_t> c(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int v = base + noise(rng) + ((x / 37 + y / 23) % 3) * amplitude;
      if (extremes && (x * 7 + y * 3) % 101 == 0) v = (x + y) % 2 ? 32767 : -32768;
      c[static_cast<size_t>(y) * w + x] = static_cast<int16_t>(std::clamp(v, -32768, 32767));
    }
  return c;
}

// Both passes of the core on one plane, for one level; returns every plane and row they wrote.
struct CoreOut {
  std::vector<int32_t> a, b, sa;
  std::vector<int64_t> sb;
};

template <class In>
CoreOut runCore(const std::vector<In>& guide, int w, int h, int r, int filters, SimdLevel level) {
  setSimdLevel(level);
  std::vector<int32_t> mx(w + 2 * r), my(h + 2 * r);
  fillMirror(mx.data(), w, r, 1);
  fillMirror(my.data(), h, r, w);
  BoxPlan p;
  p.w = w, p.h = h, p.r = r, p.mx = mx.data(), p.my = my.data();
  const int64_t n = int64_t(2 * r + 1) * (2 * r + 1);
  // Small tables so that high variances take the formula past the table's end.
  std::vector<uint16_t> t0(4096), t1(1 << 20);
  GuidedCoef coef[2];
  fillReciprocal(t0.data(), t0.size(), n * n * 25);
  fillReciprocal(t1.data(), t1.size(), n * n * 400);
  coef[0] = {t0.data(), int64_t(t0.size()), n * n * 25};
  coef[1] = {t1.data(), int64_t(t1.size()), n * n * 400};
  GuidedPlanes g;
  Carver measure(nullptr);
  g.carve(measure, w, h, filters);
  void* block = algAllocZeroed(measure.used());
  Carver c(block);
  g.carve(c, w, h, filters);
  guidedCoefficients(guide.data(), p, g, filters, coef);
  CoreOut out;
  const size_t pixels = size_t(w) * h;
  for (int f = 0; f < filters; ++f) {
    out.a.insert(out.a.end(), g.a[f], g.a[f] + pixels);
    out.b.insert(out.b.end(), g.b[f], g.b[f] + pixels);
  }
  guidedWindowSums(p, g, filters, [&](int, GuidedPlanes& gp) {
    for (int f = 0; f < filters; ++f) {
      out.sa.insert(out.sa.end(), gp.accA[f], gp.accA[f] + w);
      out.sb.insert(out.sb.end(), gp.accB[f], gp.accB[f] + w);
    }
  });
  algFree(block);
  return out;
}

template <class In>
void expectCoreLevelsAgree(const std::vector<In>& guide, int w, int h, int r, int filters, const std::string& what) {
  const CoreOut ref = runCore(guide, w, h, r, filters, SimdLevel::Scalar);
  for (SimdLevel level : kLevels) {
    if (level == SimdLevel::Scalar) continue;
    const CoreOut got = runCore(guide, w, h, r, filters, level);
    EXPECT_TRUE(got.a == ref.a) << what << " level " << int(level);
    EXPECT_TRUE(got.b == ref.b) << what << " level " << int(level);
    EXPECT_TRUE(got.sa == ref.sa) << what << " level " << int(level);
    EXPECT_TRUE(got.sb == ref.sb) << what << " level " << int(level);
  }
}

}  // namespace

TEST(KernelLevels, GuidedCorePassesMatchTheScalarReferenceOnOddPlanes) {
  SimdGuard guard;
  for (const Size s : kOddSizes) {
    for (int r : {1, 3, 16}) {
      if (s.w * s.h > 700000 && r != 3) continue;  // the largest plane once, at the detail radius
      const std::string what = std::to_string(s.w) + "x" + std::to_string(s.h) + " r" + std::to_string(r);
      const std::vector<int16_t> codes = randomCodes(s.w, s.h, 3000, 400, s.w * 31 + r, true);
      expectCoreLevelsAgree(codes, s.w, s.h, r, 2, what + " int16");
      // Centred codes span more than 16 bits.
      std::vector<int32_t> wide(codes.size());
      for (size_t i = 0; i < codes.size(); ++i) wide[i] = codes[i] * 2 + (i % 5 == 0 ? 1 : 0);
      expectCoreLevelsAgree(wide, s.w, s.h, r, 1, what + " int32");
    }
  }
}

namespace {

std::vector<int16_t> denoiseAt(SimdLevel level, const DenoiseInfoRecord& rec, std::vector<int16_t> codes) {
  setSimdLevel(level);
  DenoiseState* s = IRDenoise_Create();
  EXPECT_EQ(IRDenoise_SetConfig(s, &rec), 0);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), rec.width, rec.height), 0);
  IRDenoise_Free(&s);
  return codes;
}

}  // namespace

TEST(KernelLevels, DenoiseMatchesTheScalarReference) {
  SimdGuard guard;
  const Size sizes[] = {{33, 32}, {641, 513}, {1280, 1024}};
  for (const Size s : sizes) {
    for (int radius : {1, 2, 16}) {
      DenoiseInfoRecord rec{};
      rec.type = 1;
      rec.width = uint16_t(s.w);
      rec.height = uint16_t(s.h);
      rec.gf_radius = uint16_t(radius);
      rec.gf_regular = int16_t(radius == 16 ? 40 : 10);
      for (int kind : {0, 1, 2, 3}) {
        const bool extremes = kind == 1;
        auto codes = randomCodes(s.w, s.h, extremes ? 0 : 2500, extremes ? 9000 : 40, s.w + radius, extremes);
        if (kind == 2) {
          // Flat blocks at both ends of the code range: there a = 0 and b is the whole window
          // sum, the largest offsets the filter meets.
          for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x)
              codes[size_t(y) * s.w + x] = ((x / 40 + y / 40) % 2) ? int16_t(32767) : int16_t(-32768);
        }
        if (kind == 3) {
          // The widest span whose centred window sums of squares still fit 32 bits: flat blocks
          // at both of its ends (the largest sums) and noise between them.
          const int64_t n = int64_t(2 * radius + 1) * (2 * radius + 1);
          int reach = 0;
          while (n * (reach + 1) * (reach + 1) < (int64_t(1) << 31)) ++reach;
          for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x) {
              int16_t& v = codes[size_t(y) * s.w + x];
              const int cell = (x / 37 + y / 29) % 3;
              v = int16_t(cell == 0 ? 1000 - reach : cell == 1 ? 1000 + reach : 1000 + (v - 2500) * reach / 120);
            }
        }
        const auto ref = denoiseAt(SimdLevel::Scalar, rec, codes);
        for (SimdLevel level : kLevels)
          EXPECT_TRUE(denoiseAt(level, rec, codes) == ref)
              << s.w << "x" << s.h << " r" << radius << " input " << kind << " level " << int(level);
      }
    }
  }
}

namespace {

// BGRA of one frame at one level through a fresh stretch engine with detail enhancement.
std::vector<uint32_t> stretchAt(SimdLevel level, const TestFrame& f, int dde, int denoise) {
  setSimdLevel(level);
  StretchContext* c = strCreate();
  StretchCtl ctl{};
  ctl.flags = StretchCtl_DdeLevel | StretchCtl_Denoise;
  ctl.ddeLevel = uint8_t(dde);
  ctl.denoise = uint8_t(denoise);
  EXPECT_EQ(strSetCtl(c, &ctl), 0);
  std::vector<uint32_t> pal(256), out(f.codes.size());
  for (uint32_t i = 0; i < 256; ++i) pal[i] = i * 0x010101u | 0xFF000000u;
  // Two frames: the second runs on tables and planes the first laid out.
  for (int k = 0; k < 2; ++k) EXPECT_GE(strTemp2Bgra(c, f.codes.data(), &f.head, out.data(), pal.data()), 0);
  strFree(c);
  return out;
}

}  // namespace

TEST(KernelLevels, StretchAndDetailEnhancementMatchTheScalarReference) {
  SimdGuard guard;
  const Size sizes[] = {{33, 35}, {641, 513}, {1280, 1024}};
  for (const Size s : sizes) {
    for (int scale : {1, 10, 100}) {
      // The full-size frame only adds its size to what the smaller ones cover: one scale is enough.
      if (s.w == 1280 && scale != 100) continue;
      // Near 0 the codes guide as they are; far from it they are centred first (32-bit guide).
      // Base 2501: quiet patches among noisy ones, so that the second filter takes the quiet
      // windows and many registers hold lanes of both filters.
      for (int base : {2500, 20000, 2501}) {
        TestFrame f = flatFrame(s.w, s.h, 0, scale);
        f.codes = randomCodes(s.w, s.h, base, scale == 1 ? 20 : 600, s.w + scale + base, base == 20000);
        if (base == 2501)
          for (int y = 0; y < s.h; ++y)
            for (int x = 0; x < s.w; ++x)
              if ((x / 9 + y / 7) % 3 != 0) f.at(x, y) = int16_t(base + (x * 7 + y * 13) % 3);
        // Detail off, on, on with its denoise; and a raw frame (kind 0) with detail off.
        const int settings[][3] = {{0, 0, 2}, {8, 0, 2}, {8, 3, 2}, {0, 0, 0}};
        for (const auto& st : settings) {
          f.head.kind = uint8_t(st[2]);
          const auto ref = stretchAt(SimdLevel::Scalar, f, st[0], st[1]);
          for (SimdLevel level : kLevels)
            EXPECT_TRUE(stretchAt(level, f, st[0], st[1]) == ref)
                << s.w << "x" << s.h << " scale " << scale << " base " << base << " detail " << st[0] << " denoise "
                << st[1] << " kind " << st[2] << " level " << int(level);
        }
      }
    }
  }
}

namespace {

std::vector<int16_t> destripeAt(SimdLevel level, const DestripInfoRecord& rec, std::vector<int16_t> codes, int frames) {
  setSimdLevel(level);
  DestripState* s = IRDestrip_Create();
  EXPECT_EQ(IRDestrip_SetConfig(s, &rec), 0);
  for (int k = 0; k < frames; ++k) EXPECT_EQ(IRDestrip_Execute(s, codes.data(), rec.width, rec.height, 1), 0);
  IRDestrip_Free(&s);
  return codes;
}

}  // namespace

TEST(KernelLevels, DestripeMatchesTheScalarReference) {
  SimdGuard guard;
  const Size sizes[] = {{81, 61}, {641, 513}, {1280, 1024}};
  for (const Size s : sizes) {
    for (int type : {1, 2}) {
      DestripInfoRecord rec{};
      rec.type = uint16_t(type);
      rec.width = uint16_t(s.w);
      rec.height = uint16_t(s.h);
      rec.s0_radius = uint16_t(type == 2 ? 4 : 16);
      rec.s0_regular = 60;
      rec.s1_radius = uint16_t(type == 2 ? 8 : 1);
      rec.s1_regular = 1;
      rec.sub_y = uint16_t(type == 2 ? 1 : 3);
      rec.sub_t = 1;
      for (bool extremes : {false, true}) {
        auto codes = randomCodes(s.w, s.h, 2500, extremes ? 8000 : 30, s.w + type, extremes);
        for (int x = 0; x < s.w; ++x)
          for (int y = 0; y < s.h; ++y) codes[size_t(y) * s.w + x] = int16_t(codes[size_t(y) * s.w + x] + (x % 2 ? 9 : -9));
        const auto ref = destripeAt(SimdLevel::Scalar, rec, codes, 2);
        for (SimdLevel level : kLevels)
          EXPECT_TRUE(destripeAt(level, rec, codes, 2) == ref)
              << s.w << "x" << s.h << " type " << type << " extremes " << extremes << " level " << int(level);
      }
    }
  }
}
