// Byte positions of the calibration records, read back by offset with the simulator's
// independent little-endian readers.
#include <gtest/gtest.h>

#include <cstdint>

#include "alg/radiometry/CalibrationRecords.h"
#include "camsim/Wire.h"

TEST(CalibrationRecords, KeepTheirLayout) {
  // Byte positions that calibration loaders read, checked by writing through the struct.
  ostrel::alg::FixDistRecord r{};
  r.distanceM[4] = 0x01020304;
  r.points[2][3].measured = 1.0f;
  const auto* p = reinterpret_cast<const uint8_t*>(&r);
  EXPECT_EQ(ostrel::bytes::readI32(p, sizeof r, 272 + 16), 0x01020304);
  EXPECT_EQ(ostrel::bytes::readF32(p, sizeof r, 292 + 80 * 2 + 8 * 3 + 4), 1.0f);
  ostrel::alg::WeiJuRecord w{};
  w.lens1[3][15].pair.reference = 2.0f;
  w.lens2[15].pair.measured = 3.0f;
  const auto* q = reinterpret_cast<const uint8_t*>(&w);
  EXPECT_EQ(ostrel::bytes::readF32(q, sizeof w, 128 + 192 * 3 + 12 * 15), 2.0f);
  EXPECT_EQ(ostrel::bytes::readF32(q, sizeof w, 896 + 12 * 15 + 4), 3.0f);
}
