// File and memory transfers of 64 MiB to and from camsim on loopback (127.0.29.200): MB/s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "OstrelSDK.h"
#include "camsim/CameraSim.h"

namespace {

constexpr size_t kBytes = 64u << 20;
const char* kAddress = "127.0.29.200";

struct Session {
  camsim::CameraSim sim{camsim::CameraSimOptions{kAddress, camsim::kCommandPort, {}, false}};
  int user = -1;
  std::vector<uint8_t> data;
  std::string path = std::string("/tmp/ostrel-bench-transfer-") + std::to_string(getpid());
  bool ok = false;
  Session() {
    if (sim.start() != 0 || Ostrel_InitSDK() != 0) return;
    LoginInfo info{};
    std::snprintf(info.ip, sizeof info.ip, "%s", kAddress);
    CameraBasicInfoRecord rec{};
    user = Ostrel_Login(&info, &rec);
    data.resize(kBytes);
    std::mt19937 rng(1);
    for (auto& b : data) b = uint8_t(rng());
    FILE* f = std::fopen(path.c_str(), "wb");
    ok = user >= 0 && f && std::fwrite(data.data(), 1, data.size(), f) == data.size();
    if (f) std::fclose(f);
  }
  ~Session() {
    std::remove(path.c_str());
    std::remove((path + ".down").c_str());
    Ostrel_FreeSDK();
    sim.stop();
  }
};

void BM_UploadFile64MiB(benchmark::State& state) {
  Session s;
  if (!s.ok) return state.SkipWithError("setup");
  for (auto _ : state)
    if (Ostrel_UploadFile(s.user, s.path.c_str(), 2) != 0) state.SkipWithError("upload");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

void BM_DownloadFile64MiB(benchmark::State& state) {
  Session s;
  if (!s.ok) return state.SkipWithError("setup");
  s.sim.command().transfers().putFile(2, s.data);
  const std::string out = s.path + ".down";
  for (auto _ : state)
    if (Ostrel_DownloadFile(s.user, out.c_str(), 2) != 0) state.SkipWithError("download");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

void BM_UploadMem64MiB(benchmark::State& state) {
  Session s;
  if (!s.ok) return state.SkipWithError("setup");
  for (auto _ : state) {
    const int rc = Ostrel_UploadMem(s.user, 3, reinterpret_cast<const char*>(s.data.data()), int(kBytes));
    if (rc != 0) state.SkipWithError(("upload " + std::to_string(rc)).c_str());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

void BM_DownloadMem64MiB(benchmark::State& state) {
  Session s;
  if (!s.ok) return state.SkipWithError("setup");
  s.sim.command().transfers().putBlock(3, s.data);
  std::vector<char> buf(kBytes);
  for (auto _ : state) {
    int size = int(buf.size());
    if (Ostrel_DownloadMem(s.user, 3, buf.data(), &size) != 0) state.SkipWithError("download");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kBytes));
}

}  // namespace

BENCHMARK(BM_UploadFile64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DownloadFile64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UploadMem64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DownloadMem64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
