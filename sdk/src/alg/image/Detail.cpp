#include "Detail.h"

#include "GuidedAvx2.h"
#include "GuidedFused.h"

#include <algorithm>
#include <cstring>

namespace ostrel::alg {

void detailSetLevels(DetailEngine& e, int dde, int denoise) {
  e.dde = dde;
  e.denoise = denoise;
  const int64_t d = dde;
  switch (e.scale) {
    case 1:
      e.eps1 = 25, e.eps2 = 0, e.g1 = d * 2048, e.g2 = 0, e.switchG = 0;
      break;
    case 5:
      e.eps1 = 900, e.eps2 = 100, e.g1 = d * 2048, e.g2 = d * 2048, e.switchG = 15052;
      break;
    case 100:
      e.eps1 = 40000, e.eps2 = 10000, e.g1 = d * 1024, e.g2 = d * 1024, e.switchG = 15052;
      break;
    default:
      e.eps1 = 400, e.eps2 = 100, e.g1 = d * 2048, e.g2 = d * 2048, e.switchG = 15052;
      break;
  }
  if (denoise != 0) e.eps2 = 0, e.g2 = 0, e.switchG = 0;  // the second filter is off
}

static size_t detailCarve(DetailEngine& e, void* base) {
  Carver c(base);
  const size_t n = static_cast<size_t>(e.width) * e.height;
  const int r = DetailEngine::kRadius;
  e.mx = c.take<int32_t>(e.width + 2 * r);
  e.my = c.take<int32_t>(e.height + 2 * r);
  e.tableA = c.take<uint16_t>(DetailEngine::kTableSize);
  e.tableB = c.take<uint16_t>(DetailEngine::kTableSize);
  e.work = c.take<int32_t>(n);
  e.detail = c.take<int16_t>(n);
  e.denoised = c.take<int16_t>(n);
  e.planes.carve(c, e.width, e.height, 2);
  return c.used();
}

bool detailMatches(const DetailEngine& e, int width, int height, int scale) {
  return e.buf && e.width == width && e.height == height && e.scale == scale;
}

void detailRelease(DetailEngine& e) {
  algFree(e.buf);
  e.buf = nullptr;
  e.cap = 0;
  e.width = e.height = 0;
  e.scale = -1;
  e.builtEps1 = e.builtEps2 = -1;
}

int detailSetup(DetailEngine& e, int width, int height, int scale) {
  if (width < 32 || height < 32) return -1;
  e.width = width;
  e.height = height;
  const size_t need = detailCarve(e, nullptr);
  if (need > e.cap) {
    detailRelease(e);
    e.buf = algAllocZeroed(need);
    if (!e.buf) {
      detailRelease(e);  // unconfigured: the next frame allocates again
      return -2;
    }
    e.cap = need;
  }
  e.width = width;
  e.height = height;
  e.scale = scale;
  detailCarve(e, e.buf);
  fillMirror(e.mx, width, DetailEngine::kRadius, 1);
  fillMirror(e.my, height, DetailEngine::kRadius, width);
  e.divNN.set(DetailEngine::kN * DetailEngine::kN);
  detailSetLevels(e, e.dde, e.denoise);
  // The layout may have moved the tables: rebuild both.
  e.builtEps1 = e.builtEps2 = -1;
  return 0;
}

// The two passes on a guide of codes (int16, no centring) or of centred codes (int32).
template <class In>
static void detailFilter(DetailEngine& e, const In* work, int32_t c0, int lowest, int highest,
                         SquarePlan squares = {}) {
  constexpr int64_t n = DetailEngine::kN;
  constexpr int64_t nn = n * n;
  const bool denoise = e.denoise != 0;
  BoxPlan plan;
  plan.w = e.width;
  plan.h = e.height;
  plan.r = DetailEngine::kRadius;
  plan.mx = e.mx;
  plan.my = e.my;
  GuidedCoef coef[2];
  coef[0].table = e.tableA;
  coef[0].size = DetailEngine::kTableSize;
  coef[0].c = nn * e.eps1;
  coef[1].table = e.tableB;
  coef[1].size = DetailEngine::kTableSize;
  coef[1].c = nn * e.eps2;
  const int filters = denoise ? 1 : 2;

  const int64_t gn1 = e.g1 / n, gn2 = e.g2 / n;
  const int64_t switchG = e.switchG;
  const int shiftDn = denoise ? e.denoise - 1 : 0;
  const FloorDiv div = e.divNN;
  const int w = e.width;
  auto row = [&](int y, GuidedPlanes& g) {
    const size_t off = static_cast<size_t>(y) * w;
    const In* v = work + off;
    int16_t* det = e.detail + off;
    const int32_t* sa1 = g.accA[0];
    const int64_t* sb1 = g.accB[0];
    // The folded second pass has no window sums for the other forms (shiftDn stays below 8).
    if (g.columnSums || (simdLevel() >= SimdLevel::Avx2 && shiftDn <= 30)) {
      DetailRowArgs k;
      k.n = n;
      k.nn = nn;
      k.gn1 = gn1;
      k.gn2 = gn2;
      k.switchG = switchG;
      k.shiftDn = shiftDn;
      k.c0 = c0;
      k.lowest = lowest;
      k.highest = highest;
      int16_t* dn = denoise ? e.denoised + off : nullptr;
      if (g.columnSums) {
        const int f2 = denoise ? 0 : 1;
        return detailRowColumnsAvx2(v, g.colA[0], g.colB32(0), g.colA[f2], g.colB32(f2), det, dn, plan, k);
      }
      detailRowVec(v, sa1, sb1, g.accA[1], g.accB[1], det, dn, w, k);
      return;
    }
    if (denoise) {
      int16_t* dn = e.denoised + off;
      for (int x = 0; x < w; ++x) {
        const int64_t vv = v[x];
        const int64_t base = div(((n * vv * sa1[x]) >> 10) + sb1[x]);
        const int64_t m = vv - base;
        det[x] = sat16((sa1[x] * m * gn1) >> 20);
        const int64_t c = (m >> shiftDn) + base + c0;
        dn[x] = static_cast<int16_t>(std::clamp<int64_t>(c, lowest, highest));
      }
      return;
    }
    const int32_t* sa2 = g.accA[1];
    const int64_t* sb2 = g.accB[1];
    for (int x = 0; x < w; ++x) {
      const int64_t vv = v[x];
      if (sa1[x] < switchG) {
        const int64_t base = div(((n * vv * sa2[x]) >> 10) + sb2[x]);
        det[x] = sat16((sa2[x] * (vv - base) * gn2) >> 20);
      } else {
        const int64_t base = div(((n * vv * sa1[x]) >> 10) + sb1[x]);
        det[x] = sat16((sa1[x] * (vv - base) * gn1) >> 20);
      }
    }
  };
  if (simdLevel() >= SimdLevel::Avx2 && guidedFused(work, plan, e.planes, filters, coef, row, squares)) return;
  guidedCoefficients(work, plan, e.planes, filters, coef);
  guidedWindowSums(plan, e.planes, filters, row);
}

void detailRun(DetailEngine& e, const int16_t* codes, int lowTail, int highTail, int lowest, int highest, int minCode,
               int maxCode) {
  constexpr int64_t nn = DetailEngine::kN * DetailEngine::kN;
  // Tables follow the regularisation in force; a change of denoise changes eps2.
  if (e.builtEps1 != e.eps1) {
    fillReciprocal(e.tableA, DetailEngine::kTableSize, nn * e.eps1);
    e.builtEps1 = e.eps1;
  }
  const bool denoise = e.denoise != 0;
  if (!denoise && e.builtEps2 != e.eps2) {
    fillReciprocal(e.tableB, DetailEngine::kTableSize, nn * e.eps2);
    e.builtEps2 = e.eps2;
  }

  // Centring keeps the work codes near 0 for frames far from it.
  int32_t c0 = 0;
  if (lowTail < -6144 || highTail > 6144) c0 = (lowTail + highTail) / 2;
  e.c0 = c0;
  if (c0 == 0) {
    detailFilter(e, codes, 0, lowest, highest, squaresFit(DetailEngine::kRadius, minCode, maxCode));
    return;
  }
  const size_t count = static_cast<size_t>(e.width) * e.height;
  for (size_t i = 0; i < count; ++i) e.work[i] = codes[i] - c0;
  detailFilter(e, e.work, c0, lowest, highest);
}

}  // namespace ostrel::alg
