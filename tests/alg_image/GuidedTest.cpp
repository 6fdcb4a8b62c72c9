// Denoise filter and the shared guided-filter core, checked against the published guided-filter
// equations (a = var / (var + eps), q = mean_a I + mean_b) computed in double precision.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "alg/image/GuidedAvx2.h"
#include "alg/image/GuidedCore.h"

using namespace ostrel::alg;
using namespace ostrel::test;

namespace {

// Reflection by walking: step outside, bounce at the edges (the edge pixel repeated).
int walkMirror(int i, int n) {
  while (i < 0 || i >= n) i = i < 0 ? -i - 1 : 2 * n - i - 1;
  return i;
}

// Published guided filter with the guide equal to the input, mirrored borders.
std::vector<double> referenceGuided(const std::vector<int16_t>& in, int w, int h, int r, double eps) {
  const double n = (2.0 * r + 1) * (2 * r + 1);
  std::vector<double> a(in.size()), b(in.size()), q(in.size());
  auto win = [&](auto f, int x, int y) {
    double s = 0;
    for (int dy = -r; dy <= r; ++dy)
      for (int dx = -r; dx <= r; ++dx) s += f(walkMirror(x + dx, w), walkMirror(y + dy, h));
    return s / n;
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double m = win([&](int xx, int yy) { return double(in[yy * w + xx]); }, x, y);
      const double m2 = win([&](int xx, int yy) { return double(in[yy * w + xx]) * in[yy * w + xx]; }, x, y);
      const double var = m2 - m * m;
      a[y * w + x] = var / (var + eps);
      b[y * w + x] = m - a[y * w + x] * m;
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double ma = win([&](int xx, int yy) { return a[yy * w + xx]; }, x, y);
      const double mb = win([&](int xx, int yy) { return b[yy * w + xx]; }, x, y);
      q[y * w + x] = ma * in[y * w + x] + mb;
    }
  return q;
}

DenoiseInfoRecord record(int type, int w, int h, int radius, int strength) {
  DenoiseInfoRecord r{};
  r.type = static_cast<int16_t>(type);
  r.width = static_cast<uint16_t>(w);
  r.height = static_cast<uint16_t>(h);
  r.gf_radius = static_cast<uint16_t>(radius);
  r.gf_regular = static_cast<int16_t>(strength);
  return r;
}

std::vector<int16_t> denoise(const DenoiseInfoRecord& rec, std::vector<int16_t> codes) {
  DenoiseState* s = IRDenoise_Create();
  EXPECT_EQ(IRDenoise_SetConfig(s, &rec), 0);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), rec.width, rec.height), 0);
  IRDenoise_Free(&s);
  EXPECT_EQ(s, nullptr);
  return codes;
}

double stddev(const std::vector<int16_t>& v) {
  double m = 0, m2 = 0;
  for (int16_t c : v) m += c, m2 += double(c) * c;
  m /= v.size();
  return std::sqrt(m2 / v.size() - m * m);
}

}  // namespace

TEST(GuidedCore, MirrorReflectsRepeatedlyOverNarrowPlanes) {
  for (int n : {1, 2, 3, 8, 33})
    for (int i = -100; i < 140; ++i) ASSERT_EQ(mirrorIndex(i, n), walkMirror(i, n)) << i << " " << n;
}

TEST(GuidedCore, MagicDivisorMatchesDivisionExhaustively) {
  // Every column-average divisor (window 3..33) over every sum of up to 33 int16 values.
  for (int32_t d = 3; d <= 33; d += 2) {
    MagicDiv m;
    m.set(d);
    for (int32_t n = -33 * 32768; n <= 33 * 32767; ++n)
      if (m(n) != n / d) FAIL() << n << " / " << d;
  }
  for (int32_t d : {1, -1, 2, 7, -5, 641, 1000003}) {
    MagicDiv m;
    m.set(d);
    std::mt19937 rng(d & 0xFFFF);
    for (int i = 0; i < 200000; ++i) {
      const int32_t n = static_cast<int32_t>(rng());
      if (n == INT32_MIN && d == -1) continue;
      ASSERT_EQ(m(n), n / d) << n << " / " << d;
    }
  }
}

namespace {

// Lanes of the 32-bit coefficient that differ from the 64-bit formula, over every index below 2^21.
template <bool Small>
__attribute__((target("avx2"))) long coefEpi32Mismatches(int64_t c) {
  const CoefEpi32 plan = coefEpi32Plan<Small>(c);
  alignas(32) int32_t got[8];
  long bad = 0;
  for (int32_t v0 = 0; v0 < (1 << 21); v0 += 8) {
    const __m256i v = _mm256_add_epi32(_mm256_set1_epi32(v0), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
    _mm256_store_si256(reinterpret_cast<__m256i*>(got), coefEpi32<Small>(v, plan));
    for (int l = 0; l < 8; ++l) {
      const int64_t vv = v0 + l;
      bad += got[l] != ((vv << 20) / (c + 1024 * vv));
    }
  }
  return bad;
}

// Lanes of the 32-bit offset S1 - floor(S1 a / 1024) that differ from 64-bit arithmetic, for every
// a and window sums of up to 1089 (Small: 63) int16 codes (steps of 1021 and the extremes).
template <bool Small>
__attribute__((target("avx2"))) long offsetEpi32Mismatches() {
  alignas(32) int32_t got[8];
  long bad = 0;
  const int64_t reach = (Small ? 63 : 1089) * int64_t{32768};
  for (int64_t s1 = -reach; s1 <= reach; s1 += (s1 > -reach + 4096 && s1 < reach - 4096) ? 1021 : 1) {
    for (int32_t a0 = 0; a0 <= 1024; a0 += 8) {
      const __m256i a =
          _mm256_min_epi32(_mm256_add_epi32(_mm256_set1_epi32(a0), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)),
                           _mm256_set1_epi32(1024));
      _mm256_store_si256(reinterpret_cast<__m256i*>(got),
                         offsetEpi32<Small>(_mm256_set1_epi32(int32_t(s1)), a));
      for (int l = 0; l < 8; ++l) {
        const int64_t av = std::min(a0 + l, 1024);
        bad += got[l] != s1 - ((s1 * av) >> 10);
      }
    }
  }
  return bad;
}

}  // namespace

TEST(GuidedCore, ThirtyTwoBitCoefficientAndOffsetAreExact) {
  if (simdBestLevel() < SimdLevel::Avx2) GTEST_SKIP() << "no AVX2";
  // The filters' window sizes times their regularisations, and the ends of the range.
  for (int64_t c :
       std::initializer_list<int64_t>{1, 2, 1023, 1024, 1025, 62500, 240100, 960400, kCoefEpi32SmallC - 1,
                                      96040000, 1185921 * 900, kCoefEpi32MaxC - 1, kCoefEpi32MaxC}) {
    EXPECT_EQ(coefEpi32Mismatches<false>(c), 0) << "c " << c;
    if (c < kCoefEpi32SmallC) {
      EXPECT_EQ(coefEpi32Mismatches<true>(c), 0) << "small c " << c;
    }
  }
  EXPECT_EQ(offsetEpi32Mismatches<false>(), 0);
  EXPECT_EQ(offsetEpi32Mismatches<true>(), 0);
}

TEST(GuidedCore, FoldedOutputRowsMatchTheReferenceFormulasAtTheirBounds) {
  if (simdBestLevel() < SimdLevel::Avx2) GTEST_SKIP() << "no AVX2";
  // Column sums anywhere in their ranges (a in 0..1024, b within the offsets of codes of +-65535,
  // both ends included), so the window sums reach the bounds the kernels rely on.
  std::mt19937 rng(11);
  for (int r : {1, 2, 3, 6}) {
    const int w = 203, taps = 2 * r + 1;
    const int64_t n = int64_t(taps) * taps, nn = n * n;
    std::vector<int32_t> mx(w + 2 * r);
    fillMirror(mx.data(), w, r, 1);
    BoxPlan p;
    p.w = w, p.h = 1, p.r = r, p.mx = mx.data();
    const int64_t bMax = taps * (n * 65535 + 1);
    auto column = [&](int64_t lo, int64_t hi) {
      std::vector<int32_t> c(w + 3 * GuidedPlanes::kMargin);
      for (int x = 0; x < w; ++x) {
        const uint32_t pick = rng() % 8;
        c[GuidedPlanes::kMargin + x] = int32_t(pick == 0   ? lo
                                               : pick == 1 ? hi
                                                           : lo + int64_t(rng() % uint64_t(hi - lo + 1)));
      }
      return c;
    };
    auto window = [&](const std::vector<int32_t>& c, int x) {
      int64_t s = 0;
      for (int i = -r; i <= r; ++i) s += c[GuidedPlanes::kMargin + mx[x + r + i]];
      return s;
    };
    for (int round = 0; round < 40; ++round) {
      auto ca1 = column(0, 1024 * taps), cb1 = column(-bMax, bMax), ca2 = column(0, 1024 * taps),
           cb2 = column(-bMax, bMax);
      std::vector<int32_t> v(w);
      std::vector<int16_t> v16(w);
      for (int x = 0; x < w; ++x) {
        v[x] = round % 2 ? int32_t(rng() % 131071) - 65535 : int32_t(rng() % 65536) - 32768;
        if (rng() % 9 == 0) v[x] = round % 2 ? (x % 2 ? 65535 : -65535) : (x % 2 ? 32767 : -32768);
        v16[x] = int16_t(std::clamp(v[x], -32768, 32767));
      }
      DetailRowArgs k;
      k.n = n, k.nn = nn, k.gn1 = 2048 * (1 + round % 16) / n, k.gn2 = 1024 * (1 + round % 5) / n;
      k.switchG = round % 3 == 0 ? 0 : 512 * n, k.shiftDn = round % 8, k.c0 = round % 2 ? 3000 : 0;
      k.lowest = -20000, k.highest = 25000;
      const bool dn = round % 4 == 3;
      std::vector<int16_t> det(w), den(w, 0), row(v16);
      auto c1 = ca1, d1 = cb1, c2 = ca2, d2 = cb2;  // the kernels lay the margins out in place
      auto at = [](std::vector<int32_t>& c) { return c.data() + GuidedPlanes::kMargin; };
      if (round % 2)
        detailRowColumnsAvx2(v.data(), at(c1), at(d1), at(c2), at(d2), det.data(), dn ? den.data() : nullptr,
                             p, k);
      else
        detailRowColumnsAvx2(v16.data(), at(c1), at(d1), at(c2), at(d2), det.data(),
                             dn ? den.data() : nullptr, p, k);
      auto c3 = ca1, d3 = cb1;
      denoiseRowColumnsAvx2(row.data(), at(c3), at(d3), p);
      for (int x = 0; x < w; ++x) {
        const int64_t vv = round % 2 ? v[x] : v16[x];
        const bool second = !dn && window(ca1, x) < k.switchG;
        const int64_t sa = window(second ? ca2 : ca1, x), sb = window(second ? cb2 : cb1, x);
        const int64_t t = ((n * vv * sa) >> 10) + sb;
        const int64_t base = t / nn - ((t % nn != 0 && t < 0) ? 1 : 0);
        const int64_t mm = vv - base;
        ASSERT_EQ(det[x], sat16((sa * mm * (second ? k.gn2 : k.gn1)) >> 20))
            << "r " << r << " round " << round << " x " << x;
        if (dn) {
          ASSERT_EQ(den[x], std::clamp<int64_t>((mm >> k.shiftDn) + base + k.c0, k.lowest, k.highest)) << x;
        }
        const int64_t sa1 = window(ca1, x), t1 = ((n * int64_t(v16[x]) * sa1) >> 10) + window(cb1, x);
        ASSERT_EQ(row[x], sat16(t1 / nn - ((t1 % nn != 0 && t1 < 0) ? 1 : 0))) << "r " << r << " x " << x;
      }
    }
  }
}

TEST(GuidedCore, FloorDivisionIsExact) {
  std::mt19937_64 rng(5);
  for (int64_t d : {1LL, 81LL, 2401LL, 1185921LL}) {
    FloorDiv f;
    f.set(d);
    // Wide values (the exact fallback), values the filters produce (the reciprocal path), and the
    // multiples of d and their neighbours where a rounded reciprocal would slip.
    for (int i = 0; i < 600000; ++i) {
      int64_t x;
      if (i % 3 == 0) {
        x = static_cast<int64_t>(rng() % (1ULL << 50)) - (1LL << 49);
      } else if (i % 3 == 1) {
        x = static_cast<int64_t>(rng() % (static_cast<uint64_t>(d) << 22)) - (d << 21);
      } else {
        x = (static_cast<int64_t>(rng() % (1ULL << 22)) - (1LL << 21)) * d + static_cast<int64_t>(rng() % 3) -
            1;
      }
      const int64_t want = x / d - ((x % d != 0 && x < 0) ? 1 : 0);
      ASSERT_EQ(f(x), want) << x << " / " << d;
    }
    for (int64_t x :
         {INT64_MIN, INT64_MAX, -(d << 20), -(d << 20) + 1, (d << 20) - 1, int64_t(0), int64_t(-1)})
      ASSERT_EQ(f(x), x / d - ((x % d != 0 && x < 0) ? 1 : 0)) << x << " / " << d;
  }
}

TEST(Denoise, MatchesPublishedEquationsIncludingCodesNear30000AtRadius16) {
  const int w = 64, h = 48;
  struct Case {
    int16_t base;
    int amplitude, radius, strength;
  };
  // Amplitudes give variances both well above and near eps; bases near +-30000 overflow 32-bit
  // sums of squares from radius 2 on.
  const Case cases[] = {{0, 300, 1, 10},     {9300, 300, 2, 10},  {30000, 300, 16, 10}, {-30000, 300, 16, 10},
                        {30000, 40, 16, 40}, {-30000, 40, 5, 40}, {30000, 40, 2, 40},   {1000, 60, 3, 25}};
  for (const Case& c : cases) {
    TestFrame f = noiseFrame(w, h, c.base, c.amplitude, 11 + c.radius);
    const std::vector<double> ref = referenceGuided(f.codes, w, h, c.radius, double(c.strength) * c.strength);
    const std::vector<int16_t> out = denoise(record(1, w, h, c.radius, c.strength), f.codes);
    double worst = 0;
    for (size_t i = 0; i < out.size(); ++i) worst = std::max(worst, std::fabs(out[i] - ref[i]));
    EXPECT_LE(worst, 2.0) << "base " << c.base << " radius " << c.radius << " strength " << c.strength;
  }
}

TEST(Denoise, FlatStaysFlatEdgeIsKeptAndSmallNoiseShrinks) {
  for (int type : {1, 2, 3})
    for (int16_t code : {int16_t(-30000), int16_t(123), int16_t(30000)}) {
      TestFrame f = flatFrame(64, 48, code);
      for (int16_t v : denoise(record(type, 64, 48, 16, 40), f.codes)) ASSERT_EQ(v, code) << type;
    }
  // A 4000-code step (variance far above eps) survives within a few codes.
  TestFrame step = stepFrame(64, 48, 1000, 5000);
  std::vector<int16_t> out = denoise(record(1, 64, 48, 2, 10), step.codes);
  for (int y = 0; y < 48; ++y) {
    EXPECT_NEAR(out[y * 64 + 31], 1000, 8);
    EXPECT_NEAR(out[y * 64 + 32], 5000, 8);
  }
  // Noise of +-5 codes against sqrt(eps) = 40 is mostly removed.
  TestFrame noise = noiseFrame(64, 48, 2000, 5, 3);
  out = denoise(record(1, 64, 48, 3, 40), noise.codes);
  EXPECT_LT(stddev(out), 0.3 * stddev(noise.codes));
}

TEST(Denoise, VectorAndScalarPathsAreIdentical) {
  for (int type : {1, 2, 3}) {
    TestFrame f = noiseFrame(100, 70, 20000, 3000, 9);
    setSimdLevel(SimdLevel::Scalar);
    const std::vector<int16_t> scalar = denoise(record(type, 100, 70, 7, 20), f.codes);
    setSimdLevel(simdBestLevel());
    const std::vector<int16_t> simd = denoise(record(type, 100, 70, 7, 20), f.codes);
    EXPECT_EQ(scalar, simd) << type;
  }
}

TEST(Denoise, TypesAndSubsampledSizes) {
  TestFrame f = noiseFrame(66, 50, 500, 200, 4);  // not a multiple of 2 or 4
  // Types above 3 act as full resolution.
  EXPECT_EQ(denoise(record(7, 66, 50, 3, 10), f.codes), denoise(record(1, 66, 50, 3, 10), f.codes));
  // The quarter radius of 1 and of 3 is raised to 1.
  EXPECT_EQ(denoise(record(3, 66, 50, 1, 10), f.codes), denoise(record(3, 66, 50, 3, 10), f.codes));
  // The last columns and rows use the last cell; a noisy frame is smoothed there too.
  std::vector<int16_t> out = denoise(record(3, 66, 50, 8, 40), f.codes);
  EXPECT_NE(out, f.codes);
  TestFrame flat = flatFrame(66, 50, -7);
  for (int16_t v : denoise(record(2, 66, 50, 5, 3), flat.codes)) ASSERT_EQ(v, -7);
}

TEST(Denoise, RecordChecksAndStates) {
  DenoiseInfoRecord r = record(1, 640, 512, 2, 10);
  EXPECT_EQ(IRDenoise_IsValid(&r), 1);
  for (int s : {0, 41}) {
    r.gf_regular = static_cast<int16_t>(s);
    EXPECT_EQ(IRDenoise_IsValid(&r), 0);
  }
  r = record(1, 31, 512, 2, 10);
  EXPECT_EQ(IRDenoise_IsValid(&r), 0);
  r = record(0, 32, 32, 16, 1);
  EXPECT_EQ(IRDenoise_IsValid(&r), 1);  // the type plays no part
  r = record(1, 32, 32, 17, 1);
  EXPECT_EQ(IRDenoise_IsValid(&r), 0);

  DenoiseState* s = IRDenoise_Create();
  std::vector<int16_t> codes(640 * 512, 100);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), 640, 512), -7);  // unconfigured
  DenoiseInfoRecord bad = record(1, 640, 512, 2, 41);
  EXPECT_EQ(IRDenoise_SetConfig(s, &bad), -8);
  DenoiseInfoRecord good = record(1, 640, 512, 2, 10);
  ASSERT_EQ(IRDenoise_SetConfig(s, &good), 0);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), 640, 480), -7);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), 640, 512), 0);
  // The applied record again: no work, no allocation.
  algFailAllocAfter(0);
  EXPECT_EQ(IRDenoise_SetConfig(s, &good), 0);
  // A larger frame needs a new buffer; its failure leaves the state unconfigured.
  DenoiseInfoRecord big = record(1, 1280, 1024, 2, 10);
  EXPECT_EQ(IRDenoise_SetConfig(s, &big), -5);
  algFailAllocAfter(-1);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), 640, 512), -7);
  EXPECT_EQ(IRDenoise_SetConfig(s, &good), 0);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), 640, 512), 0);
  DenoiseInfoRecord off = record(0, 640, 512, 2, 10);
  EXPECT_EQ(IRDenoise_SetConfig(s, &off), 0);
  EXPECT_EQ(IRDenoise_Execute(s, codes.data(), 640, 512), -7);
  IRDenoise_Free(&s);
  IRDenoise_Free(&s);  // null is ignored
  IRDenoise_Free(nullptr);
}
