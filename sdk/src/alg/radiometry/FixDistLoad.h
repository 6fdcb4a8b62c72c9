// The distance record check and LUT build from bytes in memory (FixDist_Init reads the file).
#pragma once

#include <cstddef>
#include <cstdint>

#include "OstrelSDK.h"

namespace ostrel::alg {

// The first 696 bytes of data as a distance record: 0, -198 when shorter, -11 for bad content
// (the active record stays), -8 for null arguments.
int fixDistLoadBytes(FixDistContext* ctx, const uint8_t* data, size_t length, uint16_t scale, int16_t offset);

}  // namespace ostrel::alg
