// External blackbody: shifts raw frames so that a reference blackbody in view reads its set
// temperature.
#include <algorithm>
#include <cstring>

#include "OstrelSDK.h"
#include "alg/calibration/variants/VariantLut.h"
#include "alg/calibration/variants/VariantSimd.h"

using namespace ostrel::alg;

struct ExtBbState {
  uint16_t width, height, scale;
  int16_t offset;
  uint32_t pixels;
  int32_t reference;
  uint8_t valid;
  ExtBbConfig config;
};

extern "C" OSTREL_API ExtBbState* ExtBb_Create(void) {
  auto* s = static_cast<ExtBbState*>(caliAlloc(sizeof(ExtBbState)));
  if (s) std::memset(s, 0, sizeof *s);
  return s;
}

extern "C" OSTREL_API int ExtBb_SetConfig(ExtBbState* s, const ExtBbConfig* config) {
  if (!s || !config) return OSTREL_E_ARGUMENT;
  std::memcpy(&s->config, config, sizeof s->config);
  s->width = 0;
  s->valid = 0;
  return OSTREL_OK;
}

extern "C" OSTREL_API void ExtBb_Execute(ExtBbState* s, const void* headPtr, int16_t* frame) {
  if (!s || !headPtr || !frame || s->config.enable == 0) return;
  const auto* head = static_cast<const uint8_t*>(headPtr);
  const uint16_t w = rdU16(head), h = rdU16(head + 2), scale = rdU16(head + 12);
  const int16_t offset = rdI16(head + 14);
  if (s->width != w || s->height != h || s->scale != scale || s->offset != offset) {
    s->valid = 0;
    // The 3x3 mean needs one pixel around the centre even when the radius is 0.
    const int32_t r = std::max<int32_t>(s->config.radius, 1);
    const int32_t x = s->config.x, y = s->config.y;
    if (x - r < 0 || x + r >= w || y - r < 0 || y + r >= h || scale == 0) return;
    s->width = w;
    s->height = h;
    s->scale = scale;
    s->offset = offset;
    s->pixels = uint32_t(w) * h;
    // Code of T at (scale, offset) is (T - offset) * scale.
    s->reference = int32_t(int64_t(s->config.temperature) * scale / 10 - int64_t(offset) * scale);
    s->valid = 1;
  }
  if (!s->valid) return;
  int32_t sum = 0;
  for (int dy = -1; dy <= 1; ++dy) {
    const int16_t* row = frame + size_t(s->config.y + dy) * s->width + s->config.x;
    sum += row[-1] + row[0] + row[1];
  }
  const int32_t m = sum / 9 - s->reference;
  subConstSat(frame, m, s->pixels);
}
