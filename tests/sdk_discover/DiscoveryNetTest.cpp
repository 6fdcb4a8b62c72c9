// Discovery against simulated cameras over broadcast. Inside a private network namespace (only lo)
// the SDK's own route is used: 255.255.255.255 on every interface, which there is lo with a
// default route. On a host with other networks the SDK and the cameras are pointed at
// 127.255.255.255 on loopback so that nothing leaves the machine.
#include <gtest/gtest.h>
#include <netinet/in.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "NetKit.h"
#include "OstrelSDK.h"
#include "camsim/DiscoveryResponder.h"
#include "discover/Discovery.h"
#include "frame/SdkState.h"

using namespace std::chrono;
using camsim::DiscoveryResponder;
using camsim::DiscoveryResponderConfig;

namespace {

using ostrel::test::onlyLoopback;

uint32_t gBroadcast = 0xFFFFFFFFu;

class DiscoveryNet : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    if (!onlyLoopback()) {
      gBroadcast = 0x7FFFFFFFu;
      ostrel::sdk::discoverSetRoute({gBroadcast, true});
    }
    ASSERT_EQ(ostrel::sdk::discoverOpen(), 0);
    ASSERT_TRUE(ostrel::sdk::discoverListenerOpen()) << "UDP 55511 taken by another program?";
    timeout_ = milliseconds(ostrel::sdk::sdkRecvTimeout());
  }
  void TearDown() override {
    cams_.clear();
    ostrel::sdk::discoverClose();
    Ostrel_FreeSDK();
  }

  DiscoveryResponder& camera(const std::string& id, uint32_t ip, camsim::DiscoveryFaults faults = {}) {
    DiscoveryResponderConfig c;
    c.identity.cameraId = id;
    c.identity.ipv4 = ip;
    c.identity.dataWidth = static_cast<uint16_t>(100 + cams_.size());
    c.faults = faults;
    c.broadcastAddr = gBroadcast;
    cams_.push_back(std::make_unique<DiscoveryResponder>(c));
    EXPECT_TRUE(cams_.back()->start());
    return *cams_.back();
  }

  struct Found {
    std::vector<std::string> ids;
    std::vector<uint32_t> ips;
    std::vector<uint16_t> widths;
    milliseconds elapsed;
  };
  Found discover() {
    Found f;
    auto t0 = steady_clock::now();
    DiscoverNode* list = Ostrel_DiscoverCameras(0);
    f.elapsed = duration_cast<milliseconds>(steady_clock::now() - t0);
    for (DiscoverNode* n = list; n; n = n->next) {
      f.ids.emplace_back(n->info.cameraId, strnlen(n->info.cameraId, 32));
      f.ips.push_back(n->ipv4);
      f.widths.push_back(n->info.dataWidth);
    }
    Ostrel_DiscoverCamerasFree(&list);
    EXPECT_EQ(list, nullptr);
    return f;
  }

  std::vector<std::unique_ptr<DiscoveryResponder>> cams_;
  milliseconds timeout_{2000};
};

// Each pass ends one receive time-out after its send, whatever arrives.
void expectTwoPasses(const milliseconds& elapsed, const milliseconds& timeout) {
  EXPECT_GE(elapsed.count(), 2 * timeout.count() - 20);
  EXPECT_LE(elapsed.count(), 2 * timeout.count() + 600);
}

TEST_F(DiscoveryNet, NothingAnswersGivesNullAfterTwoTimeouts) {
  auto f = discover();
  EXPECT_TRUE(f.ids.empty());
  expectTwoPasses(f.elapsed, timeout_);
}

TEST_F(DiscoveryNet, SearchLeavesOnLoopbackFromItsAddress) {
  auto& cam = camera("CAM-LO", 0x7F000005);
  uint8_t search[8] = {0, 0, 8, 0, 1, 0, 0, 0};
  int sent = ostrel::sdk::broadcastSendAll(search, sizeof search);
  EXPECT_GE(sent, 1) << "loopback must be one of the sending interfaces";
  ASSERT_TRUE(cam.waitForSearches(1, 3000));
  EXPECT_EQ(cam.searchesSeen(), 1);
  EXPECT_EQ(cam.lastSearchSource(), 0x7F000001u) << "sent from a socket bound to lo's 127.0.0.1:55501";
}

TEST_F(DiscoveryNet, CameraAnsweringBothPassesIsListedOnceWithItsRecord) {
  auto& cam = camera("CAM-A", 0x0A000017);
  auto f = discover();
  ASSERT_EQ(f.ids.size(), 1u);
  EXPECT_EQ(f.ids[0], "CAM-A");
  EXPECT_EQ(f.ips[0], 0x0A000017u);
  EXPECT_EQ(f.widths[0], 100);
  EXPECT_EQ(cam.searchesSeen(), 2) << "one search per pass";
  expectTwoPasses(f.elapsed, timeout_);
}

TEST_F(DiscoveryNet, EachPassFindsItsOwnCamerasFirstPassFirst) {
  camsim::DiscoveryFaults secondOnly;
  secondOnly.answerToSender = false;
  camsim::DiscoveryFaults firstOnly;
  firstOnly.answerToReplyPort = false;
  camera("CAM-2ND", 0x7F000012, secondOnly);
  camera("CAM-1ST", 0x7F000011, firstOnly);
  auto f = discover();
  ASSERT_EQ(f.ids.size(), 2u);
  EXPECT_EQ(f.ids[0], "CAM-1ST");
  EXPECT_EQ(f.ids[1], "CAM-2ND");
}

TEST_F(DiscoveryNet, EightCamerasAllListed) {
  std::set<std::string> want;
  for (int i = 0; i < 8; ++i) {
    std::string id = "CAM-8-" + std::to_string(i);
    want.insert(id);
    camera(id, 0x7F000020 + i);
  }
  auto f = discover();
  EXPECT_EQ(std::set<std::string>(f.ids.begin(), f.ids.end()), want);
  EXPECT_EQ(f.ids.size(), 8u);
}

TEST_F(DiscoveryNet, DuplicateCameraIdsOnDifferentNetworksListedOnce) {
  camera("CAM-DUP", 0x0A000001);
  camera("CAM-DUP", 0xAC100001);
  camera("CAM-OTHER", 0x7F000030);
  auto f = discover();
  ASSERT_EQ(f.ids.size(), 2u);
  EXPECT_EQ(std::set<std::string>(f.ids.begin(), f.ids.end()),
            (std::set<std::string>{"CAM-DUP", "CAM-OTHER"}));
}

TEST_F(DiscoveryNet, StrayAndCutOffDatagramsAreSkippedNotFatal) {
  camsim::DiscoveryFaults f1;
  f1.strayFirst = true;
  f1.shortReplyFirst = true;
  camera("CAM-NOISY", 0x7F000040, f1);
  auto f = discover();
  ASSERT_EQ(f.ids.size(), 1u);
  EXPECT_EQ(f.ids[0], "CAM-NOISY");
  EXPECT_EQ(f.ips[0], 0x7F000040u) << "a cut-off reply must not become a node";
}

TEST_F(DiscoveryNet, ReplyFloodEndsAtTheDeadline) {
  camsim::DiscoveryFaults flood;
  flood.floodPerSecond = 1000;
  flood.floodSeconds = 10;
  camera("CAM-FLOOD", 0x7F000050, flood);
  camera("CAM-QUIET", 0x7F000051);
  auto f = discover();
  EXPECT_EQ(std::set<std::string>(f.ids.begin(), f.ids.end()),
            (std::set<std::string>{"CAM-FLOOD", "CAM-QUIET"}));
  expectTwoPasses(f.elapsed, timeout_);
}

TEST_F(DiscoveryNet, ConcurrentCallsAreSerialisedAndBothSeeTheCamera) {
  camera("CAM-SHARED", 0x7F000060);
  Found a, b;
  // Measured over both calls: the thread may start its call a little after this one, so neither
  // call's own time need span both.
  const auto start = std::chrono::steady_clock::now();
  std::thread t([&] { a = discover(); });
  b = discover();
  t.join();
  const auto both = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
  EXPECT_EQ(a.ids, std::vector<std::string>{"CAM-SHARED"});
  EXPECT_EQ(b.ids, std::vector<std::string>{"CAM-SHARED"});
  EXPECT_GE(both.count(), 4 * timeout_.count() - 40) << "one after the other";
}

ConfigIpInfo request(const char* id) {
  ConfigIpInfo info{};
  std::strncpy(info.cameraId, id, sizeof info.cameraId);
  info.network.useStaticIp = 1;
  info.network.staticIp = 0x0A0A0A0B;
  info.network.subnetMask = 0xFFFFFF00;
  info.network.gateway = 0x0A0A0A01;
  info.network.mtu = 1400;
  for (int i = 0; i < 6; ++i) info.network.macAddr[i] = static_cast<uint8_t>(0x10 + i);
  return info;
}

TEST_F(DiscoveryNet, ConfigIpConfirmedAppliesTheRecord) {
  auto& cam = camera("CAM-IP", 0x7F000070);
  camera("CAM-BYSTANDER", 0x7F000071);
  EXPECT_EQ(Ostrel_DiscoverConfigIP(nullptr), 0) << "tests the listener, sends nothing";
  auto info = request("CAM-IP");
  auto t0 = steady_clock::now();
  EXPECT_EQ(Ostrel_DiscoverConfigIP(&info), 0);
  EXPECT_LT(steady_clock::now() - t0, timeout_) << "returns on the confirmation";
  ASSERT_TRUE(cam.hasNetworkRecord());
  auto rec = cam.networkRecord();
  // Offsets of the camera's network record: useStaticIp +0, staticIp +4, mask +8, gateway +12,
  // mac +20, mtu +26 (little-endian).
  EXPECT_EQ(rec[0], 1);
  EXPECT_EQ(rec[4] | rec[5] << 8 | rec[6] << 16 | uint32_t(rec[7]) << 24, 0x0A0A0A0Bu);
  EXPECT_EQ(rec[8], 0x00);
  EXPECT_EQ(rec[11], 0xFF);
  EXPECT_EQ(rec[20], 0x10);
  EXPECT_EQ(rec[25], 0x15);
  EXPECT_EQ(rec[26] | rec[27] << 8, 1400);
  EXPECT_FALSE(cams_[1]->hasNetworkRecord()) << "another camera ignores it";
}

TEST_F(DiscoveryNet, ConfigIpKeepsReadingPastAStrayUntilTheConfirmation) {
  camsim::DiscoveryFaults f1;
  f1.strayFirst = true;
  camera("CAM-IP2", 0x7F000072, f1);
  auto info = request("CAM-IP2");
  EXPECT_EQ(Ostrel_DiscoverConfigIP(&info), 0);
}

TEST_F(DiscoveryNet, ConfigIpWithoutItsConfirmationFailsAfterTheTimeout) {
  camsim::DiscoveryFaults silent;
  silent.noConfirmation = true;
  auto& quiet = camera("CAM-SILENT", 0x7F000073, silent);
  camsim::DiscoveryFaults foreign;
  foreign.foreignConfirmation = true;
  camera("CAM-FOREIGN", 0x7F000074, foreign);

  auto info = request("CAM-SILENT");
  auto t0 = steady_clock::now();
  EXPECT_EQ(Ostrel_DiscoverConfigIP(&info), OSTREL_E_REPLY);
  auto elapsed = steady_clock::now() - t0;
  EXPECT_GE(elapsed, timeout_ - milliseconds(20));
  EXPECT_LE(elapsed, timeout_ + milliseconds(500));
  EXPECT_TRUE(quiet.waitForNetworkRecord(3000)) << "applied, only the confirmation is missing";

  info = request("CAM-FOREIGN");
  EXPECT_EQ(Ostrel_DiscoverConfigIP(&info), OSTREL_E_REPLY) << "a confirmation naming another camera";
  info = request("CAM-NOBODY");
  EXPECT_EQ(Ostrel_DiscoverConfigIP(&info), OSTREL_E_REPLY);
}

TEST_F(DiscoveryNet, WithoutSocketsOrInitNothingIsSent) {
  auto& cam = camera("CAM-OFF", 0x7F000080);
  ostrel::sdk::discoverClose();
  auto info = request("CAM-OFF");
  EXPECT_EQ(Ostrel_DiscoverConfigIP(&info), OSTREL_E_STATE);
  EXPECT_EQ(Ostrel_DiscoverConfigIP(nullptr), OSTREL_E_STATE);
  ASSERT_EQ(ostrel::sdk::discoverOpen(), 0);
  Ostrel_FreeSDK();
  auto t0 = steady_clock::now();
  EXPECT_EQ(Ostrel_DiscoverCameras(0), nullptr);
  EXPECT_LT(steady_clock::now() - t0, milliseconds(200));
  EXPECT_EQ(cam.searchesSeen(), 0);
  DiscoverNode* none = nullptr;
  Ostrel_DiscoverCamerasFree(&none);
  Ostrel_DiscoverCamerasFree(nullptr);
}

}  // namespace
