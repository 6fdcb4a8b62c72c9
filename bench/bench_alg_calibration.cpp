// Calibration core timings: frame conversion with 8 blackbodies, whole and stepwise
// re-interpolation, the non-uniformity subtraction and bad-pixel processing.
// Goals: Cali_Execute <= 1.5 ms (640x512) and <= 6 ms (1280x1024); Cali_InitEnvWhole <= 40 ms;
// one step <= 0.5 ms; Nst_Execute subtraction <= 0.1 ms; Com_ProcessX of 1024 points on
// 1280x1024 <= 50 ms. The whole update and the subtraction run at the AVX2 level and at the best
// level the processor has, and their figures are printed beside their goals at the end.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
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

// Wall and CPU time per call of the longest run of one figure (ms), by "what size level".
struct Figure {
  double wall = 0, cpu = 0, calls = 0;
};
std::map<std::string, Figure> g_figures;

// CPU time of the whole process, so the helper threads of a banded update are counted too.
double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// Forces the level given as the benchmark's third argument (2 AVX2, 3 AVX-512); false (the run
// skipped) where the processor lacks it.
bool forceLevel(benchmark::State& state) {
  const auto level = static_cast<ostrel::alg::SimdLevel>(state.range(2));
  ostrel::alg::setSimdLevel(level);
  if (ostrel::alg::simdLevel() == level) return true;
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
  state.SkipWithError("the processor lacks this kernel level");
  return false;
}

// Times `body` per iteration and keeps the figure under "name w x h level".
template <class Body>
void timed(benchmark::State& state, const char* name, Body&& body) {
  static const char* const kLevelNames[] = {"scalar", "SSE2", "AVX2", "AVX-512"};
  const std::string key = std::string(name) + " " + std::to_string(state.range(0)) + "x" +
                          std::to_string(state.range(1)) + " " + kLevelNames[state.range(2)];
  const double cpu0 = cpuMs();
  const auto t0 = std::chrono::steady_clock::now();
  for (auto _ : state) body();
  const double wall = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  const double cpu = cpuMs() - cpu0;
  const double n = double(state.iterations() ? state.iterations() : 1);
  Figure& f = g_figures[key];
  if (n >= f.calls) f = {wall / n, cpu / n, n};
  ostrel::alg::setSimdLevel(ostrel::alg::simdBestLevel());
}

void BM_CaliInitEnvWhole_B8(benchmark::State& state) {
  Loaded& l = loaded(int(state.range(0)), int(state.range(1)));
  if (!forceLevel(state)) return;
  int32_t fpa = 18000;
  timed(state, "Cali_InitEnvWhole", [&] {
    fpa = fpa == 18000 ? 19000 : 18000;
    Cali_InitEnvWhole(l.cali, fpa, fpa + 2000);
  });
}
BENCHMARK(BM_CaliInitEnvWhole_B8)
    ->Args({640, 512, 2})
    ->Args({1280, 1024, 2})
    ->Args({640, 512, 3})
    ->Args({1280, 1024, 3})
    ->Unit(benchmark::kMillisecond);

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
  if (!forceLevel(state)) return;
  std::vector<int16_t> out(l.raw.size());
  Nst_Execute(l.cali->nst, 18000, 0, l.raw.data(), out.data());  // computes the plane once
  timed(state, "Nst_Execute", [&] {
    Nst_Execute(l.cali->nst, 18000, 0, l.raw.data(), out.data());
    benchmark::DoNotOptimize(out.data());
  });
}
BENCHMARK(BM_NstExecute_Subtract)
    ->Args({640, 512, 2})
    ->Args({1280, 1024, 2})
    ->Args({640, 512, 3})
    ->Args({1280, 1024, 3})
    ->Unit(benchmark::kMicrosecond);

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

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  struct Goal {
    const char* key;
    double goalMs;
  };
  const Goal goals[] = {{"Cali_InitEnvWhole 1280x1024 AVX2", 40.0}, {"Cali_InitEnvWhole 1280x1024 AVX-512", 40.0},
                        {"Cali_InitEnvWhole 640x512 AVX2", 0.0},    {"Cali_InitEnvWhole 640x512 AVX-512", 0.0},
                        {"Nst_Execute 1280x1024 AVX2", 0.1},        {"Nst_Execute 1280x1024 AVX-512", 0.1},
                        {"Nst_Execute 640x512 AVX2", 0.0},          {"Nst_Execute 640x512 AVX-512", 0.0}};
  for (const auto& [key, goalMs] : goals) {
    auto it = g_figures.find(key);
    if (it == g_figures.end()) continue;
    const bool micro = std::string(key).rfind("Nst", 0) == 0;
    const double k = micro ? 1000.0 : 1.0;
    const char* unit = micro ? "us" : "ms";
    std::printf("%s: %.3f %s per call (CPU %.3f %s)", key, it->second.wall * k, unit, it->second.cpu * k, unit);
    if (goalMs > 0)
      std::printf(", goal <= %.0f %s: %s (%.2f of it)", goalMs * k, unit, it->second.wall <= goalMs ? "met" : "NOT met",
                  it->second.wall / goalMs);
    std::printf("\n");
  }
  benchmark::Shutdown();
  return 0;
}
