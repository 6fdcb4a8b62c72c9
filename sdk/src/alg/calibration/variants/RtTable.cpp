// Thermistor table: a 16-bit converter reading to a temperature through the resistance of a
// divider, looked up in a resistance-temperature table.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"

using namespace ostrel::alg;

namespace {
constexpr uint64_t kHead = 128;
// Resistances beyond this are far past any table and would overflow the segment line.
constexpr double kMaxResistance = double(int64_t(1) << 40);
}  // namespace

struct RtTable {
  uint32_t n;
  int32_t a, b;
  int32_t table[65536];
  int64_t* slope;   // << 10, n - 1
  int64_t* offset;  // n - 1
  int32_t* pairs;   // n x (temperature, resistance), the file's
};

extern "C" OSTREL_API RtTable* rtCreate(const char* path) {
  if (!path) return nullptr;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return nullptr;
  uint8_t head[kHead];
  int32_t n = 0;
  bool ok = caliReadAt(f, 0, head, kHead) == 0;
  if (ok) {
    n = rdI32(head + 32);
    ok = n >= 2 && length == kHead + 8ull * uint64_t(n);
  }
  RtTable* rt = nullptr;
  if (ok) {
    const uint64_t bytes = sizeof(RtTable) + 16ull * (n - 1) + 8ull * n;
    rt = bytes <= SIZE_MAX ? static_cast<RtTable*>(caliAlloc(size_t(bytes))) : nullptr;
    ok = rt != nullptr;
  }
  if (ok) {
    rt->n = uint32_t(n);
    rt->a = rdI32(head + 36);
    rt->b = rdI32(head + 40);
    rt->slope = reinterpret_cast<int64_t*>(rt + 1);
    rt->offset = rt->slope + (n - 1);
    rt->pairs = reinterpret_cast<int32_t*>(rt->offset + (n - 1));
    ok = caliReadAt(f, kHead, rt->pairs, 8ull * n) == 0;
    for (int32_t i = 0; ok && i < 2 * n; ++i) rt->pairs[i] = rdI32(reinterpret_cast<const uint8_t*>(rt->pairs + i));
  }
  std::fclose(f);
  for (int32_t k = 0; ok && k + 1 < n; ++k) {
    const int64_t t0 = rt->pairs[2 * k], r0 = rt->pairs[2 * k + 1];
    const int64_t t1 = rt->pairs[2 * k + 2], r1 = rt->pairs[2 * k + 3];
    if (r1 <= r0 || t1 >= t0) {
      ok = false;
      break;
    }
    rt->slope[k] = ((t1 - t0) * 1024) / (r1 - r0);
    rt->offset[k] = t0 - ((t1 - t0) * r0) / (r1 - r0);
  }
  if (!ok) {
    caliRelease(rt);
    return nullptr;
  }
  // Readings at or past B/1000 leave no positive denominator: the resistance there is beyond
  // every table, so they read the coldest end of the table.
  const int32_t coldest = rt->pairs[2 * (n - 1)];
  const double a = rt->a / 1000.0, b = rt->b / 1000.0;
  int32_t k = 0;
  for (uint32_t j = 1; j < 65536; ++j) {
    const double den = b / double(j) - 1.0;
    const double r = den > 0 ? std::trunc(a / den) : 0.0;
    if (den <= 0 || !std::isfinite(r) || std::fabs(r) > kMaxResistance) {
      rt->table[j] = coldest;
      continue;
    }
    const int64_t ri = int64_t(r);
    while (k > 0 && ri < rt->pairs[2 * k + 1]) --k;
    while (k < n - 2 && ri >= rt->pairs[2 * (k + 1) + 1]) ++k;
    // A steep segment times a far resistance passes 64 bits; the product is taken wide.
    const __int128 t = ((__int128(ri) * rt->slope[k]) >> 10) + rt->offset[k];
    rt->table[j] = int32_t(std::clamp<__int128>(t, INT32_MIN, INT32_MAX));
  }
  rt->table[0] = rt->table[1];
  return rt;
}

extern "C" OSTREL_API int32_t rtGet(const RtTable* rt, int32_t reading) {
  if (!rt) return 0;
  return rt->table[uint16_t(reading)];
}
