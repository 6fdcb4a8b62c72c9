// Discovery datagrams: what counts as a reply or a confirmation, byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "discover/DiscoveryProtocol.h"

namespace dp = ostrel::sdk::discovery;

namespace {

// A search reply packed by Python's struct from the wire layout, independent of the SDK's record.
std::vector<uint8_t> pythonReply() {
  const char* script =
      "import struct,sys\n"
      "rec=bytearray(216)\n"
      "rec[0:7]=b'CAM-042'\n"
      "rec[32:36]=b'lab1'\n"
      "rec[144:150]=b'sw-2.1'\n"
      "struct.pack_into('<HHH',rec,176,384,288,30)\n"
      "struct.pack_into('<HH',rec,212,1280,1024)\n"
      "d=struct.pack('<HH',1,224)+bytes(rec)+struct.pack('<I',(127<<24)|(0<<16)|(0<<8)|9)\n"
      "sys.stdout.write(d.hex())\n";
  std::string cmd = std::string(OSTREL_SYSTEM_PYTHON) + " -c \"" + script + "\"";
  FILE* p = popen(cmd.c_str(), "r");
  std::vector<uint8_t> out;
  if (p == nullptr) return out;
  char hex[3] = {};
  while (fread(hex, 1, 2, p) == 2) out.push_back(static_cast<uint8_t>(std::stoul(hex, nullptr, 16)));
  pclose(p);
  return out;
}

}  // namespace

TEST(DiscoveryProtocol, SearchReplyFromIndependentEncoderParses) {
  auto d = pythonReply();
  ASSERT_EQ(d.size(), 224u);
  CameraBasicInfoRecord info;
  uint32_t ip = 0;
  ASSERT_TRUE(dp::parseSearchReply(d.data(), d.size(), &info, &ip));
  EXPECT_STREQ(info.cameraId, "CAM-042");
  EXPECT_STREQ(info.cameraName, "lab1");
  EXPECT_STREQ(info.softwareId, "sw-2.1");
  EXPECT_EQ(info.dataWidth, 384);
  EXPECT_EQ(info.dataHeight, 288);
  EXPECT_EQ(info.dataFps, 30);
  EXPECT_EQ(info.imageWidth, 1280);
  EXPECT_EQ(info.imageHeight, 1024);
  EXPECT_EQ(ip, 0x7F000009u);
}

TEST(DiscoveryProtocol, ReplyCountsOnlyWhenWholeAndOfItsType) {
  auto d = pythonReply();
  ASSERT_EQ(d.size(), 224u);
  d.resize(600, 0);
  CameraBasicInfoRecord info;
  uint32_t ip;
  EXPECT_FALSE(dp::parseSearchReply(d.data(), 223, &info, &ip)) << "cut short";
  EXPECT_FALSE(dp::parseSearchReply(d.data(), 225, &info, &ip)) << "trailing bytes";
  EXPECT_FALSE(dp::parseSearchReply(d.data(), 3, &info, &ip));
  EXPECT_FALSE(dp::parseSearchReply(nullptr, 224, &info, &ip));
  auto wrongType = d;
  wrongType[0] = 83;
  EXPECT_FALSE(dp::parseSearchReply(wrongType.data(), 224, &info, &ip));
  auto wrongSize = d;
  wrongSize[2] = 200;
  EXPECT_FALSE(dp::parseSearchReply(wrongSize.data(), 224, &info, &ip));
  EXPECT_TRUE(dp::parseSearchReply(d.data(), 224, &info, &ip));
}

TEST(DiscoveryProtocol, RequestsCarryTheirHeaderAndBody) {
  uint8_t s[8];
  EXPECT_EQ(dp::buildSearch(1, s, 7), 0u) << "capacity checked";
  ASSERT_EQ(dp::buildSearch(1, s, sizeof s), 8u);
  const uint8_t search[8] = {0, 0, 8, 0, 1, 0, 0, 0};
  EXPECT_EQ(std::memcmp(s, search, 8), 0);

  ConfigIpInfo info{};
  std::strcpy(info.cameraId, "CAM-7");
  info.network.useStaticIp = 1;
  info.network.staticIp = 0x0A000102;  // 10.0.1.2
  info.network.mtu = 1500;
  uint8_t r[88];
  ASSERT_EQ(dp::buildSetAddress(info, r, sizeof r), 88u);
  EXPECT_EQ(r[0], 82);
  EXPECT_EQ(r[2], 88);
  EXPECT_EQ(std::memcmp(r + 4, "CAM-7", 6), 0);
  EXPECT_EQ(r[36], 1) << "useStaticIp at record byte 0";
  const uint8_t ip[4] = {0x02, 0x01, 0x00, 0x0A};  // little-endian u32 at record byte 4
  EXPECT_EQ(std::memcmp(r + 40, ip, 4), 0);
  EXPECT_EQ(r[36 + 26], 0xDC);
  EXPECT_EQ(r[36 + 27], 0x05);
}

TEST(DiscoveryProtocol, ConfirmationMatchesOnlyItsCamera) {
  uint8_t c[36] = {83, 0, 36, 0};
  std::memcpy(c + 4, "CAM-7", 5);
  EXPECT_TRUE(dp::isSetAddressReplyFor(c, 36, "CAM-7"));
  EXPECT_FALSE(dp::isSetAddressReplyFor(c, 36, "CAM-70"));
  EXPECT_FALSE(dp::isSetAddressReplyFor(c, 35, "CAM-7"));
  EXPECT_FALSE(dp::isSetAddressReplyFor(c, 36, nullptr));
  // A full 32-character id has no terminator on the wire.
  std::string id32(32, 'Z');
  std::memcpy(c + 4, id32.data(), 32);
  EXPECT_TRUE(dp::isSetAddressReplyFor(c, 36, id32.c_str()));
  c[0] = 1;
  EXPECT_FALSE(dp::isSetAddressReplyFor(c, 36, id32.c_str()));
}
