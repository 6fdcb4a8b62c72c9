#include <chrono>

#include "LinkFixture.h"

using namespace linktest;
using Clock = std::chrono::steady_clock;

namespace {
double secondsSince(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}
}  // namespace

TEST(LinkTimeout, ACameraThatNeverAnswersGivesMinus97AfterTheReceiveTimeOut) {
  LinkEnv env(80);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.noReply = true;
  env.faults(f);
  FixInfoRecord fix;
  std::memset(&fix, 0x11, sizeof fix);
  const auto start = Clock::now();
  EXPECT_EQ(Ostrel_GetFixInfo(user, &fix), -97);
  const double s = secondsSince(start);
  EXPECT_GE(s, 1.9);
  EXPECT_LT(s, 6.0);  // connect + send + receive bound
  EXPECT_EQ(fix.enableAtmFix, 0x11);
}

TEST(LinkTimeout, ControlXWaitsUpToTenSeconds) {
  LinkEnv env(81);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.replyDelayMs = 5000;
  env.faults(f);
  ControlInfoX x{};
  x.type = 2;
  EXPECT_EQ(Ostrel_SendControlX(user, &x), 0);
  f.replyDelayMs = 11000;
  env.faults(f);
  const auto start = Clock::now();
  EXPECT_EQ(Ostrel_SendControlX(user, &x), -97);
  const double s = secondsSince(start);
  EXPECT_GE(s, 9.9);
  EXPECT_LT(s, 11.0);
}

TEST(LinkTimeout, AStalledLoginFailsWithinTheBound) {
  LinkEnv env(82);
  camsim::CommandFaults f;
  f.replyDelayMs = 2500;  // later than the 2000 ms receive time-out
  env.faults(f);
  const auto start = Clock::now();
  EXPECT_EQ(env.login(), -97);
  EXPECT_LT(secondsSince(start), 6.0);
  FixInfoRecord fix;
  EXPECT_EQ(Ostrel_GetFixInfo(0, &fix), -10);  // no slot was taken
}

TEST(LinkTimeout, TheReceiveTimeOutFollowsOstrelSetTimeout) {
  LinkEnv env(83);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.replyDelayMs = 2600;
  env.faults(f);
  FixInfoRecord fix;
  EXPECT_EQ(Ostrel_GetFixInfo(user, &fix), -97);  // 2000 ms by default
  Ostrel_SetTimeout(2000, 2000, 4000);
  EXPECT_EQ(Ostrel_GetFixInfo(user, &fix), 0);
}
