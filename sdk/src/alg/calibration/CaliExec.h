// Frame conversion kernels of the calibration object (scalar reference and vector form).
#pragma once

#include <cstdint>

#include "OstrelSDK.h"

namespace ostrel::alg {

// Converts the frame in place: segment search on the active table set, the segment's line, then
// the final LUT when applyLut is set. The vector form gives bit-identical results.
void caliExecuteFrame(const CaliContext* ctx, int16_t* frame, bool applyLut);
// The scalar reference over pixels [begin, end), for tests.
void caliExecuteScalar(const CaliContext* ctx, int16_t* frame, bool applyLut, uint64_t begin, uint64_t end);

}  // namespace ostrel::alg
