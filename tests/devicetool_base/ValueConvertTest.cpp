// The conversion rules every settings panel and editor uses.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "devicetool/ValueConvert.h"

using namespace valueconv;

namespace {

TEST(ValueConvert, EveryI16ThroughATenthsFieldComesBackUnchanged) {
  // The property is a float, as the views hold it.
  for (int raw = -32768; raw <= 32767; ++raw) {
    const float shown = float(rawToScaled(raw, 0.1));
    ASSERT_EQ(scaledToRaw(shown, 0.1, -32768, 32767), raw) << shown;
  }
}

TEST(ValueConvert, ScaledFieldsTruncateClampAndRefuseNotANumber) {
  EXPECT_EQ(scaledToRaw(-12.37, 0.1, -32768, 32767), -123);  // truncation toward zero
  EXPECT_EQ(scaledToRaw(12.39, 0.1, -32768, 32767), 123);
  EXPECT_EQ(scaledToRaw(0.3, 0.1, -32768, 32767), 3);  // 2.9999999999999996 is meant as 3
  EXPECT_EQ(scaledToRaw(4000.0, 0.1, -32768, 32767), 32767);
  EXPECT_EQ(scaledToRaw(-4000.0, 0.1, -32768, 32767), -32768);
  EXPECT_EQ(scaledToRaw(std::nan(""), 0.1, -32768, 32767), 0);
  EXPECT_EQ(scaledToRaw(1e300, 0.1, -32768, 32767), 32767);
  EXPECT_EQ(scaledToRaw(-HUGE_VAL, 0.1, -32768, 32767), -32768);
  EXPECT_EQ(clampToField(300, fieldMin(FieldKind::U8), fieldMax(FieldKind::U8)), 255);
  EXPECT_EQ(clampToField(-1, fieldMin(FieldKind::U16), fieldMax(FieldKind::U16)), 0);
  EXPECT_EQ(clampToField(-200, fieldMin(FieldKind::I8), fieldMax(FieldKind::I8)), -128);
}

TEST(ValueConvert, TextsAreCutOnAWholeCharacterAndWrittenOnlyWhenChanged) {
  uint8_t field[8];
  std::memset(field, 0xEE, sizeof field);
  // "abcde" + U+00E9 (2 bytes) + U+20AC (3 bytes): 7 bytes allowed, the euro sign would split.
  EXPECT_TRUE(storeTextIfChanged(field, 8, "abcde\xC3\xA9\xE2\x82\xAC"));
  EXPECT_EQ(fieldText(field, 8), "abcde\xC3\xA9");
  EXPECT_EQ(field[7], 0);
  EXPECT_TRUE(storeTextIfChanged(field, 8, "abcdef\xC3\xA9"));  // 8 bytes: the é does not fit
  EXPECT_EQ(fieldText(field, 8), "abcdef");
  EXPECT_EQ(utf8CutLength("\xE2\x82\xAC", 2), 0u);
  EXPECT_EQ(utf8CutLength("ab", 5), 2u);

  // A camera text that fills its whole field, with no NUL, reads whole and goes back unchanged.
  uint8_t full[4] = {'W', 'X', 'Y', 'Z'};
  EXPECT_EQ(fieldText(full, 4), "WXYZ");
  EXPECT_FALSE(storeTextIfChanged(full, 4, "WXYZ"));
  EXPECT_EQ(std::memcmp(full, "WXYZ", 4), 0);
  // Bytes after the NUL stay when the text is unchanged.
  uint8_t tail[6] = {'a', 0, 7, 7, 7, 7};
  EXPECT_FALSE(storeTextIfChanged(tail, 6, "a"));
  EXPECT_EQ(tail[2], 7);
  EXPECT_TRUE(storeTextIfChanged(tail, 6, "b"));
  EXPECT_EQ(tail[2], 0);
}

TEST(ValueConvert, StrictAddressesHaveAFailureOfTheirOwn) {
  EXPECT_EQ(parseIPv4("192.168.1.201"), 0xC0A801C9u);
  EXPECT_EQ(parseIPv4("0.0.0.0"), 0u);
  EXPECT_EQ(parseIPv4("255.255.255.255"), 0xFFFFFFFFu);
  for (const char* bad : {"", "10.1", "1.2.3.4.5", "256.1.1.1", "1.2.3.300", "1..2.3", "1.2.3.", " 1.2.3.4",
                          "1.2.3.4 ", "-1.2.3.4", "+1.2.3.4", "1.2.3.0004", "a.b.c.d", "1.2.3.4/24"})
    EXPECT_FALSE(parseIPv4(bad).has_value()) << bad;
  EXPECT_EQ(formatIPv4(0x7F000029u), "127.0.0.41");

  uint8_t mac[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_TRUE(parseMac("AA:bb:CC:dd:EE:0f", mac));
  const uint8_t want[6] = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0x0F};
  EXPECT_EQ(std::memcmp(mac, want, 6), 0);
  EXPECT_TRUE(parseMac("00-11-22-33-44-55", mac));
  EXPECT_EQ(formatMac(mac), "00:11:22:33:44:55");
  for (const char* bad : {"", "AA:BB:CC:DD:EE", "AA:BB:CC:DD:EE:FF:00", "AA:BB:CC:DD:EE:FG", "AA-BB:CC:DD:EE:FF",
                          "AABBCCDDEEFF", "AA:BB:CC:DD:EE:F", "AA:BB:CC:DD:EEFF "}) {
    uint8_t keep[6] = {9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(parseMac(bad, keep)) << bad;
    EXPECT_EQ(keep[0], 9);
  }
}

TEST(ValueConvert, LoginTextAndFileNameParts) {
  char field[128];
  EXPECT_TRUE(loginText(std::string(127, '1'), field));
  EXPECT_EQ(field[126], '1');
  EXPECT_EQ(field[127], 0);
  EXPECT_FALSE(loginText(std::string(128, '1'), field));
  EXPECT_EQ(field[0], 0);
  EXPECT_TRUE(loginText("127.0.0.41", field));
  EXPECT_STREQ(field, "127.0.0.41");

  EXPECT_EQ(safeFileNamePart("../../etc/passwd"), "_._.._etc_passwd");
  EXPECT_EQ(safeFileNamePart("C:\\x*y?\"<>|\n"), "C__x_y______");
  EXPECT_EQ(safeFileNamePart(""), "_");
  EXPECT_EQ(safeFileNamePart("CAM-01"), "CAM-01");
  EXPECT_EQ(safeFileNamePart("ab\xE2\x82\xAC", 4), "ab");
}

}  // namespace
