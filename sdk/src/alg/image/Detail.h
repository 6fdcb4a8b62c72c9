// Detail enhancement engine of the stretch engine: a 7 x 7 guided filter splits each frame into a
// base and a detail layer; the weighted detail is added to the gray level, and with denoise on
// the codes are replaced by base plus a shrunken detail.
#pragma once

#include <cstddef>
#include <cstdint>

#include "GuidedCore.h"

namespace ostrel::alg {

struct DetailEngine {
  static constexpr int kRadius = 3;
  static constexpr int64_t kN = 49;
  static constexpr int64_t kTableSize = 1 << 20;

  int width = 0, height = 0, scale = -1;  // frame the planes are laid out for; 0 = none
  int dde = 0, denoise = 0;
  int64_t eps1 = 0, eps2 = 0, g1 = 0, g2 = 0, switchG = 0;
  int32_t c0 = 0;                          // centring offset of the last frame
  int64_t builtEps1 = -1, builtEps2 = -1;  // regularisation the tables A and B hold

  void* buf = nullptr;
  size_t cap = 0;
  int32_t* mx = nullptr;
  int32_t* my = nullptr;
  uint16_t* tableA = nullptr;
  uint16_t* tableB = nullptr;
  int32_t* work = nullptr;      // centred codes
  int16_t* detail = nullptr;    // detail layer in gray levels (saturated)
  int16_t* denoised = nullptr;  // denoised codes, clamped to the frame's lowest..highest
  GuidedPlanes planes;
  FloorDiv divNN;
};

// Stores the levels and recomputes the constants for the current scale.
void detailSetLevels(DetailEngine& e, int dde, int denoise);
// Lays the engine out for a frame: 0, -1 (narrower or lower than 32), -2 (no memory: the engine
// is then unconfigured and the next frame tries again).
int detailSetup(DetailEngine& e, int width, int height, int scale);
bool detailMatches(const DetailEngine& e, int width, int height, int scale);
// Detail layer (and denoised codes) of one frame; tails and range from the stretch statistics,
// minCode..maxCode the frame's exact code range.
void detailRun(DetailEngine& e, const int16_t* codes, int lowTail, int highTail, int lowest, int highest, int minCode,
               int maxCode);
void detailRelease(DetailEngine& e);

}  // namespace ostrel::alg
