// Files and calibrations for the calibration variant tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"

namespace ostrel::test {

// A file in the temporary folder, removed with the object.
struct TempFile {
  std::string path;
  TempFile(const std::string& name, const std::vector<uint8_t>& bytes);
  ~TempFile();
};

// A fresh folder in the temporary folder, removed (with its content) with the object.
struct TempDir {
  std::string path;
  explicit TempDir(const std::string& name);
  ~TempDir();
};

// A small calibration (model of 32 x 24 pixels, 4 FPA points, 8 blackbodies) at the middle of
// its axes, with neutral corrections.
CaliContext* createCali(const CaliModel& m, const std::string& name);

template <typename T>
void putAt(std::vector<uint8_t>& b, size_t at, T v) {
  if (b.size() < at + sizeof v) b.resize(at + sizeof v);
  std::memcpy(b.data() + at, &v, sizeof v);
}

// Runs the system Python with a script from this folder and arguments; true on exit code 0.
bool runPython(const std::string& script, const std::string& args);

// The code of T °C by the blackbody rule: trunc(FixEmi_CalcTemp(ambient, T, eps, 1, band) *
// scale + c0), eps 0.97 below 601 °C and 0.998 from there.
int32_t bbCode(double tBb, double ambient, int scale, int c0);
inline int32_t codeOf(double t, int scale, int c0) {
  return int32_t(t * scale + c0);
}

}  // namespace ostrel::test
