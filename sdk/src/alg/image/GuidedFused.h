// Both passes of the guided filter interleaved row by row (from SimdLevel::Avx2 up): the first
// pass runs r rows ahead of the second, and the coefficient planes a and b hold only a ring of
// 2r + 2 rows, so a frame is read from memory about once and the planes stay in cache. Gives the
// rows guidedCoefficients followed by guidedWindowSums give.
#pragma once

#include <cstring>

#include "GuidedCore.h"
#include "GuidedAvx2.h"

namespace ostrel::alg {

// Runs the interleaved passes and hands every row y of window sums (or, with g.columnSums set, of
// column sums) to out(y, g) in order, after
// the first pass has read the guide rows up to y + 2r; guide rows above y - 1 are not read again
// after out(y, ...) returns, so `out` may overwrite guide row y - 1. Returns false (nothing done)
// for planes lower than 2r + 3 rows, which keep the two separate passes.
// `squares` (int16 guides only) lets the first pass run on centred codes in 32-bit lanes at the
// AVX2 level; the AVX-512 level keeps its eight-lane 64-bit form.
template <class In, class Out>
bool guidedFused(const In* guide, const BoxPlan& p, GuidedPlanes& g, int filters, const GuidedCoef* coef, Out&& out,
                 SquarePlan squares = {}) {
  const int w = p.w, h = p.h, r = p.r, ring = 2 * r + 2;
  if (h < 2 * r + 3) return false;
  auto slot = [&](int row) { return static_cast<size_t>(row % ring) * w; };
  const bool centred = sizeof(In) == 2 && squares.fits && !wide512();
  auto firstPass = [&](int y) {
    if constexpr (sizeof(In) == 2) {
      if (centred) {
        // The int64 row's memory holds the 32-bit sums of squares.
        int32_t* c2 = reinterpret_cast<int32_t*>(g.col2);
        if (y == 0) {
          colStartSqCentred(g.col1, c2, guide, p, squares.centre);
        } else {
          colAddSubSqCentredAvx2(g.col1, c2, guide + p.my[y + 2 * r], guide + p.my[y - 1], w, squares.centre);
        }
        int32_t* const a[2] = {g.a[0] + slot(y), filters > 1 ? g.a[1] + slot(y) : nullptr};
        int32_t* const b[2] = {g.b[0] + slot(y), filters > 1 ? g.b[1] + slot(y) : nullptr};
        guidedRowCoefCentredAvx2(g.col1, c2, p, squares.centre, filters, coef, a, b);
        return;
      }
      if (y == 0) {
        colStartSq16(g.col1, g.col2, guide, p);
      } else {
        colNextSq16(g.col1, g.col2, guide, y, p);
      }
    } else {
      if (y == 0) {
        colStartSq32(g.col1, g.col2, guide, p);
      } else {
        colNextSq32(g.col1, g.col2, guide, y, p);
      }
    }
    int32_t* const a[2] = {g.a[0] + slot(y), filters > 1 ? g.a[1] + slot(y) : nullptr};
    int32_t* const b[2] = {g.b[0] + slot(y), filters > 1 ? g.b[1] + slot(y) : nullptr};
    guidedRowCoefVec(g.col1, g.col2, p, filters, coef, a, b);
  };
  for (int y = 0; y <= r; ++y) firstPass(y);
  // Second pass of one filter for row y, with column sums of b of type CB (32 bits in the int64
  // row's memory where they fit, else 64 bits).
  auto secondPass = [&](int y, int f, auto* cb, auto&& addSub, auto&& rowSums) {
    int32_t* ca = g.colA[f];
    if (y == 0) {
      std::memset(ca, 0, sizeof(int32_t) * w);
      std::memset(cb, 0, sizeof(*cb) * w);
      for (int i = -r; i <= r; ++i) {
        const size_t s = slot(mirrorIndex(i, h));
        addSub(ca, cb, g.a[f] + s, nullptr, g.b[f] + s, nullptr, w);
      }
    } else {
      const size_t in = slot(mirrorIndex(y + r, h)), outRow = slot(mirrorIndex(y - r - 1, h));
      addSub(ca, cb, g.a[f] + in, g.a[f] + outRow, g.b[f] + in, g.b[f] + outRow, w);
    }
    rowSums(ca, cb, p, g.accA[f], g.accB[f]);
  };
  const bool narrow = narrowOffsets(r);
  // At the AVX2 level the output forms the window sums itself (GuidedColumnsAvx2.cpp).
  g.columnSums = narrow && !wide512();
  for (int y = 0; y < h; ++y) {
    if (y > 0 && y + r < h) firstPass(y + r);
    for (int f = 0; f < filters; ++f) {
      if (g.columnSums) {
        secondPass(y, f, g.colB32(f), colAddSubAB32Avx2, [](auto&&...) {});
      } else if (narrow) {
        // The int64 row's margins hold twice as many 32-bit entries.
        secondPass(y, f, reinterpret_cast<int32_t*>(g.colB[f]), colAddSubAB32Vec, guidedRowSums32Vec);
      } else {
        secondPass(y, f, g.colB[f], colAddSubABVec, guidedRowSumsVec);
      }
    }
    out(y, g);
  }
  return true;
}

}  // namespace ostrel::alg
