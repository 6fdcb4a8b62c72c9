// The temperature stream's head check from the head's bytes: what follows a head, and which
// heads mean the framing is lost.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "preview/TempStreamChannel.h"

using namespace ostrel::sdk;

namespace {

// A head laid out by byte offset: width at 0, height at 2, packed size at 4, scale at 12.
std::array<uint8_t, 128> head(uint16_t w, uint16_t h, int32_t packed, uint16_t scale = 100) {
  std::array<uint8_t, 128> b{};
  b[0] = uint8_t(w), b[1] = uint8_t(w >> 8);
  b[2] = uint8_t(h), b[3] = uint8_t(h >> 8);
  const auto p = uint32_t(packed);
  for (int i = 0; i < 4; ++i) b[4 + i] = uint8_t(p >> (8 * i));
  b[8] = 2;
  b[12] = uint8_t(scale), b[13] = uint8_t(scale >> 8);
  return b;
}

TempHeadCheck check(const std::array<uint8_t, 128>& b, int w = 384, int h = 288) {
  return checkTempFrameHead(b.data(), b.size(), w, h);
}

}  // namespace

TEST(TempStreamHead, RawAndPackedFramesOfThePreviewSize) {
  auto c = check(head(384, 288, 0));
  EXPECT_EQ(c.verdict, TempHeadVerdict::Frame);
  EXPECT_FALSE(c.packed);
  EXPECT_EQ(c.payloadBytes, 384u * 288 * 2);  // 221184
  c = check(head(384, 288, 1000));
  EXPECT_EQ(c.verdict, TempHeadVerdict::Frame);
  EXPECT_TRUE(c.packed);
  EXPECT_EQ(c.payloadBytes, 1000u);
  // The largest packed frame is one byte below the raw size.
  c = check(head(384, 288, 221183));
  EXPECT_EQ(c.verdict, TempHeadVerdict::Frame);
  EXPECT_EQ(c.payloadBytes, 221183u);
}

TEST(TempStreamHead, AnotherSizeIsReadAndDroppedWhole) {
  auto c = check(head(160, 120, 0));
  EXPECT_EQ(c.verdict, TempHeadVerdict::OtherSize);
  EXPECT_EQ(c.payloadBytes, 160u * 120 * 2);
  c = check(head(4096, 4096, 77));
  EXPECT_EQ(c.verdict, TempHeadVerdict::OtherSize);
  EXPECT_EQ(c.payloadBytes, 77u);
  EXPECT_EQ(c.width, 4096);
}

TEST(TempStreamHead, HeadsThatLoseTheFramingAreImplausible) {
  struct Case {
    const char* what;
    std::array<uint8_t, 128> bytes;
  };
  const Case cases[] = {
      {"width 0", head(0, 288, 0)},
      {"height 0", head(384, 0, 0)},
      {"width 4097", head(4097, 288, 0)},
      {"height 4097", head(384, 4097, 0)},
      {"scale 0", head(384, 288, 0, 0)},
      {"packed negative", head(384, 288, -1)},
      {"packed equal to raw", head(384, 288, 221184)},
      {"packed above raw", head(2, 2, 9)},
  };
  for (const Case& k : cases) {
    const auto c = check(k.bytes);
    EXPECT_EQ(c.verdict, TempHeadVerdict::Implausible) << k.what;
    EXPECT_EQ(c.payloadBytes, 0u) << k.what;
  }
  // The fields it read are there for the log line.
  const auto c = check(head(384, 288, -5, 0));
  EXPECT_EQ(c.packedSize, -5);
  EXPECT_EQ(c.scale, 0);
}

TEST(TempStreamHead, FewerThanAWholeHeadIsImplausible) {
  const auto b = head(384, 288, 0);
  EXPECT_EQ(checkTempFrameHead(b.data(), 127, 384, 288).verdict, TempHeadVerdict::Implausible);
  EXPECT_EQ(checkTempFrameHead(b.data(), 0, 384, 288).verdict, TempHeadVerdict::Implausible);
  EXPECT_EQ(checkTempFrameHead(nullptr, 128, 384, 288).verdict, TempHeadVerdict::Implausible);
  EXPECT_EQ(checkTempFrameHead(b.data(), 128, 384, 288).verdict, TempHeadVerdict::Frame);
}
