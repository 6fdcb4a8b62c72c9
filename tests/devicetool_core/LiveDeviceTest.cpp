// The live device, the configurer and the device list against simulated cameras on 127.0.44.x.
#include <algorithm>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "AppFolders.h"
#include "CDevice.h"
#include "CDeviceConfiger.h"
#include "CDeviceManager.h"
#include "CDeviceNode.h"
#include "NetKit.h"
#include "link/LoginSessions.h"
#include "WaitUntil.h"
#include "camsim/CameraSim.h"
#include "camsim/DiscoveryResponder.h"
#include "camsim/Wire.h"
#include "discover/Discovery.h"

namespace {

using devicetest::kDeadlineMs;
using devicetest::waitUntil;

std::unique_ptr<camsim::CameraSim> startSim(const char* addr, const char* id = "LIVE-1") {
  camsim::CameraSimOptions o;
  o.address = addr;
  o.identity.cameraId = id;
  o.identity.softwareId = "SW-QF-2";  // names a zoom gear: the start reads it
  o.identity.dataWidth = 160;
  o.identity.dataHeight = 120;
  o.identity.dataFps = 50;
  auto sim = std::make_unique<camsim::CameraSim>(o);
  EXPECT_EQ(sim->start(), 0);
  return sim;
}

std::unique_ptr<CDeviceNode> nodeFor(const char* addr) {
  auto n = std::make_unique<CDeviceNode>();
  n->setDeviceIpQuiet(QString::fromLatin1(addr));
  return n;
}

// The SDK's login slots nobody holds.
int freeLoginSlots() {
  int n = 0;
  ostrel::sdk::LoginTarget t{};
  for (int id = 0; id < 256; ++id) n += ostrel::sdk::loginTarget(id, &t) != 0;
  return n;
}

TEST(LiveDevice, PlayReachesWorkingTheDataStateFollowsTheHeadsAndStopClearsIt) {
  auto sim = startSim(ostrel::test::loopbackAddress(44, 1).c_str());
  sim->state().setGearLevel(2);
  auto node = nodeFor(ostrel::test::loopbackAddress(44, 1).c_str());
  CDevice dev;
  QSignalSpy workingSpy(&dev, &CDevice::isWorkingChanged);
  ASSERT_EQ(dev.startWork(node.get()), 0);
  EXPECT_EQ(dev.qtcFlags(), 1);
  EXPECT_EQ(dev.startWork(node.get()), -7);  // a step runs
  ASSERT_TRUE(waitUntil([&] { return dev.isWorking(); }));
  EXPECT_EQ(dev.qtcFlags(), 0);
  EXPECT_EQ(dev.deviceId(), QStringLiteral("LIVE-1"));
  EXPECT_TRUE(dev.gearEnable());
  EXPECT_EQ(dev.gearLevel(), 2);
  EXPECT_EQ(dev.startWork(node.get()), 0);  // already working: nothing changes

  // A gear level the camera does not take (its reply is of another type) is reported, and the
  // level stays the camera's; the change signal sends a box showing the asked level back to it.
  QSignalSpy gearSpy(&dev, &CDevice::gearLevelChanged);
  camsim::CommandFaults wrongReply;
  wrongReply.controlXReplyType = 99;
  sim->command().setFaults(wrongReply);
  EXPECT_LT(dev.applyGearLevel(1), 0);
  EXPECT_EQ(dev.gearLevel(), 2);
  EXPECT_EQ(gearSpy.count(), 1);
  sim->command().setFaults(camsim::CommandFaults{});
  EXPECT_EQ(dev.applyGearLevel(1), 0);
  EXPECT_EQ(dev.gearLevel(), 1);
  EXPECT_EQ(sim->state().gearLevel(), 1);
  EXPECT_EQ(gearSpy.count(), 2);

  // Ten frames shown; each time the data state is that of the frame the GUI holds.
  for (int k = 0; k < 10; ++k) {
    const LiveFrame* before = dev.lastFrame();
    ASSERT_TRUE(waitUntil([&] { return dev.lastFrame() != nullptr && dev.lastFrame() != before; }));
    const DataFrameHead* h = dev.lastFrame()->head;
    EXPECT_FLOAT_EQ(dev.dataState()->fpaTemp(), float(h->fpaTemp) / 1000.0f);
    EXPECT_FLOAT_EQ(dev.dataState()->shellTemp(), float(h->shellTemp) / 1000.0f);
    EXPECT_FLOAT_EQ(dev.dataState()->shellTempHW(), float(h->shellTempHW) / 1000.0f);
    EXPECT_EQ(dev.dataState()->gpioInput(), h->gpioInput);
    EXPECT_EQ(h->width, 160);
  }
  // Measured once per second of camera time (50 frames); its value depends on the host's load.
  ASSERT_TRUE(waitUntil([&] { return dev.dataState()->fps() > 0; }));

  dev.stopWork();
  EXPECT_FALSE(dev.isWorking());
  EXPECT_EQ(dev.qtcFlags(), 0);
  EXPECT_EQ(dev.lastFrame(), nullptr);
  EXPECT_EQ(dev.dataState()->fpaTemp(), 0.0f);
  EXPECT_EQ(dev.dataState()->fps(), 0.0f);
  EXPECT_EQ(workingSpy.count(), 2);
  dev.stopWork();  // not working: nothing happens
  EXPECT_EQ(workingSpy.count(), 2);
}

TEST(LiveDevice, FailuresAreReportedNotSwallowed) {
  auto node = nodeFor(ostrel::test::loopbackAddress(44, 2).c_str());  // nobody listens there
  CDevice dev;
  QSignalSpy failed(&dev, &CDevice::workFailed);
  ASSERT_EQ(dev.startWork(node.get()), 0);
  ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; }));
  EXPECT_LT(failed.at(0).at(0).toInt(), 0);
  EXPECT_FALSE(dev.isWorking());
  EXPECT_EQ(dev.qtcFlags(), 0);

  // UDP is not streamed by the camera link: refused at once with its code.
  calorset::streamTransType.store(1);
  EXPECT_EQ(dev.startWork(node.get()), -2);
  calorset::streamTransType.store(0);
  EXPECT_EQ(dev.qtcFlags(), 0);
  EXPECT_EQ(dev.startWork(nullptr), -8);
  EXPECT_EQ(dev.sendControl(2), -7);
}

TEST(LiveDevice, DeletionMidStartAndWhileWorkingAndStopDuringAStartTwentyTimes) {
  auto sim = startSim(ostrel::test::loopbackAddress(44, 3).c_str());
  auto node = nodeFor(ostrel::test::loopbackAddress(44, 3).c_str());
  // 20 rounds take 60 logins, fewer than the SDK's 256 slots: a fresh login would still succeed
  // after leaks, so the free slots are counted instead.
  const int freeBefore = freeLoginSlots();
  for (int i = 0; i < 20; ++i) {
    // Deleted while its start worker runs: the destructor waits, then stops and logs out.
    auto* a = new CDevice;
    ASSERT_EQ(a->startWork(node.get()), 0);
    delete a;
    // Deleted while frames flow.
    auto* b = new CDevice;
    ASSERT_EQ(b->startWork(node.get()), 0);
    ASSERT_TRUE(waitUntil([&] { return b->lastFrame() != nullptr; }));
    delete b;
    // Stopped while the start is in flight: the stop waits for it and undoes it.
    CDevice c;
    ASSERT_EQ(c.startWork(node.get()), 0);
    c.stopWork();
    EXPECT_FALSE(c.isWorking());
    EXPECT_EQ(c.qtcFlags(), 0);
  }
  // Every login was given back (a stopping worker may still be logging out), and a camera
  // answers a fresh login and stream.
  EXPECT_TRUE(waitUntil([&] { return freeLoginSlots() == freeBefore; })) << freeLoginSlots() << " of " << freeBefore << " slots free";
  CDevice d;
  ASSERT_EQ(d.startWork(node.get()), 0);
  ASSERT_TRUE(waitUntil([&] { return d.lastFrame() != nullptr; }));
  EXPECT_EQ(freeLoginSlots(), freeBefore - 1);
}

TEST(Configurer, AnUntouchedBasicRecordGoesBackByteIdenticalAndEditsOnlyTheirField) {
  auto sim = startSim(ostrel::test::loopbackAddress(44, 4).c_str(), "CFG-1");
  // A camera whose ids fill their whole 32 bytes, with bytes the tool has no property for.
  std::vector<uint8_t> rec = sim->state().record(7);
  for (int i = 0; i < 32; ++i) rec[size_t(i)] = uint8_t('A' + i % 26);
  for (int i = 187; i < 190; ++i) rec[size_t(i)] = uint8_t(0xA0 + i);
  for (int i = 192; i < 212; ++i) rec[size_t(i)] = uint8_t(i);
  ASSERT_TRUE(sim->state().setRecord(7, rec));
  auto node = nodeFor(ostrel::test::loopbackAddress(44, 4).c_str());
  CDeviceConfiger cfg;
  EXPECT_EQ(cfg.getConfig(0), -8);
  EXPECT_EQ(cfg.getConfig(14), -8);
  EXPECT_EQ(cfg.setConfig(14), -7);
  ASSERT_EQ(cfg.startWork(node.get()), 0);
  EXPECT_EQ(cfg.startWork(node.get()), -7);
  EXPECT_EQ(cfg.setConfig(14), -8);
  EXPECT_TRUE(cfg.basicInfo()->edit_isvalid());
  const size_t before = sim->log().count();
  EXPECT_EQ(cfg.getConfig(1), 0);  // loaded by the login: no request
  EXPECT_EQ(sim->log().count(), before);

  ASSERT_EQ(cfg.setConfig(1), 0);
  ASSERT_TRUE(sim->log().waitForType(9, kDeadlineMs));
  // Other messages of the session (a keep-alive, the stream's requests) may be logged after it.
  const auto log = sim->log().snapshot();
  const auto found = std::find_if(log.rbegin(), log.rend(), [](const camsim::Observation& o) { return o.type == 9; });
  ASSERT_NE(found, log.rend());
  const camsim::Observation& set = *found;
  ASSERT_EQ(set.bytes.size(), 4u + 216u);
  EXPECT_EQ(std::vector<uint8_t>(set.bytes.begin() + 4, set.bytes.end()), rec);

  cfg.basicInfo()->setProperty("cameraName", QStringLiteral("renamed"));
  ASSERT_EQ(cfg.setConfig(1), 0);
  const std::vector<uint8_t> now = sim->state().record(7);
  EXPECT_EQ(camsim::getText(&now[32], 32), "renamed");
  EXPECT_EQ(std::vector<uint8_t>(now.begin(), now.begin() + 32), std::vector<uint8_t>(rec.begin(), rec.begin() + 32));
  EXPECT_EQ(std::vector<uint8_t>(now.begin() + 64, now.end()), std::vector<uint8_t>(rec.begin() + 64, rec.end()));
  cfg.stopWork();
  EXPECT_EQ(cfg.getConfig(1), -7);
}

}  // namespace
