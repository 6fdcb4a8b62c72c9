// Vector renderer core, from begin frame to the back end's flush, on the recording back end:
//  - a canvas-like frame of 31 items with labels, handles and markers (goal <= 0.5 ms);
//  - 1000 stroked rectangles + 1000 filled ellipses + 200 labels of 20 characters (goal <= 3 ms);
//  - heap allocations in a steady frame (goal 0);
//  - glyph layout from the cache (goal >= 2M quads/s).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "Atlas.h"
#include "RecordingBackend.h"
#include "qorn/QornCore.h"

// Counts heap allocations while counting is on, by interposing the C allocator (glibc keeps the
// real one reachable as __libc_*).
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void __libc_free(void*);
}
namespace {
bool g_countAllocs = false;
long g_allocs = 0;
}  // namespace
extern "C" {
void* malloc(size_t n) {
  if (g_countAllocs) ++g_allocs;
  return __libc_malloc(n);
}
void* calloc(size_t a, size_t b) {
  if (g_countAllocs) ++g_allocs;
  return __libc_calloc(a, b);
}
void* realloc(void* p, size_t n) {
  if (g_countAllocs) ++g_allocs;
  return __libc_realloc(p, n);
}
void free(void* p) { __libc_free(p); }
}

namespace {

using ostrel::test::RecordingBackend;

struct Scene {
  RecordingBackend backend;
  QornContext* ctx = nullptr;
  std::vector<unsigned char> font;
  int fontId = -1;

  Scene() {
    std::ifstream f(OSTREL_FONT_DEJAVU, std::ios::binary);
    font.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    const QornParams p = backend.params(1);
    ctx = qornCreateInternal(&p);
    if (ctx && !font.empty())
      fontId = qornCreateFontMem(ctx, "dejavu", font.data(), static_cast<int>(font.size()), 0);
  }
  ~Scene() { qornDeleteInternal(ctx); }

  void begin() {
    backend.clearCalls();
    qornBeginFrame(ctx, 0, 0, 1280, 1024, 1.0f);
    qornFontFaceId(ctx, fontId);
  }
  void end() {
    QornParams* p = qornInternalParams(ctx);
    p->renderFlush(p->userPtr);
    qornReleaseOldFontTextures(ctx);
  }
};

const char* kLabels[] = {"P1 36.4", "R2 max 41.2", "E3 min 20.1", "L4 avg 33.0", "Spot 5 37.9"};

// What a temperature canvas draws for its measurement items: outline, handles, marker, label.
void drawMixedItems(QornContext* ctx) {
  for (int i = 0; i < 31; ++i) {
    const float x = 20.0f + (i % 8) * 150.0f, y = 30.0f + (i / 8) * 220.0f;
    qornStrokeColor(ctx, QornColor{1, 1, 1, 1});
    qornStrokeWidth(ctx, 1.5f);
    qornBeginPath(ctx);
    switch (i % 4) {
      case 0: qornRect(ctx, x, y, 110, 80); break;
      case 1: qornEllipse(ctx, x + 55, y + 40, 55, 40); break;
      case 2: qornMoveTo(ctx, x, y); qornLineTo(ctx, x + 110, y + 80); break;
      default:
        qornMoveTo(ctx, x, y + 80);
        qornLineTo(ctx, x + 40, y);
        qornLineTo(ctx, x + 110, y + 30);
        qornLineTo(ctx, x + 90, y + 80);
        qornLineTo(ctx, x, y + 80);
    }
    qornStroke(ctx);
    // Handles.
    qornFillColor(ctx, QornColor{0, 0.6f, 1, 1});
    for (int h = 0; h < 4; ++h) {
      qornBeginPath(ctx);
      qornRect(ctx, x - 3 + (h & 1) * 110, y - 3 + (h >> 1) * 80, 6, 6);
      qornFill(ctx);
    }
    // Max/min markers: a cross and a triangle.
    qornBeginPath(ctx);
    qornMoveTo(ctx, x + 50, y + 40);
    qornLineTo(ctx, x + 60, y + 40);
    qornMoveTo(ctx, x + 55, y + 35);
    qornLineTo(ctx, x + 55, y + 45);
    qornStroke(ctx);
    qornBeginPath(ctx);
    qornMoveTo(ctx, x + 70, y + 50);
    qornLineTo(ctx, x + 76, y + 60);
    qornLineTo(ctx, x + 64, y + 60);
    qornClosePath(ctx);
    qornFill(ctx);
    // Label.
    qornFillColor(ctx, QornColor{1, 1, 0, 1});
    qornText(ctx, x, y - 6, kLabels[i % 5], nullptr);
  }
}

void drawHeavy(QornContext* ctx) {
  qornStrokeColor(ctx, QornColor{1, 0, 0, 1});
  qornStrokeWidth(ctx, 1.0f);
  for (int i = 0; i < 1000; ++i) {
    qornBeginPath(ctx);
    qornRect(ctx, static_cast<float>(i % 40) * 30.0f, static_cast<float>(i / 40) * 40.0f, 25, 30);
    qornStroke(ctx);
  }
  qornFillColor(ctx, QornColor{0, 1, 0, 0.5f});
  for (int i = 0; i < 1000; ++i) {
    qornBeginPath(ctx);
    qornEllipse(ctx, static_cast<float>(i % 40) * 30.0f + 12, static_cast<float>(i / 40) * 40.0f + 15, 10, 7);
    qornFill(ctx);
  }
  qornFillColor(ctx, QornColor{1, 1, 1, 1});
  for (int i = 0; i < 200; ++i)
    qornText(ctx, static_cast<float>(i % 10) * 120.0f, 20.0f + static_cast<float>(i / 10) * 48.0f,
             "T=36.52 C  (123,456)", nullptr);
}

void BM_MixedItemsFrame(benchmark::State& state) {
  Scene s;
  if (!s.ctx || s.fontId < 0) return state.SkipWithError("no context or font");
  for (auto _ : state) {
    s.begin();
    drawMixedItems(s.ctx);
    s.end();
  }
  state.counters["calls"] = static_cast<double>(s.backend.calls.size());
}
BENCHMARK(BM_MixedItemsFrame)->Unit(benchmark::kMicrosecond);

void BM_HeavyFrame(benchmark::State& state) {
  Scene s;
  if (!s.ctx || s.fontId < 0) return state.SkipWithError("no context or font");
  for (auto _ : state) {
    s.begin();
    drawHeavy(s.ctx);
    s.end();
  }
  state.counters["vertices"] = static_cast<double>(s.backend.vertices.size());
}
BENCHMARK(BM_HeavyFrame)->Unit(benchmark::kMicrosecond);

// Heap allocations of one frame once the buffers have grown to the scene (the core and the
// recording back end both keep their capacity).
void BM_SteadyFrameAllocations(benchmark::State& state) {
  Scene s;
  if (!s.ctx || s.fontId < 0) return state.SkipWithError("no context or font");
  for (int warm = 0; warm < 3; ++warm) {
    s.begin();
    drawMixedItems(s.ctx);
    drawHeavy(s.ctx);
    s.end();
  }
  long allocs = 0;
  for (auto _ : state) {
    g_allocs = 0;
    g_countAllocs = true;
    s.begin();
    drawMixedItems(s.ctx);
    drawHeavy(s.ctx);
    s.end();
    g_countAllocs = false;
    allocs = std::max(allocs, g_allocs);
  }
  state.counters["allocs/frame"] = static_cast<double>(allocs);
}
BENCHMARK(BM_SteadyFrameAllocations)->Unit(benchmark::kMicrosecond)->Iterations(50);

// Laying out glyph quads from the cache: the atlas's iterator alone, and the whole text call.
void BM_CachedGlyphLayout(benchmark::State& state) {
  std::ifstream f(OSTREL_FONT_DEJAVU, std::ios::binary);
  std::vector<unsigned char> font((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  std::unique_ptr<qorn::Atlas> atlas(qorn::Atlas::create(512, 512));
  const int id = atlas->addFont("dejavu", font.data(), static_cast<int>(font.size()), 0);
  if (id < 0) return state.SkipWithError("no font");
  atlas->state().font = id;
  atlas->state().size = 16;
  const char* text = "Temperature 36.52 C at (123, 456); max 41.20 min 20.10 avg 33.05 over 4096 pixels.";
  qorn::TextIter iter;
  qorn::Quad q;
  long quads = 0;
  float sink = 0;
  for (auto _ : state) {
    atlas->iterInit(&iter, 0, 0, text, nullptr, qorn::kGlyphBitmapRequired);
    while (atlas->iterNext(&iter, &q)) {
      sink += q.x1;
      ++quads;
    }
  }
  benchmark::DoNotOptimize(sink);
  state.counters["quads/s"] = benchmark::Counter(static_cast<double>(quads), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CachedGlyphLayout);

void BM_CachedTextCall(benchmark::State& state) {
  Scene s;
  if (!s.ctx || s.fontId < 0) return state.SkipWithError("no context or font");
  const char* text = "Temperature 36.52 C at (123, 456); max 41.20 min 20.10 avg 33.05 over 4096 pixels.";
  long quads = 0;
  s.begin();
  for (auto _ : state) {
    s.backend.clearCalls();
    qornText(s.ctx, 10, 20, text, nullptr);
    quads += s.backend.calls.empty() ? 0 : s.backend.calls[0].triangleCount / 6;
  }
  state.counters["quads/s"] = benchmark::Counter(static_cast<double>(quads), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CachedTextCall);

}  // namespace

BENCHMARK_MAIN();
