// Chart hand-over and frame, and item painting, through the renderer on QRhi's Null back end:
// the CPU cost of a frame without a GPU. Budgets: sync copy 0.5 ms and frame 8 ms for a chart
// of 4 x 2,500 samples; 31 items 0.5 ms.
#include "../tests/renderer_gpu/RhiTarget.h"

#include <ItemPainter.h>
#include <PaintResources.h>
#include <TempChart.h>
#include <ostrel/OstrelRadiometry.h>
#include <TempCanvas.h>
#include <TempCanvasManager.h>
#include <private/qrhigles2_p.h>
#include <private/qrhinull_p.h>
#include <qorn/QornInit.h>

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHoverEvent>
#include <QOffscreenSurface>

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
  state.counters["goal_ms"] = 8;
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
  state.counters["goal_ms"] = 0.5;
}
BENCHMARK(BM_Items31Qorn)->Unit(benchmark::kMillisecond);

}  // namespace

// --- Temperature canvas ---------------------------------------------------------------------
// A hover over 30 rectangle items, the copy and texture upload of a frame, and a 50 frames/s
// stream shown at 25 frames/s with 10 items. The render side runs the canvas's renderer on an
// offscreen QRhi: OpenGL where the platform offers it (xvfb-run with QT_QPA_PLATFORM=xcb), else
// the null back end; "backend" in the output says which.
namespace canvas_bench {

struct Frame {
  DataFrameHead head{};
  std::vector<int16_t> codes;
  std::vector<uint32_t> bgra;
  FrameSlot ref{};
  Frame(int w, int h, int seed) : codes(size_t(w) * h), bgra(size_t(w) * h) {
    head.width = uint16_t(w);
    head.height = uint16_t(h);
    head.kind = 2;
    head.scale = 100;
    head.globalEmi = 1.0f;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const size_t i = size_t(y) * w + x;
        codes[i] = int16_t(2000 + ((x * 7 + y * 3 + seed) % 3000));
        bgra[i] = uint32_t(codes[i]) * 2654435761u >> 8;
      }
    ref = FrameSlot{&head, codes.data(), bgra.data()};
  }
};

class Canvas : public TempCanvas {
 public:
  void hover(QPointF p) {
    QHoverEvent e(QEvent::HoverMove, p, p, p);
    hoverMoveEvent(&e);
  }
};

// One offscreen target and the canvas's renderer on it.
struct RenderRig {
  std::unique_ptr<QOffscreenSurface> surface;
  std::unique_ptr<QRhi> rhi;
  std::unique_ptr<QRhiTexture> colour;
  std::unique_ptr<QRhiRenderBuffer> ds;
  std::unique_ptr<QRhiTextureRenderTarget> rt;
  std::unique_ptr<QRhiRenderPassDescriptor> rp;
  std::unique_ptr<TempCanvasRender> render;

  explicit RenderRig(QSize size) {
    surface.reset(QRhiGles2InitParams::newFallbackSurface());
    QRhiGles2InitParams gl;
    gl.fallbackSurface = surface.get();
    rhi.reset(QRhi::create(QRhi::OpenGLES2, &gl));
    if (!rhi) {
      QRhiNullInitParams null;
      rhi.reset(QRhi::create(QRhi::Null, &null));
    }
    colour.reset(rhi->newTexture(QRhiTexture::RGBA8, size, 1, QRhiTexture::RenderTarget));
    ds.reset(rhi->newRenderBuffer(QRhiRenderBuffer::DepthStencil, size));
    colour->create();
    ds->create();
    QRhiTextureRenderTargetDescription desc{QRhiColorAttachment(colour.get())};
    desc.setDepthStencilBuffer(ds.get());
    rt.reset(rhi->newTextureRenderTarget(desc));
    rp.reset(rt->newCompatibleRenderPassDescriptor());
    rt->setRenderPassDescriptor(rp.get());
    rt->create();
    render = std::make_unique<TempCanvasRender>();
  }
  ~RenderRig() {
    render.reset();
    rt.reset();
    rp.reset();
    ds.reset();
    colour.reset();
    rhi.reset();
  }
  const char *backend() const { return rhi->backend() == QRhi::OpenGLES2 ? "OpenGL" : "null"; }
  // What the scene graph does for one shown frame: sync (GUI blocked), prepare, pass.
  void frame(TempCanvas *canvas) {
    render->synchronize(canvas, rhi.get());
    QRhiCommandBuffer *cb = nullptr;
    if (rhi->beginOffscreenFrame(&cb) != QRhi::FrameOpSuccess) return;
    render->prepare(cb, rt.get(), rp.get(), QPointF(0, 0), 1.0f);
    cb->beginPass(rt.get(), Qt::black, {1.0f, 0});
    render->render(cb, QRectF(0, 0, canvas->width(), canvas->height()));
    cb->endPass();
    rhi->endOffscreenFrame();
  }
};

void addRects(TempCanvas &c, int n, int w, int h) {
  for (int i = 0; i < n; ++i) {
    MeaItem d{};
    d.meaType = 9;
    d.meaFlags = 1;
    d.pointCount = 2;
    d.meaColor = 0xFF00FF00u;
    const int x = (i * 97) % (w - 100), y = (i * 61) % (h - 100);
    d.points[0] = MeaPoint{uint16_t(x), uint16_t(y)};
    d.points[1] = MeaPoint{uint16_t(x + 90), uint16_t(y + 80)};
    c.createItem(&d);
  }
}

void BM_CanvasHover30Rects(benchmark::State &state) {
  TempCanvasManager manager;
  Canvas c;
  c.setSize(QSizeF(1280, 1024));
  c.beginUpdate(1280, 1024);
  Frame f(1280, 1024, 1);
  c.updateData(&f.ref);
  addRects(c, 30, 1280, 1024);
  int i = 0;
  for (auto _ : state) {
    c.hover(QPointF(100 + (i % 500), 100 + (i % 300)));
    ++i;
  }
  state.SetLabel("GUI thread, per hover event");
}
BENCHMARK(BM_CanvasHover30Rects)->Unit(benchmark::kMicrosecond);

// The GUI side alone: the copy into the canvas and the whole-image statistics.
void BM_CanvasUpdateData(benchmark::State &state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Canvas c;
  c.setSize(QSizeF(w, h));
  c.beginUpdate(w, h);
  Frame f(w, h, 2);
  for (auto _ : state) c.updateData(&f.ref);
  state.SetLabel("GUI thread: copy + whole-image statistics");
}
BENCHMARK(BM_CanvasUpdateData)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_CanvasFrameCopyUpload(benchmark::State &state) {
  const int w = int(state.range(0)), h = int(state.range(1));
  Canvas c;
  c.setSize(QSizeF(w, h));
  c.beginUpdate(w, h);
  Frame f(w, h, 2);
  RenderRig rig(QSize(w, h));
  c.updateData(&f.ref);
  rig.frame(&c);
  for (auto _ : state) {
    c.updateData(&f.ref);
    rig.frame(&c);
  }
  state.SetLabel(std::string("copy + sync + upload + draw, backend ") + rig.backend());
}
BENCHMARK(BM_CanvasFrameCopyUpload)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

// Two frames arrive per shown frame; the GUI thread takes both, the render side shows one.
void BM_Canvas50fpsShownAt25With10Items(benchmark::State &state) {
  TempCanvasManager manager;
  Canvas c;
  c.setSize(QSizeF(800, 640));
  c.beginUpdate(640, 512);
  Frame a(640, 512, 3), b(640, 512, 4);
  addRects(c, 10, 640, 512);
  RenderRig rig(QSize(800, 640));
  c.updateData(&a.ref);
  rig.frame(&c);
  double gui = 0, render = 0;
  QElapsedTimer t;
  for (auto _ : state) {
    t.start();
    c.updateData(&a.ref);
    c.updateData(&b.ref);
    gui += double(t.nsecsElapsed());
    t.start();
    rig.frame(&c);
    render += double(t.nsecsElapsed());
  }
  const double n = double(state.iterations());
  state.counters["gui_ms"] = gui / n / 1e6;
  state.counters["render_ms"] = render / n / 1e6;
  state.SetLabel(std::string("per shown frame, backend ") + rig.backend());
}
BENCHMARK(BM_Canvas50fpsShownAt25With10Items)->Unit(benchmark::kMillisecond);

}  // namespace canvas_bench

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
