// Code LUTs from point pairs: the piecewise-linear LUT of the distance and calibration tables,
// and the custom-point correction LUT.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::alg {

// LUT (pointer at code 0) from n pairs in[j] -> out[j], in[] strictly rising within the code
// range; the end segments are extended and saturated. 0, or -11 (logged with `source` and
// `function`) for n < 2, in[] outside the code range or not rising; the LUT is then untouched.
int initLutFrom(int16_t* lut, int n, const int32_t* out, const int32_t* in, const char* source,
                const char* function);
// The two named users: the distance table and the calibration generations.
inline int initLut(int16_t* lut, int n, const int32_t* out, const int32_t* in) {
  return initLutFrom(lut, n, out, in, "Alg\\IRCali_FixDist", "initLut");
}
inline int cc_initLutCali2(int16_t* lut, int n, const int32_t* out, const int32_t* in) {
  return initLutFrom(lut, n, out, in, "Alg\\IRCali_Cali", "cc_initLutCali2");
}

void identityLut16(int16_t* lut);

// Custom-point LUT from the bytes of a 656-byte custom correction record (count i32 at 268,
// point p at 272 + 24 p: f32 reference and f32 measured temperature, °C) for a calibration with
// code = T * scale + c0. Returns the node count (points + 4), or 0 with the identity LUT.
int buildCustLut(int16_t* lut, const uint8_t* record, size_t length, int32_t scale, int32_t c0);

}  // namespace ostrel::alg
