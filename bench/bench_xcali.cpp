// The XCali calibration block: `CXCali::fromRecord` of the whole 19488-byte block (the same block
// again, when no property changes and nothing is emitted, and two blocks in turn, when every
// value changes and signals), and the open DeviceXCali view's re-read: its four pages'
// `model2view` alone, and Refresh whole (the block's download and the gear and blackbody reads
// from a simulated camera on loopback, then the pages).
#include <benchmark/benchmark.h>

#ifdef OSTREL_BENCH_XCALI
#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTranslator>
#include <QtQml/qqml.h>
#include <memory>
#include <vector>

#include "AppFolders.h"
#include "CApp.h"
#include "CDeviceManager.h"
#include "CXCaliEditor.h"
#include "camsim/CameraSim.h"

namespace {

std::vector<uint8_t> seedBlock(int detType) {
  QProcess p;
  p.start(QStringLiteral("python3"),
          {QStringLiteral("-c"), QStringLiteral("import sys\nsys.path.insert(0, '%1')\nimport xcali_seed\n"
                                                "sys.stdout.buffer.write(xcali_seed.block(%2))")
                                     .arg(QStringLiteral(OSTREL_XCALI_SEED_DIR))
                                     .arg(detType)});
  p.waitForFinished(20000);
  const QByteArray b = p.readAllStandardOutput();
  return std::vector<uint8_t>(b.begin(), b.end());
}

void BM_FromRecord(benchmark::State& state) {
  const std::vector<uint8_t> a = seedBlock(510);
  std::vector<uint8_t> b = seedBlock(513);
  for (size_t i = 64; i + 4 <= 19104; i += 4) b[i] ^= 0x01;  // every value of every entry moves
  CXCali x;
  x.fromRecord(a.data());
  bool flip = false;
  for (auto _ : state) {
    if (state.range(0) == 1) flip = !flip;
    x.fromRecord(flip ? b.data() : a.data());
  }
  state.SetLabel(state.range(0) == 1 ? "every value changes" : "same block");
  state.SetBytesProcessed(int64_t(state.iterations()) * 19488);
}
BENCHMARK(BM_FromRecord)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

const char kWrapper[] = R"(
import QtQuick
import QtQuick.Window
Window {
    id: top
    width: 1200; height: 800
    function notifyError(type, msg) {}
    Component.onCompleted: App.main = top
    DeviceXCali { objectName: "view" }
}
)";

// One open view on a simulated camera, shared by the view benchmarks.
struct OpenView {
  std::unique_ptr<camsim::CameraSim> sim;
  std::unique_ptr<QQmlEngine> engine;
  std::unique_ptr<QObject> top;
  QObject* view = nullptr;
  CXCaliEditor* editor = nullptr;

  bool open() {
    static QTranslator translator;
    auto* app = new calorset::CApp(nullptr, &translator);
    qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app);
    if (app->init() != 0) return false;
    camsim::CameraSimOptions opt;
    opt.address = "127.0.47.90";
    opt.tempStream = false;
    opt.snapshot = false;
    sim = std::make_unique<camsim::CameraSim>(opt);
    if (sim->start() != 0) return false;
    sim->command().transfers().putBlock(8, seedBlock(510));
    editor = app->deviceManager()->xcaliEditor();
    if (editor->init(QStringLiteral("127.0.47.90")) != 0) return false;
    engine = std::make_unique<QQmlEngine>();
    engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
    QQmlComponent component(engine.get());
    component.setData(kWrapper, QUrl::fromLocalFile(QStringLiteral(OSTREL_VIEWS_DIR "/XCaliBench.qml")));
    top.reset(component.create());
    if (!top) return false;
    view = top->findChild<QObject*>(QStringLiteral("view"));
    if (!view) return false;
    QMetaObject::invokeMethod(view, "open");
    return true;
  }
};

// Made on first use; closed by main while the application still exists.
std::unique_ptr<OpenView> g_view;
bool g_viewTried = false;

OpenView* openView() {
  if (!g_viewTried) {
    g_viewTried = true;
    g_view = std::make_unique<OpenView>();
    if (!g_view->open()) g_view.reset();
  }
  return g_view.get();
}

void BM_ViewModel2View(benchmark::State& state) {
  OpenView* v = openView();
  if (!v) {
    state.SkipWithError("no view on the simulated camera");
    return;
  }
  for (auto _ : state) QMetaObject::invokeMethod(v->view, "model2view");
}
BENCHMARK(BM_ViewModel2View)->Unit(benchmark::kMicrosecond);

void BM_ViewRefresh(benchmark::State& state) {
  OpenView* v = openView();
  if (!v) {
    state.SkipWithError("no view on the simulated camera");
    return;
  }
  for (auto _ : state) {
    QVariant r;
    QMetaObject::invokeMethod(v->view, "refresh", Q_RETURN_ARG(QVariant, r));
    if (r.toInt() != 0) state.SkipWithError("refresh failed");
  }
}
BENCHMARK(BM_ViewRefresh)->Unit(benchmark::kMillisecond);

}  // namespace
#endif

int main(int argc, char** argv) {
#ifdef OSTREL_BENCH_XCALI
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  calorset::initAppDirs(QDir::tempPath() + QStringLiteral("/bench_xcali_%1").arg(QCoreApplication::applicationPid()));
  Ostrel_InitSDK();
#endif
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
#ifdef OSTREL_BENCH_XCALI
  g_view.reset();
  Ostrel_FreeSDK();
  QDir(calorset::appDir()).removeRecursively();
#endif
  return 0;
}
