// The Qorn path core: a drawing context with a state stack, a path command buffer, tessellation of
// paths into anti-aliased triangles, and text through a glyph atlas. Qt-free; the GPU back end plugs
// in through the callback table QornParams.
//
// Units: coordinates are logical pixels; tolerances, fringe widths and glyph sizes become device
// pixels through the ratio given to qornBeginFrame. All calls of one context belong to one thread.
#pragma once

#include <cstddef>

struct QornContext;

// Colour components 0..1, straight (not premultiplied) alpha.
struct QornColor {
  float r, g, b, a;
};

// A paint as the back end receives it: transform (a, b, c, d, e, f), extent, radius, feather,
// inner and outer colours, image id (0 = none).
struct QornPaint {
  float xform[6];
  float extent[2];
  float radius;
  float feather;
  QornColor innerColor;
  QornColor outerColor;
  int image;
};

// Blend factors of a draw, as QornBlendFactor values.
struct QornCompositeState {
  int srcRGB;
  int dstRGB;
  int srcAlpha;
  int dstAlpha;
};

// Scissor transform and half extent; an extent of (-1, -1) means no scissor.
struct QornScissor {
  float xform[6];
  float extent[2];
};

// One vertex of a fill, fringe, stroke or text triangle: position in logical pixels and (u, v).
struct QornVertex {
  float x, y, u, v;
};

// One flattened path as handed to the back end's fill and stroke. The vertex pointers stay valid
// until the next drawing call of the context.
struct QornPath {
  int first;
  int count;
  unsigned char closed;
  int nbevel;
  QornVertex* fill;    // fill fan (fills only)
  int nfill;
  QornVertex* stroke;  // fringe strip of a fill, or the stroke's triangle strip
  int nstroke;
  int winding;
  int convex;
};

enum QornBlendFactor {
  QORN_ZERO = 1 << 0,
  QORN_ONE = 1 << 1,
  QORN_SRC_COLOR = 1 << 2,
  QORN_ONE_MINUS_SRC_COLOR = 1 << 3,
  QORN_DST_COLOR = 1 << 4,
  QORN_ONE_MINUS_DST_COLOR = 1 << 5,
  QORN_SRC_ALPHA = 1 << 6,
  QORN_ONE_MINUS_SRC_ALPHA = 1 << 7,
  QORN_DST_ALPHA = 1 << 8,
  QORN_ONE_MINUS_DST_ALPHA = 1 << 9,
  QORN_SRC_ALPHA_SATURATE = 1 << 10,
};

enum QornTextureType {
  QORN_TEXTURE_ALPHA = 1,  // one byte of coverage per pixel
  QORN_TEXTURE_RGBA = 4,   // four bytes per pixel
};

enum QornImageFlags {
  QORN_IMAGE_GENERATE_MIPMAPS = 1,
  QORN_IMAGE_REPEATX = 2,
  QORN_IMAGE_REPEATY = 4,
  QORN_IMAGE_FLIPY = 8,
  QORN_IMAGE_PREMULTIPLIED = 16,
  QORN_IMAGE_NEAREST = 32,
  QORN_IMAGE_NODELETE = 65536,
};

enum QornAlign {
  QORN_ALIGN_LEFT = 1,
  QORN_ALIGN_CENTER = 2,
  QORN_ALIGN_RIGHT = 4,
  QORN_ALIGN_TOP = 8,
  QORN_ALIGN_MIDDLE = 16,
  QORN_ALIGN_BOTTOM = 32,
  QORN_ALIGN_BASELINE = 64,
};

enum QornWinding {
  QORN_CCW = 1,  // solid shapes
  QORN_CW = 2,   // holes
};

enum QornLineCap { QORN_BUTT = 0, QORN_ROUND = 1, QORN_SQUARE = 2, QORN_BEVEL = 3, QORN_MITER = 4 };

// The back end's callback table: user pointer, edge anti-aliasing flag, then 13 slots in this order.
// Every slot receives userPtr as its first argument. Slots return 1 (or an id > 0) on success.
struct QornParams {
  void* userPtr;
  int edgeAntiAlias;
  int (*renderCreate)(void* uptr);
  // Returns the new image id, 0 on failure. type is a QornTextureType; data may be null.
  int (*renderCreateTexture)(void* uptr, int type, int w, int h, int imageFlags, const unsigned char* data);
  int (*renderDeleteTexture)(void* uptr, int image);
  // data points at the whole image (row stride = the texture's width x bytes per pixel); only the
  // rectangle (x, y, w, h) of it is to be taken.
  int (*renderUpdateTexture)(void* uptr, int image, int x, int y, int w, int h, const unsigned char* data);
  int (*renderGetTextureSize)(void* uptr, int image, int* w, int* h);
  void (*renderViewport)(void* uptr, float x, float y, float width, float height);
  void (*renderUnused)(void* uptr);  // always null, never called
  void (*renderCancel)(void* uptr);  // never called by the core
  void (*renderFlush)(void* uptr);
  void (*renderFill)(void* uptr, const QornPaint* paint, QornCompositeState op, const QornScissor* scissor,
                     float fringe, const float* bounds, const QornPath* paths, int npaths);
  void (*renderStroke)(void* uptr, const QornPaint* paint, QornCompositeState op, const QornScissor* scissor,
                       float fringe, float strokeWidth, const QornPath* paths, int npaths);
  void (*renderTriangles)(void* uptr, const QornPaint* paint, QornCompositeState op, const QornScissor* scissor,
                          const QornVertex* verts, int nverts, float fringe);
  void (*renderDelete)(void* uptr);
  // Optional: room for n vertices where the back end keeps the frame's vertices, so that a fill or
  // stroke is tessellated in place and its render call finds the vertices already there (the
  // paths' pointers then point into that room). Null, or a null result, keeps the core's own
  // scratch array. Valid until the next render call.
  QornVertex* (*renderReserveVerts)(void* uptr, int n);
};

// One row of wrapped text: byte ranges into the caller's string.
struct QornTextRow {
  const char* start;  // first byte of the row
  const char* end;    // one past the last byte drawn (trailing spaces excluded)
  const char* next;   // where the next row starts
  float width;        // logical width of the row
  float minx, maxx;   // horizontal extent of the row's glyphs relative to its origin
};

// --- Context ---------------------------------------------------------------------------------
// Creates a context on the back end of params (copied). Returns null when the back end's create
// fails or memory runs out; nothing is left allocated then. Delete with qornDeleteInternal.
QornContext* qornCreateInternal(const QornParams* params);
// Frees the context, its font textures and the back end (renderDelete). Null does nothing.
void qornDeleteInternal(QornContext* ctx);
QornParams* qornInternalParams(QornContext* ctx);

// Starts a frame of width x height logical pixels at (x, y) with the device pixel ratio (a ratio
// that is not positive counts as 1): one default state, tolerances from the ratio, back-end
// viewport. The previous frame counts as recorded: its outgrown font textures are released, and the
// atlas is emptied if it ran out of room. There is no end-of-frame call: the caller flushes the
// back end itself.
void qornBeginFrame(QornContext* ctx, float x, float y, float width, float height, float ratio);
// Releases the font textures that text of this frame outgrew, keeping the current one as the
// first. Call only after the back end has recorded (not merely flushed) the frame's draws, which
// name the old texture ids until then; qornBeginFrame does it otherwise.
void qornReleaseOldFontTextures(QornContext* ctx);
// Statistics of the frame so far.
void qornFrameStats(QornContext* ctx, int* drawCalls, int* triangles);

// --- State -----------------------------------------------------------------------------------
void qornSave(QornContext* ctx);     // ignored with 32 states in use
int qornRestore(QornContext* ctx);   // never removes the last state; returns the states in use
void qornReset(QornContext* ctx);
int qornStateCount(QornContext* ctx);

void qornStrokeColor(QornContext* ctx, QornColor color);
void qornFillColor(QornContext* ctx, QornColor color);
void qornFillPaint(QornContext* ctx, QornPaint paint);
void qornStrokeWidth(QornContext* ctx, float width);
void qornTranslate(QornContext* ctx, float x, float y);
void qornScale(QornContext* ctx, float x, float y);
void qornCurrentTransform(QornContext* ctx, float* xform);

// --- Transforms: 6 floats a, b, c, d, e, f mapping (x, y) to (a x + c y + e, b x + d y + f) -----
void qornTransformIdentity(float* dst);
void qornTransformTranslate(float* dst, float tx, float ty);
void qornTransformScale(float* dst, float sx, float sy);
void qornTransformRotate(float* dst, float angle);
void qornTransformMultiply(float* dst, const float* src);  // dst = dst then src
// Returns 1, or 0 (and identity) when the determinant's magnitude is below 1e-6.
int qornTransformInverse(float* dst, const float* src);
void qornTransformPoint(float* dstx, float* dsty, const float* xform, float srcx, float srcy);

// --- Images ----------------------------------------------------------------------------------
int qornCreateImageRGBA(QornContext* ctx, int w, int h, int imageFlags, const unsigned char* data);
void qornUpdateImage(QornContext* ctx, int image, const unsigned char* data);
void qornImageSize(QornContext* ctx, int image, int* w, int* h);
void qornDeleteImage(QornContext* ctx, int image);
QornPaint qornImagePattern(QornContext* ctx, float ox, float oy, float ex, float ey, float angle, int image,
                           float alpha);

// --- Paths -----------------------------------------------------------------------------------
void qornBeginPath(QornContext* ctx);
void qornMoveTo(QornContext* ctx, float x, float y);
void qornLineTo(QornContext* ctx, float x, float y);
void qornBezierTo(QornContext* ctx, float c1x, float c1y, float c2x, float c2y, float x, float y);
void qornClosePath(QornContext* ctx);
void qornPathWinding(QornContext* ctx, int dir);
void qornRect(QornContext* ctx, float x, float y, float w, float h);
void qornEllipse(QornContext* ctx, float cx, float cy, float rx, float ry);
void qornFill(QornContext* ctx);
void qornStroke(QornContext* ctx);

// --- Fonts and text --------------------------------------------------------------------------
// Adds a font from memory under name. The bytes are not copied: unless freeData is non-zero the
// caller keeps them alive for the context's life; with freeData the context owns them (malloc'ed)
// and frees them, also when the font is refused. A TrueType collection uses its first face.
// Returns the font id, -1 when the bytes are not a usable font.
int qornCreateFontMem(QornContext* ctx, const char* name, unsigned char* data, int ndata, int freeData);
int qornFindFont(QornContext* ctx, const char* name);  // -1 when absent or name is null
void qornFontSize(QornContext* ctx, float size);
void qornFontBlur(QornContext* ctx, float blur);
void qornTextLetterSpacing(QornContext* ctx, float spacing);
void qornTextLineHeight(QornContext* ctx, float lineHeight);
void qornTextAlign(QornContext* ctx, int align);
void qornFontFaceId(QornContext* ctx, int font);
// Pixel snapping of glyph quads (whole-pixel glyph origins and advances), on at creation.
void qornSetTextPixelSnap(QornContext* ctx, int snap);

// end may be null (text runs to its terminating zero).
float qornText(QornContext* ctx, float x, float y, const char* string, const char* end);
void qornTextBox(QornContext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end);
// bounds (may be null): xmin, ymin, xmax, ymax. Returns the advance.
float qornTextBounds(QornContext* ctx, float x, float y, const char* string, const char* end, float* bounds);
void qornTextBoxBounds(QornContext* ctx, float x, float y, float breakRowWidth, const char* string,
                       const char* end, float* bounds);
int qornTextBreakLines(QornContext* ctx, const char* string, const char* end, float breakRowWidth,
                       QornTextRow* rows, int maxRows);
