#include <thread>

#include "NetKit.h"
#include "LinkFixture.h"
#include "camsim/Wire.h"
#include "link/CommandChannel.h"

using namespace linktest;
using ostrel::sdk::cmdTransact;

namespace {
uint32_t hostIp(int n) {
  return ostrel::test::loopbackAddressValue(1, n);
}
}  // namespace

TEST(LinkChannel, TypesOutsideTheTableAreRefusedBeforeAnythingIsSent) {
  LinkEnv env(60);
  uint8_t reply[600];
  std::memset(reply, 0xAB, sizeof reply);
  for (uint16_t type : {0, 3, 5, 35, 50, 78, 80, 82, 132, 999, 1012, 65535}) {
    uint8_t req[4];
    ostrel::sdk::cmdPutHeader(req, type, 4);
    EXPECT_EQ(cmdTransact(hostIp(60), 55502, req, 4, reply, sizeof reply), -2) << type;
  }
  EXPECT_EQ(reply[0], 0);  // outputs zeroed on failure
  // A header size that disagrees with the table, or a reply buffer too small, is refused too.
  uint8_t req[4];
  ostrel::sdk::cmdPutHeader(req, 7, 8);
  EXPECT_EQ(cmdTransact(hostIp(60), 55502, req, 4, reply, sizeof reply), -8);
  ostrel::sdk::cmdPutHeader(req, 7, 4);
  EXPECT_EQ(cmdTransact(hostIp(60), 55502, req, 4, reply, 219), -8);
  EXPECT_EQ(cmdTransact(hostIp(60), 55502, nullptr, 4, reply, sizeof reply), -8);
  EXPECT_EQ(env.connections(), 0u);
  EXPECT_EQ(cmdTransact(hostIp(60), 55502, req, 4, reply, 220), 0);
  EXPECT_EQ(ostrel::bytes::readU16(reply, sizeof reply, 0), 8);
  EXPECT_EQ(ostrel::bytes::readU16(reply, sizeof reply, 2), 220);
}

TEST(LinkChannel, RepliesSplitIntoSingleBytesAreReassembled) {
  LinkEnv env(61);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.splitReply = true;
  env.faults(f);
  ExtendedInfoBlock block;
  ASSERT_EQ(Ostrel_GetInfo(user, 1001, &block, sizeof block), 0);
  EXPECT_EQ(bytesOf(block), pattern(1004, 512));
  CameraOSDInfoRecord osd;
  ASSERT_EQ(Ostrel_GetCameraOSDInfo(user, &osd), 0);
  EXPECT_EQ(bytesOf(osd), pattern(66, 272));
  ControlInfoX x{};
  x.type = 2;
  EXPECT_EQ(Ostrel_SendControlX(user, &x), 0);
}

TEST(LinkChannel, ADelayedReplyWithinTheTimeOutSucceeds) {
  LinkEnv env(62);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.replyDelayMs = 700;
  env.faults(f);
  FixInfoRecord fix;
  ASSERT_EQ(Ostrel_GetFixInfo(user, &fix), 0);
  EXPECT_EQ(bytesOf(fix), pattern(23, 72));
}

TEST(LinkChannel, WrongTypeShortReplyAndEarlyCloseGiveMinus97) {
  LinkEnv env(63);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  uint8_t req[4], reply[220];
  ostrel::sdk::cmdPutHeader(req, 7, 4);
  camsim::CommandFaults f;
  f.replyTypeDelta = 2;  // type 9 in answer to 7
  env.faults(f);
  std::memset(reply, 0xCD, sizeof reply);
  EXPECT_EQ(cmdTransact(hostIp(63), 55502, req, 4, reply, sizeof reply), -97);
  for (uint8_t b : reply) ASSERT_EQ(b, 0);
  for (int cut : {0, 3, 4, 219}) {
    f = {};
    f.shortReplyBytes = cut;
    env.faults(f);
    EXPECT_EQ(cmdTransact(hostIp(63), 55502, req, 4, reply, sizeof reply), -97) << cut;
  }
  f = {};
  f.closeEarly = true;
  env.faults(f);
  EXPECT_EQ(cmdTransact(hostIp(63), 55502, req, 4, reply, sizeof reply), -97);
  FixInfoRecord fix{};
  EXPECT_EQ(Ostrel_SetFixInfo(user, &fix), -97);
}

TEST(LinkChannel, AStoppedCameraGivesConnectFailure) {
  LinkEnv env(64);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  env.sim.command().stop();
  FixInfoRecord fix;
  EXPECT_EQ(Ostrel_GetFixInfo(user, &fix), -99);
  ControlInfo c{};
  EXPECT_EQ(Ostrel_SendControl(user, &c), -99);
  ASSERT_EQ(env.sim.command().start(), 0);
  EXPECT_EQ(Ostrel_GetFixInfo(user, &fix), 0);
}

TEST(LinkChannel, ExchangesRunInParallelWithoutTheLock) {
  LinkEnv env(65);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.replyDelayMs = 300;
  env.faults(f);
  std::vector<std::thread> threads;
  std::atomic<int> ok{0};
  const auto start = std::chrono::steady_clock::now();
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([&] {
      FixInfoRecord fix;
      if (Ostrel_GetFixInfo(user, &fix) == 0 && bytesOf(fix) == pattern(23, 72)) ++ok;
    });
  // While the exchanges wait for their replies, the slot table stays free for others.
  { std::lock_guard<std::mutex> lock(ostrel::sdk::sdkLock()); }
  for (auto& t : threads) t.join();
  EXPECT_EQ(ok.load(), 8);
  // Eight serial 300 ms exchanges would take 2.4 s; parallel ones overlap.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
}

TEST(LinkChannel, TheSimulatorBindsLoopbackAddressesOnly) {
  EXPECT_TRUE(camsim::isLoopbackAddress("127.0.1.66"));
  EXPECT_FALSE(camsim::isLoopbackAddress("0.0.0.0"));
  EXPECT_FALSE(camsim::isLoopbackAddress("128.0.0.1"));
  EXPECT_FALSE(camsim::isLoopbackAddress("127.0.0"));
  camsim::CameraSim any(camsim::CameraSimOptions{"0.0.0.0", camsim::kCommandPort, {}});
  EXPECT_LT(any.start(), 0);
  EXPECT_FALSE(any.command().running());
}
