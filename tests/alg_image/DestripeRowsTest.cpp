// The destripe row step in 32-bit lanes (eight rows at once, sixteen at the AVX-512 level) against 64-bit
// integer arithmetic and against the double-precision row kernel: its coefficient and floor division over
// their whole input ranges, and row groups at, just inside and just past the largest range it takes, with
// negative and mixed-sign codes, worst-case variances and widths that are not a multiple of eight. The whole
// filter is compared with the scalar reference on frames built the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "SimdGuard.h"
#include "alg/image/DestripeAvx2.h"
#include "alg/image/DestripeRowsAvx2.h"
#include "alg/image/GuidedCore.h"

using namespace ostrel::alg;
using namespace ostrel::test;

namespace {

bool haveAvx2() {
  return simdBestLevel() >= SimdLevel::Avx2;
}

__attribute__((target("avx2"))) void coefLanes(const int32_t* v, int32_t c0, int32_t* a) {
  const __m256i r = destripCoefEpi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(v)),
                                     _mm256_set1_epi32(c0), _mm256_set1_ps(float(c0) / 1024.0f));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(a), r);
}

__attribute__((target("avx2"))) void floorDivLanes(const int32_t* n, int32_t sq, int32_t* q) {
  const __m256i r =
      destripFloorDivDnEpi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(n)),
                             _mm256_set1_ps(1.0f / float(sq)), _mm256_set1_ps(0.5f / float(sq)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(q), r);
}

int64_t floorDiv(int64_t n, int64_t d) {
  return n / d - ((n % d != 0) && (n < 0) ? 1 : 0);
}

}  // namespace

TEST(DestripeRows, CoefficientEqualsTheReciprocalFormulaForEveryVariance) {
  if (!haveAvx2()) GTEST_SKIP() << "no AVX2";
  // Small ones, the preview's 540^2, window 33 at regular 43, and the largest c0 taken.
  const int32_t c0s[] = {1, 9, 3 * 3 * 3600, 291600, 1419 * 1419, kDestripGroupMaxC0 - 1, kDestripGroupMaxC0};
  alignas(32) int32_t v[8], a[8];
  for (const int32_t c0 : c0s) {
    int bad = 0;
    for (int32_t base = 0; base < (1 << 21); base += 8) {
      for (int l = 0; l < 8; ++l) v[l] = base + l;
      coefLanes(v, c0, a);
      for (int l = 0; l < 8; ++l) {
        const int64_t want = (int64_t(v[l]) << 20) / (int64_t(c0) + 1024 * int64_t(v[l]));
        if (a[l] != want && ++bad < 5)
          ADD_FAILURE() << "c0 " << c0 << " v " << v[l] << ": " << a[l] << " != " << want;
      }
    }
    EXPECT_EQ(bad, 0) << "c0 " << c0;
  }
}

TEST(DestripeRows, FloorDivisionByTheBaseDivisorIsExactOverTheWholeRange) {
  if (!haveAvx2()) GTEST_SKIP() << "no AVX2";
  std::minstd_rand rng(7);
  alignas(32) int32_t n[8], q[8];
  for (int w0 = 3; w0 <= 33; w0 += 2) {
    const int32_t sq = w0 * w0;
    const int64_t dn = int64_t(sq) * 1024;
    int bad = 0;
    // Every n >> 10 in [-2^21, 2^21) for the preview's widths and the extremes (every 61st run
    // of eight for the others), with low bits 0, 1023 or random; a multiple of dn and its
    // neighbours come round every sq steps.
    const bool every = w0 == 3 || w0 == 9 || w0 == 17 || w0 == 33;
    for (int64_t t = -(int64_t(1) << 21); t < (int64_t(1) << 21); t += every ? 8 : 8 * 61) {
      for (int l = 0; l < 8; ++l) {
        const int64_t low = (t + l) % 3 == 0 ? 0 : ((t + l) % 3 == 1 ? 1023 : int64_t(rng() & 1023));
        n[l] = int32_t(((t + l) << 10) + low);
      }
      floorDivLanes(n, sq, q);
      for (int l = 0; l < 8; ++l)
        if (q[l] != floorDiv(n[l], dn) && ++bad < 5)
          ADD_FAILURE() << "w0 " << w0 << " n " << n[l] << ": " << q[l];
    }
    // The int32 extremes.
    const int32_t ends[8] = {INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 1, -1, 0, 1, int32_t(-dn)};
    floorDivLanes(ends, sq, q);
    for (int l = 0; l < 8; ++l) EXPECT_EQ(q[l], floorDiv(ends[l], dn)) << "w0 " << w0 << " n " << ends[l];
    EXPECT_EQ(bad, 0) << "w0 " << w0;
  }
}

TEST(DestripeRows, ColumnEstimateTruncatesLikeIntegerDivisionAtMultiplesAndExtremes) {
  if (!haveAvx2()) GTEST_SKIP() << "no AVX2";
  for (int32_t w1 = 3; w1 <= 33; w1 += 2) {
    // Every multiple k w1 of the int16 range (the window sums' extremes -32768 w1 and 32767 w1
    // included) and its neighbours; 13 values a row so the scalar tail runs too.
    std::vector<int32_t> acc;
    for (int64_t k = -32768; k <= 32767; ++k)
      for (int d : {-1, 0, 1}) {
        const int64_t v = k * w1 + d;
        if (v >= -32768LL * w1 && v <= 32767LL * w1) acc.push_back(int32_t(v));
      }
    const int w = 13;
    while (acc.size() % w) acc.push_back(0);
    int bad = 0;
    std::vector<int16_t> est(w);
    for (size_t at = 0; at < acc.size(); at += w) {
      std::vector<int32_t> row(acc.begin() + at, acc.begin() + at + w);
      destripColumnRowAvx2(row.data(), nullptr, nullptr, w, w1, est.data());
      for (int x = 0; x < w; ++x) {
        const int64_t want = std::clamp<int64_t>(int64_t(row[x]) / w1, -32768, 32767);
        if (est[x] != want && ++bad < 5) ADD_FAILURE() << "w1 " << w1 << " acc " << row[x] << ": " << est[x];
      }
    }
    EXPECT_EQ(bad, 0) << "w1 " << w1;
  }
  // The running update: acc += add - sub before the quotient.
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> code(-32768, 32767);
  const int w = 29, w1 = 17;
  std::vector<int16_t> add(w), sub(w), est(w);
  std::vector<int32_t> acc(w), want(w);
  for (int x = 0; x < w; ++x) {
    add[x] = int16_t(code(rng)), sub[x] = int16_t(code(rng));
    acc[x] = code(rng) * 16;
    want[x] = acc[x] + add[x] - sub[x];
  }
  destripColumnRowAvx2(acc.data(), add.data(), sub.data(), w, w1, est.data());
  for (int x = 0; x < w; ++x) {
    EXPECT_EQ(acc[x], want[x]) << x;
    EXPECT_EQ(est[x], std::clamp(want[x] / w1, -32768, 32767)) << x;
  }
}

namespace {

// Aligned work planes for both row kernels of one width and radius.
struct Kernels {
  int w, r;
  std::vector<int32_t> mx;
  std::vector<uint16_t> table;
  void* block = nullptr;
  DestripRowPlan rowPlan;
  DestripGroupPlan groupPlan;

  Kernels(int width, int radius, int regular) : w(width), r(radius), mx(width + 2 * radius), table(1 << 20) {
    const int64_t w0 = 2 * r + 1, c0 = (w0 * regular) * (w0 * regular);
    fillMirror(mx.data(), w, r, 1);
    fillReciprocal(table.data(), table.size(), c0);
    const size_t rowN = planeBytes<double>(w + 2 * 16 + 8), groupN = planeBytes<int32_t>((w + 2 * 16) * 16);
    block = algAllocZeroed(4 * rowN + 4 * groupN + planeBytes<int16_t>(w * 16));
    Carver c(block);
    rowPlan.w = w, rowPlan.r = r, rowPlan.w0 = w0, rowPlan.c0 = c0, rowPlan.tableSize = int64_t(table.size());
    rowPlan.mx = mx.data(), rowPlan.table = table.data();
    rowPlan.v = c.take<double>(w + 2 * 16 + 8), rowPlan.v2 = c.take<double>(w + 2 * 16 + 8);
    rowPlan.a = c.take<double>(w + 2 * 16 + 8), rowPlan.b = c.take<double>(w + 2 * 16 + 8);
    groupPlan.w = w, groupPlan.r = r, groupPlan.w0 = int(w0),
    groupPlan.c0 = int32_t(std::min<int64_t>(c0, INT32_MAX));
    groupPlan.mx = mx.data();
    // Planes for groups of up to sixteen rows.
    groupPlan.d = c.take<int32_t>((w + 2 * 16) * 16), groupPlan.sq = c.take<int32_t>((w + 2 * 16) * 16);
    groupPlan.a = c.take<int32_t>((w + 2 * 16) * 16), groupPlan.b = c.take<int32_t>((w + 2 * 16) * 16);
    groupPlan.det = c.take<int16_t>(w * 16);
  }
  ~Kernels() { algFree(block); }
  Kernels(const Kernels&) = delete;
  Kernels& operator=(const Kernels&) = delete;
};

// Largest half range the 32-bit lanes take for window width w0 (found by search).
int largestHalfRange(int w0) {
  int h = 0;
  while (destripGroupFits(w0, h + 1)) ++h;
  return h;
}

enum class Pattern { Alternate, Random, Edge, Flat };

// `count` rows with codes in [lo, lo + range], both ends present in every row.
std::vector<int16_t> groupRows(int w, int count, int lo, int range, Pattern pat, uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> any(0, range);
  std::vector<int16_t> rows(size_t(w) * count);
  for (int j = 0; j < count; ++j)
    for (int x = 0; x < w; ++x) {
      int off = 0;
      switch (pat) {
        case Pattern::Alternate:
          off = (x + j) % 2 ? range : 0;
          break;  // the largest window variances
        case Pattern::Random:
          off = x == 0 ? 0 : (x == 1 ? range : any(rng));
          break;
        case Pattern::Edge:
          off = x < w / 2 ? 0 : range;
          break;
        case Pattern::Flat:
          off = x == 0 ? range : (x == 1 ? 0 : range / 2);
          break;
      }
      rows[size_t(j) * w + x] = int16_t(lo + off);
    }
  return rows;
}

}  // namespace

TEST(DestripeRows, RowGroupsMatchTheRowKernelAtTheirRangeLimit) {
  if (!haveAvx2()) GTEST_SKIP() << "no AVX2";
  std::vector<int> groupSizes{8};
  if (simdBestLevel() >= SimdLevel::Avx512) groupSizes.push_back(16);
  // Radius and regular: the preview's 4 / 60, the extremes of the radius, and a c0 just inside
  // the 32-bit coefficient test (33 x 43 = 1419 < 1448) and just past it (9 x 161 = 1449).
  const int settings[][2] = {{4, 60}, {1, 1}, {16, 43}, {8, 5}, {4, 161}};
  for (const auto& st : settings) {
    const int r = st[0], w0 = 2 * r + 1;
    const bool c0Fits = int64_t(w0 * st[1]) * (w0 * st[1]) <= kDestripGroupMaxC0;
    const int hMax = largestHalfRange(w0);
    for (const int w : {83, 640}) {
      Kernels k(w, r, st[1]);
      // Range 2 hMax fits (half range hMax around the floor mid value); 2 hMax + 2 does not.
      for (const int range : {0, 1, 2 * hMax - 1, 2 * hMax, 2 * hMax + 1, 2 * hMax + 2}) {
        if (range > 65535) continue;
        // Low, mixed-sign and high codes.
        for (const int lo : {-32768, -range / 2, 32767 - range, 1000}) {
          if (lo < -32768 || lo + range > 32767) continue;
          for (Pattern pat : {Pattern::Alternate, Pattern::Random, Pattern::Edge, Pattern::Flat})
            for (const int n : groupSizes) {
              const auto rows = groupRows(w, n, lo, range, pat, uint32_t(w + range + lo));
              const int16_t* in[16];
              int16_t* out[16];
              std::vector<int16_t> got(size_t(w) * n, 0x5555), want(size_t(w) * n);
              for (int j = 0; j < n; ++j)
                in[j] = rows.data() + size_t(j) * w, out[j] = got.data() + size_t(j) * w;
              const bool took = n == 8 ? destripRowGroupAvx2(in, k.groupPlan, out)
                                       : destripRowGroupAvx512(in, k.groupPlan, out);
              const std::string what = "r " + std::to_string(r) + " reg " + std::to_string(st[1]) + " w " +
                                       std::to_string(w) + " range " + std::to_string(range) + " lo " +
                                       std::to_string(lo) + " pattern " + std::to_string(int(pat)) +
                                       " rows " + std::to_string(n);
              EXPECT_EQ(took, c0Fits && range <= 2 * hMax) << what;
              if (!took) {
                EXPECT_TRUE(std::all_of(got.begin(), got.end(), [](int16_t v) { return v == 0x5555; }))
                    << what;
                continue;
              }
              for (int j = 0; j < n; ++j) destripRowAvx2(in[j], k.rowPlan, want.data() + size_t(j) * w);
              EXPECT_TRUE(got == want) << what;
            }
        }
      }
    }
  }
}

TEST(DestripeRows, FilterMatchesTheScalarReferenceOnNegativeAndWideFrames) {
  if (!haveAvx2()) GTEST_SKIP() << "no AVX2";
  SimdGuard guard;
  // Heights that leave a short last group of reduced rows (67 rows, and 67 / 2 = 33 with sub_y 2).
  for (const int subY : {1, 2}) {
    DestripInfoRecord rec{};
    rec.type = 2;
    rec.width = 85;
    rec.height = 67;
    rec.s0_radius = 4;
    rec.s0_regular = 60;
    rec.s1_radius = 8;
    rec.s1_regular = 1;
    rec.sub_y = uint8_t(subY);
    rec.sub_t = 1;
    // One state for every frame: each frame refreshes the whole estimate.
    DestripState* s = IRDestrip_Create();
    ASSERT_EQ(IRDestrip_SetConfig(s, &rec), 0);
    auto destripeAt = [&](SimdLevel level, std::vector<int16_t> codes) {
      setSimdLevel(level);
      for (int k = 0; k < 2; ++k) EXPECT_EQ(IRDestrip_Execute(s, codes.data(), rec.width, rec.height, 1), 0);
      return codes;
    };
    for (const int base : {-30000, -200, 0, 28000}) {
      for (const int amplitude : {40, 2500, 5200}) {
        std::mt19937 rng(uint32_t(base + amplitude + subY));
        std::uniform_int_distribution<int> noise(-amplitude, amplitude);
        std::vector<int16_t> codes(size_t(rec.width) * rec.height);
        for (int y = 0; y < rec.height; ++y)
          for (int x = 0; x < rec.width; ++x)
            codes[size_t(y) * rec.width + x] = int16_t(std::clamp(
                base + noise(rng) + (x % 2 ? 15 : -15) + (y / 9 % 2) * amplitude / 2, -32768, 32767));
        const auto ref = destripeAt(SimdLevel::Scalar, codes);
        for (const SimdLevel level : {SimdLevel::Avx2, SimdLevel::Avx512})
          EXPECT_TRUE(destripeAt(level, codes) == ref)
              << "sub_y " << subY << " base " << base << " amplitude " << amplitude << " level "
              << int(level);
      }
    }
    IRDestrip_Free(&s);
  }
}
