// The device list fills from a broadcast discovery: run in a private network namespace.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <memory>
#include <vector>

#include "CDeviceManager.h"
#include "camsim/DiscoveryResponder.h"
#include "discover/Discovery.h"

namespace {

TEST(DeviceList, DiscoveredCamerasAreSortedByIdAndManualEntriesGoWithARefresh) {
  // Searches and answers stay on loopback, whatever networks the host has.
  ostrel::sdk::discoverSetRoute({0x7FFFFFFFu, true});
  std::vector<std::unique_ptr<camsim::DiscoveryResponder>> cams;
  const std::pair<const char*, uint32_t> ids[] = {{"C3", 0x7F002C0Bu}, {"A1", 0x7F002C0Du}, {"B2", 0x7F002C0Cu},
                                                  {"a1", 0x7F002C0Au}};
  for (const auto& [id, ip] : ids) {
    camsim::DiscoveryResponderConfig c;
    c.identity.cameraId = id;
    c.identity.ipv4 = ip;
    c.localAddr = ip;
    c.broadcastAddr = 0x7FFFFFFFu;
    cams.push_back(std::make_unique<camsim::DiscoveryResponder>(c));
    ASSERT_TRUE(cams.back()->start());
  }
  CDeviceManager m;
  m.node_create(QStringLiteral("127.0.44.99"));
  QSignalSpy changed(&m, &CDeviceManager::nodeListChanged);
  m.node_create(QStringLiteral("127.0.44.99"));  // listed already: nothing
  EXPECT_EQ(changed.count(), 0);
  // The list shows the search running through the property's signal: once on, once off.
  QSignalSpy busy(&m, &CDeviceManager::isBusyChanged);
  m.node_refresh();
  EXPECT_TRUE(m.isBusy());
  EXPECT_EQ(busy.count(), 1);
  m.node_create(QStringLiteral("127.0.44.98"));  // during a discovery: nothing
  QElapsedTimer t;
  t.start();
  while (changed.count() == 0 && t.elapsed() < 30000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_EQ(changed.count(), 1);
  EXPECT_FALSE(m.isBusy());
  EXPECT_EQ(busy.count(), 2);
  EXPECT_FALSE(m.property("isBusy").toBool());
  QStringList order, ips;
  for (const CDeviceNode* n : m.nodes()) {
    order << n->deviceId();
    ips << n->deviceIp();
  }
  // Case-sensitive: a lower-case id sorts after every upper-case one.
  EXPECT_EQ(order, (QStringList{"A1", "B2", "C3", "a1"}));
  EXPECT_EQ(ips, (QStringList{"127.0.44.13", "127.0.44.12", "127.0.44.11", "127.0.44.10"}));
  EXPECT_EQ(m.nodes()[0]->fpaId(), QString());
  EXPECT_EQ(m.nodes()[0]->softwareId(), QStringLiteral("camsim-1.0"));
  ostrel::sdk::discoverSetRoute({});
}

}  // namespace
