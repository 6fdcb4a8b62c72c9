#include "LinkFixture.h"
#include "camsim/Wire.h"

using namespace linktest;

TEST(LinkControl, OneWayCommandsCarryTheirBytesWhole) {
  LinkEnv env(40);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  env.sim.log().clear();
  ControlInfo c{};
  c.type = 34;
  c.arg[0] = 0x9C;  // int16 -100 at byte 2
  c.arg[1] = 0xFF;
  c.arg[7] = 0x42;
  ASSERT_EQ(Ostrel_SendControl(user, &c), 0);
  uint8_t serial[32];
  for (int i = 0; i < 32; ++i) serial[i] = uint8_t(200 + i);
  ASSERT_EQ(Ostrel_WriteSerialPortData(user, serial), 0);
  // Each command has its own connection, so the camera may log them in either order.
  ASSERT_TRUE(env.sim.log().waitForType(6, 3000));
  ASSERT_TRUE(env.sim.log().waitForType(41, 3000));
  auto log = env.sim.log().snapshot();
  ASSERT_EQ(log.size(), 2u);
  if (log[0].type != 6) std::swap(log[0], log[1]);
  EXPECT_EQ(log[0].type, 6);
  EXPECT_EQ(log[0].size, 14);
  EXPECT_EQ(ostrel::bytes::readU16(log[0].bytes.data(), log[0].bytes.size(), 4), 34);
  EXPECT_EQ(int16_t(ostrel::bytes::readU16(log[0].bytes.data(), log[0].bytes.size(), 6)), -100);
  EXPECT_EQ(log[0].bytes[13], 0x42);
  EXPECT_EQ(log[1].type, 41);
  EXPECT_EQ(log[1].size, 36);
  EXPECT_EQ(std::vector<uint8_t>(log[1].bytes.begin() + 4, log[1].bytes.end()),
            std::vector<uint8_t>(serial, serial + 32));

  // One-way commands succeed whatever the camera does afterwards.
  camsim::CommandFaults f;
  f.closeEarly = true;
  env.faults(f);
  EXPECT_EQ(Ostrel_SendControl(user, &c), 0);
  // The call returns once its bytes are sent; the camera counts that connection on its own
  // thread. Its log entry comes after the count, so waiting for it settles the count.
  ASSERT_TRUE(env.sim.log().waitForTypeCount(6, 2, 3000));

  const uint64_t before = env.connections();
  EXPECT_EQ(Ostrel_SendControl(user, nullptr), -8);
  EXPECT_EQ(Ostrel_WriteSerialPortData(user, nullptr), -8);
  EXPECT_EQ(Ostrel_SendControl(9, &c), -10);
  EXPECT_EQ(Ostrel_WriteSerialPortData(-3, serial), -10);
  EXPECT_EQ(env.connections(), before);
}

TEST(LinkControl, ControlXReadsAndSetsTheGear) {
  LinkEnv env(41);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  env.sim.state().setGearLevel(5);
  ControlInfoX x{};
  x.type = 2;
  ASSERT_EQ(Ostrel_SendControlX(user, &x), 0);
  EXPECT_EQ(x.type, 2);
  EXPECT_EQ(ostrel::bytes::readI32(x.payload, sizeof x.payload, 0), 5);  // record byte 4

  ControlInfoX set{};
  set.type = 3;
  camsim::putI32(set.payload, 9);
  ASSERT_EQ(Ostrel_SendControlX(user, &set), 0);
  EXPECT_EQ(env.sim.state().gearLevel(), 9);
  const auto log = env.sim.log().snapshot();
  ASSERT_EQ(log.back().size, 72);
  EXPECT_EQ(ostrel::bytes::readI32(log.back().bytes.data(), log.back().bytes.size(), 4), 3);
  EXPECT_EQ(ostrel::bytes::readI32(log.back().bytes.data(), log.back().bytes.size(), 8), 9);
  for (size_t i = 12; i < 72; ++i) EXPECT_EQ(log.back().bytes[i], 0);
}

TEST(LinkControl, ControlXAnsweredWithAnotherTypeGivesMinus1AndKeepsTheAnswer) {
  LinkEnv env(42);
  const int user = env.login();
  ASSERT_EQ(user, 0);
  camsim::CommandFaults f;
  f.controlXReplyType = 14;
  env.faults(f);
  ControlInfoX x{};
  x.type = 2;
  EXPECT_EQ(Ostrel_SendControlX(user, &x), -1);
  EXPECT_EQ(x.type, 14);
  EXPECT_EQ(ostrel::bytes::readI32(x.payload, sizeof x.payload, 0), 3);

  // A channel failure leaves the caller's record as it was.
  f = {};
  f.replyTypeDelta = 1;
  env.faults(f);
  ControlInfoX y{};
  y.type = 17;
  camsim::putI32(y.payload, 1234);
  EXPECT_EQ(Ostrel_SendControlX(user, &y), -97);
  EXPECT_EQ(y.type, 17);
  EXPECT_EQ(ostrel::bytes::readI32(y.payload, sizeof y.payload, 0), 1234);
  EXPECT_EQ(Ostrel_SendControlX(user, nullptr), -8);
  EXPECT_EQ(Ostrel_SendControlX(200, &y), -10);
}

TEST(LinkControl, HardwareTableCopiesAreWholeAndIndependent) {
  int count = -1;
  HwStaticConfig* a = HW_GetStaticConfigArray(&count);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(count, 34);
  int count2 = 0;
  HwStaticConfig* b = HW_GetStaticConfigArray(&count2);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(a, b);
  a[0].configId = 1;
  EXPECT_EQ(b[0].configId, 100);

  // Read the copy by byte offset, as a peer would.
  const auto* raw = reinterpret_cast<const uint8_t*>(b);
  auto u16 = [&](int row, int off) { return ostrel::bytes::readU16(raw, 512 * size_t(count2), 512 * size_t(row) + size_t(off)); };
  auto i32 = [&](int row, int off) { return ostrel::bytes::readI32(raw, 512 * size_t(count2), 512 * size_t(row) + size_t(off)); };
  const uint16_t ids[34] = {100,  200,  300,  301,  302,  303,  304,  400,  401,  402, 500, 501,
                            502,  503,  600,  601,  700,  701,  800,  801,  802,  803, 804, 1000,
                            1100, 1200, 1201, 1300, 1301, 2000, 2001, 2002, 2003, 2004};
  for (int r = 0; r < 34; ++r) {
    SCOPED_TRACE(ids[r]);
    EXPECT_EQ(u16(r, 0), ids[r]);
    EXPECT_EQ(u16(r, 6), 0);
    EXPECT_EQ(u16(r, 8), 1);
    EXPECT_EQ(u16(r, 10), 0);
  }
  EXPECT_EQ(i32(0, 24), -14670);
  EXPECT_EQ(i32(0, 28), 354090);
  EXPECT_EQ(u16(8, 16), 256);  // row 401: second size 256 x 192
  EXPECT_EQ(u16(8, 18), 192);
  EXPECT_EQ(u16(8, 20), 640);
  // Row 803: seven window modes, then an all-zero entry.
  const int r803 = 21;
  EXPECT_EQ(u16(r803, 0), 803);
  EXPECT_EQ(u16(r803, 4), 201);
  const uint16_t fps803[7] = {200, 343, 713, 1166, 2193, 3134, 4182};
  for (int m = 0; m < 7; ++m) {
    EXPECT_EQ(u16(r803, 32 + 8 * m + 4), fps803[m]);
    EXPECT_EQ(u16(r803, 32 + 8 * m + 6), 1);
  }
  EXPECT_EQ(u16(r803, 32 + 8 * 6), 128);
  EXPECT_EQ(u16(r803, 32 + 8 * 6 + 2), 64);
  for (int k = 32 + 8 * 7; k < 512; ++k) EXPECT_EQ(raw[512 * r803 + k], 0);
  EXPECT_EQ(u16(29, 32 + 4), 400);                      // row 2000
  for (int k = 32; k < 512; ++k) EXPECT_EQ(raw[k], 0);  // row 100 has no window modes

  HW_Free(&a);
  EXPECT_EQ(a, nullptr);
  HW_Free(&a);  // a null pointer is ignored
  HW_Free(&b);
  EXPECT_EQ(b, nullptr);
  HW_Free(nullptr);
  EXPECT_EQ(HW_GetStaticConfigArray(nullptr), nullptr);
}
