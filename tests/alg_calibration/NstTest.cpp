// Non-uniformity planes: Lagrange interpolation over the FPA temperature, the recomputation
// rule, the threshold setting, saturation and files without planes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"

using namespace ostrel::test;

namespace {

// plane_k[p] = a_p + b_p s + c_p s^2 + d_p s^3 with integer coefficients and s = (FPA - 10 degC) /
// 15 degC, so the file holds the exact values at the points s = 0, 1, 2, ...; c and d cancel over
// pixel pairs, so the plane means are linear in s and the mean term is exact.
struct PolyPlanes {
  std::vector<double> a, b, c, d;
  double at(int p, double fpaC) const {
    const double t = (fpaC - 10.0) / 15.0;
    return a[p] + b[p] * t + c[p] * t * t + d[p] * t * t * t;
  }
};

PolyPlanes polyFor(int P) {
  PolyPlanes q;
  std::mt19937 rng(17);
  auto u = [&](int r) { return double(int(rng() % uint32_t(2 * r + 1)) - r); };
  for (int p = 0; p < P; ++p) {
    q.a.push_back(u(40));
    q.b.push_back(u(10));
    const double cc = u(4), dd = u(2);
    q.c.push_back(p % 2 ? -q.c.back() : cc);
    q.d.push_back(p % 2 ? -q.d.back() : dd);
  }
  return q;
}

struct Fixture {
  CaliModel m;
  PolyPlanes poly;
  std::string path;
  CaliContext* cali = nullptr;
  Fixture(int w, int h, int E) : m(makeModel(w, h, E, 3)), poly(polyFor(w * h)), path(tempPath("nst")) {
    m.nst.resize(size_t(E) * w * h);
    for (int e = 0; e < E; ++e)
      for (int p = 0; p < w * h; ++p) m.nst[size_t(e) * w * h + p] = int16_t(std::lround(poly.at(p, m.fpaC[e])));
    writeBytes(path, caliBytes(m));
    const FixInfoRecord fix = neutralFixInfo();
    cali = Cali_Create(path.c_str(), nullptr, &fix, 100000);
  }
  ~Fixture() {
    Cali_Free(&cali);
    std::remove(path.c_str());
  }
};

}  // namespace

TEST(Nst, PolynomialPlanesComeBackAtAnyFpaTemperature) {
  for (int E : {2, 3, 4, 6}) {
    SCOPED_TRACE(E);
    Fixture f(12, 10, E);
    ASSERT_NE(f.cali, nullptr);
    ASSERT_NE(f.cali->nst, nullptr);
    // Degree below the number of points used (2, 3 or 4): drop the higher terms for E < 4.
    if (E < 4) {
      for (int p = 0; p < 120; ++p) {
        f.poly.d[p] = 0;
        if (E < 3) f.poly.c[p] = 0;
      }
      for (int e = 0; e < E; ++e)
        for (int p = 0; p < 120; ++p) f.m.nst[size_t(e) * 120 + p] = int16_t(std::lround(f.poly.at(p, f.m.fpaC[e])));
      writeBytes(f.path, caliBytes(f.m));
      Cali_Free(&f.cali);
      const FixInfoRecord fix = neutralFixInfo();
      f.cali = Cali_Create(f.path.c_str(), nullptr, &fix, 100000);
      ASSERT_NE(f.cali, nullptr);
      ASSERT_NE(f.cali->nst, nullptr);
    }
    for (double fpaC : {13.7, 21.2, f.m.fpaC[E - 1] - 2.5, E > 2 ? 33.3 : 11.0}) {
      Cali_SetHackFlags(f.cali, 2);
      const std::vector<int16_t> zero(120, 0);
      std::vector<int16_t> out(120);
      ASSERT_EQ(Nst_Execute(f.cali->nst, int32_t(std::lround(fpaC * 1000)), 7, zero.data(), out.data()), 0);
      // Integer weights in 1/1024, the truncated mean term and the rounding-up shift: under 2 codes.
      for (int p = 0; p < 120; ++p) ASSERT_LT(std::abs(-out[p] - (f.poly.at(p, fpaC) + 7)), 2.0) << p << " at " << fpaC;
    }
  }
}

TEST(Nst, RecomputesAfterFiftyOneFramesOnlyPastTheThreshold) {
  Fixture f(8, 6, 4);
  ASSERT_NE(f.cali->nst, nullptr);
  NstContext* n = f.cali->nst;
  const std::vector<int16_t> zero(48, 0);
  std::vector<int16_t> out(48), first(48);
  auto run = [&](int32_t fpa) {
    Nst_Execute(n, fpa, 0, zero.data(), out.data());
    return out;
  };
  first = run(20000);  // the first frame computes a plane
  for (int i = 0; i < 49; ++i) ASSERT_EQ(run(25000), first) << i;  // frames 2..50: too early
  run(20100);  // frame 51
  run(20100);  // 51 frames on, but exactly the threshold
  EXPECT_EQ(n->lastFpa, 20000);
  run(20101);  // threshold + 1
  EXPECT_EQ(n->lastFpa, 20101);
  run(25000);  // the next 50 frames are too early again
  EXPECT_EQ(n->lastFpa, 20101);
  // Raise the threshold; 99 is ignored.
  Nst_SetConfig(n, 2000);
  Nst_SetConfig(n, 99);
  EXPECT_EQ(n->threshold, 2000);
  for (int i = 0; i < 60; ++i) run(20101 + 2000);
  EXPECT_EQ(n->lastFpa, 20101);
  run(20101 + 2001);
  EXPECT_EQ(n->lastFpa, 20101 + 2001);
}

TEST(Nst, MeanTermOfWideAxesAndLargePlanesKeepsItsPrecision) {
  // Planes 0 and 20000 at 10 and 160 degC: (mu1 - mu0) * (t - t0) passes 32 bits.
  CaliModel m = makeModel(4, 2, 2, 3);
  m.fpa = {10000, 160000};
  m.nst.assign(16, 0);
  std::fill(m.nst.begin() + 8, m.nst.end(), int16_t(20000));
  const std::string path = tempPath("nst_wide");
  writeBytes(path, caliBytes(m));
  const FixInfoRecord fix = neutralFixInfo();
  CaliContext* c = Cali_Create(path.c_str(), nullptr, &fix, 100000);
  std::remove(path.c_str());
  ASSERT_NE(c, nullptr);
  ASSERT_NE(c->nst, nullptr);
  const std::vector<int16_t> in(8, 12000);
  std::vector<int16_t> out(8);
  Nst_Execute(c->nst, 85000, 0, in.data(), out.data());
  EXPECT_EQ(out, std::vector<int16_t>(8, 2000));
  Cali_Free(&c);
}

TEST(Nst, SubtractionSaturatesAndVectorEqualsScalar) {
  Fixture f(33, 3, 2);
  ASSERT_NE(f.cali->nst, nullptr);
  NstContext* n = f.cali->nst;
  std::vector<int16_t> in(99), a(99), b(99);
  std::mt19937 rng(2);
  for (auto& v : in) v = int16_t(rng());
  in[0] = 32767;
  in[1] = -32768;
  Nst_Execute(n, 20000, 30000, in.data(), a.data());  // a large extra pushes offsets to the limit
  for (int p = 0; p < 99; ++p) {
    const int32_t want = std::clamp<int32_t>(int32_t(in[p]) - n->current[p], -32768, 32767);
    ASSERT_EQ(a[p], want) << p;
  }
  for (auto level : {ostrel::alg::SimdLevel::Scalar, ostrel::alg::SimdLevel::Sse2, ostrel::alg::SimdLevel::Avx2}) {
    ostrel::alg::setSimdLevel(level);
    Nst_Execute(n, 20000, 30000, in.data(), b.data());
    EXPECT_EQ(a, b);
  }
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
  EXPECT_EQ(a[1], -32768);  // not wrapped round to a hot value
}

TEST(Nst, LargeFramesGiveTheScalarResultAtAnyOutputAlignment) {
  // 1024 x 512 (1 MiB) is the size from which the output is streamed; outputs one and nine
  // values past an aligned start leave an unaligned head and a short tail.
  Fixture f(1024, 512, 2);
  ASSERT_NE(f.cali->nst, nullptr);
  const size_t P = f.cali->P;
  std::vector<int16_t> in(P);
  std::mt19937 rng(5);
  for (auto& v : in) v = int16_t(rng());
  std::vector<int16_t> ref(P);
  ostrel::alg::setSimdLevel(ostrel::alg::SimdLevel::Scalar);
  Nst_Execute(f.cali->nst, 20000, 30000, in.data(), ref.data());
  for (size_t shift : {0, 1, 9}) {
    for (auto level : {ostrel::alg::SimdLevel::Avx2, ostrel::alg::SimdLevel::Avx512}) {
      ostrel::alg::setSimdLevel(level);
      std::vector<int16_t> buf(P + 48, 7);
      // 32-byte aligned, with room before it.
      int16_t* out = buf.data() + 16 - (reinterpret_cast<uintptr_t>(buf.data()) & 31) / 2 + shift;
      Nst_Execute(f.cali->nst, 20000, 30000, in.data(), out);
      EXPECT_TRUE(std::equal(ref.begin(), ref.end(), out)) << shift << " level " << int(level);
      EXPECT_EQ(out[-1], 7);
      EXPECT_EQ(out[P], 7);
    }
  }
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
}

TEST(Nst, FilesWithoutExactPlanesGiveNoObject) {
  CaliModel m = makeModel(6, 4, 3, 3);
  const std::string path = tempPath("nst_none");
  const FixInfoRecord fix = neutralFixInfo();
  writeBytes(path, caliBytes(m));  // exactly S bytes
  CaliContext* c = Cali_Create(path.c_str(), nullptr, &fix, 100000);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->nst, nullptr);
  EXPECT_EQ(Nst_Create(c, path.c_str()), nullptr);
  std::vector<int16_t> frame(24, 3000);
  Cali_Execute(c, frame.data());
  m.nst.assign(3 * 24 - 1, 0);  // one value short
  writeBytes(path, caliBytes(m));
  EXPECT_EQ(Nst_Create(c, path.c_str()), nullptr);
  m.nst.assign(3 * 24, 5);
  writeBytes(path, caliBytes(m));
  NstContext* n = Nst_Create(c, path.c_str());
  ASSERT_NE(n, nullptr);
  Nst_Free(&n);
  EXPECT_EQ(n, nullptr);
  // The window crop of the planes follows the calibration's.
  CaliCreateInfo info{path.c_str(), nullptr, &fix, 100000, 6, 4, 4, 2, 0, 0};
  CaliContext* x = Cali_CreateX(&info);
  ASSERT_NE(x, nullptr);
  ASSERT_NE(x->nst, nullptr);
  EXPECT_EQ(x->nst->P, 8u);
  Cali_Free(&x);
  Cali_Free(&c);
  std::remove(path.c_str());
}
