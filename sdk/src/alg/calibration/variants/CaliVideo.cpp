// Video calibration: non-uniformity offset planes over the FPA temperature, one per-pixel gain
// plane, bad-pixel repair and an environment temperature axis.
#include <algorithm>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/calibration/variants/VariantSimd.h"

using namespace ostrel::alg;

namespace {

constexpr uint16_t kFramesBetween = 30;
constexpr int32_t kThreshold = 100;
constexpr int64_t kWeightLimit = int64_t(1) << 40;

uint64_t pad64(uint64_t x) {
  return (x + 63) & ~uint64_t(63);
}

struct VideoHead {
  uint32_t width, height, E, K, shift;
  uint8_t gain;
  uint64_t P, envAt, pointAt, planeAt, gainAt, compAt, size;
};

// 0, or -11 for a head that describes no usable file.
int parseHead(const uint8_t* h, VideoHead* v) {
  v->width = rdU16(h + 36);
  v->height = rdU16(h + 38);
  v->E = h[40];
  v->K = rdU16(h + 46);
  v->shift = h[48];
  v->gain = h[56];
  v->P = uint64_t(v->width) * v->height;
  if (v->E < 2 || v->P == 0 || v->shift > 31) return OSTREL_E_MISMATCH;
  v->envAt = kCaliHeadSize;
  v->pointAt = v->envAt + pad64(2ull * v->E);
  v->planeAt = v->pointAt + pad64(8ull * v->E);
  v->gainAt = v->planeAt + 2 * v->P * v->E;
  v->compAt = v->gainAt + 4 * v->P;
  v->size = v->compAt + 40ull * v->K;
  return v->size <= UINT32_MAX ? OSTREL_OK : OSTREL_E_MISMATCH;
}

struct EnvSeg {
  int64_t slope;  // << 10
  int64_t offset;
};

}  // namespace

struct CaliVideo {
  uint8_t* block;
  uint8_t* image;
  VideoHead head;
  const int16_t* env;
  const int32_t* fpa;
  const int32_t* shell;
  const int16_t* planes;
  const SegEntry* gain;
  CompEntry* own;
  uint32_t ownCount;
  int16_t* current;
  int64_t* means;
  uint32_t* order;
  EnvSeg* envSeg;  // null when the environment axis was refused
  uint32_t lastSeg;
  CompEntry* entries;
  uint32_t entryCount;
  uint8_t flags;  // bit 1: recompute at the next frame
  int32_t lastFpa;
  uint16_t counter, lastCounter;
};

namespace {

void loadComp(CaliVideo* v, const char* path) {
  if (!path || !*path) return;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return;
  uint8_t h[kCaliHeadSize];
  bool ok = caliReadAt(f, 0, h, sizeof h) == 0;
  const uint16_t n = ok ? rdU16(h + 40) : 0;
  ok = ok && std::strncmp(reinterpret_cast<const char*>(h), reinterpret_cast<const char*>(v->image), 32) == 0 &&
       rdU16(h + 36) == v->head.width && rdU16(h + 38) == v->head.height && n > 0 &&
       length == kCaliHeadSize + 40ull * n;
  CompEntry* e = nullptr;
  if (ok) {
    e = static_cast<CompEntry*>(caliAlloc(n * sizeof(CompEntry)));
    ok = e && caliReadAt(f, kCaliHeadSize, e, n * sizeof(CompEntry)) == 0 && compEntriesValid(e, n, v->head.P);
  }
  std::fclose(f);
  if (!ok) {
    caliRelease(e);
    return;
  }
  v->entries = e;
  v->entryCount = n;
}

// Segments of the environment axis into segs: false (nothing usable) unless the FPA
// temperatures rise and the environment rises by at least 1 °C between every pair of points.
bool buildEnvAxis(const CaliVideo* v, EnvSeg* segs) {
  const uint32_t E = v->head.E;
  for (uint32_t i = 0; i + 1 < E; ++i) {
    if (v->fpa[i + 1] <= v->fpa[i] || int32_t(v->env[i + 1]) - v->env[i] < 1) return false;
  }
  for (uint32_t i = 0; i + 1 < E; ++i) {
    const int64_t f0 = v->fpa[i], f1 = v->fpa[i + 1];
    const int64_t e0 = int64_t(v->env[i]) * 1000, e1 = int64_t(v->env[i + 1]) * 1000;
    // m°C times m°C: 64 bits.
    segs[i].slope = ((e1 - e0) * 1024) / (f1 - f0);
    segs[i].offset = (e0 * f1 - e1 * f0) / (f1 - f0);
  }
  return true;
}

int64_t clampW(__int128 x) {
  return int64_t(std::clamp<__int128>(x, -kWeightLimit, kWeightLimit));
}

// The offset plane for t: Lagrange weights over the up to four nearest points around the
// planes' means, as the calibration's non-uniformity correction does, without extra term.
void recompute(CaliVideo* v, int32_t t) {
  const uint32_t E = v->head.E;
  const uint64_t P = v->head.P;
  for (uint32_t k = 0; k < E; ++k) v->order[k] = k;
  auto dist = [&](uint32_t k) {
    const int64_t d = int64_t(t) - v->fpa[k];
    return d < 0 ? -d : d;
  };
  std::stable_sort(v->order, v->order + E, [&](uint32_t a, uint32_t b) { return dist(a) < dist(b); });
  const uint32_t m = std::min<uint32_t>(E, 4);
  int64_t L[4], mu[4];
  const int16_t* pl[4];
  for (uint32_t a = 0; a < m; ++a) {
    const uint32_t k = v->order[a];
    __int128 num = 1024, den = 1;
    for (uint32_t b = 0; b < m; ++b) {
      if (b == a) continue;
      const int64_t tj = v->fpa[v->order[b]];
      num *= int64_t(t) - tj;
      den *= int64_t(v->fpa[k]) - tj;
    }
    L[a] = den != 0 ? clampW(num / den) : 0;
    mu[a] = v->means[k];
    pl[a] = v->planes + uint64_t(k) * P;
  }
  const int64_t t0 = v->fpa[v->order[0]], t1 = v->fpa[v->order[1]];
  const int64_t M = t1 != t0 ? clampW(__int128(mu[0]) + __int128(mu[1] - mu[0]) * (int64_t(t) - t0) / (t1 - t0)) : mu[0];
  for (uint64_t p = 0; p < P; ++p) {
    int64_t s = 0;
    for (uint32_t a = 0; a < m; ++a) s += L[a] * (mu[a] - pl[a][p]);
    v->current[p] = int16_t(std::clamp<int64_t>(M - (s >> 10), -32768, 32767));
  }
  v->flags &= uint8_t(~2u);
  v->lastFpa = t;
  v->lastCounter = v->counter;
}

}  // namespace

extern "C" OSTREL_API void CaliVideo_Free(CaliVideo** p) {
  if (!p || !*p) return;
  caliRelease((*p)->entries);
  caliRelease((*p)->own);
  caliRelease((*p)->block);
  caliRelease(*p);
  *p = nullptr;
}

extern "C" OSTREL_API CaliVideo* CaliVideo_Create(const char* path, const char* compPath) {
  if (!path) return nullptr;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return nullptr;
  uint8_t h[kCaliHeadSize];
  VideoHead vh{};
  bool ok = caliReadAt(f, 0, h, sizeof h) == 0 && parseHead(h, &vh) == 0 && length == vh.size;
  CaliVideo* v = nullptr;
  if (ok) {
    v = static_cast<CaliVideo*>(caliAlloc(sizeof(CaliVideo)));
    ok = v != nullptr;
  }
  if (ok) {
    std::memset(v, 0, sizeof *v);
    v->head = vh;
    const uint64_t work = 2 * vh.P + 64 + 8ull * vh.E + 4ull * vh.E + 16ull * vh.E + 64;
    v->block = static_cast<uint8_t*>(caliAlloc(size_t(vh.size + work + 64)));
    ok = v->block != nullptr;
  }
  if (ok) {
    uint8_t* p = v->block + ((64 - (reinterpret_cast<uintptr_t>(v->block) & 63)) & 63);
    v->image = p;
    ok = caliReadAt(f, 0, v->image, vh.size) == 0;
    p += pad64(vh.size);
    v->current = reinterpret_cast<int16_t*>(p);
    p += pad64(2 * vh.P);
    v->means = reinterpret_cast<int64_t*>(p);
    v->envSeg = reinterpret_cast<EnvSeg*>(v->means + vh.E);
    v->order = reinterpret_cast<uint32_t*>(v->envSeg + vh.E);
  }
  std::fclose(f);
  if (ok) {
    v->env = reinterpret_cast<const int16_t*>(v->image + vh.envAt);
    v->fpa = reinterpret_cast<const int32_t*>(v->image + vh.pointAt);
    v->shell = v->fpa + vh.E;
    v->planes = reinterpret_cast<const int16_t*>(v->image + vh.planeAt);
    v->gain = reinterpret_cast<const SegEntry*>(v->image + vh.gainAt);
    std::memset(v->current, 0, 2 * vh.P);
    if (vh.K > 0) {
      // The file's own entries are copied aligned and must address pixels of this image.
      v->own = static_cast<CompEntry*>(caliAlloc(vh.K * sizeof(CompEntry)));
      ok = v->own != nullptr;
      if (ok) {
        std::memcpy(v->own, v->image + vh.compAt, vh.K * sizeof(CompEntry));
        ok = compEntriesValid(v->own, vh.K, vh.P);
        v->ownCount = vh.K;
      }
    }
  }
  if (!ok) {
    CaliVideo_Free(&v);
    return nullptr;
  }
  loadComp(v, compPath);
  EnvSeg* segs = v->envSeg;
  v->envSeg = buildEnvAxis(v, segs) ? segs : nullptr;
  auto* planes = const_cast<int16_t*>(v->planes);
  for (uint32_t k = 0; k < vh.E; ++k) {
    int16_t* plane = planes + uint64_t(k) * vh.P;
    CaliVideo_Com(v, plane);
    int64_t sum = 0;
    for (uint64_t p = 0; p < vh.P; ++p) sum += plane[p];
    v->means[k] = sum / int64_t(vh.P);
  }
  v->flags = 2;
  return v;
}

extern "C" OSTREL_API int CaliVideo_CheckFile(const char* path, const void* expectedHead) {
  if (!path || !expectedHead) return OSTREL_E_ARGUMENT;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return OSTREL_E_OPEN;
  uint8_t h[kCaliHeadSize];
  const int rc = caliReadAt(f, 0, h, sizeof h);
  std::fclose(f);
  if (rc != 0) return OSTREL_E_READ;
  if (std::strncmp(reinterpret_cast<const char*>(h), static_cast<const char*>(expectedHead), 32) != 0) {
    return OSTREL_E_MISMATCH;
  }
  VideoHead vh{};
  return parseHead(h, &vh) == 0 && length == vh.size ? OSTREL_OK : OSTREL_E_MISMATCH;
}

extern "C" OSTREL_API void CaliVideo_Com(const CaliVideo* v, int16_t* frame) {
  if (!v || !frame) return;
  const CompEntry* e = v->entryCount ? v->entries : v->own;
  const uint32_t n = v->entryCount ? v->entryCount : v->ownCount;
  for (uint32_t i = 0; i < n; ++i) {
    int32_t sum = 0;
    for (uint32_t j = 0; j < e[i].n; ++j) sum += frame[e[i].neighbour[j]];
    frame[e[i].pixel] = int16_t(sum / int32_t(e[i].n));
  }
}

extern "C" OSTREL_API int32_t CaliVideo_GetEnv(CaliVideo* v, int32_t fpaTemp) {
  if (!v || !v->envSeg) return 0;
  const uint32_t E = v->head.E;
  uint32_t k = v->lastSeg;
  while (k > 0 && fpaTemp < v->fpa[k]) --k;
  while (k < E - 2 && fpaTemp >= v->fpa[k + 1]) ++k;
  v->lastSeg = k;
  const __int128 r = ((__int128(fpaTemp) * v->envSeg[k].slope) >> 10) + v->envSeg[k].offset;
  return int32_t(std::clamp<__int128>(r, INT32_MIN, INT32_MAX));
}

extern "C" OSTREL_API int CaliVideo_Nst(CaliVideo* v, int32_t fpaTemp, const int16_t* in, int16_t* out) {
  if (!v || !in || !out) return OSTREL_E_ARGUMENT;
  const uint16_t n = v->counter;
  v->counter = uint16_t(n + 1);
  const int64_t moved = int64_t(fpaTemp) - v->lastFpa;
  const bool due = uint16_t(n - v->lastCounter + 1) > kFramesBetween && (moved < 0 ? -moved : moved) > kThreshold;
  if ((v->flags & 2) || due) recompute(v, fpaTemp);
  subPlaneSat(in, v->current, out, v->head.P);
  return OSTREL_OK;
}

extern "C" OSTREL_API void CaliVideo_Fix(CaliVideo* v, int16_t* frame) {
  if (!v || !frame || !v->head.gain) return;
  applyGain(frame, v->gain, v->head.shift, v->head.P);
}

extern "C" OSTREL_API int Com_ProcessVideo(const CaliVideo* v, const char* listPath, const char* outPath) {
  if (!v) return -1;
  // The bad-point merge reads only the identity, the size and the repair entries of the
  // calibration it is given.
  CaliContext view;
  std::memset(&view, 0, sizeof view);
  view.image = v->image;
  view.lay.width = v->head.width;
  view.lay.height = v->head.height;
  view.lay.pixels = v->head.P;
  view.P = uint32_t(v->head.P);
  view.ownEntries = v->own;
  view.ownCount = v->ownCount;
  view.entries = v->entries;
  view.entryCount = v->entryCount;
  return Com_Process(&view, listPath, outPath);
}
