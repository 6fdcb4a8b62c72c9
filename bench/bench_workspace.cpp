// The live module's per-frame work on the receiver thread: the frame hand-over (meter, display
// thinning, recorder) for frames that are not shown, and the copy of a shown 640 x 512 frame.
// Allocations during the timed loops are counted through the global operator new.
// Then the program itself with a workspace of 250 and of 1000 empty tabs: the processor time until
// the views are built (goal: linear in the tabs) and the time from SIGTERM to its exit (goal 1 s).
#include <benchmark/benchmark.h>

#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
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

#ifdef CALORVUE_PATH
// Processor seconds the process has used so far (user and system), from /proc.
double processSeconds(qint64 pid) {
  QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = f.readAll();
  // Fields after the command's closing parenthesis; utime and stime are the 12th and 13th there.
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 13) return -1;
  return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

QByteArray emptyTabsWorkspace(int tabs) {
  QByteArray x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workspace>\n<tabs tabSelected=\"0\">\n";
  for (int t = 0; t < tabs; ++t) {
    x += "<tab viewIndex=\"" + QByteArray::number(t) + "\" viewName=\"" + QByteArray::number(t + 1) +
         "\" layoutType=\"3\"><frames>";
    for (int f = 0; f < 4; ++f)
      x += "<frame viewIndex=\"" + QByteArray::number(f) + "\" moduleSelected=\"-1\"><modules/></frame>";
    x += "</frames></tab>\n";
  }
  return x + "</tabs>\n</workspace>\n";
}

// Runs a copy of the program on a workspace of `tabs` empty tabs: the views are built when the
// load's last step has shown the selected tab (its second "tab_select_post" line in the log).
void BM_ProgramTabsLoadThenSigterm(benchmark::State& state) {
  const int tabs = int(state.range(0));
  double buildCpu = 0, buildWall = 0, exitWall = 0;
  for (auto _ : state) {
    QTemporaryDir dir;
    const QString program = dir.filePath(QStringLiteral("Calorvue"));
    const QString workspace = dir.filePath(QStringLiteral("tabs.workspace"));
    QFile ws(workspace);
    if (!QFile::copy(QStringLiteral(CALORVUE_PATH), program) || !ws.open(QIODevice::WriteOnly) ||
        ws.write(emptyTabsWorkspace(tabs)) < 0) {
      state.SkipWithError("no program copy or workspace");
      return;
    }
    ws.close();
    QProcess proc;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    proc.setProcessEnvironment(env);
    proc.setWorkingDirectory(dir.path());
    proc.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer wall;
    wall.start();
    proc.start(program, {workspace});
    if (!proc.waitForStarted(10000)) {
      state.SkipWithError("program did not start");
      return;
    }
    QFile log(dir.path() + "/Calorvue-Log/Calorvue_" + QDate::currentDate().toString("yyyy-MM-dd") + ".log");
    bool built = false;
    while (!built && proc.state() == QProcess::Running && wall.elapsed() < 600000) {
      proc.waitForReadyRead(20);
      proc.readAll();
      if (log.isOpen() || log.open(QIODevice::ReadOnly)) {
        log.seek(0);
        built = log.readAll().count("tab_select_post") >= 2;
      }
    }
    buildCpu = processSeconds(proc.processId());
    buildWall = double(wall.elapsed()) / 1000.0;
    if (!built) {
      state.SkipWithError("views not built");
      return;
    }
    QElapsedTimer t;
    t.start();
    ::kill(pid_t(proc.processId()), SIGTERM);
    if (!proc.waitForFinished(600000)) {
      state.SkipWithError("no exit after SIGTERM");
      return;
    }
    exitWall = double(t.elapsed()) / 1000.0;
  }
  state.counters["views_cpu_s"] = buildCpu;
  state.counters["views_cpu_ms_per_tab"] = buildCpu * 1000.0 / tabs;
  state.counters["views_wall_s"] = buildWall;
  state.counters["exit_s"] = exitWall;
  std::printf("%d tabs: views built after %.2f s (%.2f s processor, %.2f ms per tab; goal linear), exit %.2f s "
              "after SIGTERM (goal 1 s)\n",
              tabs, buildWall, buildCpu, buildCpu * 1000.0 / tabs, exitWall);
  std::fflush(stdout);
}
BENCHMARK(BM_ProgramTabsLoadThenSigterm)->Arg(250)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
#endif

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("budgets: frameCallback <= 100 ns per call, shown-frame copy at 640x512 <= 300 us\n");
  return 0;
}
