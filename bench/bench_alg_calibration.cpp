// Calibration core timings: frame conversion with 8 blackbodies, whole and stepwise
// re-interpolation, the non-uniformity subtraction and bad-pixel processing.
// Goals: Cali_Execute <= 1.5 ms (640x512) and <= 6 ms (1280x1024); Cali_InitEnvWhole <= 40 ms;
// one step <= 0.5 ms; Nst_Execute subtraction <= 0.1 ms; Com_ProcessX of 1024 points on
// 1280x1024 <= 50 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"
#include "alg/common/AlgCommon.h"

using namespace ostrel::test;

namespace {

struct Loaded {
  CaliModel model;
  CaliContext* cali = nullptr;
  std::vector<int16_t> raw;
};

// One calibration per size (E = 2, B = 8, with non-uniformity planes), created once.
Loaded& loaded(int w, int h) {
  static std::map<int, std::unique_ptr<Loaded>> cache;
  auto& slot = cache[w];
  if (!slot) {
    slot = std::make_unique<Loaded>();
    slot->model = makeModel(w, h, 2, 8, 3);
    slot->model.nst.assign(size_t(2) * w * h, 0);
    for (size_t i = 0; i < slot->model.nst.size(); ++i) slot->model.nst[i] = int16_t(i % 61 - 30);
    const std::string path = tempPath("bench_" + std::to_string(w));
    writeBytes(path, caliBytes(slot->model));
    const FixInfoRecord fix = neutralFixInfo();
    slot->cali = Cali_Create(path.c_str(), nullptr, &fix, 18000);
    std::remove(path.c_str());
    slot->raw.resize(size_t(w) * h);
    // A smooth scene: a warm disc on a gradient.
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const double dx = x - w / 2.0, dy = y - h / 2.0;
        const double t = (dx * dx + dy * dy < h * h / 16.0) ? 85.0 : 10.0 + 40.0 * x / w;
        slot->raw[size_t(y) * w + x] = modelRaw(slot->model, y * w + x, t, 18.0);
      }
    }
  }
  return *slot;
}

void executeAt(benchmark::State& state, ostrel::alg::SimdLevel level) {
  Loaded& l = loaded(int(state.range(0)), int(state.range(1)));
  if (!l.cali) {
    state.SkipWithError("calibration not created");
    return;
  }
  ostrel::alg::setSimdLevel(level);
  std::vector<int16_t> frame(l.raw.size());
  for (auto _ : state) {
    std::memcpy(frame.data(), l.raw.data(), frame.size() * 2);
    Cali_Execute(l.cali, frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
  state.counters["Mpx/s"] = benchmark::Counter(double(frame.size()) * state.iterations() / 1e6,
                                               benchmark::Counter::kIsRate);
}

void BM_CaliExecute_B8(benchmark::State& state) {
  executeAt(state, ostrel::alg::simdBestLevel());
}
BENCHMARK(BM_CaliExecute_B8)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_CaliExecute_B8_Scalar(benchmark::State& state) {
  executeAt(state, ostrel::alg::SimdLevel::Scalar);
}
BENCHMARK(BM_CaliExecute_B8_Scalar)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_CaliInitEnvWhole_B8(benchmark::State& state) {
  Loaded& l = loaded(int(state.range(0)), int(state.range(1)));
  int32_t fpa = 18000;
  for (auto _ : state) {
    fpa = fpa == 18000 ? 19000 : 18000;
    Cali_InitEnvWhole(l.cali, fpa, fpa + 2000);
  }
}
BENCHMARK(BM_CaliInitEnvWhole_B8)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

// One step of a running update (the update is restarted outside the timing when it ends).
void BM_CaliInitEnvStep_B8(benchmark::State& state) {
  Loaded& l = loaded(int(state.range(0)), int(state.range(1)));
  int32_t fpa = 18000;
  for (auto _ : state) {
    if (l.cali->stepsDone >= l.cali->steps) {
      state.PauseTiming();
      fpa = fpa == 18000 ? 18500 : 18000;
      Cali_InitEnv(l.cali, fpa, fpa + 2000);
      state.ResumeTiming();
    }
    benchmark::DoNotOptimize(Cali_InitEnv(l.cali, fpa, fpa + 2000));
  }
  state.counters["steps"] = l.cali->steps;
}
BENCHMARK(BM_CaliInitEnvStep_B8)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMicrosecond);

void BM_NstExecute_Subtract(benchmark::State& state) {
  Loaded& l = loaded(int(state.range(0)), int(state.range(1)));
  if (!l.cali->nst) {
    state.SkipWithError("no non-uniformity planes");
    return;
  }
  std::vector<int16_t> out(l.raw.size());
  Nst_Execute(l.cali->nst, 18000, 0, l.raw.data(), out.data());  // computes the plane once
  for (auto _ : state) {
    Nst_Execute(l.cali->nst, 18000, 0, l.raw.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_NstExecute_Subtract)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMicrosecond);

void BM_ComProcessX_1024(benchmark::State& state) {
  const int w = 1280, h = 1024;
  std::mt19937 rng(4);
  std::set<std::pair<int, int>> pts;
  // Isolated pixels, small clusters and a short dead column.
  while (pts.size() < 960) pts.insert({int(rng() % w), int(rng() % h)});
  for (int y = 100; pts.size() < 1024; ++y) pts.insert({640, y});
  std::vector<uint8_t> list(44 + 4 * pts.size(), 0);
  const int32_t n = int32_t(pts.size());
  std::memcpy(&list[32], &w, 4);
  std::memcpy(&list[36], &h, 4);
  std::memcpy(&list[40], &n, 4);
  size_t off = 44;
  for (auto [x, y] : pts) {
    const uint16_t v[2] = {uint16_t(x), uint16_t(y)};
    std::memcpy(&list[off], v, 4);
    off += 4;
  }
  for (auto _ : state) {
    CompEntry* e = nullptr;
    benchmark::DoNotOptimize(Com_ProcessX(list.data(), &e));
    Ostrel_FreePaletteData(&e);
  }
}
BENCHMARK(BM_ComProcessX_1024)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
