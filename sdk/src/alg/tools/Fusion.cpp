// Visible and infrared image fusion (the mix* exports).
#include <cstdlib>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/frame/FrameCommon.h"
#include "alg/tools/ToolsCommon.h"

struct MixContext {
  uint8_t* buffer;  // first member: the shared free releases it (see ToolsCommon.h)
  int64_t capacity; // pixels the buffer holds; 0 = unsized
  uint16_t width, height;
  int64_t pixels;
  uint8_t mode, strength;
  int winLeft, winTop, winWidth, winHeight;
  int16_t* edge;       // width x height
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
    auto* block = static_cast<uint8_t*>(ostrel::alg::frameAlloc(size_t(pixels) * 5 + 65536));
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

void fuseEdges(MixContext* m, uint32_t* out, const uint32_t* visible, const uint8_t* levels,
               const uint32_t* palette) {
  const int w = m->width, h = m->height;
  uint8_t* luma = m->luma;
  int16_t* edge = m->edge;
  for (int64_t i = 0; i < m->pixels; ++i) luma[i] = lumaOf(visible[i]);
  // The eight neighbours minus eight times the centre is the 3 x 3 box sum minus nine times it.
  std::memset(edge, 0, size_t(w) * sizeof(int16_t));
  std::memset(edge + int64_t(h - 1) * w, 0, size_t(w) * sizeof(int16_t));
  for (int y = 1; y < h - 1; ++y) {
    const uint8_t* up = luma + int64_t(y - 1) * w;
    const uint8_t* mid = up + w;
    const uint8_t* dn = mid + w;
    int16_t* e = edge + int64_t(y) * w;
    e[0] = 0;
    e[w - 1] = 0;
    for (int x = 1; x < w - 1; ++x) {
      const int box = up[x - 1] + up[x] + up[x + 1] + mid[x - 1] + mid[x] + mid[x + 1] + dn[x - 1] + dn[x] +
                      dn[x + 1];
      e[x] = int16_t(box - 9 * mid[x]);
    }
  }
  if (h < 3 || w < 3) std::memset(edge, 0, size_t(m->pixels) * sizeof(int16_t));
  const int s = m->strength;
  const uint8_t* clamp = m->clampTable;
  for (int64_t i = 0; i < m->pixels; ++i) {
    const int v = levels[i] + ((s * edge[i]) >> 4);
    out[i] = palette[clamp[uint16_t(v)]];
  }
}

void fuseBlend(MixContext* m, uint32_t* out, const uint32_t* visible, const uint8_t* levels,
               const uint32_t* palette) {
  const uint32_t s = m->strength, vs = 16 - s;
  constexpr int kChunk = 256;
  uint32_t colours[kChunk];
  for (int64_t base = 0; base < m->pixels; base += kChunk) {
    const int n = int(m->pixels - base < kChunk ? m->pixels - base : kChunk);
    for (int i = 0; i < n; ++i) colours[i] = palette[levels[base + i]];
    // Byte lanes kept apart in two 16-bit pairs: B and R, then G (and A, dropped).
    const uint32_t* vis = visible + base;
    uint32_t* o = out + base;
    for (int i = 0; i < n; ++i) {
      const uint32_t v = vis[i], p = colours[i];
      const uint32_t br = (((v & 0x00FF00FFu) * vs + (p & 0x00FF00FFu) * s) >> 4) & 0x00FF00FFu;
      const uint32_t g = ((((v >> 8) & 0xFFu) * vs + ((p >> 8) & 0xFFu) * s) >> 4) & 0xFFu;
      o[i] = br | (g << 8) | 0xFF000000u;
    }
  }
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
