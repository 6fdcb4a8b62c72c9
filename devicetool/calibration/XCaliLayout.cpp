#include "XCaliLayout.h"

#include <cmath>
#include <cstring>

#include "devicetool/ValueConvert.h"

namespace xcali {

size_t partOffset(Part part, int k) {
  switch (part) {
    case Part::Head: return 0;
    case Part::Cali1: return entryOffset(k) + kCali1Offset;
    case Part::Cali2: return entryOffset(k) + kCali2Offset;
    case Part::Cust: return entryOffset(k) + kCustOffset;
  }
  return 0;
}

size_t partSize(Part part) {
  switch (part) {
    case Part::Head: return kHeadSize;
    case Part::Cali1: return kCali1Size;
    case Part::Cali2: return kCali2Size;
    case Part::Cust: return kCustSize;
  }
  return 0;
}

int64_t nearestRaw(double value, double factor, int64_t lo, int64_t hi, int64_t fallback) {
  if (std::isnan(value) || factor == 0.0 || !std::isfinite(factor)) return valueconv::clampToField(fallback, lo, hi);
  const double q = std::round(value / factor);  // std::round: halves away from zero
  if (q <= double(lo)) return lo;
  if (q >= double(hi)) return hi;
  return int64_t(q);
}

void putF32IfChanged(uint8_t* p, float v) {
  float old;
  std::memcpy(&old, p, 4);
  if (old == v || (std::isnan(old) && std::isnan(v))) return;
  std::memcpy(p, &v, 4);
}

void terminateNames(uint8_t* block) {
  for (int k = 0; k < kEntries; ++k) block[entryOffset(k) + kCali1Offset + kNameOffset + kNameSize - 1] = 0;
}

}  // namespace xcali
