// Internal view of a stretch engine, for the preview and player code and for tests.
#pragma once

#include <cstdint>

#include "ostrel/OstrelStretch.h"

namespace ostrel::alg {

struct DetailEngine;

struct StretchContextView {
  int32_t lowest, lowTail, highTail, highest, mean;
  const uint8_t* level;  // indexed by the signed code (-32768..32767)
  const DetailEngine* detail;
  int32_t prevPlateau, prevLow, prevHigh;
  int t2gEff;
  int64_t tail;
  const uint32_t* ramp0;
  const uint32_t* ramp1;
};

// Statistics and tables of the last frame. Call on the engine's frame thread.
const StretchContextView stretchView(const StretchContext* c);

// Histogram clipping (count above plateau -> plateau; non-zero count below floor -> floor),
// scalar or SSE2 with identical results; dst may equal src.
void clipCounts(int32_t* dst, const int32_t* src, int n, int32_t plateau, int32_t floorCount);

// Lowest and highest of n codes (n = 0: 32767 and -32768), scalar, SSE2 or AVX2.
void codeRange(const int16_t* codes, int64_t n, int* lo, int* hi);
void codeRangeAvx2(const int16_t* codes, int64_t n, int* lo, int* hi);

// Colouring without isotherms, AVX2 (StretchAvx2.cpp): out[i] = palette[level[codes[i]]], with
// detail[i] added and saturated to 0..255 first when detail is not null.
void stretchBgraAvx2(const int16_t* codes, const int16_t* detail, const uint8_t* level, const uint32_t* palette,
                     uint32_t* out, int64_t n);

}  // namespace ostrel::alg
