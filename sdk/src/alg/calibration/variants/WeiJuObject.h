// The lens calibration object, shared with the tests that inspect its record copy.
#pragma once

#include <cstdint>

#include "alg/calibration/CaliInternal.h"
#include "alg/radiometry/CalibrationRecords.h"

struct WeiJu {
  CaliContext* cali;  // first field; the caller's
  ostrel::alg::WeiJuRecord record;
  uint8_t mode;
  uint8_t lens1Ok, lens2Ok;
  int32_t shell[4];
  uint8_t custA[ostrel::alg::kCustRecordSize], custB[ostrel::alg::kCustRecordSize];
  int32_t custANodes, custBNodes;
  uint8_t* luts;  // inside this block
};
