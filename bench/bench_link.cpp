// Command-channel exchanges on loopback against the simulator: one Ostrel_GetFixInfo (connect,
// request, 76-byte reply, close) per iteration, sequential and from 8 threads. Each exchange
// should stay well under 150 us; a step near 40 ms means a reply held back by Nagle's algorithm.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "OstrelSDK.h"
#include "camsim/CameraSim.h"
#include "frame/SdkState.h"

namespace {

struct BenchCamera {
  camsim::CameraSim sim{camsim::CameraSimOptions{"127.0.1.250", camsim::kCommandPort, {}}};
  int user = -1;
  BenchCamera() {
    if (sim.start() != 0 || Ostrel_InitSDK() != 0) return;
    const_cast<ostrel::sdk::SdkConfig&>(ostrel::sdk::sdkConfig()).syncTime = 0;
    LoginInfo info{};
    std::snprintf(info.ip, sizeof info.ip, "127.0.1.250");
    CameraBasicInfoRecord rec{};
    user = Ostrel_Login(&info, &rec);
  }
};

BenchCamera& camera() {
  static BenchCamera c;
  return c;
}

void BM_GetFixInfo(benchmark::State& state) {
  const int user = camera().user;
  if (user < 0) {
    state.SkipWithError("simulator or login failed");
    return;
  }
  FixInfoRecord fix;
  int64_t failures = 0;
  for (auto _ : state) {
    if (Ostrel_GetFixInfo(user, &fix) != 0) ++failures;
    benchmark::DoNotOptimize(fix);
  }
  state.counters["exchanges/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["failures"] = double(failures);
  if (failures) state.SkipWithError("exchanges failed");
}

BENCHMARK(BM_GetFixInfo)->Iterations(10000)->UseRealTime();
BENCHMARK(BM_GetFixInfo)->Iterations(10000 / 8)->Threads(8)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
