// The high-temperature calibration object, shared with the tests that inspect its tables.
#pragma once

#include <cstdint>

#include "alg/calibration/CaliInternal.h"
#include "alg/calibration/variants/GaoWenFile.h"

namespace ostrel::alg {
// LUT numbers inside the object's LUT area.
constexpr int kTableA = 0, kRange0 = 1, kCust2 = 9, kConv = 10, kLutCount = 11;
}  // namespace ostrel::alg

struct GaoWen {
  CaliContext* cali;  // first field; the caller's
  uint16_t scale;
  int16_t offset;
  uint16_t highScale;
  int16_t highOffset;
  uint8_t mode;
  uint8_t tableAOk, rangesOk;
  uint8_t file[ostrel::alg::kGaoWenFileSize];
  int32_t rangeTemp[8];
  uint8_t cust2[ostrel::alg::kCustRecordSize];
  uint8_t* luts;  // inside this block: kLutCount tables
};
