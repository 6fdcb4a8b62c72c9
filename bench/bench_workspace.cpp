// The live module's per-frame work on the receiver thread: the frame hand-over (meter, display
// thinning, recorder) for frames that are not shown, and the copy of a shown 640 x 512 frame.
// Allocations during the timed loops are counted through the global operator new.
// Then the program itself with a workspace of 250, 500 and 1000 empty tabs: the time the views take
// to build (goal: linear in the tabs, so the time per tab stays put as the tabs double) and the
// time from SIGTERM to its exit (goal 1 s).
#include <benchmark/benchmark.h>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
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
#include <map>
#include <new>
#include <thread>
#include <vector>

#include "settings/CConfigManager.h"
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

// Processor seconds of the children reaped so far.
double childrenSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// When the day log's first line holding `what` at or after `from` was written (its time stamp, in
// ms since the epoch), or -1.
qint64 logTime(const QByteArray& log, const char* what, qsizetype* from) {
  const qsizetype at = log.indexOf(what, *from);
  if (at < 0) return -1;
  *from = at + 1;
  // A message of its own line follows the line with the time stamp.
  for (qsizetype end = at; end > 0;) {
    const qsizetype lineStart = log.lastIndexOf('\n', end - 1) + 1;
    const QDateTime t =
        QDateTime::fromString(QString::fromLatin1(log.mid(lineStart, 23)), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    if (t.isValid()) return t.toMSecsSinceEpoch();
    end = lineStart - 1;
  }
  return -1;
}

// Views' build time per tab at each tab count, for the ratio against the smallest.
std::map<int, double> g_msPerTab;

// Runs a copy of the program on a workspace of `tabs` empty tabs: the views are built when the
// load's last step has shown the selected tab (its second "tab_select_post" line in the log); they
// are being built from the load's "workspace_load, ret" line on.
void BM_ProgramTabsLoadThenSigterm(benchmark::State& state) {
  const int tabs = int(state.range(0));
  double buildCpu = 0, buildWall = 0, viewsMs = 0, viewsCpuMs = 0, exitWall = 0, exitCpu = 0, teardownMs = 0,
         managersMs = 0;
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
    // Processor time, not wall time, is compared: this machine is shared. It is read when the log
    // shows the load's step, a few milliseconds late at most.
    bool built = false;
    double loadCpu = -1;
    while (!built && proc.state() == QProcess::Running && wall.elapsed() < 600000) {
      proc.waitForReadyRead(5);
      proc.readAll();
      if (log.isOpen() || log.open(QIODevice::ReadOnly)) {
        log.seek(0);
        const QByteArray text = log.readAll();
        if (loadCpu < 0 && text.contains("workspace_load, ret")) loadCpu = processSeconds(proc.processId());
        built = text.count("tab_select_post") >= 2;
      }
    }
    buildCpu = processSeconds(proc.processId());
    viewsCpuMs = loadCpu < 0 ? -1 : (buildCpu - loadCpu) * 1000.0;
    buildWall = double(wall.elapsed()) / 1000.0;
    if (!built) {
      state.SkipWithError("views not built");
      return;
    }
    // The exit's processor time: what the reaped program used in all, less what it had used
    // before the signal.
    const double childrenBefore = childrenSeconds();
    const double cpuAtSignal = processSeconds(proc.processId());
    QElapsedTimer t;
    t.start();
    ::kill(pid_t(proc.processId()), SIGTERM);
    if (!proc.waitForFinished(600000)) {
      state.SkipWithError("no exit after SIGTERM");
      return;
    }
    exitWall = double(t.elapsed()) / 1000.0;
    exitCpu = childrenSeconds() - childrenBefore - cpuAtSignal;
    log.seek(0);
    const QByteArray text = log.readAll();
    qsizetype from = 0;
    const qint64 loaded = logTime(text, "workspace_load, ret", &from);
    const qint64 shown = logTime(text, "tab_select_post", &from);
    const qint64 quit = logTime(text, "quit signal received", &from);
    const qint64 closing = logTime(text, "closing 0 modules", &from);
    const qint64 deleted = logTime(text, "managers deleted", &from);
    if (loaded < 0 || shown < 0 || quit < 0 || closing < 0 || deleted < 0) {
      state.SkipWithError("log lines missing");
      return;
    }
    viewsMs = double(shown - loaded);
    teardownMs = double(closing - quit);
    managersMs = double(deleted - closing);
  }
  g_msPerTab[tabs] = viewsCpuMs / tabs;
  const double ratio = g_msPerTab[tabs] / g_msPerTab.begin()->second;
  state.counters["views_cpu_ms"] = viewsCpuMs;
  state.counters["views_cpu_ms_per_tab"] = viewsCpuMs / tabs;
  state.counters["per_tab_ratio"] = ratio;
  state.counters["exit_s"] = exitWall;
  state.counters["exit_cpu_s"] = exitCpu;
  std::printf("%d tabs: views built with %.0f ms processor (%.3f ms per tab, %.2f x the per-tab time at %d tabs; "
              "goal linear: about 1), %.0f ms wall; program ready after %.2f s (%.2f s processor)\n",
              tabs, viewsCpuMs, viewsCpuMs / tabs, ratio, g_msPerTab.begin()->first, viewsMs, buildWall, buildCpu);
  std::printf("%d tabs: exit %.2f s after SIGTERM (%.2f s processor; goal 1 s): views torn down in %.0f ms, "
              "managers in %.0f ms\n",
              tabs, exitWall, exitCpu, teardownMs, managersMs);
  std::fflush(stdout);
}
BENCHMARK(BM_ProgramTabsLoadThenSigterm)->Arg(250)->Arg(500)->Arg(1000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
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
