// The live recorder end to end: the simulated camera at 1280 x 1024, 50 fps, a 2 s pre-record
// buffer and 20 s recorded, once to the build disk and once to tmpfs (/dev/shm); then the camera
// unpaced (as fast as the link carries frames) recorded to tmpfs. Figures per run: frames the
// recorder received, frames written, frames the pool refused, MB/s written, the worker's time per
// frame (and the frames per second that time allows) and the most pool frames out at once. The
// unpaced live rate is set by the SDK's preview thread, which receives, measures and colours every
// frame before the recorder copies it; the worker's rate is the recorder's own. The simulator runs
// on 127.0.24.200 and .201.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/stat.h>

#include "BenchLevel.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "camsim/CameraSim.h"
#include "settings/CConfigManager.h"
#include "inputs/CInputIr.h"
#include "modules/CModuleInputIr.h"
#include "workspace/CTabManager.h"
#include "recorder/RecorderManager.h"

namespace {

template <class Pred>
bool spinUntil(Pred pred, int ms) {
  QDeadlineTimer deadline(ms);
  while (!pred()) {
    if (deadline.hasExpired()) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    // Polling without a pause would keep a core busy that the simulator and the SDK's threads need.
    QThread::msleep(2);
  }
  return true;
}

struct RunFigures {
  bool ok = false;
  uint64_t received = 0, written = 0, dropped = 0;
  double seconds = 0, mbPerSecond = 0, workerMicros = 0, framesPerSecond = 0;
  uint32_t poolPeak = 0, poolCapacity = 0;
};

// Records `recordSeconds` from a camera of w x h at `fps` (0: unpaced) into `saveDir`.
RunFigures recordRun(const char* addr, uint16_t w, uint16_t h, uint16_t fps, int preSeconds, int recordSeconds,
                     const QString& saveDir) {
  RunFigures r;
  QTemporaryDir configDir;
  CConfigManager config;
  config.setAppDir(configDir.path());
  config.config()->setSaveDir(saveDir);
  RecorderManager manager(&config, nullptr, nullptr);
  RecorderConfig* c = manager.config();
  c->applyRecord(RecorderConfig::defaults());
  c->setPreBufferEnable(preSeconds > 0);
  c->setPreBuffer(preSeconds);
  camsim::CameraSimOptions o;
  o.address = addr;
  o.identity.dataWidth = w;
  o.identity.dataHeight = h;
  o.identity.dataFps = fps > 0 ? fps : 50;
  o.tempPaced = fps > 0;
  camsim::CameraSim sim(o);
  if (sim.start() != 0 || Ostrel_InitSDK() != 0) return r;
  {
    CameraBasicInfoRecord rec{};
    if (CInputIr::testLogin(QString::fromLatin1(addr), &rec) != 0) return r;
    CInputIr camera(QString::fromLatin1(addr), rec);
    camera.setConfigDir(configDir.path());
    CTabManager tabs;
    tabs.setManagers({.recorders = &manager});
    std::unique_ptr<CModuleInputIr> module(
        qobject_cast<CModuleInputIr*>(tabs.module_create(1, &camera, tabs.tab_create()->frame(0))));
    if (!module || module->loadData() != 0) return r;
    Recorder* rc = module->recorder();
    if (!spinUntil([&] { return rc->isActive(); }, 120000)) return r;
    const uint64_t fill = rc->framesPushed() + uint64_t(preSeconds + 1) * o.identity.dataFps;
    spinUntil([&] { return rc->framesPushed() >= fill; }, 60000);
    const uint64_t droppedBefore = rc->framesDropped();
    rc->sendTrigger(257);
    if (!spinUntil([&] { return rc->state() == 2; }, 30000)) return r;
    const uint64_t pushedAtStart = rc->framesPushed();
    QElapsedTimer t;
    t.start();
    spinUntil([&] { return t.elapsed() >= recordSeconds * 1000; }, recordSeconds * 1000 + 1000);
    rc->sendTrigger(513);
    if (!spinUntil([&] { return rc->state() == 0; }, 120000)) return r;
    r.seconds = t.elapsed() / 1000.0;
    r.received = rc->framesPushed() - pushedAtStart;
    r.written = rc->lastStats().framesWritten;
    r.dropped = rc->framesDropped() - droppedBefore;
    r.workerMicros = rc->workerMicrosPerFrame();
    r.poolPeak = rc->poolPeak();
    r.poolCapacity = rc->poolCapacity();
    r.mbPerSecond = double(rc->lastStats().bytesWritten) / 1e6 / r.seconds;
    r.framesPerSecond = double(r.written - rc->lastStats().preCount) / r.seconds;
    r.ok = rc->lastStats().error == 0;
    QFile::remove(rc->file()->fn());
    module->unloadData();
  }
  Ostrel_FreeSDK();
  sim.stop();
  return r;
}

void report(benchmark::State& state, const char* what, const RunFigures& f) {
  state.counters["received"] = double(f.received);
  state.counters["written"] = double(f.written);
  state.counters["dropped"] = double(f.dropped);
  state.counters["MB/s"] = f.mbPerSecond;
  state.counters["worker_us/frame"] = f.workerMicros;
  state.counters["pool_peak"] = double(f.poolPeak);
  state.counters["pool_frames"] = double(f.poolCapacity);
  state.counters["frames/s"] = f.framesPerSecond;
  // What the worker could write at its time per frame, whatever rate the camera link delivers.
  const double capacity = f.workerMicros > 0 ? 1e6 / f.workerMicros : 0.0;
  state.counters["worker_frames/s"] = capacity;
  std::printf("%s: %s, %.1f s, received %llu, written %llu (incl. pre-record), dropped %llu, %.1f MB/s, "
              "worker %.0f us/frame (%.0f frames/s), pool peak %u of %u, %.1f live frames/s\n",
              what, f.ok ? "ok" : "FAILED", f.seconds, (unsigned long long)f.received, (unsigned long long)f.written,
              (unsigned long long)f.dropped, f.mbPerSecond, f.workerMicros, capacity, f.poolPeak, f.poolCapacity,
              f.framesPerSecond);
  std::fflush(stdout);
  if (!f.ok) state.SkipWithError("the run did not complete");
}

void BM_Record1280At50ToBuildDisk(benchmark::State& state) {
  for (auto _ : state) {
    QTemporaryDir dir(QDir::currentPath() + QStringLiteral("/bench-recorder-XXXXXX"));
    report(state, "1280x1024 50 fps, build disk", recordRun("127.0.24.200", 1280, 1024, 50, 2, 20, dir.path()));
  }
}
BENCHMARK(BM_Record1280At50ToBuildDisk)->Iterations(1)->Unit(benchmark::kSecond);

void BM_Record1280At50ToTmpfs(benchmark::State& state) {
  for (auto _ : state) {
    QTemporaryDir dir(QStringLiteral("/dev/shm/bench-recorder-XXXXXX"));
    report(state, "1280x1024 50 fps, tmpfs", recordRun("127.0.24.200", 1280, 1024, 50, 2, 20, dir.path()));
  }
}
BENCHMARK(BM_Record1280At50ToTmpfs)->Iterations(1)->Unit(benchmark::kSecond);

void BM_RecordUnpacedToTmpfs(benchmark::State& state) {
  const uint16_t w = uint16_t(state.range(0)), h = uint16_t(state.range(1));
  for (auto _ : state) {
    QTemporaryDir dir(QStringLiteral("/dev/shm/bench-recorder-XXXXXX"));
    char what[64];
    std::snprintf(what, sizeof what, "%ux%u unpaced, tmpfs", w, h);
    report(state, what, recordRun("127.0.24.201", w, h, 0, 0, 5, dir.path()));
  }
  if (w == 1280) state.counters["goal_frames/s"] = 400;
}
BENCHMARK(BM_RecordUnpacedToTmpfs)->Args({640, 512})->Args({1280, 1024})->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  initPaintResources();
  applyBenchLevel();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
