// The context record of the path core, shared by its source files (not part of the interface).
#pragma once

#include "qorn/QornCore.h"

namespace qorn {

class Atlas;

constexpr int kMaxStates = 32;
constexpr int kMaxFontImages = 4;
constexpr int kMaxFontImageSize = 2048;
constexpr int kInitCommandsSize = 256;
constexpr int kInitPointsSize = 128;
constexpr int kInitPathsSize = 16;
constexpr int kInitVertsSize = 256;

enum Command { kMoveTo = 0, kLineTo = 1, kBezierTo = 2, kClose = 3, kWinding = 4 };

enum PointFlags { kPtCorner = 0x01, kPtLeft = 0x02, kPtBevel = 0x04, kPtInnerBevel = 0x08 };

struct State {
  QornCompositeState composite;
  int shapeAntiAlias;
  QornPaint fill;
  QornPaint stroke;
  float strokeWidth;
  float miterLimit;
  int lineJoin;
  int lineCap;
  float alpha;
  float xform[6];
  QornScissor scissor;
  float fontSize;
  float letterSpacing;
  float lineHeight;
  float fontBlur;
  int textAlign;
  int fontId;
};

// x, y, direction to the next point, segment length, miter direction, flags: 32 bytes.
struct Point {
  float x, y;
  float dx, dy;
  float len;
  float dmx, dmy;
  unsigned char flags;
};
static_assert(sizeof(Point) == 32);

struct PathCache {
  Point* points = nullptr;
  int npoints = 0, cpoints = 0;
  QornPath* paths = nullptr;
  int npaths = 0, cpaths = 0;
  QornVertex* verts = nullptr;
  int nverts = 0, cverts = 0;
  float bounds[4] = {};
};

}  // namespace qorn

struct QornContext {
  QornParams params{};
  float* commands = nullptr;
  int ccommands = 0, ncommands = 0;
  float commandx = 0, commandy = 0;
  qorn::State states[qorn::kMaxStates];
  int nstates = 0;
  qorn::PathCache cache;
  float tessTol = 0.25f, distTol = 0.01f, fringeWidth = 1.0f, devicePxRatio = 1.0f;
  qorn::Atlas* atlas = nullptr;
  int fontImages[qorn::kMaxFontImages] = {};
  int fontImageIdx = 0;
  // A glyph found no room even after growth: the atlas is reset at the next frame's start.
  bool fontAtlasFull = false;
  int drawCallCount = 0, fillTriCount = 0, strokeTriCount = 0, textTriCount = 0;
};

namespace qorn {

State* currentState(QornContext* ctx);
// Vertex scratch of at least n vertices (rounded up to a multiple of 256); null when out of memory.
QornVertex* allocTempVerts(QornContext* ctx, int n);
// Room for the vertices of one fill or stroke call: the back end's own array where it offers one.
QornVertex* allocPathVerts(QornContext* ctx, int n);
float averageScale(const float* t);

// Path tessellation (Tessellate.cpp).
void flattenPaths(QornContext* ctx);
int expandFill(QornContext* ctx, float w, int lineJoin, float miterLimit);
int expandStroke(QornContext* ctx, float w, float fringe, int lineCap, int lineJoin, float miterLimit);

}  // namespace qorn
