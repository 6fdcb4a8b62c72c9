// The chart modules' heavy steps: the mesh surface built from a picture (grid, heights through
// the shared table, texture copy) at 640 x 512 and 1280 x 1024, the CSV text of 10 series over
// growing lengths (expected linear), and one full-frame column profile at 640 x 512. Each prints
// its budget beside the measured time.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QQuickItem>
#include <QtDataVisualization/QSurface3DSeries>
#include <cstdlib>
#include <vector>

#include "OstrelSDK.h"
#include "TCSeries.h"
#include "TempCanvas.h"
#include "TempCanvasItem.h"
#include "charts/ChartCsv.h"
#include "charts/CModuleChartMesh.h"
#include "charts/TCSeriesMea.h"

namespace {

// Takes the mesh's series as the view's Surface3D would, without drawing.
class SurfaceSink : public QQuickItem {
  Q_OBJECT
 public:
  Q_INVOKABLE void addSeries(QSurface3DSeries*) {}
};

struct Picture {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  std::vector<uint32_t> bgra;
  Picture(int w, int h) : codes(size_t(w) * h), bgra(size_t(w) * h) {
    head.width = uint16_t(w);
    head.height = uint16_t(h);
    head.kind = 2;
    head.scale = 100;
    head.offset = -10;
    head.globalEmi = 1.0f;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        codes[size_t(y) * w + x] = int16_t(2000 + (x * 13 + y * 7) % 6000);
        bgra[size_t(y) * w + x] = 0xFF000000u | uint32_t(x * 0x10101 + y);
      }
  }
};

void budget(benchmark::State& state, double ms) { state.counters["budget_ms"] = ms; }

void BM_MeshUpdate(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  SurfaceSink item;
  CModuleChartMesh mesh;
  mesh.graphs_init(&item);
  Picture p(w, h);
  TempData frame{&p.head, p.codes.data(), p.bgra.data(), 0, 0};
  mesh.applyFrame(frame);  // the grid of this size exists from here, as after the first picture
  for (auto _ : state) {
    p.codes[0] = int16_t(p.codes[0] + 1);
    benchmark::DoNotOptimize(mesh.applyFrame(frame));
  }
  budget(state, w == 640 ? 30 : 120);
}
BENCHMARK(BM_MeshUpdate)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_MeshFirstBuild(benchmark::State& state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Picture p(w, h);
  TempData frame{&p.head, p.codes.data(), p.bgra.data(), 0, 0};
  for (auto _ : state) {
    SurfaceSink item;
    CModuleChartMesh mesh;
    mesh.graphs_init(&item);
    benchmark::DoNotOptimize(mesh.applyFrame(frame));
  }
}
BENCHMARK(BM_MeshFirstBuild)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_ExportCsv(benchmark::State& state) {
  const int n = int(state.range(0));
  QObject owner;
  QList<ChartCsvColumn> cols;
  for (int s = 0; s < 10; ++s) {
    auto* series = new TCSeriesBase(&owner);
    for (int i = 0; i < n; ++i) series->append(i + 1, 20.0 + s + (i % 1000) * 0.013, 132000000000000000LL + i * 400000LL);
    cols.append(ChartCsvColumn{QByteArray("cam-item, ") + QByteArray::number(s) + "-T-Max", series});
  }
  size_t bytes = 0;
  for (auto _ : state) {
    QByteArray text;
    benchmark::DoNotOptimize(buildChartCsv(ChartCsvForm::Time, cols, &text));
    bytes = size_t(text.size());
  }
  state.SetComplexityN(n);
  state.counters["MB"] = double(bytes) / 1e6;
  if (n == 100000) budget(state, 300);
}
BENCHMARK(BM_ExportCsv)->Arg(10000)->Arg(30000)->Arg(100000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

void BM_FullFrameProfile(benchmark::State& state) {
  const int w = 640, h = 512;
  Picture p(w, h);
  TempCanvas canvas;
  canvas.beginUpdate(w, h);
  FrameSlot ref{&p.head, p.codes.data(), p.bgra.data()};
  canvas.updateData(&ref);
  MeaItem def{};
  def.meaType = 9;
  def.pointCount = 2;
  def.fixEmi = 1.0f;
  def.points[0] = MeaPoint{0, 0};
  def.points[1] = MeaPoint{uint16_t(w - 1), uint16_t(h - 1)};
  TempCanvasItemBase* item = canvas.createItem(&def);
  TCSeriesMea series(nullptr, item, int(state.range(0)), 2);
  for (auto _ : state) {
    series.refreshSpaceData();
    benchmark::DoNotOptimize(series.count());
  }
  budget(state, 1);
}
BENCHMARK(BM_FullFrameProfile)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  VEZ2024_Init();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#include "bench_charts.moc"
