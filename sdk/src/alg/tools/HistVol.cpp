// Detector histogram of a raw frame with its levels in detector output volts (Cali_HistVol).
#include <cstdlib>
#include <memory>

#include "OstrelSDK.h"
#include "alg/tools/ToolsCommon.h"

namespace {

constexpr int kCodes = 32768;
constexpr int kBins = 1024;
constexpr int kMinPixels = 100;

// Single precision unless the conversion says otherwise. For the falling detectors the level
// rises as the voltage falls, so their low and high ends change places.
struct Conversion {
  float offset = 0.0f, scale = 1.0f;
  enum Form { Divide, Falling, FivePerFullScale, DoubleRamp } form = Divide;
  bool falling() const { return form == Falling; }
};

Conversion conversionFor(int type) {
  Conversion c;
  switch (type) {
    case 100: c.scale = 3276.8f; break;
    case 101: case 103: case 200: case 203: case 204: case 206: case 207: case 208: case 209: case 210:
    case 211: case 401: case 402: c.scale = 5308.4f; break;
    case 102: case 201: c.offset = 16384.0f; c.scale = 3276.8f; c.form = Conversion::Falling; break;
    case 202: case 301: c.offset = 20480.0f; c.scale = 4554.8f; c.form = Conversion::Falling; break;
    case 205: case 212: case 300: case 302: case 303: c.offset = 4096.0f; c.scale = 7005.7f; break;
    case 304: c.offset = 262.0f; c.scale = 5636.1f; break;
    case 400: c.form = Conversion::FivePerFullScale; break;
    case 500: c.form = Conversion::DoubleRamp; break;  // x * 2.5 / 32768 + 0.3
    default: c.scale = 10000.0f; break;
  }
  return c;
}

float toVolts(const Conversion& c, float level) {
  switch (c.form) {
    case Conversion::DoubleRamp: return float(double(level) * 2.5 / 32768.0 + 0.3);
    case Conversion::Falling: return (c.offset - level) / c.scale;
    case Conversion::FivePerFullScale: return level * 5.0f / 16384.0f;
    default: return (level + c.offset) / c.scale;
  }
}

}  // namespace

extern "C" OSTREL_API int Cali_HistVol(const DataFrameHead* head, const int16_t* codes, const int16_t* params,
                                       float* out) {
  if (!head || !codes || !params || !out) return OSTREL_E_ARGUMENT;
  if (head->kind != 0) return -1;
  const int64_t pixels = int64_t(head->width) * head->height;
  if (pixels < kMinPixels) return -1;
  // Per call, so that preview callbacks running at the same time do not share a histogram.
  ostrel::alg::tools::MallocPtr<uint32_t[]> hist(static_cast<uint32_t*>(std::calloc(kCodes, sizeof(uint32_t))));
  if (!hist) return OSTREL_E_NO_MEMORY;
  int64_t counted = 0;
  for (int64_t i = 0; i < pixels; ++i) {
    const int v = codes[i];
    if (v >= 0) {
      ++hist[v];
      ++counted;
    }
  }
  const float perPercent = float(pixels) / 100.0f;
  for (int b = 0; b < kBins; ++b) {
    uint32_t n = 0;
    for (int k = 0; k < kCodes / kBins; ++k) n += hist[b * (kCodes / kBins) + k];
    out[3 + b] = float(n) / perPercent;
  }

  const int64_t tail = params[1];
  int low = kCodes - 1, code = 0;
  int64_t running = 0;
  for (; code < kCodes; ++code) {
    running += hist[code];
    if (running > tail) {
      low = code;
      break;
    }
  }
  int high = kCodes - 1;
  int64_t weighted = 0, inside = 0;
  for (code = low + 1; code < kCodes; ++code) {
    running += hist[code];
    weighted += int64_t(code) * hist[code];
    inside += hist[code];
    if (running >= counted - tail) {
      high = code;
      break;
    }
  }
  const float mean = inside ? float(double(weighted) / double(inside)) : 0.0f;

  const Conversion c = conversionFor(params[0]);
  const float lowV = toVolts(c, float(low)), highV = toVolts(c, float(high)), meanV = toVolts(c, mean);
  out[0] = c.falling() ? lowV : highV;
  out[1] = c.falling() ? highV : lowV;
  out[2] = meanV;
  return 0;
}
