#include "RecordingBackend.h"

#include <algorithm>
#include <cstring>

namespace ostrel::test {

namespace {
RecordingBackend* self(void* u) { return static_cast<RecordingBackend*>(u); }
}  // namespace

QornParams RecordingBackend::params(int edgeAntiAlias) {
  QornParams p{};
  p.userPtr = this;
  p.edgeAntiAlias = edgeAntiAlias;
  p.renderCreate = &create;
  p.renderCreateTexture = &createTexture;
  p.renderDeleteTexture = &deleteTexture;
  p.renderUpdateTexture = &updateTexture;
  p.renderGetTextureSize = &textureSize;
  p.renderViewport = &setViewport;
  p.renderUnused = nullptr;
  p.renderCancel = &cancel;
  p.renderFlush = &flush;
  p.renderFill = &renderFill;
  p.renderStroke = &renderStroke;
  p.renderTriangles = &renderTriangles;
  p.renderDelete = &destroy;
  return p;
}

void RecordingBackend::clearCalls() {
  calls.clear();
  paths.clear();
  vertices.clear();
}

const RecordedTexture* RecordingBackend::texture(int id) const {
  auto it = textures.find(id);
  return it == textures.end() ? nullptr : &it->second;
}

int RecordingBackend::create(void* u) {
  self(u)->creates++;
  return self(u)->failCreate ? 0 : 1;
}

int RecordingBackend::createTexture(void* u, int type, int w, int h, int flags, const unsigned char* data) {
  RecordingBackend* b = self(u);
  if (b->failTextureCreateAfter == 0 || w <= 0 || h <= 0) return 0;
  if (b->failTextureCreateAfter > 0) b->failTextureCreateAfter--;
  const size_t bpp = type == QORN_TEXTURE_ALPHA ? 1 : 4;
  RecordedTexture t;
  t.type = type;
  t.width = w;
  t.height = h;
  t.flags = flags;
  t.data.assign(bpp * w * h, 0);
  if (data) std::memcpy(t.data.data(), data, t.data.size());
  const int id = b->nextImage++;
  b->textures[id] = std::move(t);
  b->textureCreates++;
  return id;
}

int RecordingBackend::deleteTexture(void* u, int image) {
  RecordingBackend* b = self(u);
  if (!b->textures.erase(image)) return 0;
  b->textureDeletes++;
  return 1;
}

int RecordingBackend::updateTexture(void* u, int image, int x, int y, int w, int h, const unsigned char* data) {
  auto it = self(u)->textures.find(image);
  if (it == self(u)->textures.end()) return 0;
  RecordedTexture& t = it->second;
  t.updates++;
  t.lastUpdate[0] = x;
  t.lastUpdate[1] = y;
  t.lastUpdate[2] = w;
  t.lastUpdate[3] = h;
  if (!data) return 1;
  const int bpp = t.type == QORN_TEXTURE_ALPHA ? 1 : 4;
  const int x0 = std::clamp(x, 0, t.width), x1 = std::clamp(x + w, 0, t.width);
  const int y0 = std::clamp(y, 0, t.height), y1 = std::clamp(y + h, 0, t.height);
  for (int row = y0; row < y1; ++row) {
    const size_t off = (static_cast<size_t>(row) * t.width + x0) * bpp;
    std::memcpy(t.data.data() + off, data + off, static_cast<size_t>(x1 - x0) * bpp);
  }
  return 1;
}

int RecordingBackend::textureSize(void* u, int image, int* w, int* h) {
  const RecordedTexture* t = self(u)->texture(image);
  if (!t) return 0;
  *w = t->width;
  *h = t->height;
  return 1;
}

void RecordingBackend::setViewport(void* u, float x, float y, float w, float h) {
  float* v = self(u)->viewport;
  v[0] = x;
  v[1] = y;
  v[2] = w;
  v[3] = h;
}

void RecordingBackend::cancel(void*) {}

void RecordingBackend::flush(void* u) { self(u)->flushes++; }

RecordedCall& RecordingBackend::append(RecordedCallType type, const QornPaint* paint, QornCompositeState op,
                                       const QornScissor* scissor, float fringe) {
  RecordedCall& c = calls.emplace_back();
  c.type = type;
  c.paint = *paint;
  c.op = op;
  c.scissor = *scissor;
  c.fringe = fringe;
  c.pathFirst = static_cast<int>(paths.size());
  c.triangleFirst = static_cast<int>(vertices.size());
  return c;
}

void RecordingBackend::appendPaths(RecordedCall& call, const QornPath* p, int n, bool withFill) {
  for (int i = 0; i < n; ++i) {
    RecordedPath r;
    r.closed = p[i].closed != 0;
    r.convex = p[i].convex;
    r.nbevel = p[i].nbevel;
    if (withFill && p[i].nfill > 0) {
      r.fillFirst = static_cast<int>(vertices.size());
      r.fillCount = p[i].nfill;
      vertices.insert(vertices.end(), p[i].fill, p[i].fill + p[i].nfill);
    }
    if (p[i].nstroke > 0) {
      r.strokeFirst = static_cast<int>(vertices.size());
      r.strokeCount = p[i].nstroke;
      vertices.insert(vertices.end(), p[i].stroke, p[i].stroke + p[i].nstroke);
    }
    paths.push_back(r);
  }
  call.pathCount = n;
}

void RecordingBackend::renderFill(void* u, const QornPaint* paint, QornCompositeState op,
                                  const QornScissor* scissor, float fringe, const float* bounds, const QornPath* p,
                                  int n) {
  RecordingBackend* b = self(u);
  const bool convex = n == 1 && p[0].convex;
  RecordedCall& c = b->append(convex ? RecordedCallType::ConvexFill : RecordedCallType::Fill, paint, op, scissor, fringe);
  std::copy(bounds, bounds + 4, c.bounds);
  b->appendPaths(c, p, n, true);
}

void RecordingBackend::renderStroke(void* u, const QornPaint* paint, QornCompositeState op,
                                    const QornScissor* scissor, float fringe, float width, const QornPath* p,
                                    int n) {
  RecordingBackend* b = self(u);
  RecordedCall& c = b->append(RecordedCallType::Stroke, paint, op, scissor, fringe);
  c.strokeWidth = width;
  b->appendPaths(c, p, n, false);
}

void RecordingBackend::renderTriangles(void* u, const QornPaint* paint, QornCompositeState op,
                                       const QornScissor* scissor, const QornVertex* v, int n, float fringe) {
  RecordingBackend* b = self(u);
  RecordedCall& c = b->append(RecordedCallType::Triangles, paint, op, scissor, fringe);
  b->vertices.insert(b->vertices.end(), v, v + n);
  c.triangleCount = n;
}

void RecordingBackend::destroy(void* u) { self(u)->deletes++; }

}  // namespace ostrel::test
