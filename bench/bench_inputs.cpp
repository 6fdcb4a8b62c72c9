// Frame hand-over of the live camera input: the SDK's callback filling the next ring slot and
// calling a counting consumer, at 640 x 512. Budget: under 2 us per frame and no allocation.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "inputs/CInputIr.h"

namespace {

std::atomic<bool> gCountAllocations{false};
std::atomic<uint64_t> gAllocations{0};

struct Counter {
  uint64_t frames = 0;
  uint64_t checksum = 0;
  static void consume(int status, FrameSlot* slot, void* user, uint32_t sequence) {
    auto* c = static_cast<Counter*>(user);
    if (status != 0 || slot == nullptr) return;
    ++c->frames;
    c->checksum += sequence + static_cast<uint64_t>(slot->data[0]);
  }
};

// A frame store like the SDK's: the codes directly behind the 128-byte head, and a BGRA picture.
struct FakeFrame {
  static constexpr int W = 640, H = 512;
  std::vector<uint8_t> store = std::vector<uint8_t>(128 + 2 * W * H);
  std::vector<uint32_t> image = std::vector<uint32_t>(W * H);
  PreviewFrame frame{};
  FakeFrame() {
    auto* head = reinterpret_cast<DataFrameHead*>(store.data());
    head->width = W;
    head->height = H;
    frame.head = head;
    frame.data = reinterpret_cast<int16_t*>(store.data() + 128);
    frame.image = image.data();
  }
};

void BM_FrameHandOver640x512(benchmark::State& state) {
  FakeFrame f;
  Counter counter;
  CInputIr input;
  input.setConsumer(&Counter::consume, &counter);
  constexpr int kFrames = 10000;
  gAllocations = 0;
  gCountAllocations = true;
  for (auto _ : state) {
    for (int i = 0; i < kFrames; ++i) {
      f.store[128] = static_cast<uint8_t>(i);
      CInputIr::previewCallback(0, &f.frame, &input);
    }
    benchmark::ClobberMemory();
  }
  gCountAllocations = false;
  benchmark::DoNotOptimize(counter.checksum);
  const double handOvers = static_cast<double>(state.iterations()) * kFrames;
  state.counters["hand_overs"] = handOvers;
  state.counters["ns_per_hand_over"] =
      benchmark::Counter(handOvers, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["allocations"] = static_cast<double>(gAllocations.load());
  if (counter.frames != static_cast<uint64_t>(handOvers)) state.SkipWithError("consumer missed frames");
}
BENCHMARK(BM_FrameHandOver640x512)->Unit(benchmark::kMillisecond);

// Loss and restore reports take the same path without touching the ring.
void BM_StatusReport(benchmark::State& state) {
  Counter counter;
  CInputIr input;
  input.setConsumer(&Counter::consume, &counter);
  for (auto _ : state) CInputIr::previewCallback(-17, nullptr, &input);
  state.counters["ns_per_report"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_StatusReport);

}  // namespace

// Counts allocations made while the hand-over loop runs (the budget allows none).
void* operator new(std::size_t n) {
  if (gCountAllocations.load(std::memory_order_relaxed)) gAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(n == 0 ? 1 : n)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

BENCHMARK_MAIN();
