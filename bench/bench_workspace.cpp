// The live module's per-frame work on the receiver thread: the frame hand-over (meter, display
// thinning, recorder) for frames that are not shown, and the copy of a shown 640 x 512 frame.
// Allocations during the timed loops are counted through the global operator new.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "app/CConfigManager.h"
#include "modules/CModuleInputIr.h"
#include "FrameCopy.h"

namespace {
std::atomic<uint64_t> g_allocations{0};
}  // namespace

void* operator new(std::size_t n) {
  g_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

constexpr int kWidth = 640, kHeight = 512;

// A frame laid out as the SDK's store keeps it: head, codes directly behind, separate image.
struct Frame {
  std::vector<uint8_t> headAndData = std::vector<uint8_t>(128 + size_t(kWidth) * kHeight * 2);
  std::vector<uint32_t> image = std::vector<uint32_t>(size_t(kWidth) * kHeight, 0xFF336699u);
  FrameSlot slot{};
  Frame() {
    auto* head = reinterpret_cast<DataFrameHead*>(headAndData.data());
    head->width = kWidth;
    head->height = kHeight;
    auto* codes = reinterpret_cast<int16_t*>(headAndData.data() + 128);
    for (size_t i = 0; i < size_t(kWidth) * kHeight; ++i) codes[i] = static_cast<int16_t>(2500 + i % 97);
    slot.head = head;
    slot.data = codes;
    slot.image = image.data();
  }
};

// 10^6 hand-overs from a receiver thread of its own, as the SDK calls them. The first frame is
// shown and stays pending (no event loop runs here), so the rest take the not-shown path that
// most frames take at any display limit below the camera's rate.
void BM_FrameCallback(benchmark::State& state) {
  constexpr int kCalls = 1000000;
  Frame frame;
  // A bound camera of 50 frames per second, never opened: the meter measures every 50 frames.
  CameraBasicInfoRecord rec{};
  rec.dataWidth = kWidth;
  rec.dataHeight = kHeight;
  rec.dataFps = 50;
  CInputIr camera(QStringLiteral("127.0.19.254"), rec);
  CModuleInputIr module;
  if (module.init(&camera, nullptr) != 0) {
    state.SkipWithError("module refused the camera");
    return;
  }
  displayFpsLimit.store(25);
  double nsPerCall = 0;
  uint64_t allocations = 0;
  for (auto _ : state) {
    std::thread receiver([&] {
      // Warm-up: the first shown frame sizes the module's own frame and queues its signal.
      CModuleInputIr::frameCallback(0, &frame.slot, &module, 0);
      const uint64_t before = g_allocations.load();
      const auto t0 = std::chrono::steady_clock::now();
      for (int i = 1; i <= kCalls; ++i) {
        frame.slot.head->frameIndex = static_cast<uint16_t>(i);
        CModuleInputIr::frameCallback(0, &frame.slot, &module, static_cast<uint32_t>(i));
      }
      const auto t1 = std::chrono::steady_clock::now();
      allocations = g_allocations.load() - before;
      nsPerCall = std::chrono::duration<double, std::nano>(t1 - t0).count() / kCalls;
    });
    receiver.join();
  }
  state.counters["ns_per_call"] = nsPerCall;
  state.counters["allocations"] = static_cast<double>(allocations);
  state.counters["recorded"] = static_cast<double>(module.recorder()->framesPushed());
  std::printf("frameCallback: %.1f ns per call (budget 100), %llu allocations in %d calls\n", nsPerCall,
              static_cast<unsigned long long>(allocations), kCalls);
}
BENCHMARK(BM_FrameCallback)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

// The copy a shown frame costs on the receiver thread: head, codes and image of 640 x 512.
void BM_ShownFrameCopy(benchmark::State& state) {
  Frame frame;
  FrameCopy copy;
  copy.reserve(kWidth, kHeight);
  const uint64_t before = g_allocations.load();
  for (auto _ : state) {
    frame.slot.head->frameIndex++;
    benchmark::DoNotOptimize(copy.assign(frame.slot));
    benchmark::ClobberMemory();
  }
  state.counters["allocations"] = static_cast<double>(g_allocations.load() - before);
  state.SetBytesProcessed(state.iterations() * int64_t(128 + kWidth * kHeight * 6));
}
BENCHMARK(BM_ShownFrameCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("budgets: frameCallback <= 100 ns per call, shown-frame copy at 640x512 <= 300 us\n");
  return 0;
}
