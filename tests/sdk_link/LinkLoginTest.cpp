#include <ctime>

#include "LinkFixture.h"
#include "camsim/Wire.h"
#include "link/LoginSessions.h"

using namespace linktest;

TEST(LinkLogin, FillsTheRecordAndSendsTheUtcClock) {
  camsim::CameraIdentity id;
  id.cameraId = "CAM-LOGIN-7";
  id.softwareId = "QF-2.3";
  id.dataWidth = 384;
  id.dataHeight = 288;
  LinkEnv env(1, id, /*syncTime=*/true);
  CameraBasicInfoRecord out{};
  const std::time_t before = std::time(nullptr);
  ASSERT_EQ(env.login(&out), 0);
  EXPECT_STREQ(out.cameraId, "CAM-LOGIN-7");
  EXPECT_STREQ(out.softwareId, "QF-2.3");
  EXPECT_EQ(out.dataWidth, 384);
  EXPECT_EQ(out.dataHeight, 288);
  // The camera reports 0 x 0 for its picture: the data size stands in.
  EXPECT_EQ(out.imageWidth, 384);
  EXPECT_EQ(out.imageHeight, 288);

  ASSERT_TRUE(env.sim.log().waitForType(56, 3000));
  const auto log = env.sim.log().snapshot();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].type, 7);
  EXPECT_EQ(log[0].size, 4);
  EXPECT_EQ(log[1].type, 23);
  const auto& clock = log[2];
  ASSERT_EQ(clock.size, 72);
  EXPECT_EQ(ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 4), 1);  // set time
  std::tm t{};
  t.tm_year = ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 8) - 1900;
  t.tm_mon = ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 12) - 1;
  t.tm_mday = ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 16);
  t.tm_hour = ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 20);
  t.tm_min = ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 24);
  t.tm_sec = ostrel::bytes::readI32(clock.bytes.data(), clock.bytes.size(), 28);
  const std::time_t sent = timegm(&t);
  EXPECT_GE(sent, before - 1);
  EXPECT_LE(sent, std::time(nullptr) + 1);
  for (size_t i = 32; i < 72; ++i) EXPECT_EQ(clock.bytes[i], 0) << i;
  EXPECT_EQ(env.connections(), 3u);
}

TEST(LinkLogin, WithoutClockSyncNoClockMessageIsSent) {
  LinkEnv env(2);
  ASSERT_EQ(env.login(), 0);
  const auto log = env.sim.log().snapshot();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].type, 7);
  EXPECT_EQ(log[1].type, 23);
  EXPECT_EQ(env.connections(), 2u);
}

TEST(LinkLogin, KeepsAReportedImageSizeAndCountsSendRatioZeroAsOne) {
  camsim::CameraIdentity id;
  id.imageWidth = 1280;
  id.imageHeight = 1024;
  id.sendRatio = 0;
  LinkEnv env(3, id);
  CameraBasicInfoRecord out{};
  const int user = env.login(&out);
  ASSERT_EQ(user, 0);
  EXPECT_EQ(out.imageWidth, 1280);
  EXPECT_EQ(out.imageHeight, 1024);
  EXPECT_EQ(out.sendRatio, 1);
  {
    std::lock_guard<std::mutex> lock(ostrel::sdk::sdkLock());
    const auto* slot = ostrel::sdk::loginSlotLocked(user);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->basic.sendRatio, 1);
    EXPECT_EQ(slot->cmdPort, 55502);
    EXPECT_EQ(slot->tempPort, 55503);
    EXPECT_EQ(slot->snapPort, 55505);
    EXPECT_EQ(slot->videoPort, 55506);
    EXPECT_EQ(slot->mixPort, 55507);
    // (640*512 + 2*1280*1024 + 8358) * 2 bytes, zero-filled
    EXPECT_EQ(slot->snapshotSize, size_t(640 * 512 + 2 * 1280 * 1024 + 8358) * 2);
  }
  CameraBasicInfoRecord again{};
  ASSERT_EQ(Ostrel_GetCameraBasicInfo(user, &again), 0);
  EXPECT_EQ(again.sendRatio, 1);
  // The generic read hands the record on as the camera sent it (it is written back as read).
  CameraBasicInfoRecord raw{};
  ASSERT_EQ(Ostrel_GetInfo(user, 0, &raw, sizeof raw), 0);
  EXPECT_EQ(raw.sendRatio, 0);
}

TEST(LinkLogin, BadAddressesAndNullPointersSendNothing) {
  LinkEnv env(4);
  CameraBasicInfoRecord out{};
  for (const char* bad :
       {"255.255.255.255", "127.0.1", "127.0.1.4.5", "camera", "", " 127.0.1.4", "127.0.1.256"}) {
    LoginInfo info{};
    std::snprintf(info.ip, sizeof info.ip, "%s", bad);
    EXPECT_EQ(Ostrel_Login(&info, &out), -8) << bad;
  }
  LoginInfo full;
  std::memset(full.ip, '1', sizeof full.ip);  // no NUL inside the field
  std::memset(full.reserved, 0, sizeof full.reserved);
  EXPECT_EQ(Ostrel_Login(&full, &out), -8);
  LoginInfo ok{};
  std::snprintf(ok.ip, sizeof ok.ip, "%s", simAddress(4).c_str());
  EXPECT_EQ(Ostrel_Login(nullptr, &out), -8);
  EXPECT_EQ(Ostrel_Login(&ok, nullptr), -8);
  EXPECT_EQ(Ostrel_LoginV2(nullptr, &out), -8);
  EXPECT_EQ(env.connections(), 0u);

  Ostrel_FreeSDK();
  EXPECT_EQ(Ostrel_Login(&ok, &out), -4);
  EXPECT_EQ(Ostrel_Logout(0), -4);
  EXPECT_EQ(env.connections(), 0u);
}

TEST(LinkLogin, LoginV2UsesTheGivenCommandPort) {
  camsim::CameraSim other(camsim::CameraSimOptions{simAddress(5), 56602, {}});
  ASSERT_EQ(other.start(), 0);
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  setSyncTime(false);
  LoginInfoV2 info{};
  std::snprintf(info.ip, sizeof info.ip, "%s", simAddress(5).c_str());
  info.cmdPort = 56602;
  info.tempPort = 1234;
  CameraBasicInfoRecord out{};
  const int user = Ostrel_LoginV2(&info, &out);
  ASSERT_EQ(user, 0);
  FixInfoRecord fix{};
  EXPECT_EQ(Ostrel_GetFixInfo(user, &fix), 0);
  EXPECT_EQ(other.command().connectionCount(), 3u);
  {
    std::lock_guard<std::mutex> lock(ostrel::sdk::sdkLock());
    EXPECT_EQ(ostrel::sdk::loginSlotLocked(user)->tempPort, 1234);
  }
  Ostrel_FreeSDK();
}

TEST(LinkLogin, TwoHundredFiftySixSessionsThenNoSlotAndTheLowestFreeIsReused) {
  LinkEnv env(6);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(env.login(), i);
  EXPECT_EQ(env.login(), -6);
  EXPECT_EQ(Ostrel_Logout(7), 0);
  EXPECT_EQ(Ostrel_Logout(3), 0);
  EXPECT_EQ(env.login(), 3);
  EXPECT_EQ(env.login(), 7);
  EXPECT_EQ(env.login(), -6);

  EXPECT_EQ(Ostrel_Logout(300), -10);
  EXPECT_EQ(Ostrel_Logout(-1), -10);
  EXPECT_EQ(Ostrel_Logout(3), 0);
  EXPECT_EQ(Ostrel_Logout(3), 0);  // a free slot
  FixInfoRecord fix{};
  const uint64_t before = env.connections();
  EXPECT_EQ(Ostrel_GetFixInfo(3, &fix), -10);
  EXPECT_EQ(env.connections(), before);
}

TEST(LinkLogin, SnapshotAreaBeyondSixteenMiPixelsIsRefused) {
  camsim::CameraIdentity huge;
  huge.dataWidth = 4096;
  huge.dataHeight = 4096;  // 16 Mi data pixels, and the picture counts twice
  LinkEnv env(7, huge);
  EXPECT_EQ(env.login(), -6);
  // Within the limit: 4 Mi + 2 x 4 Mi pixels.
  camsim::CameraIdentity big;
  big.dataWidth = 2048;
  big.dataHeight = 2048;
  ASSERT_TRUE(env.sim.state().setRecord(7, camsim::CameraState(big).record(7)));
  EXPECT_EQ(env.login(), 0);  // the refused login took no slot

  EXPECT_EQ(ostrel::sdk::snapshotBufferSize(65535, 65535, 65535, 65535), 0u);
  EXPECT_EQ(ostrel::sdk::snapshotBufferSize(0, 0, 0, 0), 8358u * 2);
}

TEST(LinkLogin, FreeSdkLogsOutEverySession) {
  LinkEnv env(8);
  ASSERT_EQ(env.login(), 0);
  ASSERT_EQ(env.login(), 1);
  Ostrel_FreeSDK();
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  setSyncTime(false);
  FixInfoRecord fix{};
  const uint64_t before = env.connections();
  EXPECT_EQ(Ostrel_GetFixInfo(0, &fix), -10);
  EXPECT_EQ(Ostrel_GetFixInfo(1, &fix), -10);
  EXPECT_EQ(env.connections(), before);
  EXPECT_EQ(env.login(), 0);
}

TEST(LinkLogin, FailedExchangesReturnTheChannelCodeAndTakeNoSlot) {
  LinkEnv env(9);
  camsim::CommandFaults f;
  f.replyTypeDelta = 1;
  env.faults(f);
  EXPECT_EQ(env.login(), -97);
  env.sim.command().stop();
  EXPECT_EQ(env.login(), -99);
  ASSERT_EQ(env.sim.command().start(), 0);
  env.faults({});
  EXPECT_EQ(env.login(), 0);
}
