// Shared pieces of the calibration variants: LUTs from blackbody points, range blending and the
// final LUT composition on top of the calibration's correction LUTs.
#pragma once

#include <cstdint>

#include "alg/calibration/CaliInternal.h"
#include "foundation/ByteOrder.h"

namespace ostrel::alg {

constexpr size_t kLut16 = 65536;

// One blackbody point: blackbody and measured temperature in °C.
struct BbPoint {
  float blackbody, measured;
};

// True when both members rise strictly over the n points.
bool bbPointsRising(const BbPoint* p, int n);

// LUT (pointer at code 0) measured -> blackbody code, with the blackbody temperature taken
// through the emissivity (0.97 below 601 °C, else 0.998) at `ambient` °C: 0, or -11 with the LUT
// untouched.
int bbPointLut(int16_t* lut, const BbPoint* p, int n, double ambient, const CaliContext* cali);

// The record's ambient: globalEnvTemp when non-zero (logged), else 20 °C.
double bbAmbient(float globalEnvTemp, const char* source, const char* function);

// Segment k of t among n rising axis values (walking up while t >= axis[k+1]) and the weight
// ((t - axis[k]) << 8) / (axis[k+1] - axis[k]), not clamped. n >= 2.
void rangeWeight(const int32_t* axis, int n, int32_t t, int* k, int64_t* c);

// out[x] = lo[x] + (((hi[x] - lo[x]) * c) >> 8), saturated to 16 bits; LUT pointers at code 0.
void blendLuts(int16_t* out, const int16_t* lo, const int16_t* hi, int64_t c);

// final[x] = post[cust[emi[trans[src[x]]]]] (src null: x; post null: none).
void composeFinal(CaliContext* cali, const int16_t* src, const int16_t* cust, const int16_t* post);

// A 16-bit code LUT area of n tables inside a block: table i at code 0.
inline int16_t* lutAt(uint8_t* area, int i) {
  return reinterpret_cast<int16_t*>(area) + size_t(i) * kLut16 + 32768;
}

// Little-endian fields of the variants' files and records (4 or 2 bytes at p).
inline float rdF32(const uint8_t* p) {
  return bytes::readF32(p, 4, 0);
}
inline int32_t rdI32(const uint8_t* p) {
  return bytes::readI32(p, 4, 0);
}
inline uint16_t rdU16(const uint8_t* p) {
  return bytes::readU16(p, 2, 0);
}
inline int16_t rdI16(const uint8_t* p) {
  return bytes::readI16(p, 2, 0);
}

}  // namespace ostrel::alg
