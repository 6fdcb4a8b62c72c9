// Calibration files for tests and benchmarks: an analytic detector model written in the
// calibration file layout, with the frames the model produces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "OstrelSDK.h"

namespace ostrel::test {

// raw = gain[p] * R(T) + off0[p] + off1[p] * (fpa_C - 25), R piecewise linear between the
// blackbody temperatures; every file segment is the exact inverse of its piece.
struct CaliModel {
  int width = 0, height = 0, E = 0, B = 0;
  int scale = 10, c0 = 500, shift = 16;
  char identity[36] = "CALI-OSTREL-TEST-0001";
  std::vector<double> fpaC, bbC, knots;  // FPA points and blackbodies (degC), R at the blackbodies
  std::vector<double> gain, off0, off1;
  std::vector<int32_t> fpa, shell;  // m°C
  std::vector<int16_t> env;         // first E values: environment temperatures (degC)
  std::vector<int16_t> raw;         // E * B planes of P
  std::vector<uint32_t> seg;        // E * (B - 1) planes of P: slope | offset << 16
  std::vector<CompEntry> own;
  std::vector<int16_t> lutBp;
  std::vector<uint32_t> lutSeg;
  int lutShift = 0;
  std::vector<int16_t> nst;  // optional E planes of P
  int pixels() const { return width * height; }
};

CaliModel makeModel(int width, int height, int E, int B, uint32_t seed = 1);
// The model's raw value of pixel p viewing a scene at tC with the detector at fpaC.
int16_t modelRaw(const CaliModel& m, int p, double tC, double fpaC);
inline int16_t modelCode(const CaliModel& m, double tC) {
  return int16_t(tC * m.scale + m.c0 + (tC * m.scale + m.c0 >= 0 ? 0.5 : -0.5));
}
std::vector<uint8_t> caliBytes(const CaliModel& m);
// Minimum size S of the model's file (without non-uniformity planes).
uint64_t caliMinSize(const CaliModel& m);

// A fresh path in the system's temporary folder, unique to this process and name.
std::string tempPath(const std::string& name);
bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> readBytes(const std::string& path);
// A valid correction record: emissivity 1, transmittance 1, no offsets, distance 0.
FixInfoRecord neutralFixInfo();

}  // namespace ostrel::test
