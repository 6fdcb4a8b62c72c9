// Measurement engine and correction LUT timings on 1280x1024 frames.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"

namespace {

MeaItem shape(int type, std::vector<std::pair<int, int>> pts) {
  MeaItem it{};
  it.meaType = uint8_t(type);
  it.pointCount = uint8_t(pts.size());
  for (size_t i = 0; i < pts.size(); ++i) it.points[i] = {uint16_t(pts[i].first), uint16_t(pts[i].second)};
  return it;
}

// 30 items of about 100x100 spread over the frame: rectangles, ellipses, circles, polygons,
// polylines and 3x3 points, some with their own emissivity.
std::vector<MeaItem> mixedItems() {
  std::vector<MeaItem> items;
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> px(0, 1170), py(0, 910);
  for (int i = 0; i < 30; ++i) {
    const int x = px(rng), y = py(rng);
    MeaItem it;
    switch (i % 6) {
      case 0:
        it = shape(9, {{x, y}, {x + 100, y + 100}});
        break;
      case 1:
        it = shape(6, {{x, y}, {x + 100, y + 100}});
        break;
      case 2:
        it = shape(7, {{x, y}, {x + 100, y + 100}});
        break;
      case 3: {
        std::vector<std::pair<int, int>> pts;
        for (int k = 0; k < 12; ++k) {
          const double a = k * 6.2831853 / 12;
          const int r = k % 2 ? 50 : 30;
          pts.emplace_back(x + 50 + int(r * std::cos(a)), y + 50 + int(r * std::sin(a)));
        }
        it = shape(11, pts);
        break;
      }
      case 4:
        it = shape(5, {{x, y}, {x + 100, y + 30}, {x + 40, y + 100}});
        break;
      default:
        it = shape(2, {{x + 50, y + 50}});
        break;
    }
    if (i % 4 == 0) {
      it.fixEnable = 1;
      it.fixEmi = 0.9f;
    }
    it.use3x3 = uint8_t(i % 2);
    items.push_back(it);
  }
  return items;
}

void BM_GetResult_GlobalPlus30Items(benchmark::State& state) {
  const auto f = ostrel::test::noiseFrame(1280, 1024, 3000, 2000, 42);
  const auto items = mixedItems();
  MeaResult r[31];
  for (auto _ : state) {
    VEZ2024_GetResult(nullptr, &f.head, f.codes.data(), &r[0]);
    for (size_t i = 0; i < items.size(); ++i)
      VEZ2024_GetResult(&items[i], &f.head, f.codes.data(), &r[i + 1]);
    benchmark::DoNotOptimize(r);
  }
}
BENCHMARK(BM_GetResult_GlobalPlus30Items)->Unit(benchmark::kMicrosecond);

void BM_GetSpaceData_EllipseColumns(benchmark::State& state) {
  VEZ2024_Init();
  const auto f = ostrel::test::noiseFrame(1280, 1024, 3000, 2000, 42);
  const MeaItem e = shape(6, {{100, 100}, {1100, 900}});
  double* out;
  int count;
  for (auto _ : state) {
    VEZ2024_GetSpaceData(&e, &f.head, f.codes.data(), 2, 0, &out, &count);
    benchmark::DoNotOptimize(out);
  }
  VEZ2024_Free();
}
BENCHMARK(BM_GetSpaceData_EllipseColumns)->Unit(benchmark::kMicrosecond);

// The final-LUT rebuild of a calibration with window transmittance and emissivity active:
// transmittance LUT, emissivity LUT and the chained table.
void BM_FinalLutRebuild_TransAndEmi(benchmark::State& state) {
  FixTransContext* ctx = FixTrans_Create(0);
  FixTrans_Init(ctx, 100, 0);
  std::vector<int16_t> trans(65536), emi(65536), final(65536);
  int16_t* t = trans.data() + 32768;
  int16_t* e = emi.data() + 32768;
  int window = 25000;
  for (auto _ : state) {
    window = window == 25000 ? 26000 : 25000;  // a changing window temperature
    FixTrans_UpdateLut(ctx, window, 0.8, t);
    FixEmi_UpdateLut(ctx, 20000, 0.95, 0.5, e);
    for (int c = -32768; c <= 32767; ++c) final[c + 32768] = e[t[c]];
    benchmark::DoNotOptimize(final.data());
  }
  FixTrans_Free(&ctx);
}
BENCHMARK(BM_FinalLutRebuild_TransAndEmi)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
