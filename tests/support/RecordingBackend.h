// A back end for the Qorn path core that draws nothing: it records every call with copies of its
// paint, vertices and paths, and keeps textures as byte arrays, so tests and benchmarks can drive
// the core without a window. Storage keeps its capacity across frames (clearCalls), so a steady
// frame allocates nothing here.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

#include "qorn/QornCore.h"

namespace ostrel::test {

enum class RecordedCallType { Fill = 1, ConvexFill = 2, Stroke = 3, Triangles = 4 };

struct RecordedPath {
  int fillFirst = 0, fillCount = 0;      // into RecordingBackend::vertices
  int strokeFirst = 0, strokeCount = 0;  // into RecordingBackend::vertices
  bool closed = false;
  int convex = 0;
  int nbevel = 0;
};

struct RecordedCall {
  RecordedCallType type = RecordedCallType::Fill;
  QornPaint paint{};
  QornCompositeState op{};
  QornScissor scissor{};
  float fringe = 0;
  float strokeWidth = 0;
  float bounds[4] = {};
  int pathFirst = 0, pathCount = 0;        // into RecordingBackend::paths
  int triangleFirst = 0, triangleCount = 0;  // into RecordingBackend::vertices (triangles calls)
};

struct RecordedTexture {
  int type = 0, width = 0, height = 0, flags = 0;
  std::vector<uint8_t> data;  // width x height x bytes per pixel
  int updates = 0;
  int lastUpdate[4] = {};     // x, y, w, h of the last update
};

class RecordingBackend {
public:
  // The callback table for qornCreateInternal, with this object as its user pointer.
  QornParams params(int edgeAntiAlias = 1);

  // Forgets the recorded calls, paths and vertices, keeping their capacity.
  void clearCalls();

  std::span<const QornVertex> fill(const RecordedPath& p) const {
    return {vertices.data() + p.fillFirst, static_cast<size_t>(p.fillCount)};
  }
  std::span<const QornVertex> stroke(const RecordedPath& p) const {
    return {vertices.data() + p.strokeFirst, static_cast<size_t>(p.strokeCount)};
  }
  std::span<const RecordedPath> pathsOf(const RecordedCall& c) const {
    return {paths.data() + c.pathFirst, static_cast<size_t>(c.pathCount)};
  }
  std::span<const QornVertex> trianglesOf(const RecordedCall& c) const {
    return {vertices.data() + c.triangleFirst, static_cast<size_t>(c.triangleCount)};
  }
  const RecordedTexture* texture(int id) const;

  std::vector<RecordedCall> calls;
  std::vector<RecordedPath> paths;
  std::vector<QornVertex> vertices;
  std::map<int, RecordedTexture> textures;
  float viewport[4] = {};
  int creates = 0, deletes = 0, flushes = 0, textureCreates = 0, textureDeletes = 0;
  int nextImage = 1;
  bool failCreate = false;          // renderCreate returns 0
  int failTextureCreateAfter = -1;  // texture creations that succeed before they start failing

private:
  static int create(void* u);
  static int createTexture(void* u, int type, int w, int h, int flags, const unsigned char* data);
  static int deleteTexture(void* u, int image);
  static int updateTexture(void* u, int image, int x, int y, int w, int h, const unsigned char* data);
  static int textureSize(void* u, int image, int* w, int* h);
  static void setViewport(void* u, float x, float y, float w, float h);
  static void cancel(void* u);
  static void flush(void* u);
  static void renderFill(void* u, const QornPaint* paint, QornCompositeState op, const QornScissor* scissor,
                         float fringe, const float* bounds, const QornPath* p, int n);
  static void renderStroke(void* u, const QornPaint* paint, QornCompositeState op, const QornScissor* scissor,
                           float fringe, float width, const QornPath* p, int n);
  static void renderTriangles(void* u, const QornPaint* paint, QornCompositeState op, const QornScissor* scissor,
                              const QornVertex* v, int n, float fringe);
  static void destroy(void* u);
  RecordedCall& append(RecordedCallType type, const QornPaint* paint, QornCompositeState op,
                       const QornScissor* scissor, float fringe);
  void appendPaths(RecordedCall& call, const QornPath* p, int n, bool withFill);
};

}  // namespace ostrel::test
