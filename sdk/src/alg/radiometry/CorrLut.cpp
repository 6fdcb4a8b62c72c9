#include "alg/radiometry/CorrLut.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "foundation/ByteOrder.h"
#include "foundation/Logger.h"

namespace ostrel::alg {
namespace {

int16_t saturate16(int64_t v) {
  return int16_t(std::clamp<int64_t>(v, -32768, 32767));
}

int64_t lineAt(int64_t x, int64_t x0, int64_t x1, int64_t y0, int64_t y1) {
  // Code differences reach 65535, so the product needs 64 bits.
  return y0 + ((x - x0) * (y1 - y0)) / (x1 - x0);
}

using bytes::readF32;
using bytes::readI32;

bool codeOf(float t, int32_t scale, int32_t c0, int64_t* out) {
  const double v = double(t) * scale + c0;
  if (!std::isfinite(v)) return false;
  *out = int64_t(std::clamp(v, -1e9, 1e9));
  return true;
}

}  // namespace

void identityLut16(int16_t* lut) {
  for (int c = -32768; c <= 32767; ++c) lut[c] = int16_t(c);
}

int initLutFrom(int16_t* lut, int n, const int32_t* out, const int32_t* in, const char* source,
                const char* function) {
  bool ok = n >= 2 && in[0] >= -32768 && in[n - 1] <= 32767;
  // Equal inputs would divide by zero in the segment below.
  for (int j = 1; ok && j < n; ++j) ok = in[j] > in[j - 1];
  if (!ok) {
    logPrintf(logDefault(), LOG_DEBUG, "%s,%d,%s:\ninvalid data, bbCount %d\n\n", source, __LINE__, function,
              n);
    return -11;
  }
  if (in[0] >= -32767) {
    for (int64_t x = -32768; x < in[0]; ++x) {
      lut[x] = saturate16(lineAt(x, in[0], in[1], out[0], out[1]));
    }
  }
  for (int i = 0; i + 1 < n; ++i) {
    for (int64_t x = in[i]; x < in[i + 1]; ++x)
      lut[x] = saturate16(lineAt(x, in[i], in[i + 1], out[i], out[i + 1]));
  }
  for (int64_t x = in [n - 1]; x <= 32767; ++x) {
    lut[x] = saturate16(lineAt(x, in[n - 2], in[n - 1], out[n - 2], out[n - 1]));
  }
  return 0;
}

int buildCustLut(int16_t* lut, const uint8_t* record, size_t length, int32_t scale, int32_t c0) {
  identityLut16(lut);
  if (!record || length < 656) return 0;
  const int32_t count = readI32(record, length, 268);
  if (count < 1 || count > 16) return 0;
  const int nodes = count + 4;
  int64_t x[20], y[20];
  const int64_t s5 = 5 * int64_t(scale);
  x[0] = y[0] = -32768;
  for (int p = 0; p < count; ++p) {
    if (!codeOf(readF32(record, length, 272 + 24 * p), scale, c0, &x[p + 2]) ||
        !codeOf(readF32(record, length, 276 + 24 * p), scale, c0, &y[p + 2])) {
      return 0;
    }
  }
  x[1] = x[2] - s5;
  y[1] = y[2] - s5;
  x[count + 2] = x[count + 1] + s5;
  y[count + 2] = y[count + 1] + s5;
  x[count + 3] = y[count + 3] = 32767;
  int64_t slope[19], offset[19];
  for (int k = 0; k + 1 < nodes; ++k) {
    const int64_t dy = y[k + 1] - y[k];
    if (dy <= 0) return 0;
    slope[k] = ((x[k + 1] - x[k]) * 4096) / dy;
    if (slope[k] <= 0) return 0;
    offset[k] = x[k] - ((x[k + 1] - x[k]) * y[k]) / dy;
  }
  int k = 0;
  for (int64_t c = -32768; c <= 32767; ++c) {
    while (k < nodes - 2 && y[k + 1] <= c) ++k;
    // Arithmetic shift of a possibly negative product: floor, as the fixed-point form wants.
    lut[c] = saturate16(((c * slope[k]) >> 12) + offset[k]);
  }
  return nodes;
}

}  // namespace ostrel::alg
