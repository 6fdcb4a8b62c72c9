// Builds a high-temperature table file from a calibration head and a converter source block.
#include <algorithm>
#include <cstring>
#include <vector>

#include "OstrelSDK.h"
#include "alg/calibration/variants/GaoWenFile.h"
#include "alg/calibration/variants/VariantLut.h"
#include "foundation/Helpers.h"

using namespace ostrel::alg;

namespace {

constexpr size_t kTableARaw = 144, kTableASeg = 272, kRangeBlock = 528, kRangeSize = 400;

void putF32(uint8_t* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  ostrel::bytes::putU32(p, bits);
}

// Points of one table: raw values and (slope, offset) segments from the source, written as
// blackbody / measured temperatures. A table of fewer than 2 points has no segment: nothing is
// written and the loader finds it invalid.
void convertPoints(const uint8_t* raw, const uint8_t* seg, int count, int32_t scale, int32_t t0, uint8_t* out) {
  if (count < 2) return;
  for (int j = 0; j < count; ++j) {
    const int k = std::min(j, count - 2);
    const int64_t r = rdI32(raw + 4 * j);
    const int64_t code = ((r * int64_t(rdI32(seg + 8 * k))) >> 10) + rdI32(seg + 8 * k + 4);
    const double blackbody = ((double(code) / scale + t0) - 0.6) / 0.97;
    const double measured = double(r) / scale + t0;
    putF32(out + 12 * j, float(blackbody));
    putF32(out + 12 * j + 4, float(measured));
  }
}

}  // namespace

extern "C" OSTREL_API int GaoWen_ConvertFile(const char* caliPath, const char* sourcePath, const char* outPath) {
  if (!caliPath || !sourcePath || !outPath) return OSTREL_E_ARGUMENT;
  uint8_t head[kCaliHeadSize];
  int rc = ostrel::fileReadExact(caliPath, head, sizeof head);
  if (rc != 0) return rc;
  const int32_t scale = rdU16(head + 42), c0 = rdI16(head + 44);
  if (scale == 0) return OSTREL_E_MISMATCH;
  std::vector<uint8_t> src(kGwSourceSize);
  rc = ostrel::fileReadExact(sourcePath, src.data(), src.size());
  if (rc != 0) return rc;
  const uint8_t na = src[52], nr = src[56], np = src[60];
  if (na > 32 || nr > 8 || np > 32) return OSTREL_E_MISMATCH;
  const int32_t t0 = -(c0 / scale);
  std::vector<uint8_t> out(kGaoWenFileSize, 0);
  std::memcpy(out.data() + 2, src.data() + 48, 2);
  out[4] = na;
  out[5] = nr;
  out[6] = np;
  convertPoints(src.data() + kTableARaw, src.data() + kTableASeg, na, scale, t0, out.data() + kGwTableAAt);
  for (int i = 0; i < nr; ++i) {
    const uint8_t* block = src.data() + kRangeBlock + kRangeSize * i;
    putF32(out.data() + kGwRangeTempAt + 4 * i, float(rdI32(block) / 1000.0));
    std::memcpy(out.data() + kGwRangeInfoAt + 256 * i, block + 4, 11);
    convertPoints(block + 16, block + 144, np, scale, t0, out.data() + kGwRangeAt + kGwRangeStride * i);
  }
  return ostrel::fileWriteAll(outPath, out.data(), out.size());
}
