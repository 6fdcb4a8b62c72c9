// Context, state stack, command buffer, transforms, images, and the fill and stroke calls.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Atlas.h"
#include "CoreInternal.h"

using namespace qorn;

namespace {

QornColor rgba(float r, float g, float b, float a) { return QornColor{r, g, b, a}; }

void setPaintColor(QornPaint* p, QornColor color) {
  std::memset(p, 0, sizeof(*p));
  qornTransformIdentity(p->xform);
  p->radius = 0.0f;
  p->feather = 1.0f;
  p->innerColor = color;
  p->outerColor = color;
}

float clampf(float a, float lo, float hi) { return a < lo ? lo : (a > hi ? hi : a); }

void clearPathCache(QornContext* ctx) {
  ctx->cache.npoints = 0;
  ctx->cache.npaths = 0;
}

void appendCommands(QornContext* ctx, const float* vals, int nvals) {
  const State* state = currentState(ctx);
  if (ctx->ncommands + nvals > ctx->ccommands) {
    const int ccommands = ctx->ncommands + nvals + ctx->ccommands / 2;
    auto* commands = static_cast<float*>(std::realloc(ctx->commands, sizeof(float) * ccommands));
    if (!commands) return;  // the command is dropped
    ctx->commands = commands;
    ctx->ccommands = ccommands;
  }
  const int cmd = static_cast<int>(vals[0]);
  if (cmd != kClose && cmd != kWinding) {
    ctx->commandx = vals[nvals - 2];
    ctx->commandy = vals[nvals - 1];
  }
  // Points are stored in device-independent coordinates already transformed, written straight
  // into the buffer (every dot of a chart passes here).
  const float* t = state->xform;
  float* dst = &ctx->commands[ctx->ncommands];
  auto point = [t](float* d, const float* s) { qornTransformPoint(&d[0], &d[1], t, s[0], s[1]); };
  for (int i = 0; i < nvals;) {
    dst[i] = vals[i];
    switch (static_cast<int>(vals[i])) {
      case kMoveTo:
      case kLineTo:
        point(&dst[i + 1], &vals[i + 1]);
        i += 3;
        break;
      case kBezierTo:
        point(&dst[i + 1], &vals[i + 1]);
        point(&dst[i + 3], &vals[i + 3]);
        point(&dst[i + 5], &vals[i + 5]);
        i += 7;
        break;
      case kWinding:
        dst[i + 1] = vals[i + 1];
        i += 2;
        break;
      default:
        i++;
    }
  }
  ctx->ncommands += nvals;
}

void deletePathCache(PathCache& c) {
  std::free(c.points);
  std::free(c.paths);
  std::free(c.verts);
  c = PathCache{};
}

}  // namespace

namespace qorn {

State* currentState(QornContext* ctx) { return &ctx->states[ctx->nstates - 1]; }

QornVertex* allocTempVerts(QornContext* ctx, int n) {
  PathCache& c = ctx->cache;
  if (n > c.cverts) {
    const int cverts = (n + 0xff) & ~0xff;
    auto* verts = static_cast<QornVertex*>(std::realloc(c.verts, sizeof(QornVertex) * cverts));
    if (!verts) return nullptr;
    c.verts = verts;
    c.cverts = cverts;
  }
  return c.verts;
}

QornVertex* allocPathVerts(QornContext* ctx, int n) {
  if (ctx->params.renderReserveVerts != nullptr)
    if (QornVertex* room = ctx->params.renderReserveVerts(ctx->params.userPtr, n)) return room;
  return allocTempVerts(ctx, n);
}

float averageScale(const float* t) {
  const float sx = std::sqrt(t[0] * t[0] + t[2] * t[2]);
  const float sy = std::sqrt(t[1] * t[1] + t[3] * t[3]);
  return (sx + sy) * 0.5f;
}

}  // namespace qorn

// --- Transforms --------------------------------------------------------------------------------

void qornTransformIdentity(float* t) {
  t[0] = 1.0f; t[1] = 0.0f;
  t[2] = 0.0f; t[3] = 1.0f;
  t[4] = 0.0f; t[5] = 0.0f;
}

void qornTransformTranslate(float* t, float tx, float ty) {
  qornTransformIdentity(t);
  t[4] = tx;
  t[5] = ty;
}

void qornTransformScale(float* t, float sx, float sy) {
  qornTransformIdentity(t);
  t[0] = sx;
  t[3] = sy;
}

void qornTransformRotate(float* t, float a) {
  const float cs = std::cos(a), sn = std::sin(a);
  t[0] = cs; t[1] = sn;
  t[2] = -sn; t[3] = cs;
  t[4] = 0.0f; t[5] = 0.0f;
}

void qornTransformMultiply(float* t, const float* s) {
  const float t0 = t[0] * s[0] + t[1] * s[2];
  const float t2 = t[2] * s[0] + t[3] * s[2];
  const float t4 = t[4] * s[0] + t[5] * s[2] + s[4];
  t[1] = t[0] * s[1] + t[1] * s[3];
  t[3] = t[2] * s[1] + t[3] * s[3];
  t[5] = t[4] * s[1] + t[5] * s[3] + s[5];
  t[0] = t0;
  t[2] = t2;
  t[4] = t4;
}

int qornTransformInverse(float* inv, const float* t) {
  const double det = static_cast<double>(t[0]) * t[3] - static_cast<double>(t[2]) * t[1];
  if (det > -1e-6 && det < 1e-6) {
    qornTransformIdentity(inv);
    return 0;
  }
  const double invdet = 1.0 / det;
  inv[0] = static_cast<float>(t[3] * invdet);
  inv[2] = static_cast<float>(-t[2] * invdet);
  inv[4] = static_cast<float>((static_cast<double>(t[2]) * t[5] - static_cast<double>(t[3]) * t[4]) * invdet);
  inv[1] = static_cast<float>(-t[1] * invdet);
  inv[3] = static_cast<float>(t[0] * invdet);
  inv[5] = static_cast<float>((static_cast<double>(t[1]) * t[4] - static_cast<double>(t[0]) * t[5]) * invdet);
  return 1;
}

void qornTransformPoint(float* dx, float* dy, const float* t, float sx, float sy) {
  *dx = sx * t[0] + sy * t[2] + t[4];
  *dy = sx * t[1] + sy * t[3] + t[5];
}

// --- Context -----------------------------------------------------------------------------------

QornContext* qornCreateInternal(const QornParams* params) {
  if (!params) return nullptr;
  auto* ctx = new (std::nothrow) QornContext();
  if (!ctx) return nullptr;
  ctx->params = *params;
  bool backendMade = false;

  ctx->commands = static_cast<float*>(std::malloc(sizeof(float) * kInitCommandsSize));
  ctx->cache.points = static_cast<Point*>(std::malloc(sizeof(Point) * kInitPointsSize));
  ctx->cache.paths = static_cast<QornPath*>(std::malloc(sizeof(QornPath) * kInitPathsSize));
  ctx->cache.verts = static_cast<QornVertex*>(std::malloc(sizeof(QornVertex) * kInitVertsSize));
  if (!ctx->commands || !ctx->cache.points || !ctx->cache.paths || !ctx->cache.verts) goto error;
  ctx->ccommands = kInitCommandsSize;
  ctx->cache.cpoints = kInitPointsSize;
  ctx->cache.cpaths = kInitPathsSize;
  ctx->cache.cverts = kInitVertsSize;

  qornSave(ctx);
  qornReset(ctx);

  if (!ctx->params.renderCreate || ctx->params.renderCreate(ctx->params.userPtr) == 0) goto error;
  backendMade = true;

  ctx->atlas = Atlas::create(512, 512);
  if (!ctx->atlas) goto error;
  ctx->fontImages[0] =
      ctx->params.renderCreateTexture(ctx->params.userPtr, QORN_TEXTURE_ALPHA, 512, 512, 0, nullptr);
  if (ctx->fontImages[0] == 0) goto error;
  ctx->fontImageIdx = 0;
  return ctx;

error:
  if (!backendMade) ctx->params.renderDelete = nullptr;  // the back end was never made
  qornDeleteInternal(ctx);
  return nullptr;
}

QornParams* qornInternalParams(QornContext* ctx) { return &ctx->params; }

void qornDeleteInternal(QornContext* ctx) {
  if (!ctx) return;
  std::free(ctx->commands);
  deletePathCache(ctx->cache);
  delete ctx->atlas;
  for (int& image : ctx->fontImages) {
    if (image != 0 && ctx->params.renderDeleteTexture) ctx->params.renderDeleteTexture(ctx->params.userPtr, image);
    image = 0;
  }
  if (ctx->params.renderDelete) ctx->params.renderDelete(ctx->params.userPtr);
  delete ctx;
}

void qornBeginFrame(QornContext* ctx, float x, float y, float width, float height, float ratio) {
  ctx->nstates = 0;
  qornSave(ctx);
  qornReset(ctx);

  // Tolerances divide by the ratio; a ratio that is not positive would make them infinite.
  if (!(ratio > 0.0f)) ratio = 1.0f;
  ctx->devicePxRatio = ratio;
  ctx->tessTol = 0.25f / ratio;
  ctx->distTol = 0.01f / ratio;
  ctx->fringeWidth = 1.0f / ratio;

  // The last frame is over, its draws recorded: the font textures it outgrew can go (in case the
  // caller did not release them itself). If a glyph was dropped with every font texture full,
  // start this frame on an empty atlas in the current texture.
  qornReleaseOldFontTextures(ctx);
  if (ctx->fontAtlasFull) {
    int iw = 0, ih = 0;
    const int image = ctx->fontImages[ctx->fontImageIdx];
    if (image != 0 && ctx->params.renderGetTextureSize(ctx->params.userPtr, image, &iw, &ih)) ctx->atlas->reset(iw, ih);
    ctx->fontAtlasFull = false;
  }

  ctx->params.renderViewport(ctx->params.userPtr, x, y, width, height);

  ctx->drawCallCount = 0;
  ctx->fillTriCount = 0;
  ctx->strokeTriCount = 0;
  ctx->textTriCount = 0;
}

void qornFrameStats(QornContext* ctx, int* drawCalls, int* triangles) {
  if (drawCalls) *drawCalls = ctx->drawCallCount;
  if (triangles) *triangles = ctx->fillTriCount + ctx->strokeTriCount + ctx->textTriCount;
}

// --- State -------------------------------------------------------------------------------------

void qornSave(QornContext* ctx) {
  if (ctx->nstates >= kMaxStates) return;
  if (ctx->nstates > 0) std::memcpy(&ctx->states[ctx->nstates], &ctx->states[ctx->nstates - 1], sizeof(State));
  ctx->nstates++;
}

int qornRestore(QornContext* ctx) {
  if (ctx->nstates > 1) ctx->nstates--;
  return ctx->nstates;
}

int qornStateCount(QornContext* ctx) { return ctx->nstates; }

void qornReset(QornContext* ctx) {
  State* state = currentState(ctx);
  std::memset(state, 0, sizeof(*state));
  setPaintColor(&state->fill, rgba(1, 1, 1, 1));
  setPaintColor(&state->stroke, rgba(0, 0, 0, 1));
  state->composite = QornCompositeState{QORN_ONE, QORN_ONE_MINUS_SRC_ALPHA, QORN_ONE, QORN_ONE_MINUS_SRC_ALPHA};
  state->shapeAntiAlias = 1;
  state->strokeWidth = 1.0f;
  state->miterLimit = 10.0f;
  state->lineCap = QORN_BUTT;
  state->lineJoin = QORN_MITER;
  state->alpha = 1.0f;
  qornTransformIdentity(state->xform);
  state->scissor.extent[0] = -1.0f;
  state->scissor.extent[1] = -1.0f;
  state->fontSize = 16.0f;
  state->letterSpacing = 0.0f;
  state->lineHeight = 1.0f;
  state->fontBlur = 0.0f;
  state->textAlign = QORN_ALIGN_LEFT | QORN_ALIGN_BASELINE;
  state->fontId = 0;
}

void qornStrokeColor(QornContext* ctx, QornColor color) { setPaintColor(&currentState(ctx)->stroke, color); }
void qornFillColor(QornContext* ctx, QornColor color) { setPaintColor(&currentState(ctx)->fill, color); }

void qornFillPaint(QornContext* ctx, QornPaint paint) {
  State* state = currentState(ctx);
  state->fill = paint;
  qornTransformMultiply(state->fill.xform, state->xform);
}

void qornStrokeWidth(QornContext* ctx, float width) { currentState(ctx)->strokeWidth = width; }

void qornTranslate(QornContext* ctx, float x, float y) {
  State* state = currentState(ctx);
  float t[6];
  qornTransformTranslate(t, x, y);
  // The new transform applies before the current one.
  float r[6];
  std::memcpy(r, state->xform, sizeof(r));
  qornTransformMultiply(t, r);
  std::memcpy(state->xform, t, sizeof(t));
}

void qornScale(QornContext* ctx, float x, float y) {
  State* state = currentState(ctx);
  float t[6];
  qornTransformScale(t, x, y);
  float r[6];
  std::memcpy(r, state->xform, sizeof(r));
  qornTransformMultiply(t, r);
  std::memcpy(state->xform, t, sizeof(t));
}

void qornCurrentTransform(QornContext* ctx, float* xform) {
  std::memcpy(xform, currentState(ctx)->xform, sizeof(float) * 6);
}

// --- Images ------------------------------------------------------------------------------------

int qornCreateImageRGBA(QornContext* ctx, int w, int h, int imageFlags, const unsigned char* data) {
  return ctx->params.renderCreateTexture(ctx->params.userPtr, QORN_TEXTURE_RGBA, w, h, imageFlags, data);
}

void qornUpdateImage(QornContext* ctx, int image, const unsigned char* data) {
  int w = 0, h = 0;
  if (!ctx->params.renderGetTextureSize(ctx->params.userPtr, image, &w, &h)) return;
  ctx->params.renderUpdateTexture(ctx->params.userPtr, image, 0, 0, w, h, data);
}

void qornImageSize(QornContext* ctx, int image, int* w, int* h) {
  ctx->params.renderGetTextureSize(ctx->params.userPtr, image, w, h);
}

void qornDeleteImage(QornContext* ctx, int image) { ctx->params.renderDeleteTexture(ctx->params.userPtr, image); }

QornPaint qornImagePattern(QornContext*, float cx, float cy, float w, float h, float angle, int image, float alpha) {
  QornPaint p;
  std::memset(&p, 0, sizeof(p));
  qornTransformRotate(p.xform, angle);
  p.xform[4] = cx;
  p.xform[5] = cy;
  p.extent[0] = w;
  p.extent[1] = h;
  p.image = image;
  p.innerColor = p.outerColor = rgba(1, 1, 1, alpha);
  return p;
}

// --- Paths -------------------------------------------------------------------------------------

void qornBeginPath(QornContext* ctx) {
  ctx->ncommands = 0;
  clearPathCache(ctx);
}

void qornMoveTo(QornContext* ctx, float x, float y) {
  float vals[] = {static_cast<float>(kMoveTo), x, y};
  appendCommands(ctx, vals, 3);
}

void qornLineTo(QornContext* ctx, float x, float y) {
  float vals[] = {static_cast<float>(kLineTo), x, y};
  appendCommands(ctx, vals, 3);
}

void qornBezierTo(QornContext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y) {
  float vals[] = {static_cast<float>(kBezierTo), c1x, c1y, c2x, c2y, x, y};
  appendCommands(ctx, vals, 7);
}

void qornClosePath(QornContext* ctx) {
  float vals[] = {static_cast<float>(kClose)};
  appendCommands(ctx, vals, 1);
}

void qornPathWinding(QornContext* ctx, int dir) {
  float vals[] = {static_cast<float>(kWinding), static_cast<float>(dir)};
  appendCommands(ctx, vals, 2);
}

void qornRect(QornContext* ctx, float x, float y, float w, float h) {
  float vals[] = {static_cast<float>(kMoveTo), x,     y,     static_cast<float>(kLineTo), x,     y + h,
                  static_cast<float>(kLineTo), x + w, y + h, static_cast<float>(kLineTo), x + w, y,
                  static_cast<float>(kClose)};
  appendCommands(ctx, vals, 13);
}

void qornEllipse(QornContext* ctx, float cx, float cy, float rx, float ry) {
  constexpr float kappa = 0.5522847493f;  // control distance of a quarter circle by cubic Béziers
  float vals[] = {static_cast<float>(kMoveTo), cx - rx, cy,
                  static_cast<float>(kBezierTo), cx - rx, cy + ry * kappa, cx - rx * kappa, cy + ry, cx, cy + ry,
                  static_cast<float>(kBezierTo), cx + rx * kappa, cy + ry, cx + rx, cy + ry * kappa, cx + rx, cy,
                  static_cast<float>(kBezierTo), cx + rx, cy - ry * kappa, cx + rx * kappa, cy - ry, cx, cy - ry,
                  static_cast<float>(kBezierTo), cx - rx * kappa, cy - ry, cx - rx, cy - ry * kappa, cx - rx, cy,
                  static_cast<float>(kClose)};
  appendCommands(ctx, vals, 32);
}

void qornFill(QornContext* ctx) {
  State* state = currentState(ctx);
  QornPaint fillPaint = state->fill;

  flattenPaths(ctx);
  const bool aa = ctx->params.edgeAntiAlias && state->shapeAntiAlias;
  if (!expandFill(ctx, aa ? ctx->fringeWidth : 0.0f, QORN_MITER, 2.4f)) return;

  fillPaint.innerColor.a *= state->alpha;
  fillPaint.outerColor.a *= state->alpha;

  ctx->params.renderFill(ctx->params.userPtr, &fillPaint, state->composite, &state->scissor, ctx->fringeWidth,
                         ctx->cache.bounds, ctx->cache.paths, ctx->cache.npaths);

  for (int i = 0; i < ctx->cache.npaths; i++) {
    const QornPath& path = ctx->cache.paths[i];
    ctx->fillTriCount += std::max(0, path.nfill - 2) + std::max(0, path.nstroke - 2);
    ctx->drawCallCount += 2;
  }
}

void qornStroke(QornContext* ctx) {
  State* state = currentState(ctx);
  const float scale = averageScale(state->xform);
  float strokeWidth = clampf(state->strokeWidth * scale, 0.0f, 200.0f);
  QornPaint strokePaint = state->stroke;

  if (strokeWidth < ctx->fringeWidth) {
    // A stroke thinner than a device pixel is drawn one pixel wide with its coverage as alpha.
    const float alpha = clampf(strokeWidth / ctx->fringeWidth, 0.0f, 1.0f);
    strokePaint.innerColor.a *= alpha * alpha;
    strokePaint.outerColor.a *= alpha * alpha;
    strokeWidth = ctx->fringeWidth;
  }
  strokePaint.innerColor.a *= state->alpha;
  strokePaint.outerColor.a *= state->alpha;

  flattenPaths(ctx);
  const bool aa = ctx->params.edgeAntiAlias && state->shapeAntiAlias;
  if (!expandStroke(ctx, strokeWidth * 0.5f, aa ? ctx->fringeWidth : 0.0f, state->lineCap, state->lineJoin,
                    state->miterLimit))
    return;

  ctx->params.renderStroke(ctx->params.userPtr, &strokePaint, state->composite, &state->scissor, ctx->fringeWidth,
                           strokeWidth, ctx->cache.paths, ctx->cache.npaths);

  for (int i = 0; i < ctx->cache.npaths; i++) {
    ctx->strokeTriCount += std::max(0, ctx->cache.paths[i].nstroke - 2);
    ctx->drawCallCount++;
  }
}
