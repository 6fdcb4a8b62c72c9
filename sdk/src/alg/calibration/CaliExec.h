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

struct SegEntry;

// One block of pixels of an environment update, plane-major: the inner breakpoints of both
// neighbouring environments (ra, rb: inner planes), their segments (sa, sb: inner + 1 planes),
// `stride` entries between input planes, and the merged breakpoints (bo: 2 inner planes) and
// interpolated segments (so: 2 inner + 1 planes) written for weight w (1/1024), `outStride`
// entries between output planes. The vector form requests the input lines `ahead` pixels past
// the ones it merges (0: none), so the next pixels' planes arrive while these are merged.
struct ReinterpBlock {
  const int16_t* ra;
  const int16_t* rb;
  const SegEntry* sa;
  const SegEntry* sb;
  SegEntry* so;
  int16_t* bo;
  uint64_t stride;
  uint64_t outStride;
  uint64_t ahead;
  uint32_t inner;
  int64_t w;
};
// Merges pixel i of the block (the scalar reference).
void caliReinterpPixel(const ReinterpBlock& b, uint64_t i);
// Merges the first pixels of the block eight at a time with the scalar reference's results, from
// SimdLevel::Avx2 up; returns how many it did (0 where the weight or the breakpoint count lies
// outside what its 32-bit lanes hold).
uint64_t caliReinterpAvx2(const ReinterpBlock& b, uint64_t n);
// Copies bytes past the caches (streaming stores): tables rebuilt whole
// are far larger than the caches and not read again soon. caliStreamFence orders them before
// anything written after.
void caliStreamCopy(void* dst, const void* src, size_t bytes);
void caliStreamFence();

}  // namespace ostrel::alg
