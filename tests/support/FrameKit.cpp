#include "FrameKit.h"

#include <algorithm>
#include <random>

namespace ostrel::test {

DataFrameHead makeHead(int width, int height, int scale, int offset, uint8_t kind) {
  DataFrameHead h{};
  h.width = static_cast<uint16_t>(width);
  h.height = static_cast<uint16_t>(height);
  h.kind = kind;
  h.scale = static_cast<uint16_t>(scale);
  h.offset = static_cast<int16_t>(offset);
  h.globalEmi = 1.0f;
  return h;
}

static TestFrame blank(int width, int height, int scale) {
  TestFrame f;
  f.head = makeHead(width, height, scale);
  f.codes.assign(static_cast<size_t>(width) * height, 0);
  return f;
}

TestFrame flatFrame(int width, int height, int16_t code, int scale) {
  TestFrame f = blank(width, height, scale);
  std::fill(f.codes.begin(), f.codes.end(), code);
  return f;
}

TestFrame rampFrame(int width, int height, int16_t start, int16_t step, int scale) {
  TestFrame f = blank(width, height, scale);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) f.at(x, y) = static_cast<int16_t>(start + step * x);
  return f;
}

TestFrame stepFrame(int width, int height, int16_t low, int16_t high, int scale) {
  TestFrame f = blank(width, height, scale);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) f.at(x, y) = x < width / 2 ? low : high;
  return f;
}

TestFrame stripesFrame(int width, int height, int16_t base, const std::vector<int16_t>& offsets, int scale) {
  TestFrame f = blank(width, height, scale);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      f.at(x, y) = static_cast<int16_t>(base + (offsets.empty() ? 0 : offsets[x % offsets.size()]));
  return f;
}

TestFrame noiseFrame(int width, int height, int16_t base, int amplitude, uint32_t seed, int scale) {
  TestFrame f = blank(width, height, scale);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> d(-amplitude, amplitude);
  for (auto& c : f.codes) c = static_cast<int16_t>(std::clamp(base + d(rng), -32768, 32767));
  return f;
}

}  // namespace ostrel::test
