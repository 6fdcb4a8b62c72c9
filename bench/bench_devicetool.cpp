// The device tool's frame hand-over, per frame: a frame dropped by the display step (nothing is
// copied), a displayed frame copied into the owned ring and taken and given back by the GUI side
// at 640 x 512 and 1280 x 1024, and the device's GUI-thread handling of a displayed frame
// (`onFrameRecved`: data state, measurement read, canvas copy) against a simulated camera.
// Budgets of the whole preview pipeline: 5 ms per frame at 640 x 512, 20 ms at 1280 x 1024.
// Also a snapshot at 1280 x 1024 (JPEG encoding, the temperature block and the whole-file write)
// and one step of the trend chart holding 3 series of 10000 samples (append, refresh, render copy).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "devicetool/FrameMeter.h"
#include "devicetool/FrameRing.h"

#ifdef OSTREL_BENCH_DEVICE
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <memory>

#include <QDir>
#include <QTemporaryDir>

#include "AppFolders.h"
#include "CDevice.h"
#include "SaveFiles.h"
#include "CDeviceNode.h"
#include "camsim/CameraSim.h"
#endif

namespace {

// A frame store like the SDK's: the codes directly behind the 128-byte head, and a BGRA picture.
struct FakeFrame {
  std::vector<uint8_t> store;
  std::vector<uint32_t> image;
  PreviewFrame frame{};
  FakeFrame(int w, int h) : store(128 + size_t(2 * w * h)), image(size_t(w * h)) {
    auto* head = reinterpret_cast<DataFrameHead*>(store.data());
    head->width = uint16_t(w);
    head->height = uint16_t(h);
    head->scale = 100;
    auto* codes = reinterpret_cast<int16_t*>(store.data() + 128);
    for (int i = 0; i < w * h; ++i) codes[i] = int16_t(2500 + i % 97);
    for (int i = 0; i < w * h; ++i) image[size_t(i)] = 0xFF000000u | uint32_t(i);
    frame.head = head;
    frame.data = codes;
    frame.image = image.data();
  }
};

void BM_DroppedFrame(benchmark::State& state) {
  FrameMeter meter;
  meter.reset(60);
  int64_t now = 1'000'000'000;
  int shown = 0;
  // A 60 frames/s camera under a cap of 10: the display step is 6.
  for (int i = 0; i < 120; ++i, now += 166666) shown += meter.onFrame(now, 10);
  for (auto _ : state) {
    now += 166666;
    // Only frames the step drops are timed here: the count is advanced past shown ones.
    if (meter.onFrame(now, 10)) meter.onFrame(now += 166666, 10);
    benchmark::DoNotOptimize(shown);
  }
  state.counters["step"] = meter.displayStep();
}
BENCHMARK(BM_DroppedFrame);

void BM_DisplayedFrame(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  FakeFrame f(w, h);
  FrameRing ring;
  const LiveFrame* last = nullptr;
  for (auto _ : state) {
    LiveFrame* slot = ring.put(f.frame.head, f.frame.data, f.frame.image);
    ring.take(slot);
    ring.release(last);
    last = slot;
    benchmark::DoNotOptimize(slot->data[0]);
  }
  ring.release(last);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(128 + 6 * size_t(w) * size_t(h)));
  state.counters["dropped"] = double(ring.dropped());
}
BENCHMARK(BM_DisplayedFrame)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMicrosecond);

#ifdef OSTREL_BENCH_DEVICE
// A working device on a slow simulated camera (1 frame/s, so its own frames hardly compete for
// ring slots): the timed part is onFrameRecved of a frame the receiver's copy put into the ring.
// Queued frames of the camera are handled between batches, outside the timing.
void BM_OnFrameRecved(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  const std::string addr = w == 640 ? "127.0.44.60" : "127.0.44.61";
  camsim::CameraSimOptions o;
  o.address = addr;
  o.identity.dataWidth = uint16_t(w);
  o.identity.dataHeight = uint16_t(h);
  o.identity.dataFps = 1;
  camsim::CameraSim sim(o);
  if (sim.start() != 0) {
    state.SkipWithError("simulator did not start");
    return;
  }
  CDeviceNode node;
  node.setDeviceIpQuiet(QString::fromStdString(addr));
  CDevice dev;
  dev.startWork(&node);
  QElapsedTimer t;
  t.start();
  while (!dev.isWorking() && t.elapsed() < 20000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  if (!dev.isWorking()) {
    state.SkipWithError("device did not start");
    return;
  }
  FakeFrame f(w, h);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    reinterpret_cast<DataFrameHead*>(f.store.data())->fpaTemp = ++n;
    if (n % 64 == 0) QCoreApplication::processEvents();
    LiveFrame* slot = dev.copyFrame(f.frame);
    state.ResumeTiming();
    dev.onFrameRecved(0, slot);
  }
  state.counters["shown"] = dev.lastFrame() != nullptr && dev.lastFrame()->head->fpaTemp == n ? 1 : 0;
  dev.stopWork();
}
BENCHMARK(BM_OnFrameRecved)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMicrosecond);

void BM_Snapshot(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  FakeFrame f(w, h);
  auto* head = reinterpret_cast<DataFrameHead*>(f.store.data());
  // A picture with detail for the encoder: a gradient with a pattern.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.frame.image[size_t(y) * w + x] = 0xFF000000u | uint32_t((x ^ y) & 255) << 8 | uint32_t(x & 255);
  QTemporaryDir dir;
  const FixInfoRecord fix{};
  const char id[32] = "BENCH";
  int64_t bytes = 0;
  int n = 0;
  for (auto _ : state) {
    const QString path = dir.path() + QStringLiteral("/snap%1.jpg").arg(n++);
    const QByteArray jpg = savefile::encodeJpeg(f.frame.image, w, h);
    const QByteArray block = savefile::temperatureBlock(id, 0, w, h, fix, *head, f.frame.data);
    if (savefile::writeNewFile(path, {QByteArrayView(jpg), QByteArrayView(block)}) != 0) {
      state.SkipWithError("write failed");
      return;
    }
    bytes += jpg.size() + block.size();
    state.PauseTiming();
    QFile::remove(path);
    state.ResumeTiming();
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_Snapshot)->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_ChartRefresh(benchmark::State& state) {
  const int samples = int(state.range(0));
  TempChart chart;
  chart.setSize(QSizeF(800, 400));
  for (int k = 0; k < 3; ++k) {
    auto* s = new TCSeriesBase(&chart);
    s->setFifoSize(samples);
    for (int i = 0; i < samples; ++i) s->append(i, 25.0 + k + (i % 100) * 0.01);
    chart.series_create(s);
  }
  chart.setMode(TCConfig::Automatic, TCConfig::Automatic);
  // One trend-chart step of the live device: a sample appended to each full series, the refresh,
  // and the render thread's copy of all samples (the copy shares until the next append detaches it).
  TempChartRender render;
  double x = samples;
  for (auto _ : state) {
    for (QObject* o : chart.seriesListObjects()) static_cast<TCSeriesBase*>(o)->append(x, 26.0);
    x += 1;
    chart.refresh();
    render.syncItem(&chart);
  }
  state.counters["samples"] = 3.0 * samples;
}
BENCHMARK(BM_ChartRefresh)->Arg(10000)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef OSTREL_BENCH_DEVICE
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  Ostrel_InitSDK();
#endif
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
#ifdef OSTREL_BENCH_DEVICE
  Ostrel_FreeSDK();
#endif
  return 0;
}
