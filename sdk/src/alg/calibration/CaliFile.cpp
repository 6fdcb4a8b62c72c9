// Calibration file head and layout, file access and the shared allocation of the family.
#include <cstdlib>
#include <cstring>

#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"
#include "foundation/ByteOrder.h"
#include "foundation/Helpers.h"

namespace ostrel::alg {

namespace {

uint64_t pad64(uint64_t x) {
  return (x + 63) & ~uint64_t(63);
}

bool layoutTables(CaliLayout* l) {
  const uint64_t P = l->pixels, E = l->envCount, B = l->bbCount, L = l->lutCount;
  l->envOff = kCaliHeadSize;
  l->pointOff = l->envOff + pad64(E * (B + 1) * 2);
  l->rawOff = l->pointOff + pad64(E * 8);
  l->segOff = l->rawOff + 2 * P * E * B;
  l->compOff = l->segOff + 4 * P * E * (B - 1);
  l->lutBpOff = l->compOff + 40 * uint64_t(l->badCount);
  l->lutSegOff = l->lutBpOff + 2 * L;
  l->minSize = l->lutSegOff + (L >= 2 ? 4 * (L - 1) : 0);
  // A file past 4 GiB cannot be a calibration; the limit also keeps every plane offset and the
  // trailing non-uniformity planes well inside 64 bits.
  return l->minSize <= UINT32_MAX;
}

}  // namespace

int parseCaliHead(const uint8_t* head, CaliLayout* out) {
  if (!head || !out) return OSTREL_E_ARGUMENT;
  CaliLayout l{};
  l.width = bytes::readU16(head, kCaliHeadSize, 36);
  l.height = bytes::readU16(head, kCaliHeadSize, 38);
  l.envCount = head[40];
  l.bbCount = head[41];
  l.scale = bytes::readU16(head, kCaliHeadSize, 42);
  l.c0 = int16_t(bytes::readU16(head, kCaliHeadSize, 44));
  l.badCount = bytes::readU16(head, kCaliHeadSize, 46);
  l.shift = head[48];
  l.lutCount = head[49];
  l.lutShift = head[50];
  l.pixels = uint64_t(l.width) * l.height;
  // Fewer than two points leave no segment to interpolate in (the FPA segment would be -1, the
  // plane counts negative); shifts of 32 or more are undefined on 32-bit values.
  if (l.envCount < 2 || l.bbCount < 2 || l.pixels == 0 || l.shift >= 32 || l.lutShift >= 32) {
    return OSTREL_E_MISMATCH;
  }
  if (!layoutTables(&l)) return OSTREL_E_MISMATCH;
  *out = l;
  return OSTREL_OK;
}

int relayoutCaliHead(const CaliLayout& in, uint32_t width, uint32_t height, CaliLayout* out) {
  CaliLayout l = in;
  l.width = width;
  l.height = height;
  l.pixels = uint64_t(width) * height;
  l.badCount = 0;
  if (l.pixels == 0 || !layoutTables(&l)) return OSTREL_E_MISMATCH;
  *out = l;
  return OSTREL_OK;
}

bool compEntriesValid(const CompEntry* e, size_t count, uint64_t pixels) {
  for (size_t i = 0; i < count; ++i) {
    if (e[i].pixel >= pixels || e[i].n < 1 || e[i].n > 8) return false;
    for (uint32_t j = 0; j < e[i].n; ++j) {
      if (e[i].neighbour[j] >= pixels) return false;
    }
  }
  return true;
}

void* caliAlloc(size_t bytes) {
  return algAlloc(bytes);
}

void caliRelease(void* p) {
  std::free(p);
}

FILE* caliOpen(const char* path, uint64_t* length) {
  if (!path) return nullptr;
  FILE* f = fopenUtf8(path, "rb");
  if (!f) return nullptr;
  if (fseeko(f, 0, SEEK_END) != 0) {
    std::fclose(f);
    return nullptr;
  }
  const off_t n = ftello(f);
  if (n < 0 || fseeko(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return nullptr;
  }
  *length = uint64_t(n);
  return f;
}

int caliReadAt(FILE* f, uint64_t offset, void* dst, uint64_t n) {
  if (offset > uint64_t(INT64_MAX) || fseeko(f, off_t(offset), SEEK_SET) != 0) return OSTREL_E_SEEK;
  if (n && std::fread(dst, 1, size_t(n), f) != size_t(n)) return OSTREL_E_READ;
  return OSTREL_OK;
}

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API int Cali_CheckFile(const char* path, const void* expectedHead) {
  if (!path || !expectedHead) return OSTREL_E_ARGUMENT;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return OSTREL_E_OPEN;
  uint8_t head[kCaliHeadSize];
  const int rc = caliReadAt(f, 0, head, sizeof head);
  std::fclose(f);
  if (rc != 0) return OSTREL_E_READ;
  CaliLayout lay;
  if (parseCaliHead(head, &lay) != 0) return OSTREL_E_MISMATCH;
  // Text compare: stops at the first NUL of either side, at most 32 characters from byte 5.
  if (std::strncmp(reinterpret_cast<const char*>(head) + 5, static_cast<const char*>(expectedHead) + 5, 32) != 0) {
    return OSTREL_E_MISMATCH;
  }
  return length >= lay.minSize ? OSTREL_OK : OSTREL_E_MISMATCH;
}
