// Discovery merged into the camera list, inside a private network namespace where broadcasts stay
// on its loopback: rediscovered inputs are kept, vanished ones leave only when no module shows
// them, after the list change was signalled, and the list is ordered by address text.
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>

#include "InputsSupport.h"
#include "NetKit.h"
#include "camsim/DiscoveryResponder.h"
#include "inputs/CInputManager.h"

namespace {

using namespace inputs;

// Broadcasts may only run where nothing but loopback is up (the namespace the test lane makes).
using ostrel::test::onlyLoopback;

uint32_t ipv4(int host) {
  return ostrel::test::loopbackAddressValue(16, host);
}

QString qaddr(int host) {
  return QString::fromStdString(address(host));
}

class DiscoveryMerge : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!onlyLoopback()) GTEST_SKIP() << "broadcasts run only inside the test lane's network namespace";
    ASSERT_EQ(Ostrel_InitSDK(), 0);
  }
  void TearDown() override {
    cams_.clear();
    Ostrel_FreeSDK();
  }
  camsim::DiscoveryResponder& camera(int host, const std::string& id, uint16_t width = 640) {
    camsim::DiscoveryResponderConfig c;
    c.identity.cameraId = id;
    c.identity.ipv4 = ipv4(host);
    c.identity.dataWidth = width;
    cams_.push_back(std::make_unique<camsim::DiscoveryResponder>(c));
    EXPECT_TRUE(cams_.back()->start());
    return *cams_.back();
  }
  // Runs one discovery to its end; the list signal is the end.
  bool scan(CInputManager& m) {
    QSignalSpy done(&m, &CInputManager::deviceListChanged);
    m.device_scan();
    if (m.workState() != CInputManager::Discovering) return false;
    return done.wait(30000) && m.workState() == CInputManager::Idle;
  }
  static QStringList addresses(const CInputManager& m) {
    QStringList out;
    for (CInputIr* d : m.devices()) out << d->device_ip();
    return out;
  }
  std::vector<std::unique_ptr<camsim::DiscoveryResponder>> cams_;
};

TEST_F(DiscoveryMerge, KeepsAttachedAndRediscoveredCamerasAndFreesOthersAfterTheSignal) {
  camera(100, "CAM-A");
  camera(20, "CAM-B", 384);
  CInputManager manager;
  ASSERT_TRUE(scan(manager));
  // Text order: "…16.100" before "…16.20".
  ASSERT_EQ(addresses(manager), (QStringList{qaddr(100), qaddr(20)}));
  CInputIr* a = manager.device_find(qaddr(100));
  CInputIr* b = manager.device_find(qaddr(20));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b->device_id(), "CAM-B");
  EXPECT_EQ(b->dataWidth(), 384);
  QObject moduleA;
  a->setModule(&moduleA);

  // A camera added by hand that no discovery will find, and one that a view still shows.
  CInputIr* d = manager.device_createIr(qaddr(40));
  ASSERT_NE(d, nullptr);
  QPointer<CInputIr> watchD(d);
  QString readInSlot;
  auto conn = QObject::connect(&manager, &CInputManager::deviceListChanged, &manager,
                               [&] { readInSlot = d->device_ip() + "|" + d->inputNameShort(); });

  // Second round: A is gone (but attached), B answers again, C is new.
  cams_.erase(cams_.begin());
  camera(30, "CAM-C");
  ASSERT_TRUE(scan(manager));
  QObject::disconnect(conn);
  EXPECT_EQ(addresses(manager), (QStringList{qaddr(100), qaddr(20), qaddr(30)}));
  EXPECT_EQ(manager.device_find(qaddr(100)), a) << "an attached camera survives every discovery";
  EXPECT_EQ(manager.device_find(qaddr(20)), b) << "a rediscovered camera keeps its object";
  EXPECT_EQ(manager.device_find(qaddr(40)), nullptr);
  EXPECT_EQ(readInSlot, qaddr(40) + "|" + qaddr(40)) << "the dropped input was still alive for the views";
  EXPECT_FALSE(watchD.isNull());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watchD.isNull());
  a->setModule(nullptr);
}

TEST_F(DiscoveryMerge, WorkspaceCamerasAreMadeWhileDiscoveryRuns) {
  camera(50, "CAM-E");
  CInputManager manager;
  QSignalSpy done(&manager, &CInputManager::deviceListChanged);
  manager.device_scan();
  ASSERT_EQ(manager.workState(), CInputManager::Discovering);
  manager.device_scan();  // ignored while running
  EXPECT_EQ(manager.device_createIr(qaddr(60), true), nullptr) << "no login test during discovery";
  // A workspace being loaded now must still get its camera, and its module keeps it.
  CInputIr* loaded = manager.device_createIr(qaddr(60), false);
  ASSERT_NE(loaded, nullptr);
  QObject module;
  loaded->setModule(&module);
  ASSERT_TRUE(done.wait(30000));
  while (manager.workState() != CInputManager::Idle && done.wait(30000)) {
  }
  EXPECT_EQ(addresses(manager), (QStringList{qaddr(50), qaddr(60)}));
  EXPECT_EQ(manager.device_find(qaddr(60)), loaded);
  loaded->setModule(nullptr);
}

}  // namespace
