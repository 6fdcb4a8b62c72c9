// Chart hand-over and frame, and item painting, through the renderer on QRhi's Null back end:
// the CPU cost of a frame without a GPU. Budgets: sync copy 0.5 ms and frame 8 ms for a chart
// of 4 x 2,500 samples; 31 items 0.5 ms.
#include "../tests/renderer_gpu/RhiTarget.h"

#include <ItemPainter.h>
#include <PaintResources.h>
#include <TempChart.h>
#include <ostrel/OstrelRadiometry.h>
#include <qorn/QornInit.h>

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct ChartFixture {
  TempChart chart;
  std::vector<std::unique_ptr<TCSeriesBase>> series;
  ChartFixture() {
    chart.setSize(QSizeF(1200, 500));
    chart.config()->setFifoSize(2500);
    for (int s = 0; s < 4; ++s) {
      auto ser = std::make_unique<TCSeriesBase>();
      ser->setSeriesColor(QColor::fromRgba(itemColorArgb(s)));
      for (int i = 0; i < 2500; ++i) ser->append(i, 30 + 10 * std::sin(i * 0.01 + s), i);
      chart.series_create(ser.get());
      series.push_back(std::move(ser));
    }
    chart.setMode(2, 2);
  }
  // A new sample per series, as every live frame brings.
  void grow(int i) {
    for (auto &s : series) s->append(2500 + i, 30 + 5 * std::cos(i * 0.1), i);
  }
};

void BM_ChartSyncCopy(benchmark::State &state) {
  ChartFixture f;
  TempChartRender render;
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    f.grow(i++);
    state.ResumeTiming();
    render.syncItem(&f.chart);
    benchmark::DoNotOptimize(render.snapshots().data());
  }
  state.counters["samples"] = double(f.series[0]->count() * 4);
}
BENCHMARK(BM_ChartSyncCopy)->Unit(benchmark::kMillisecond);

// What the GUI thread pays per live frame: one sample per series, with the chart re-ranging.
void BM_ChartAppend(benchmark::State &state) {
  ChartFixture f;
  TempChartRender render;
  int i = 0;
  for (auto _ : state) {
    render.syncItem(&f.chart);
    f.grow(i++);
  }
}
BENCHMARK(BM_ChartAppend)->Unit(benchmark::kMillisecond);

void BM_ChartFrame(benchmark::State &state) {
  ChartFixture f;
  RhiTarget target(QRhi::Null, QSize(1200, 500));
  if (!target.ok()) {
    state.SkipWithError("no Null QRhi");
    return;
  }
  TempChartRender render;
  // The first frames size the renderer's buffers, pipelines and glyph atlas; time the steady state.
  render.syncItem(&f.chart);
  for (int k = 0; k < 3; ++k) target.frame([&](QornPainter &p) { render.paint(&p); });
  int i = 0;
  for (auto _ : state) {
    f.grow(i++);
    render.syncItem(&f.chart);
    target.frame([&](QornPainter &p) { render.paint(&p); });
  }
}
BENCHMARK(BM_ChartFrame)->Unit(benchmark::kMillisecond);

void BM_Items31Qorn(benchmark::State &state) {
  RhiTarget target(QRhi::Null, QSize(1280, 1024));
  if (!target.ok()) {
    state.SkipWithError("no Null QRhi");
    return;
  }
  std::vector<int16_t> tables(4 * 65536);
  for (int i = -32768; i < 32768; ++i) {
    tables[32768 + i] = int16_t(std::clamp(i * 2, -32768, 32767));
    tables[65536 + 32768 + i] = int16_t(std::clamp(i * 2, -32768, 32767));
  }
  ItemPaintView view;
  view.imageWidth = 640;
  view.imageHeight = 512;
  view.viewWidth = 1280;
  view.viewHeight = 1024;
  view.viewRight = 1280;
  view.viewBottom = 1024;
  std::vector<MeaItem> defs(31);
  MeaResult res{};
  res.max = 45.5f;
  res.avg = 30.2f;
  res.min = 20.1f;
  res.maxX = 100;
  res.maxY = 100;
  res.minX = 300;
  res.minY = 200;
  const int types[] = {1, 2, 3, 5, 6, 7, 9, 10, 11};
  for (int i = 0; i < 31; ++i) {
    MeaItem &d = defs[i];
    std::memset(&d, 0, sizeof d);
    std::snprintf(d.name, sizeof d.name, "Item %d", i);
    d.meaColor = itemColorArgb(i);
    d.meaType = uint8_t(i == 0 ? 0 : types[i % 9]);
    d.meaFlags = 3;
    d.pointCount = d.meaType == 5 || d.meaType == 11 ? 6 : 2;
    for (int k = 0; k < d.pointCount; ++k)
      d.points[k] = MeaPoint{uint16_t(20 * (i % 6) + 10 * k + 5), uint16_t(15 * (i / 6) + 7 * (k % 3) + 5)};
  }
  ItemPainter painter;
  painter.setTables(tables.data() + 32768, tables.data() + 65536 + 32768, nullptr, nullptr);
  auto frame = [&] {
    target.frame([&](QornPainter &p) {
      painter.beginQorn(&p, &view);
      for (const MeaItem &d : defs) {
        switch (d.meaType) {
          case 0: painter.drawGlobal(d, res); break;
          case 1: case 2: case 3: painter.drawPoint(d, res, nullptr, d.meaType); break;
          case 5: case 11: painter.drawPoly(d, res, nullptr, 0, d.meaType); break;
          default: painter.drawRect(d, res, nullptr, 0, d.meaType); break;
        }
      }
      painter.end();
    });
  };
  for (int k = 0; k < 3; ++k) frame();
  for (auto _ : state) frame();
}
BENCHMARK(BM_Items31Qorn)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qornInit();
  QGuiApplication app(argc, argv);
  initPaintResources();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
