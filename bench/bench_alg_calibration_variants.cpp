// Calibration variant timings at 640x512: the earlier frame conversion, the final LUT rebuilds
// of the range, lens and high-temperature calibrations, the external blackbody shift and the
// video calibration's non-uniformity subtraction with its gain.
// Goals: Cali_Execute201704 <= 3 ms; each final LUT rebuild <= 3 ms; ExtBb_Execute <= 0.3 ms;
// CaliVideo_Nst + CaliVideo_Fix <= 0.3 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "CaliKit.h"
#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"

using namespace ostrel::test;

namespace {

constexpr int W = 640, H = 512, P = W * H;

struct Fixture {
  CaliModel model;
  std::string path;
  CaliContext* cali = nullptr;
  std::vector<int16_t> raw;
  Fixture() {
    model = makeModel(W, H, 2, 8, 3);
    path = tempPath("bench_variants.cal");
    writeBytes(path, caliBytes(model));
    const FixInfoRecord fix = neutralFixInfo();
    cali = Cali_Create(path.c_str(), nullptr, &fix, 18000);
    raw.resize(P);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) raw[y * W + x] = modelRaw(model, y * W + x, 10.0 + 60.0 * x / W + 20.0 * y / H, 18.0);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

template <typename T>
void putAt(std::vector<uint8_t>& b, size_t at, T v) {
  std::memcpy(b.data() + at, &v, sizeof v);
}

void BM_Execute201704(benchmark::State& state) {
  Fixture& f = fixture();
  std::vector<int16_t> frame(P);
  for (auto _ : state) {
    std::memcpy(frame.data(), f.raw.data(), P * 2);  // about 20 us of the figure
    Cali_Execute201704(f.cali, 18000, frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_Execute201704)->Unit(benchmark::kMillisecond);

std::vector<uint8_t> xcaliRecord() {
  std::vector<uint8_t> r(1232, 0);
  r[0] = 1;
  r[1] = 2;
  r[2] = 6;
  putAt(r, 64, 20.0f);
  putAt(r, 68, 40.0f);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 6; ++j) {
      putAt(r, 80 + 288 * i + 12 * j, float(j * 60 + 10 * i));
      putAt(r, 84 + 288 * i + 12 * j, float(j * 58 + 1));
    }
  return r;
}

void BM_XCaliRebuild(benchmark::State& state) {
  Fixture& f = fixture();
  const FixInfoRecord fix = neutralFixInfo();
  CaliCreateInfo info{};
  info.caliPath = f.path.c_str();
  info.fixInfo = &fix;
  info.startFpa = 18000;
  info.sensorWidth = info.windowWidth = W;
  info.sensorHeight = info.windowHeight = H;
  XCali* x = XCali_Create(&info);
  CaliContext* c = *reinterpret_cast<CaliContext**>(x);
  XCali_LoadCali2(x, xcaliRecord().data());
  for (auto _ : state) {
    Cali_SetHackFlags(c, 1);
    benchmark::DoNotOptimize(XCali_InitEnv(x, c->lastFpa, 30000));
    c->stepsDone = c->steps;  // no stepwise update to follow
  }
  XCali_Free(&x);
}
BENCHMARK(BM_XCaliRebuild)->Unit(benchmark::kMillisecond);

void BM_WeiJuRebuild(benchmark::State& state) {
  Fixture& f = fixture();
  const std::vector<uint8_t> x = xcaliRecord();
  std::vector<uint8_t> r(1088, 0);
  r[36] = 2;
  r[37] = 2;
  r[38] = 6;
  putAt(r, 40, 20.0f);
  putAt(r, 44, 40.0f);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 6; ++j) std::memcpy(r.data() + 128 + 192 * i + 12 * j, x.data() + 80 + 288 * i + 12 * j, 8);
  const std::string path = tempPath("bench_weiju.rec");
  writeBytes(path, r);
  WeiJu* w = WeiJu_Create(f.cali);
  WeiJu_LoadFile(w, path.c_str());
  std::remove(path.c_str());
  for (auto _ : state) {
    Cali_SetHackFlags(f.cali, 1);
    benchmark::DoNotOptimize(WeiJu_InitEnv(w, f.cali->lastFpa, 30000));
    f.cali->stepsDone = f.cali->steps;
  }
  WeiJu_Free(&w);
}
BENCHMARK(BM_WeiJuRebuild)->Unit(benchmark::kMillisecond);

void BM_GaoWenRebuild(benchmark::State& state) {
  Fixture& f = fixture();
  std::vector<uint8_t> g(5600, 0);
  g[4] = 2;
  g[5] = 3;
  g[6] = 4;
  g[7] = 4;
  putAt(g, 2144, 20.0f);
  putAt(g, 2148, 21.0f);
  putAt(g, 2156, 100.0f);
  putAt(g, 2160, 98.0f);
  for (int i = 0; i < 3; ++i) {
    putAt(g, 64 + 4 * i, 10.0f + 20 * i);
    for (int j = 0; j < 4; ++j) {
      putAt(g, 2528 + 384 * i + 12 * j, 600.0f + 300 * j + 20 * i);
      putAt(g, 2532 + 384 * i + 12 * j, 500.0f + 250 * j);
    }
  }
  const std::string path = tempPath("bench_gaowen.gw");
  writeBytes(path, g);
  GaoWen* gw = GaoWen_Create(f.cali);
  GaoWen_LoadFile(gw, path.c_str());
  std::remove(path.c_str());
  for (auto _ : state) benchmark::DoNotOptimize(GaoWen_SetMode(gw, 4, 25000, 30000));
  GaoWen_Free(&gw);
}
BENCHMARK(BM_GaoWenRebuild)->Unit(benchmark::kMillisecond);

void BM_ExtBbExecute(benchmark::State& state) {
  ExtBbState* s = ExtBb_Create();
  ExtBbConfig c{};
  c.enable = 1;
  c.temperature = 350;
  c.x = 320;
  c.y = 256;
  c.radius = 4;
  ExtBb_SetConfig(s, &c);
  std::vector<uint8_t> head(128, 0);
  putAt(head, 0, uint16_t(W));
  putAt(head, 2, uint16_t(H));
  putAt(head, 12, uint16_t(10));
  std::vector<int16_t> frame(fixture().raw);
  for (auto _ : state) {
    ExtBb_Execute(s, head.data(), frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
  ExtBb_Free(&s);
}
BENCHMARK(BM_ExtBbExecute)->Unit(benchmark::kMicrosecond);

void BM_VideoNstFix(benchmark::State& state) {
  constexpr int E = 4;
  const size_t size = 128 + 64 + 64 + 2ull * P * (E + 2);
  std::vector<uint8_t> v(size, 0);
  putAt(v, 36, uint16_t(W));
  putAt(v, 38, uint16_t(H));
  v[40] = E;
  v[48] = 10;
  v[56] = 1;
  for (int k = 0; k < E; ++k) {
    putAt(v, 128 + 2 * k, int16_t(10 * k));
    putAt(v, 192 + 4 * k, int32_t(10000 + 15000 * k));
    putAt(v, 192 + 16 + 4 * k, int32_t(11000 + 15000 * k));
  }
  for (size_t p = 0; p < size_t(P) * E; ++p) putAt(v, 256 + 2 * p, int16_t(p % 101 - 50));
  for (size_t p = 0; p < size_t(P); ++p) putAt(v, 256 + 2ull * P * E + 4 * p, uint16_t(1000 + p % 50));
  const std::string path = tempPath("bench_video.cal");
  writeBytes(path, v);
  CaliVideo* cv = CaliVideo_Create(path.c_str(), nullptr);
  std::remove(path.c_str());
  std::vector<int16_t> out(P);
  CaliVideo_Nst(cv, 30000, fixture().raw.data(), out.data());
  for (auto _ : state) {
    CaliVideo_Nst(cv, 30000, fixture().raw.data(), out.data());
    CaliVideo_Fix(cv, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  CaliVideo_Free(&cv);
}
BENCHMARK(BM_VideoNstFix)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
