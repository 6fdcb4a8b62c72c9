// FPA interpolator: environment temperature as a function of the detector temperature over the
// calibration points of one or more calibrations.
#include <algorithm>
#include <cstring>

#include "alg/calibration/CaliInternal.h"

struct FpaContext {
  int32_t count;  // calibration points
  int32_t last;   // segment of the previous call
  int64_t* fpa;   // count values, m°C
  int64_t* env;
  int64_t* shell;
  int64_t* envSlope;  // count - 1 segments: slope << 10, offset
  int64_t* envOffset;
  int64_t* shellSlope;
  int64_t* shellOffset;
};

namespace {

int64_t clamp64(__int128 v) {
  return int64_t(std::clamp<__int128>(v, INT64_MIN / 4, INT64_MAX / 4));
}

}  // namespace

using namespace ostrel::alg;

extern "C" OSTREL_API FpaContext* Fpa_Create(CaliContext* const* list) {
  if (!list) return nullptr;
  uint64_t n = 0;
  for (CaliContext* const* p = list; *p; ++p) n += (*p)->E;
  if (n < 2 || n > (1u << 20)) return nullptr;
  const size_t bytes = sizeof(FpaContext) + (3 * n + 4 * (n - 1)) * sizeof(int64_t);
  auto* f = static_cast<FpaContext*>(caliAlloc(bytes));
  if (!f) return nullptr;
  std::memset(f, 0, bytes);
  int64_t* a = reinterpret_cast<int64_t*>(f + 1);
  f->count = int32_t(n);
  f->fpa = a;
  f->env = a + n;
  f->shell = a + 2 * n;
  f->envSlope = a + 3 * n;
  f->envOffset = f->envSlope + (n - 1);
  f->shellSlope = f->envOffset + (n - 1);
  f->shellOffset = f->shellSlope + (n - 1);
  uint64_t i = 0;
  for (CaliContext* const* p = list; *p; ++p) {
    for (uint32_t e = 0; e < (*p)->E; ++e, ++i) {
      f->fpa[i] = (*p)->fpa[e];
      f->env[i] = int64_t((*p)->envTable[e]) * 1000;
      f->shell[i] = (*p)->shell[e];
    }
  }
  for (i = 0; i + 1 < n; ++i) {
    const int64_t d = f->fpa[i + 1] - f->fpa[i];
    if (d <= 0) {
      caliRelease(f);
      return nullptr;
    }
    const int64_t* vs[2] = {f->env, f->shell};
    int64_t* slopes[2] = {f->envSlope, f->shellSlope};
    int64_t* offsets[2] = {f->envOffset, f->shellOffset};
    for (int k = 0; k < 2; ++k) {
      const int64_t* v = vs[k];
      slopes[k][i] = ((v[i + 1] - v[i]) * 1024) / d;
      // m°C products pass 32 bits long before the division.
      offsets[k][i] = clamp64((__int128(f->fpa[i + 1]) * v[i] - __int128(f->fpa[i]) * v[i + 1]) / d);
    }
  }
  return f;
}

extern "C" OSTREL_API int32_t Fpa_GetEnv(FpaContext* f, int32_t t) {
  if (!f) return 0;
  int32_t j = std::clamp(f->last, 0, f->count - 2);
  while (j > 0 && t < f->fpa[j]) --j;
  while (j < f->count - 2 && t >= f->fpa[j + 1]) ++j;
  f->last = j;
  const __int128 v = ((__int128(t) * f->envSlope[j]) >> 10) + f->envOffset[j];
  return int32_t(std::clamp<__int128>(v, INT32_MIN, INT32_MAX));
}
