// Non-uniformity correction: the fixed-pattern offset planes at the end of a calibration file,
// interpolated for the FPA temperature and subtracted from raw frames.
#include <algorithm>
#include <cstring>

#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace ostrel::alg {

namespace {

constexpr int32_t kDefaultThreshold = 100;
constexpr uint16_t kMinFramesBetween = 50;
// Lagrange weights and the mean term beyond this (far extrapolation) are held here, so the
// per-pixel sum stays inside 64 bits.
constexpr int64_t kWeightLimit = int64_t(1) << 40;

int64_t clampW(__int128 v) {
  return int64_t(std::clamp<__int128>(v, -kWeightLimit, kWeightLimit));
}

NstContext* allocNst(CaliContext* cali, uint64_t planePixels) {
  const uint64_t E = cali->E, P = cali->P;
  const uint64_t bytes = sizeof(NstContext) + 64 + E * planePixels * 2 + P * 2 + E * 8 + E * 4 + 16;
  if (bytes > SIZE_MAX) return nullptr;
  auto* n = static_cast<NstContext*>(caliAlloc(size_t(bytes)));
  if (!n) return nullptr;
  std::memset(n, 0, sizeof *n);
  uint8_t* p = reinterpret_cast<uint8_t*>(n + 1);
  p += (64 - (reinterpret_cast<uintptr_t>(p) & 63)) & 63;
  n->means = reinterpret_cast<int64_t*>(p);
  p += E * 8;
  n->order = reinterpret_cast<uint32_t*>(p);
  p += E * 4;
  n->current = reinterpret_cast<int16_t*>(p);
  p += P * 2;
  n->planes = reinterpret_cast<int16_t*>(p);
  std::memset(n->current, 0, P * 2);
  n->cali = cali;
  n->P = uint32_t(P);
  n->E = uint32_t(E);
  n->flags = 2;
  n->threshold = kDefaultThreshold;
  return n;
}

void subtractScalar(const int16_t* in, const int16_t* off, int16_t* out, uint64_t begin, uint64_t end) {
  for (uint64_t p = begin; p < end; ++p) {
    out[p] = int16_t(std::clamp<int32_t>(int32_t(in[p]) - off[p], -32768, 32767));
  }
}

#if defined(__x86_64__)
// Frames from this size up go out by streaming stores: past the second-level cache the plain
// stores would first read every output line in and push the planes still to be read out of the
// cache; streamed, the subtraction moves two fifths fewer bytes.
constexpr uint64_t kStreamBytes = uint64_t(1) << 20;

__attribute__((target("avx2"))) void subtractAvx2(const int16_t* in, const int16_t* off, int16_t* out, uint64_t n) {
  uint64_t p = 0;
  if (n * 2 >= kStreamBytes) {
    p = std::min<uint64_t>(n, (-reinterpret_cast<uintptr_t>(out) & 31) / 2);
    subtractScalar(in, off, out, 0, p);
    for (; p + 16 <= n; p += 16) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + p));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(off + p));
      _mm256_stream_si256(reinterpret_cast<__m256i*>(out + p), _mm256_subs_epi16(a, b));
    }
    _mm_sfence();
  } else {
    for (; p + 16 <= n; p += 16) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + p));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(off + p));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + p), _mm256_subs_epi16(a, b));
    }
  }
  subtractScalar(in, off, out, p, n);
}

uint64_t subtractSse2(const int16_t* in, const int16_t* off, int16_t* out, uint64_t n) {
  const uint64_t end = n & ~uint64_t(7);
  for (uint64_t p = 0; p < end; p += 8) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + p));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(off + p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + p), _mm_subs_epi16(a, b));
  }
  return end;
}
#endif

void recompute(NstContext* n, int32_t t, int32_t extra) {
  const CaliContext* c = n->cali;
  const uint32_t E = n->E;
  for (uint32_t k = 0; k < E; ++k) n->order[k] = k;
  auto dist = [&](uint32_t k) {
    const int64_t d = int64_t(t) - c->fpa[k];
    return d < 0 ? -d : d;
  };
  std::stable_sort(n->order, n->order + E, [&](uint32_t a, uint32_t b) { return dist(a) < dist(b); });
  const uint32_t m = E >= 4 ? 4 : E;
  int64_t L[4];
  int64_t mu[4];
  const int16_t* pl[4];
  for (uint32_t a = 0; a < m; ++a) {
    const uint32_t k = n->order[a];
    __int128 num = 1024, den = 1;
    for (uint32_t b = 0; b < m; ++b) {
      if (b == a) continue;
      const int64_t tj = c->fpa[n->order[b]];
      num *= int64_t(t) - tj;
      den *= int64_t(c->fpa[k]) - tj;
    }
    L[a] = clampW(num / den);
    mu[a] = n->means[k];
    pl[a] = n->planes + uint64_t(k) * n->P;
  }
  const int64_t t0 = c->fpa[n->order[0]], t1 = c->fpa[n->order[1]];
  // The mean term multiplies m°C by code sums: 64 bits and more before the division.
  const int64_t M = clampW(__int128(mu[0]) + __int128(mu[1] - mu[0]) * (int64_t(t) - t0) / (t1 - t0));
  const int64_t base = int64_t(extra) + M;
  for (uint64_t p = 0; p < n->P; ++p) {
    int64_t s = 0;
    for (uint32_t a = 0; a < m; ++a) s += L[a] * (mu[a] - pl[a][p]);
    n->current[p] = int16_t(std::clamp<int64_t>(base - (s >> 10), -32768, 32767));
  }
  n->flags &= uint8_t(~2u);
  n->lastFpa = t;
  n->lastCounter = n->counter;
}

}  // namespace

void nstPrepare(NstContext* n) {
  for (uint32_t k = 0; k < n->E; ++k) {
    int16_t* plane = n->planes + uint64_t(k) * n->P;
    Cali_Com(n->cali, plane);
    int64_t sum = 0;
    for (uint64_t p = 0; p < n->P; ++p) sum += plane[p];
    n->means[k] = sum / int64_t(n->P);
  }
}

}  // namespace ostrel::alg

using namespace ostrel::alg;

extern "C" OSTREL_API NstContext* Nst_Create(CaliContext* cali, const char* path) {
  if (!cali || !path || cali->E < 2) return nullptr;
  uint64_t length = 0;
  FILE* f = caliOpen(path, &length);
  if (!f) return nullptr;
  const uint64_t planeBytes = 2ull * cali->P * cali->E;
  NstContext* n = nullptr;
  if (length == cali->lay.minSize + planeBytes) {
    n = allocNst(cali, cali->P);
    if (n && caliReadAt(f, cali->lay.minSize, n->planes, planeBytes) != 0) Nst_Free(&n);
  }
  std::fclose(f);
  if (n) nstPrepare(n);
  return n;
}

extern "C" OSTREL_API NstContext* Nst_CreateX(CaliContext* cali, const CaliCreateInfo* info) {
  if (!cali || !info || !info->caliPath || cali->E < 2) return nullptr;
  uint64_t length = 0;
  FILE* f = caliOpen(info->caliPath, &length);
  if (!f) return nullptr;
  uint8_t head[kCaliHeadSize];
  CaliLayout lay{};
  bool ok = caliReadAt(f, 0, head, sizeof head) == 0 && parseCaliHead(head, &lay) == 0 &&
            lay.width == info->sensorWidth && lay.height == info->sensorHeight && lay.envCount == cali->E &&
            length == lay.minSize + 2 * lay.pixels * lay.envCount;
  uint32_t ww = lay.width, wh = lay.height;
  if (ok && uint64_t(info->windowWidth) * info->windowHeight < lay.pixels) {
    ww = info->windowWidth;
    wh = info->windowHeight;
    ok = ww > 0 && wh > 0 && ww <= lay.width && wh <= lay.height;
  }
  ok = ok && uint64_t(ww) * wh == cali->P;
  NstContext* n = ok ? allocNst(cali, lay.pixels) : nullptr;
  if (n && caliReadAt(f, lay.minSize, n->planes, 2 * lay.pixels * lay.envCount) != 0) Nst_Free(&n);
  std::fclose(f);
  if (!n) return nullptr;
  if (ww != lay.width || wh != lay.height) {
    // In place: every window row moves to a lower or equal address than the one it came from.
    const uint64_t x0 = (lay.width - ww) / 2, y0 = (lay.height - wh) / 2;
    for (uint64_t k = 0; k < lay.envCount; ++k) {
      const int16_t* src = n->planes + k * lay.pixels;
      int16_t* dst = n->planes + k * n->P;
      for (uint64_t y = 0; y < wh; ++y) {
        std::memmove(dst + y * ww, src + (y0 + y) * lay.width + x0, ww * 2);
      }
    }
  }
  nstPrepare(n);
  return n;
}

extern "C" OSTREL_API int Nst_Execute(NstContext* nst, int32_t fpaTemp, int32_t extra, const int16_t* in,
                                      int16_t* out) {
  if (!nst || !in || !out) return OSTREL_E_ARGUMENT;
  const uint16_t n = nst->counter;
  nst->counter = uint16_t(n + 1);
  const int64_t moved = int64_t(fpaTemp) - nst->lastFpa;
  const bool due = uint16_t(n - nst->lastCounter + 1) > kMinFramesBetween &&
                   (moved < 0 ? -moved : moved) > nst->threshold;
  if ((nst->flags & 2) || due) recompute(nst, fpaTemp, extra);
  uint64_t done = 0;
#if defined(__x86_64__)
  if (simdLevel() >= SimdLevel::Avx2) {
    subtractAvx2(in, nst->current, out, nst->P);
    return OSTREL_OK;
  }
  if (simdLevel() >= SimdLevel::Sse2) {
    done = subtractSse2(in, nst->current, out, nst->P);
  }
#endif
  subtractScalar(in, nst->current, out, done, nst->P);
  return OSTREL_OK;
}

extern "C" OSTREL_API void Nst_SetConfig(NstContext* nst, int32_t threshold) {
  if (nst && threshold >= kDefaultThreshold) nst->threshold = threshold;
}
