// Visible and infrared image fusion (the mix* exports).
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "OstrelSDK.h"
#include "alg/common/AlgCommon.h"
#include "alg/tools/ToolsCommon.h"

struct MixContext {
  uint8_t* buffer;  // first member: the shared free releases it (see ToolsCommon.h)
  int64_t capacity; // pixels the buffer holds; 0 = unsized
  uint16_t width, height;
  int64_t pixels;
  uint8_t mode, strength;
  int winLeft, winTop, winWidth, winHeight;
  int16_t* edge;       // width x height; fuseEdges keeps each pixel's palette index here
  uint8_t* luma;       // width x height
  uint8_t* clampTable; // 65536 bytes, indexed by a 16-bit value as unsigned
};

namespace {

using ostrel::alg::tools::kMaxToolPixels;

constexpr int kModeEdges = 2;
constexpr int kModeBlend = 3;
constexpr int kModeWindow = 4;

void unsize(MixContext* m) {
  std::free(m->buffer);
  m->buffer = nullptr;
  m->capacity = 0;
  m->width = m->height = 0;
  m->pixels = 0;
  m->edge = nullptr;
  m->luma = nullptr;
  m->clampTable = nullptr;
}

// Makes the object ready for width x height. False (and the object unsized) without memory, so
// a later call with the same size does not take the missing buffer for a ready one.
bool mixAlloc(MixContext* m, int width, int height) {
  const int64_t pixels = int64_t(width) * height;
  if (m->buffer && width == m->width && height == m->height) return true;
  if (!m->buffer || pixels > m->capacity) {
    unsize(m);
    auto* block = static_cast<uint8_t*>(ostrel::alg::algAlloc(size_t(pixels) * 5 + 65536));
    if (!block) return false;
    m->buffer = block;
    m->capacity = pixels;
    uint8_t* clamp = block + pixels * 3;
    for (int v = 0; v < 65536; ++v) {
      const int s = int16_t(uint16_t(v));
      clamp[v] = uint8_t(s <= 0 ? 0 : s >= 255 ? 255 : s);
    }
  }
  m->edge = reinterpret_cast<int16_t*>(m->buffer);
  m->luma = m->buffer + pixels * 2;
  m->clampTable = m->buffer + m->capacity * 3;
  m->width = uint16_t(width);
  m->height = uint16_t(height);
  m->pixels = pixels;
  m->winLeft = width / 4;
  m->winTop = height / 4;
  m->winWidth = width / 2;
  m->winHeight = height / 2;
  return true;
}

// BT.601 studio-swing luma of a BGRA pixel.
inline uint8_t lumaOf(uint32_t bgra) {
  const uint32_t b = bgra & 0xFF, g = (bgra >> 8) & 0xFF, r = (bgra >> 16) & 0xFF;
  return uint8_t(((66 * r + 129 * g + 25 * b) >> 8) + 16);
}

// Luma plane of the visible image.
void lumaScalar(const uint32_t* visible, uint8_t* luma, int64_t from, int64_t n) {
  for (int64_t i = from; i < n; ++i) luma[i] = lumaOf(visible[i]);
}

// Palette index of an interior pixel: the level plus the scaled edge, clamped through the table.
// The eight neighbours minus eight times the centre is the 3 x 3 box sum minus nine times it.
void edgeRowScalar(const uint8_t* up, const uint8_t* mid, const uint8_t* dn, const uint8_t* levels, uint8_t* index,
                   int from, int to, int s, const uint8_t* clamp) {
  for (int x = from; x < to; ++x) {
    const int box = up[x - 1] + up[x] + up[x + 1] + mid[x - 1] + mid[x] + mid[x + 1] + dn[x - 1] + dn[x] + dn[x + 1];
    const int edge = box - 9 * mid[x];
    index[x] = clamp[uint16_t(levels[x] + ((s * edge) >> 4))];
  }
}

void blendScalar(uint32_t* out, const uint32_t* visible, const uint8_t* levels, const uint32_t* palette,
                 int64_t from, int64_t n, uint32_t s) {
  const uint32_t vs = 16 - s;
  for (int64_t i = from; i < n; ++i) {
    const uint32_t v = visible[i], p = palette[levels[i]];
    // B and R side by side in 16-bit halves, then G; the sums stay below 2^12 per channel.
    const uint32_t br = (((v & 0x00FF00FFu) * vs + (p & 0x00FF00FFu) * s) >> 4) & 0x00FF00FFu;
    const uint32_t g = ((((v >> 8) & 0xFFu) * vs + ((p >> 8) & 0xFFu) * s) >> 4) & 0xFFu;
    out[i] = br | (g << 8) | 0xFF000000u;
  }
}

#if defined(__SSE2__)
// Luma of 4 pixels as 32-bit lanes: pmaddwd gives 25 B + 129 G and 66 R per pixel.
inline __m128i luma4(__m128i px) {
  const __m128i zero = _mm_setzero_si128(), coeff = _mm_setr_epi16(25, 129, 66, 0, 25, 129, 66, 0);
  const __m128 lo = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpacklo_epi8(px, zero), coeff));
  const __m128 hi = _mm_castsi128_ps(_mm_madd_epi16(_mm_unpackhi_epi8(px, zero), coeff));
  const __m128i sum = _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(2, 0, 2, 0))),
                                    _mm_castps_si128(_mm_shuffle_ps(lo, hi, _MM_SHUFFLE(3, 1, 3, 1))));
  return _mm_add_epi32(_mm_srli_epi32(sum, 8), _mm_set1_epi32(16));
}

void lumaSse2(const uint32_t* visible, uint8_t* luma, int64_t n) {
  int64_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const auto* v = reinterpret_cast<const __m128i*>(visible + i);
    const __m128i a = _mm_packs_epi32(luma4(_mm_loadu_si128(v)), luma4(_mm_loadu_si128(v + 1)));
    const __m128i b = _mm_packs_epi32(luma4(_mm_loadu_si128(v + 2)), luma4(_mm_loadu_si128(v + 3)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(luma + i), _mm_packus_epi16(a, b));
  }
  lumaScalar(visible, luma, i, n);
}

inline __m128i widen(const uint8_t* p, bool high) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  return high ? _mm_unpackhi_epi8(v, _mm_setzero_si128()) : _mm_unpacklo_epi8(v, _mm_setzero_si128());
}

// 16 interior pixels a step; packus does the clamp to 0..255 of the signed 16-bit sums.
void edgeRowSse2(const uint8_t* up, const uint8_t* mid, const uint8_t* dn, const uint8_t* levels, uint8_t* index,
                 int from, int to, int s, const uint8_t* clamp) {
  const __m128i strength = _mm_set1_epi16(int16_t(s)), eight = _mm_set1_epi16(8);
  int x = from;
  for (; x + 16 <= to; x += 16) {
    __m128i half[2];
    for (int h = 0; h < 2; ++h) {
      const bool hi = h == 1;
      __m128i box = _mm_add_epi16(_mm_add_epi16(widen(up + x - 1, hi), widen(up + x, hi)), widen(up + x + 1, hi));
      box = _mm_add_epi16(box, _mm_add_epi16(widen(mid + x - 1, hi), widen(mid + x + 1, hi)));
      box = _mm_add_epi16(box, _mm_add_epi16(_mm_add_epi16(widen(dn + x - 1, hi), widen(dn + x, hi)),
                                             widen(dn + x + 1, hi)));
      const __m128i edge = _mm_sub_epi16(box, _mm_mullo_epi16(widen(mid + x, hi), eight));
      half[h] = _mm_add_epi16(widen(levels + x, hi), _mm_srai_epi16(_mm_mullo_epi16(edge, strength), 4));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index + x), _mm_packus_epi16(half[0], half[1]));
  }
  edgeRowScalar(up, mid, dn, levels, index, x, to, s, clamp);
}

void blendSse2(uint32_t* out, const uint32_t* visible, const uint8_t* levels, const uint32_t* palette, int64_t n,
               uint32_t s) {
  // The palette colours times s, one 64-bit word of four 16-bit channels each.
  alignas(16) uint64_t scaled[256];
  for (int k = 0; k < 256; ++k) {
    uint64_t w = 0;
    for (int c = 0; c < 4; ++c) w |= uint64_t(((palette[k] >> (8 * c)) & 0xFF) * s) << (16 * c);
    scaled[k] = w;
  }
  const __m128i vs = _mm_set1_epi16(int16_t(16 - s)), zero = _mm_setzero_si128();
  const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000u));
  int64_t i = 0;
  for (; i + 4 <= n; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(visible + i));
    const __m128i p01 = _mm_set_epi64x(int64_t(scaled[levels[i + 1]]), int64_t(scaled[levels[i]]));
    const __m128i p23 = _mm_set_epi64x(int64_t(scaled[levels[i + 3]]), int64_t(scaled[levels[i + 2]]));
    const __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(v, zero), vs), p01), 4);
    const __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(v, zero), vs), p23), 4);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_or_si128(_mm_packus_epi16(lo, hi), alpha));
  }
  blendScalar(out, visible, levels, palette, i, n, s);
}
#endif

bool vectorKernels() {
#if defined(__SSE2__)
  return ostrel::alg::simdLevel() != ostrel::alg::SimdLevel::Scalar;
#else
  return false;
#endif
}

void fuseEdges(MixContext* m, uint32_t* out, const uint32_t* visible, const uint8_t* levels,
               const uint32_t* palette) {
  const int w = m->width, h = m->height, s = m->strength;
  const bool vec = vectorKernels();
  uint8_t* luma = m->luma;
  // The edge plane holds the clamped palette index of every pixel.
  auto* index = reinterpret_cast<uint8_t*>(m->edge);
#if defined(__SSE2__)
  if (vec) lumaSse2(visible, luma, m->pixels);
  else
#endif
    lumaScalar(visible, luma, 0, m->pixels);
  std::memcpy(index, levels, size_t(w));
  std::memcpy(index + int64_t(h - 1) * w, levels + int64_t(h - 1) * w, size_t(w));
  for (int y = 1; y < h - 1; ++y) {
    const int64_t row = int64_t(y) * w;
    index[row] = levels[row];
    index[row + w - 1] = levels[row + w - 1];
    auto kernel = edgeRowScalar;
#if defined(__SSE2__)
    if (vec) kernel = edgeRowSse2;
#endif
    kernel(luma + row - w, luma + row, luma + row + w, levels + row, index + row, 1, w - 1, s, m->clampTable);
  }
  for (int64_t i = 0; i < m->pixels; ++i) out[i] = palette[index[i]];
}

void fuseBlend(MixContext* m, uint32_t* out, const uint32_t* visible, const uint8_t* levels,
               const uint32_t* palette) {
#if defined(__SSE2__)
  if (vectorKernels()) return blendSse2(out, visible, levels, palette, m->pixels, m->strength);
#endif
  blendScalar(out, visible, levels, palette, 0, m->pixels, m->strength);
}

void fuseWindow(MixContext* m, uint32_t* out, const uint32_t* visible, const uint8_t* levels,
                const uint32_t* palette) {
  const int w = m->width, h = m->height;
  if (out != visible) std::memcpy(out, visible, size_t(m->pixels) * 4);
  for (int y = m->winTop; y < m->winTop + m->winHeight && y < h; ++y) {
    const int64_t row = int64_t(y) * w;
    for (int x = m->winLeft; x < m->winLeft + m->winWidth; ++x) out[row + x] = palette[levels[row + x]];
  }
}

}  // namespace

extern "C" OSTREL_API MixContext* mixCreate(void) {
  auto* m = static_cast<MixContext*>(std::calloc(1, sizeof(MixContext)));
  if (!m) return nullptr;
  m->mode = kModeWindow;
  m->strength = 8;
  if (!mixAlloc(m, 640, 480)) {
    std::free(m);
    return nullptr;
  }
  return m;
}

extern "C" OSTREL_API void mixGetConfig(const MixContext* ctx, uint8_t* config) {
  if (!ctx || !config) return;
  config[0] = ctx->mode;
  config[1] = ctx->strength;
}

extern "C" OSTREL_API void mixSetConfig(MixContext* ctx, const uint8_t* config) {
  if (!ctx || !config) return;
  if (config[0] < 6) ctx->mode = config[0];
  if (config[1] >= 1 && config[1] <= 15) ctx->strength = config[1];
}

extern "C" OSTREL_API void mixExecute(MixContext* ctx, uint32_t* out, const uint32_t* visible,
                                      const uint8_t* levels, const uint32_t* palette, int width, int height) {
  if (!ctx || !out || !visible || !levels || !palette) return;
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) return;
  if (int64_t(width) * height > kMaxToolPixels) return;
  if (ctx->mode != kModeEdges && ctx->mode != kModeBlend && ctx->mode != kModeWindow) return;
  if (!mixAlloc(ctx, width, height)) return;
  switch (ctx->mode) {
    case kModeEdges: fuseEdges(ctx, out, visible, levels, palette); break;
    case kModeBlend: fuseBlend(ctx, out, visible, levels, palette); break;
    default: fuseWindow(ctx, out, visible, levels, palette); break;
  }
}
