// Test frames: flat, ramp, step, stripes and seeded noise, and a head builder.
#pragma once

#include <cstdint>
#include <vector>

#include "OstrelSDK.h"

namespace ostrel::test {

// A temperature frame as it arrives: head plus codes (row-major, width x height).
struct TestFrame {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  int width() const { return head.width; }
  int height() const { return head.height; }
  int16_t& at(int x, int y) { return codes[static_cast<size_t>(y) * head.width + x]; }
  int16_t at(int x, int y) const { return codes[static_cast<size_t>(y) * head.width + x]; }
};

// Head of a raw temperature frame (kind 2) with the given geometry and code scale.
DataFrameHead makeHead(int width, int height, int scale = 100, int offset = 0, uint8_t kind = 2);

TestFrame flatFrame(int width, int height, int16_t code, int scale = 100);
// Codes rise by `step` per column from `start` (wrapping is the caller's business).
TestFrame rampFrame(int width, int height, int16_t start, int16_t step, int scale = 100);
// Left half `low`, right half `high` (the edge between columns width/2 - 1 and width/2).
TestFrame stepFrame(int width, int height, int16_t low, int16_t high, int scale = 100);
// Per-column offsets added to a flat base: column x gets base + offsets[x % offsets.size()].
TestFrame stripesFrame(int width, int height, int16_t base, const std::vector<int16_t>& offsets, int scale = 100);
// Uniform noise in [base - amplitude, base + amplitude], reproducible from the seed.
TestFrame noiseFrame(int width, int height, int16_t base, int amplitude, uint32_t seed, int scale = 100);

}  // namespace ostrel::test
