// Wall time of one discovery call with 8 simulated cameras, quiet and under a reply flood of
// 1000 datagrams/s. Each pass ends one receive time-out after its send, so both stay within two
// receive time-outs plus 100 ms (counter limit_ms). Run inside `unshare -rn` with lo up and a
// default route on lo; on a host with other networks everything is kept on 127.255.255.255.
#include <benchmark/benchmark.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <memory>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "camsim/DiscoveryResponder.h"
#include "discover/Discovery.h"
#include "frame/SdkState.h"

namespace {

bool onlyLoopback() {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  bool only = true;
  for (ifaddrs* it = list; it; it = it->ifa_next)
    if (it->ifa_addr && it->ifa_addr->sa_family == AF_INET && (it->ifa_flags & IFF_UP) &&
        !(it->ifa_flags & IFF_LOOPBACK))
      only = false;
  freeifaddrs(list);
  return only;
}

void runDiscovery(benchmark::State& state, int floodPerSecond) {
  Ostrel_InitSDK();
  uint32_t bcast = 0xFFFFFFFFu;
  if (!onlyLoopback()) {
    bcast = 0x7FFFFFFFu;
    ostrel::sdk::discoverSetRoute({bcast, true});
  }
  if (ostrel::sdk::discoverOpen() != 0 || !ostrel::sdk::discoverListenerOpen()) {
    state.SkipWithError("discovery sockets unavailable");
    Ostrel_FreeSDK();
    return;
  }
  std::vector<std::unique_ptr<camsim::DiscoveryResponder>> cams;
  for (int i = 0; i < 8; ++i) {
    camsim::DiscoveryResponderConfig c;
    c.identity.cameraId = "BENCH-" + std::to_string(i);
    c.identity.ipv4 = 0x7F000100u + static_cast<uint32_t>(i);
    c.broadcastAddr = bcast;
    if (i == 0 && floodPerSecond > 0) {
      c.faults.floodPerSecond = floodPerSecond;
      c.faults.floodSeconds = 30;
    }
    cams.push_back(std::make_unique<camsim::DiscoveryResponder>(c));
    cams.back()->start();
  }
  int found = 0;
  for (auto _ : state) {
    DiscoverNode* list = Ostrel_DiscoverCameras(0);
    found = 0;
    for (DiscoverNode* n = list; n; n = n->next) ++found;
    Ostrel_DiscoverCamerasFree(&list);
  }
  state.counters["cameras"] = found;
  state.counters["limit_ms"] = 2 * ostrel::sdk::sdkRecvTimeout() + 100;
  cams.clear();
  ostrel::sdk::discoverClose();
  Ostrel_FreeSDK();
}

void BM_Discover8Cameras(benchmark::State& state) {
  runDiscovery(state, 0);
}
void BM_Discover8CamerasFlood1000(benchmark::State& state) {
  runDiscovery(state, 1000);
}

}  // namespace

BENCHMARK(BM_Discover8Cameras)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Discover8CamerasFlood1000)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
