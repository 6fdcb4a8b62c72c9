// Byte-offset readers of the camera's 72-byte correction record (little-endian floats), with
// the values made safe for the integer conversions the corrections do.
#pragma once

#include <cstdint>
#include <cstddef>

#include "foundation/ByteOrder.h"

namespace ostrel::alg {

constexpr size_t kFixInfoSize = 72;
constexpr size_t kFixAtmTemp = 0, kFixHumidity = 4, kFixVisibility = 8, kFixRain = 12, kFixSnow = 16,
                 kFixDistance = 20, kFixEmissivity = 24, kFixWindowTrans = 28, kFixTempOffset = 32,
                 kFixEnableAtm = 36, kFixWindowTempOffset = 40;

inline float fixInfoFloat(const void* record, size_t offset) {
  return bytes::readF32(record, kFixInfoSize, offset);
}

// Atmospheric temperature in m°C: not finite -> 20 °C; clamped to the energy table's
// -50..3500 °C so the truncation to int never overflows.
int32_t fixAtmTemp_mC(const void* record);
// Target distance in whole metres: not finite or negative -> 0; at most 100 km.
int32_t fixTargetDistance_m(const void* record);

}  // namespace ostrel::alg
