// ".c2m" files: a piecewise-linear base LUT for a calibration that has none of its own.
#include <algorithm>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "foundation/Logger.h"

using namespace ostrel::alg;

namespace {

constexpr const char* kSource = "Alg\\IRCali_C2m";
constexpr size_t kMaxRead = 6144;
constexpr int32_t kMinPoints = 2, kMaxPoints = 32;

// Breakpoints and (slope, offset) pairs of one table of n points: 3n - 2 i32.
uint64_t tableBytes(int32_t n) {
  return 4ull * (3ull * uint64_t(n) - 2);
}

int loadTable(CaliContext* cali, const uint8_t* buf, uint64_t got, int32_t n) {
  const int32_t tables = rdI32(buf + 32);
  const int32_t shift = rdI32(buf + 40);
  const uint64_t second = kCaliHeadSize + tableBytes(n);
  // The second table is the one used: it must be announced and lie inside the bytes read.
  if (tables < 2 || second + tableBytes(n) > got || shift < 0 || shift > 31) return OSTREL_E_FRAME_HEADER;
  int32_t bp[kMaxPoints];
  for (int32_t k = 0; k < n; ++k) {
    bp[k] = rdI32(buf + second + 4 * k);
    if (k > 0 && bp[k] <= bp[k - 1]) return OSTREL_E_MISMATCH;
  }
  const uint8_t* seg = buf + second + 4ull * n;
  int16_t* base = cali->lutBase;
  int32_t k = 0;
  for (int32_t x = -32768; x <= 32767; ++x) {
    while (k < n - 2 && x >= bp[k + 1]) ++k;
    const int64_t slope = rdI32(seg + 8 * k), offset = rdI32(seg + 8 * k + 4);
    const int64_t v = ((int64_t(x) * slope) >> shift) + offset;
    base[x] = int16_t(std::clamp<int64_t>(v, -32768, 32767));
  }
  cali->lay.lutCount = uint32_t(n);
  cali->dirty |= 1;
  return OSTREL_OK;
}

}  // namespace

extern "C" OSTREL_API int C2m_Load(CaliContext* cali, const char* path) {
  if (!cali || !path) return OSTREL_E_ARGUMENT;
  if (cali->lay.lutCount > 1) return OSTREL_E_STATE;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return OSTREL_E_OPEN;
  auto* buf = static_cast<uint8_t*>(caliAlloc(kMaxRead));
  if (!buf) {
    std::fclose(f);
    return OSTREL_E_NO_MEMORY;
  }
  // Bytes past the end of a short file read as zero, never as old heap content.
  std::memset(buf, 0, kMaxRead);
  const uint64_t got = std::fread(buf, 1, kMaxRead, f);
  std::fclose(f);
  int rc = OSTREL_OK;
  int32_t n = 0;
  if (got < kCaliHeadSize || std::strncmp(reinterpret_cast<const char*>(buf), reinterpret_cast<const char*>(cali->image), 32) != 0) {
    rc = OSTREL_E_FRAME_HEADER;
  } else {
    n = rdI32(buf + 36);
    if (n < kMinPoints || n > kMaxPoints) rc = OSTREL_E_FRAME_HEADER;
  }
  if (rc == OSTREL_OK) {
    rc = loadTable(cali, buf, got, n);
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_DEBUG, "%s,%d,%s:\nload %s, ret %d\n\n", kSource, __LINE__,
                      "C2m_Load", path, rc);
  }
  caliRelease(buf);
  return rc;
}

extern "C" OSTREL_API int C2m_CheckFile(const char* path, const void* expectedHead) {
  if (!path || !expectedHead) return OSTREL_E_ARGUMENT;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return OSTREL_E_OPEN;
  uint8_t head[kCaliHeadSize];
  const int rc = caliReadAt(f, 0, head, sizeof head);
  std::fclose(f);
  if (rc != 0) return OSTREL_E_READ;
  if (std::strncmp(reinterpret_cast<const char*>(head) + 5, static_cast<const char*>(expectedHead) + 5, 32) != 0) {
    return OSTREL_E_MISMATCH;
  }
  const int32_t n = rdI32(head + 36), t = rdI32(head + 32);
  if (n < kMinPoints || n > kMaxPoints || t < 0) return OSTREL_E_MISMATCH;
  return length == kCaliHeadSize + tableBytes(n) * uint64_t(t) ? OSTREL_OK : OSTREL_E_MISMATCH;
}
