// Earlier frame conversions: every pixel's two calibration curves around the FPA temperature are
// evaluated from the file's tables and blended, without the merged table sets or any LUT.
#include <algorithm>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/calibration/variants/VariantSimd.h"

using namespace ostrel::alg;

namespace {

struct Curves {
  const int16_t* rawK;  // B planes of point k; the interior breakpoints are planes 1..B-2
  const int16_t* rawK1;
  const SegEntry* segK;  // B-1 planes
  const SegEntry* segK1;
  uint64_t P;
  uint32_t inner, shift;
  int64_t w;  // << 10
};

Curves curvesAt(const CaliContext* c, int32_t fpaTemp) {
  uint32_t k;
  int64_t w;
  caliInterpAt(c, fpaTemp, &k, &w);
  Curves s;
  s.P = c->P;
  s.inner = c->B - 2;
  s.shift = c->shift;
  s.rawK = c->raw + uint64_t(k) * c->B * s.P;
  s.rawK1 = s.rawK + uint64_t(c->B) * s.P;
  s.segK = c->seg + uint64_t(k) * (c->B - 1) * s.P;
  s.segK1 = s.segK + uint64_t(c->B - 1) * s.P;
  // Far beyond the axis the weight is held where the blend product still fits 64 bits.
  s.w = std::clamp<int64_t>(w, -(int64_t(1) << 40), int64_t(1) << 40);
  return s;
}

// Segment of v among a pixel's interior breakpoints, walked from i.
inline uint32_t walk(const int16_t* raw, uint64_t P, uint64_t p, uint32_t inner, int16_t v, uint32_t i) {
  while (i > 0 && v < raw[uint64_t(i) * P + p]) --i;
  while (i < inner && v >= raw[uint64_t(i + 1) * P + p]) ++i;
  return i;
}

inline int64_t lineAt(const SegEntry* seg, uint64_t P, uint64_t p, uint32_t i, int16_t v, uint32_t shift) {
  const SegEntry s = seg[uint64_t(i) * P + p];
  return int64_t(s.offset) + ((int64_t(v) * s.slope) >> shift);
}

inline int16_t blend(const Curves& s, uint64_t p, int16_t v, uint32_t* ia, uint32_t* ib) {
  *ia = walk(s.rawK, s.P, p, s.inner, v, *ia);
  *ib = walk(s.rawK1, s.P, p, s.inner, v, *ib);
  const int64_t a = lineAt(s.segK, s.P, p, *ia, v, s.shift);
  const int64_t b = lineAt(s.segK1, s.P, p, *ib, v, s.shift);
  // Saturated, so a hot pixel past the code range stays hot.
  return int16_t(std::clamp<int64_t>(a + (((b - a) * s.w) >> 10), -32768, 32767));
}

}  // namespace

extern "C" OSTREL_API void Cali_Execute201601(CaliContext* cali, int32_t fpaTemp, const int16_t* in, int16_t* out) {
  if (!cali || !in || !out) return;
  const Curves s = curvesAt(cali, fpaTemp);
  const uint32_t mid = s.inner / 2;
  for (uint64_t p = 0; p < s.P; ++p) {
    uint32_t ia = mid, ib = mid;
    out[p] = blend(s, p, in[p], &ia, &ib);
  }
}

namespace {

// One pixel from scratch, for the blocks the vector form leaves to the scalar one.
int16_t blendOne(const void* state, uint64_t p, int16_t v) {
  const auto* s = static_cast<const Curves*>(state);
  uint32_t ia = s->inner / 2, ib = s->inner / 2;
  return blend(*s, p, v, &ia, &ib);
}

}  // namespace

extern "C" OSTREL_API void Cali_Execute201704(CaliContext* cali, int32_t fpaTemp, int16_t* frame) {
  if (!cali || !frame) return;
  const Curves s = curvesAt(cali, fpaTemp);
  uint64_t done = 0;
  if (blendVectorUsable(s.P, cali->B, s.w)) {
    blendCurvesVector(s.rawK, s.rawK1, s.segK, s.segK1, s.P, s.inner, s.shift, s.w, frame, &s, blendOne);
    done = s.P & ~uint64_t(15);
  }
  uint32_t ia = s.inner / 2, ib = s.inner / 2;
  for (uint64_t p = done; p < s.P; ++p) frame[p] = blend(s, p, frame[p], &ia, &ib);
}
