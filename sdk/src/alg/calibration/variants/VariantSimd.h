// Whole-frame loops of the variants, vectorised where the processor allows; every form gives the
// scalar result exactly.
#pragma once

#include <cstdint>

#include "alg/calibration/CaliInternal.h"

namespace ostrel::alg {

// out[p] = clamp(in[p] - off[p]).
void subPlaneSat(const int16_t* in, const int16_t* off, int16_t* out, uint64_t n);
// f[p] = clamp(f[p] - m).
void subConstSat(int16_t* f, int32_t m, uint64_t n);
// f[p] = clamp(((f[p] * slope[p]) >> shift) + offset[p]), shift 0..31.
void applyGain(int16_t* f, const SegEntry* g, uint32_t shift, uint64_t n);

// Cali_Execute201704's blend over pixels [0, n) with the segment count done by vector compares
// for blocks whose values keep every product inside 32 bits; returns the pixels done (a multiple
// of 16 from 0; the caller finishes the rest and any block it skipped is done by `scalar`).
using BlendScalar = int16_t (*)(const void* state, uint64_t p, int16_t v);
void blendCurvesVector(const int16_t* rawK, const int16_t* rawK1, const SegEntry* segK, const SegEntry* segK1,
                       uint64_t P, uint32_t inner, uint32_t shift, int64_t w, int16_t* frame, const void* state,
                       BlendScalar scalar);
bool blendVectorUsable(uint64_t P, uint32_t B, int64_t w);

}  // namespace ostrel::alg
