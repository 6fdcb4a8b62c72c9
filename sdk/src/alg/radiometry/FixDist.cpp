// Distance correction: a record of up to five distances, each with blackbody pairs, folded into
// one code LUT per distance and blended for the target distance.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/radiometry/CorrLut.h"
#include "alg/radiometry/FixDistLoad.h"
#include "foundation/ByteOrder.h"
#include "foundation/Helpers.h"

namespace {
constexpr size_t kRecordSize = 696;
constexpr size_t kDistCount = 264, kBbCount = 268, kDistances = 272, kPairs = 292;
constexpr int kMaxDistances = 5, kMinBb = 2, kMaxBb = 10;
}  // namespace

struct FixDistContext {
  uint8_t active[kRecordSize];   // the accepted record
  uint8_t staging[kRecordSize];  // a file before it is accepted
  int16_t luts[kMaxDistances][65536];
};

namespace {

// Fields of a record held in memory (always kRecordSize bytes).
int32_t rdI32(const uint8_t* rec, size_t off) {
  return ostrel::bytes::readI32(rec, kRecordSize, off);
}
float rdF32(const uint8_t* rec, size_t off) {
  return ostrel::bytes::readF32(rec, kRecordSize, off);
}

int16_t saturate16(int64_t v) {
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

// trunc(scale * t - offset * scale), kept finite and well inside int32 before the conversion.
int32_t codeOf(float t, uint16_t scale, int16_t offset) {
  const double v = double(scale) * double(t) - double(offset) * scale;
  if (!std::isfinite(v)) return INT32_MIN / 2;  // refused by the LUT builder's range check
  return int32_t(std::clamp(v, -1e9, 1e9));
}

bool checkRecord(const uint8_t* rec) {
  const int32_t count = rdI32(rec, kDistCount);
  const int32_t bb = rdI32(rec, kBbCount);
  if (count < 0 || count > kMaxDistances || bb < kMinBb || bb > kMaxBb) return false;
  for (int k = 1; k < count; ++k) {
    if (rdI32(rec, kDistances + 4 * k) <= rdI32(rec, kDistances + 4 * (k - 1))) return false;
  }
  for (int k = 0; k < count; ++k) {
    for (int j = 1; j < bb; ++j) {
      const size_t p = kPairs + 80 * k + 8 * j;
      // Written as !(a > b) so that NaN is refused as well.
      if (!(rdF32(rec, p) > rdF32(rec, p - 8)) || !(rdF32(rec, p + 4) > rdF32(rec, p - 4))) return false;
    }
  }
  return true;
}

}  // namespace

using namespace ostrel::alg;

extern "C" OSTREL_API FixDistContext* FixDist_Create(void) {
  return static_cast<FixDistContext*>(std::calloc(1, sizeof(FixDistContext)));
}

// FixDist_Free is the SDK's one free of single-block objects (the context is one calloc block).

namespace ostrel::alg {

int fixDistAcceptStaging(FixDistContext* ctx, uint16_t scale, int16_t offset) {
  if (!checkRecord(ctx->staging)) return OSTREL_E_MISMATCH;
  const int count = rdI32(ctx->staging, kDistCount);
  const int bb = rdI32(ctx->staging, kBbCount);
  for (int k = 0; k < count; ++k) {
    int32_t out[kMaxBb], in[kMaxBb];
    for (int j = 0; j < bb; ++j) {
      const size_t p = kPairs + 80 * k + 8 * j;
      out[j] = codeOf(rdF32(ctx->staging, p), scale, offset);
      in[j] = codeOf(rdF32(ctx->staging, p + 4), scale, offset);
    }
    if (initLut(ctx->luts[k] + 32768, bb, out, in) != 0) {
      ostrel::bytes::putI32(ctx->staging + kDistCount, 0);  // accepted, but as "no correction"
      break;
    }
  }
  std::memcpy(ctx->active, ctx->staging, kRecordSize);
  return OSTREL_OK;
}

int fixDistLoadBytes(FixDistContext* ctx, const uint8_t* data, size_t length, uint16_t scale,
                     int16_t offset) {
  if (!ctx || !data) return OSTREL_E_ARGUMENT;
  if (length < kRecordSize) return OSTREL_E_READ;
  std::memcpy(ctx->staging, data, kRecordSize);
  return fixDistAcceptStaging(ctx, scale, offset);
}

}  // namespace ostrel::alg

extern "C" OSTREL_API int FixDist_Init(FixDistContext* ctx, const char* path, uint16_t scale,
                                       int16_t offset) {
  if (!ctx || !path) return OSTREL_E_ARGUMENT;
  const int rc = ostrel::fileReadExact(path, ctx->staging, kRecordSize);
  if (rc != 0) return rc;
  return fixDistAcceptStaging(ctx, scale, offset);
}

extern "C" OSTREL_API int FixDist_UpdateLut(FixDistContext* ctx, int32_t distance_m, int16_t* lut) {
  if (!ctx || !lut) return OSTREL_E_ARGUMENT;
  const int count = rdI32(ctx->active, kDistCount);
  if (count <= 0) {
    identityLut16(lut);
    return OSTREL_OK;
  }
  if (count == 1) {
    std::memcpy(lut - 32768, ctx->luts[0], sizeof ctx->luts[0]);
    return OSTREL_OK;
  }
  int k = 0;
  while (k < count - 2 && distance_m >= rdI32(ctx->active, kDistances + 4 * (k + 1))) ++k;
  const int64_t d0 = rdI32(ctx->active, kDistances + 4 * k);
  const int64_t d1 = rdI32(ctx->active, kDistances + 4 * (k + 1));
  // Not clamped: distances beyond the record extrapolate; the result saturates.
  const int64_t w = ((int64_t(distance_m) - d0) * 1024) / (d1 - d0);
  const int16_t* a = ctx->luts[k];
  const int16_t* b = ctx->luts[k + 1];
  for (int i = 0; i < 65536; ++i) {
    lut[i - 32768] = saturate16(a[i] + (((int64_t(b[i]) - a[i]) * w) >> 10));
  }
  return OSTREL_OK;
}
