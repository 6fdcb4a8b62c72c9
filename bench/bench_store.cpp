// The file store's linked folder: listing 500 radiometric pictures and loading the pictures of
// the first tiles at tile size, as the store shows them; peak memory of the whole run.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "inputs/CInputManager.h"

namespace {

constexpr int kPictures = 500;
// Tiles of 150 pixels beside the store's 118-pixel left part in a 1400-wide window.
constexpr int kFirstTiles = 9;

QString scratchRoot() { return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath(); }

struct Fixture {
  QTemporaryDir dir{scratchRoot() + "/bench_store-XXXXXX"};
  QString folder;
  bool ok = false;

  Fixture() {
    QProcess golden;
    golden.start(QStringLiteral(OSTREL_SYSTEM_PYTHON), {QStringLiteral(OSTREL_GOLDEN_SCRIPT), dir.path()});
    if (!golden.waitForFinished(60000) || golden.exitCode() != 0) return;
    folder = dir.filePath("linked");
    QDir().mkpath(folder);
    const QString source = dir.filePath("pic_conf.jpg");
    for (int i = 0; i < kPictures; ++i)
      if (!QFile::copy(source, QStringLiteral("%1/p%2.jpg").arg(folder).arg(i, 3, 10, QLatin1Char('0')))) return;
    ok = true;
  }
};

// The fixture, or null with the benchmark marked skipped when it could not be written.
Fixture* fixture(benchmark::State& state) {
  static Fixture f;
  if (f.ok) return &f;
  state.SkipWithError("fixture not written");
  return nullptr;
}

void BM_LinkRefresh500(benchmark::State& state) {
  const Fixture* f = fixture(state);
  if (f == nullptr) return;
  CInputManager manager;
  for (auto _ : state) {
    manager.link_refresh(f->folder);
    if (manager.linkDir().size() != kPictures) state.SkipWithError("not every picture listed");
  }
  state.counters["pictures"] = kPictures;
}
BENCHMARK(BM_LinkRefresh500)->Unit(benchmark::kMillisecond)->UseRealTime();

// From the refresh to the pictures of the first visible tiles decoded at 96 x 72.
void BM_FirstTiles(benchmark::State& state) {
  const Fixture* f = fixture(state);
  if (f == nullptr) return;
  CInputManager manager;
  for (auto _ : state) {
    manager.link_refresh(f->folder);
    const auto& links = manager.linkDir();
    for (int i = 0; i < kFirstTiles && i < links.size(); ++i) {
      QImageReader reader(links[i]->fileNameAbs());
      reader.setScaledSize(QSize(96, 72));
      const QImage img = reader.read();
      if (img.isNull()) state.SkipWithError("tile picture not read");
      benchmark::DoNotOptimize(img.constBits());
    }
  }
}
BENCHMARK(BM_FirstTiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  std::printf("peak resident memory: %.1f MiB\n", double(u.ru_maxrss) / 1024.0);
  return 0;
}
