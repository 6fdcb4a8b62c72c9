// The stream player: ticks per second in fast mode on a 1280 x 1024 recording at 100 frames per
// second (every tick reads and colours a frame), and one whole-file measurement of 10 items over
// 500 frames of 640 x 512 through the player thread.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "FrameKit.h"
#include "files/StreamFile.h"
#include "inputs/CInputFileBase.h"

using namespace ostrel::files;

namespace {

std::string scratchPath(const char* name) {
  return std::string("/tmp/ostrel-bench-") + std::to_string(getpid()) + "-" + name;
}

bool writeStream(const std::string& path, int w, int h, int frames, int fps) {
  TempStreamGeometry g;
  if (TempStream_Geometry(w, h, TF_MIN_PIXELS, TF_MAX_PIXELS, &g) != 0) return false;
  TempFileHead head{};
  head.fpsNum = static_cast<uint16_t>(fps);
  head.fpsDiv = 1;
  head.paletteIndex = 5;
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  TempStream_BuildHeadArea(&g, &head, area.data(), g.firstFrame);
  StreamWriter wr;
  if (wr.create(path.c_str(), g, area.data()) != 0) return false;
  auto frame = ostrel::test::noiseFrame(w, h, 3000, 400, 7, 10);
  for (int i = 0; i < frames; ++i) {
    frame.head.frameIndex = static_cast<uint16_t>(i);
    if (wr.appendFrame(&frame.head, frame.codes.data()) != 0) return false;
  }
  return wr.close() == 0;
}

// Counts frames and turns round at either end, so fast play never stops.
struct Sink {
  CInputStream* input = nullptr;
  std::atomic<int64_t> ticks{0};
  int last = 0;
  std::mutex m;
  std::condition_variable cv;
  int meaCode = 1;

  static void onFrame(int, FrameSlot* slot, void* user) {
    auto* s = static_cast<Sink*>(user);
    benchmark::DoNotOptimize(slot->image[0]);
    const int frames = s->input->frameCount();
    if (slot->frameIndex >= frames - 1) s->input->setPlayMode(4);
    if (slot->frameIndex <= 0) s->input->setPlayMode(3);
    s->ticks.fetch_add(1);
    s->input->frameConsumed();
  }
  static void onMea(int status, MeaResultData* data, void* user) {
    auto* s = static_cast<Sink*>(user);
    std::free(data);
    std::lock_guard<std::mutex> lock(s->m);
    s->meaCode = status;
    s->cv.notify_all();
  }
};

}  // namespace

static void BM_PlayerFast1280x1024At100(benchmark::State& state) {
  const std::string path = scratchPath("fast.stream");
  if (!writeStream(path, 1280, 1024, 100, 100)) {
    state.SkipWithError("cannot write the stream");
    return;
  }
  CInputStream input;
  Sink sink;
  sink.input = &input;
  input.setPath(QString::fromStdString(path));
  input.setConsumer(&sink, &Sink::onFrame, &Sink::onMea);
  if (input.open() != 0) {
    state.SkipWithError("cannot open the stream");
    return;
  }
  input.setPlayMode(3);
  const auto t0 = std::chrono::steady_clock::now();
  const int64_t start = sink.ticks.load();
  for (auto _ : state) {
    // One iteration: 100 ticks, one second at the recorded rate.
    const int64_t until = sink.ticks.load() + 100;
    while (sink.ticks.load() < until) std::this_thread::yield();
  }
  const double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  state.counters["ticks_per_s"] = static_cast<double>(sink.ticks.load() - start) / secs;
  input.close();
  std::remove(path.c_str());
}
BENCHMARK(BM_PlayerFast1280x1024At100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

static void BM_Measure10Items500Frames640x512(benchmark::State& state) {
  const std::string path = scratchPath("measure.stream");
  if (!writeStream(path, 640, 512, 500, 25)) {
    state.SkipWithError("cannot write the stream");
    return;
  }
  CInputStream input;
  Sink sink;
  sink.input = &input;
  input.setPath(QString::fromStdString(path));
  input.setConsumer(&sink, &Sink::onFrame, &Sink::onMea);
  if (input.open() != 0) {
    state.SkipWithError("cannot open the stream");
    return;
  }
  input.setPlayMode(0);
  MeaItem items[10]{};
  for (int i = 0; i < 10; ++i) {
    MeaItem& d = items[i];
    const auto x = static_cast<uint16_t>(20 + 55 * i), y = static_cast<uint16_t>(30 + 40 * i);
    switch (i % 4) {
      case 0:
        d.meaType = MEA_TYPE_FRAME;
        break;
      case 1:
        d.meaType = MEA_TYPE_POINT;
        d.pointCount = 1;
        d.points[0] = {x, y};
        break;
      case 2:
        d.meaType = MEA_TYPE_RECT;
        d.pointCount = 2;
        d.points[0] = {x, y};
        d.points[1] = {static_cast<uint16_t>(x + 80), static_cast<uint16_t>(y + 60)};
        break;
      default:
        d.meaType = MEA_TYPE_LINE;
        d.pointCount = 2;
        d.points[0] = {x, y};
        d.points[1] = {static_cast<uint16_t>(x + 90), static_cast<uint16_t>(y + 50)};
        break;
    }
  }
  for (auto _ : state) {
    auto* list = static_cast<MeaItemList*>(std::calloc(1, sizeof(MeaItemList)));
    list->count = 10;
    std::copy(items, items + 10, list->items);
    {
      std::lock_guard<std::mutex> lock(sink.m);
      sink.meaCode = 1;
    }
    if (input.requestMeaResult(list) != 0) {
      std::free(list);
      state.SkipWithError("request refused");
      break;
    }
    std::unique_lock<std::mutex> lock(sink.m);
    sink.cv.wait(lock, [&] { return sink.meaCode != 1; });
    if (sink.meaCode != 0) {
      state.SkipWithError("measurement failed");
      break;
    }
  }
  state.counters["frames_per_s"] = benchmark::Counter(500.0 * state.iterations(), benchmark::Counter::kIsRate);
  input.close();
  std::remove(path.c_str());
}
BENCHMARK(BM_Measure10Items500Frames640x512)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
