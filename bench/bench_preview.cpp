// Temperature preview throughput: an unpaced simulated camera on loopback, one preview, frames/s
// from receive to callback and heap operator-new allocations per frame in the steady state.
// The counting operator new below pairs malloc with free on purpose.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "OstrelSDK.h"
#include "camsim/CameraSim.h"

namespace {
std::atomic<long> g_allocations{0};
std::atomic<long> g_frames{0};
void onFrame(int status, PreviewFrame*, void*) {
  if (status == 0) ++g_frames;
}
}  // namespace

void* operator new(size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

static void BM_TempPreview(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  camsim::CameraSimOptions o;
  o.address = "127.0.3.1";
  o.identity.dataWidth = static_cast<uint16_t>(w);
  o.identity.dataHeight = static_cast<uint16_t>(h);
  o.tempPaced = false;
  camsim::CameraSim sim(o);
  if (sim.start() != 0 || Ostrel_InitSDK() != 0) {
    state.SkipWithError("simulator or SDK did not start");
    return;
  }
  LoginInfo login{};
  std::snprintf(login.ip, sizeof login.ip, "%s", o.address.c_str());
  CameraBasicInfoRecord basic{};
  int user = Ostrel_Login(&login, &basic);
  for (auto _ : state) {
    PreviewInfo info{};
    info.dataType = PREVIEW_TEMPERATURE;
    info.callback = onFrame;
    g_frames = 0;
    int id = Ostrel_StartPreview(user, &info);
    while (g_frames < 100) std::this_thread::sleep_for(std::chrono::milliseconds(1));  // warm up
    long a0 = g_allocations, f0 = g_frames;
    auto t0 = std::chrono::steady_clock::now();
    while (g_frames - f0 < 2000) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    long frames = g_frames - f0, allocs = g_allocations - a0;
    Ostrel_StopPreview(id);
    state.counters["frames_per_s"] = frames / secs;
    state.counters["allocs_per_frame"] = static_cast<double>(allocs) / frames;
    std::printf("%dx%d: %.0f frames/s, %.3f allocations per frame\n", w, h, frames / secs,
                static_cast<double>(allocs) / frames);
  }
  Ostrel_FreeSDK();
  sim.stop();
}
BENCHMARK(BM_TempPreview)->Args({640, 512})->Args({1280, 1024})->Iterations(1)->Unit(benchmark::kMillisecond);

// The same with the filters on: the simulated model makes the preview filter in its receiving
// thread (model 1 destripe refreshed every frame, model 2 denoise type 1), and the image settings
// turn detail enhancement 8 on, so the delivering thread colours through the detail layer.
static void BM_TempPreviewFiltered(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const int model = static_cast<int>(state.range(2));
  camsim::CameraSimOptions o;
  o.address = "127.0.23.1";
  o.identity.dataWidth = static_cast<uint16_t>(w);
  o.identity.dataHeight = static_cast<uint16_t>(h);
  o.identity.softwareId = model == 1 ? "P9100T-SIM" : "P9600-SIM";
  o.tempPaced = false;
  camsim::CameraSim sim(o);
  if (model == 1) {
    DestripInfoRecord r{};
    r.type = 2;
    r.s0_radius = 4;
    r.s0_regular = 60;
    r.s1_radius = 8;
    r.s1_regular = 1;
    r.sub_y = 1;
    r.sub_t = 1;
    const auto* b = reinterpret_cast<const uint8_t*>(&r);
    sim.state().setRecord(124, std::vector<uint8_t>(b, b + sizeof r));
  } else {
    DenoiseInfoRecord r{};
    r.type = 1;
    r.gf_radius = 2;
    r.gf_regular = 10;
    const auto* b = reinterpret_cast<const uint8_t*>(&r);
    sim.state().setRecord(128, std::vector<uint8_t>(b, b + sizeof r));
  }
  if (sim.start() != 0 || Ostrel_InitSDK() != 0) {
    state.SkipWithError("simulator or SDK did not start");
    return;
  }
  LoginInfo login{};
  std::snprintf(login.ip, sizeof login.ip, "%s", o.address.c_str());
  CameraBasicInfoRecord basic{};
  int user = Ostrel_Login(&login, &basic);
  for (auto _ : state) {
    PreviewInfo info{};
    info.dataType = PREVIEW_TEMPERATURE;
    info.callback = onFrame;
    g_frames = 0;
    int id = Ostrel_StartPreview(user, &info);
    StretchCtl ctl{};
    ctl.flags = StretchCtl_DdeLevel;
    ctl.ddeLevel = 8;
    Ostrel_PreviewSetImage(id, &ctl, -1);
    while (g_frames < 50) std::this_thread::sleep_for(std::chrono::milliseconds(1));  // warm up
    long a0 = g_allocations, f0 = g_frames;
    auto t0 = std::chrono::steady_clock::now();
    while (g_frames - f0 < 500) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    long frames = g_frames - f0, allocs = g_allocations - a0;
    Ostrel_StopPreview(id);
    state.counters["frames_per_s"] = frames / secs;
    state.counters["allocs_per_frame"] = static_cast<double>(allocs) / frames;
    std::printf("%dx%d every filter on (%s, detail 8): %.0f frames/s, %.3f allocations per frame\n", w, h,
                model == 1 ? "destripe" : "denoise type 1", frames / secs, static_cast<double>(allocs) / frames);
  }
  Ostrel_FreeSDK();
  sim.stop();
}
BENCHMARK(BM_TempPreviewFiltered)
    ->Args({640, 512, 1})
    ->Args({640, 512, 2})
    ->Args({1280, 1024, 1})
    ->Args({1280, 1024, 2})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
