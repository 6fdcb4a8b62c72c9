// Little-endian fields: values worked out by hand from their bytes, and reads that would cross
// the end of the buffer.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "foundation/ByteOrder.h"

using namespace ostrel::bytes;

TEST(ByteOrder, ReadsLittleEndianFieldsAtAnyAlignment) {
  const uint8_t b[] = {0xAA, 0x34, 0x12, 0xFE, 0xFF, 0x00, 0x00, 0xC0, 0x3F, 0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(readU16(b, sizeof b, 1), 0x1234);
  EXPECT_EQ(readI16(b, sizeof b, 3), -2);                 // FE FF
  EXPECT_EQ(readU32(b, sizeof b, 9), 0x12345678u);
  EXPECT_EQ(readI32(b, sizeof b, 1), int32_t(0xFFFE1234u));  // 34 12 FE FF
  EXPECT_EQ(readF32(b, sizeof b, 5), 1.5f);               // 0x3FC00000
}

TEST(ByteOrder, FieldsPastTheEndReadAsZero) {
  const uint8_t b[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(readU16(b, 6, 4), 0x0605);  // the last whole field
  EXPECT_EQ(readU16(b, 6, 5), 0);
  EXPECT_EQ(readU32(b, 6, 2), 0x06050403u);
  EXPECT_EQ(readU32(b, 6, 3), 0u);
  EXPECT_EQ(readI32(b, 3, 0), 0);
  EXPECT_EQ(readF32(b, 0, 0), 0.0f);
  EXPECT_EQ(readU16(nullptr, 6, 0), 0);
  // Offsets near the top of size_t must not wrap around into the buffer.
  const size_t huge = std::numeric_limits<size_t>::max();
  EXPECT_EQ(readU16(b, 6, huge), 0);
  EXPECT_EQ(readU32(b, 6, huge - 1), 0u);
  EXPECT_FALSE(fieldFits(6, huge, 4));
  EXPECT_TRUE(fieldFits(6, 6, 0));
}

TEST(ByteOrder, WritersLayTheBytesDownLowFirst) {
  uint8_t b[16] = {};
  putU16(b, 0xBEEF);
  putI16(b + 2, -300);  // 0xFED4
  putU32(b + 4, 0xA1B2C3D4u);
  putI32(b + 8, -2);
  putF32(b + 12, -2.0f);  // 0xC0000000
  const uint8_t want[16] = {0xEF, 0xBE, 0xD4, 0xFE, 0xD4, 0xC3, 0xB2, 0xA1,
                            0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0xC0};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(b[i], want[i]) << i;
  EXPECT_EQ(readI16(b, sizeof b, 2), -300);
  EXPECT_EQ(readF32(b, sizeof b, 12), -2.0f);
}
