// The QRhi back end on Qt's Null back end: the CPU side of a frame (calls and vertices copied,
// paints converted to uniform blocks, one upload batch, pipelines and bindings looked up, draws
// recorded), without a GPU.
//  - 1000 stroked rectangles + 1000 filled ellipses + 200 labels of 20 characters per frame;
//  - GPU objects created per steady frame (goal 0).
#include <benchmark/benchmark.h>

#include <qorn/QornInit.h>
#include <qorn/QornPainter.h>

#include "QornRhiBackend.h"

#include <private/qrhi_p.h>
#include <private/qrhinull_p.h>

#include <memory>

namespace {

struct NullTarget {
  std::unique_ptr<QRhi> rhi;
  std::unique_ptr<QRhiTexture> colour;
  std::unique_ptr<QRhiRenderBuffer> ds;
  std::unique_ptr<QRhiTextureRenderTarget> rt;
  std::unique_ptr<QRhiRenderPassDescriptor> rp;
  std::unique_ptr<QornPainter> painter;

  NullTarget() {
    qornInit();
    QRhiNullInitParams params;
    rhi.reset(QRhi::create(QRhi::Null, &params));
    colour.reset(rhi->newTexture(QRhiTexture::RGBA8, QSize(1280, 1024), 1, QRhiTexture::RenderTarget));
    colour->create();
    ds.reset(rhi->newRenderBuffer(QRhiRenderBuffer::DepthStencil, QSize(1280, 1024)));
    ds->create();
    QRhiTextureRenderTargetDescription desc{QRhiColorAttachment(colour.get())};
    desc.setDepthStencilBuffer(ds.get());
    rt.reset(rhi->newTextureRenderTarget(desc));
    rp.reset(rt->newCompatibleRenderPassDescriptor());
    rt->setRenderPassDescriptor(rp.get());
    rt->create();
    painter = std::make_unique<QornPainter>(1);
    painter->createCore(rhi.get());
  }
  ~NullTarget() {
    painter.reset();
    rt.reset();
    rp.reset();
    ds.reset();
    colour.reset();
  }

  void frame() {
    QRhiCommandBuffer *cb = nullptr;
    rhi->beginOffscreenFrame(&cb);
    QornPainter &p = *painter;
    p.beginFrame(cb, rt.get(), 1.0f);
    p.setFont(p.defaultFont());
    p.strokeColor(qornColorFromRgba(255, 255, 0, 255));
    for (int i = 0; i < 1000; ++i) {
      p.beginPath();
      p.rect(float(i % 40) * 30.0f, float(i / 40) * 38.0f, 24.0f, 30.0f);
      p.stroke();
    }
    p.fillColor(qornColorFromRgba(0, 200, 255, 180));
    for (int i = 0; i < 1000; ++i) {
      p.beginPath();
      p.ellipse(float(i % 40) * 30.0f + 12.0f, float(i / 40) * 38.0f + 15.0f, 6.0f, 5.0f);
      p.fill();
    }
    p.fillColor(qornColorFromRgba(255, 255, 255, 255));
    for (int i = 0; i < 200; ++i)
      p.text(QStringLiteral("T%1 = 36.6 C max ok").arg(i % 10), float(i % 8) * 150.0f,
             20.0f + float(i / 8) * 38.0f);
    p.endFrame();
    cb->beginPass(rt.get(), Qt::transparent, {1.0f, 0});
    p.recordDraws(cb);
    cb->endPass();
    rhi->endOffscreenFrame();
  }
};

void BM_RhiFrame_2200Items(benchmark::State &state) {
  NullTarget t;
  for (int i = 0; i < 3; ++i) t.frame();  // warm caches, glyphs and buffer sizes
  const qorn::rhi::RhiCounters before = t.painter->backend()->counters();
  long frames = 0;
  for (auto _ : state) {
    t.frame();
    ++frames;
  }
  const qorn::rhi::RhiCounters after = t.painter->backend()->counters();
  const int created = (after.pipelines - before.pipelines) + (after.bindings - before.bindings) +
                      (after.samplers - before.samplers) + (after.buffers - before.buffers) +
                      (after.textures - before.textures);
  state.counters["gpu_objects_per_frame"] = frames ? double(created) / double(frames) : 0.0;
  state.counters["items_per_s"] = benchmark::Counter(2200.0 * double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RhiFrame_2200Items)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
