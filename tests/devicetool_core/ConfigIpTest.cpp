// A camera re-addressed by broadcast: what reaches it, byte for byte, and what never leaves.
#include <gtest/gtest.h>

#include <array>

#include "CCameraNetworkInfo.h"
#include "CDeviceConfiger.h"
#include "camsim/DiscoveryResponder.h"
#include "discover/Discovery.h"

namespace {

TEST(ConfigIp, TheCameraReceivesTheRecordAndBadAddressesSendNothing) {
  ostrel::sdk::discoverSetRoute({0x7FFFFFFFu, true});
  camsim::DiscoveryResponderConfig c;
  c.identity.cameraId = "CFG-IP-1";
  c.identity.ipv4 = 0x7F002C21u;
  c.localAddr = 0x7F002C21u;
  c.broadcastAddr = 0x7FFFFFFFu;
  camsim::DiscoveryResponder cam(c);
  ASSERT_TRUE(cam.start());

  CDeviceConfiger cfg;
  EXPECT_TRUE(cfg.configIpEnable());
  CCameraNetworkInfo net;
  net.setProperty("useStaticIp", true);
  net.setProperty("staticIp", QStringLiteral("300.0.0.1"));
  EXPECT_EQ(cfg.configIp(&net, QStringLiteral("CFG-IP-1")), -8);
  net.setProperty("staticIp", QStringLiteral("127.0.44.77"));
  net.setProperty("macAddr", QStringLiteral("02:00:00:00:00"));
  EXPECT_EQ(cfg.configIp(&net, QStringLiteral("CFG-IP-1")), -8);
  EXPECT_EQ(cfg.configIp(nullptr, QStringLiteral("CFG-IP-1")), -8);

  net.setProperty("macAddr", QStringLiteral("02:00:00:00:00:2a"));
  net.setProperty("subnetMask", QStringLiteral("255.0.0.0"));
  net.setProperty("gateway", QStringLiteral("127.0.0.1"));
  net.setProperty("dns", QStringLiteral("127.0.0.53"));
  net.setProperty("dns2", QStringLiteral("127.0.0.54"));
  net.setProperty("mtu", 70000);
  ASSERT_EQ(cfg.configIp(&net, QStringLiteral("CFG-IP-1")), 0);
  ASSERT_TRUE(cam.waitForNetworkRecord(20000));
  EXPECT_EQ(cam.setAddressSeen(), 1);  // the refused ones never left
  // Laid out by hand: flag, three addresses (first part most significant), MAC, MTU, two DNS.
  const std::array<uint8_t, 52> golden = {
      1,    0,    0,    0,                       // useStaticIp
      77,   44,   0,    127,                     // 127.0.44.77
      0,    0,    0,    255,                     // 255.0.0.0
      1,    0,    0,    127,                     // 127.0.0.1
      0,    0,    0,    0,                       // not covered
      0x02, 0x00, 0x00, 0x00, 0x00, 0x2A,        // MAC
      0xFF, 0xFF,                                // MTU, the field's maximum
      53,   0,    0,    127,  54, 0, 0, 127,     // DNS
      0,    0,    0,    0,    0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(cam.networkRecord(), golden);
  ostrel::sdk::discoverSetRoute({});
}

}  // namespace
