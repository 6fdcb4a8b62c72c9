// Text operations of the context: fonts, one line of text, wrapped text boxes, their bounds, line
// breaking, and the growth of the glyph atlas over up to four font textures.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "Atlas.h"
#include "CoreInternal.h"

using namespace qorn;

namespace {

enum CodepointType { kSpace, kNewline, kChar, kCjkChar };

float quantize(float a, float d) { return std::floor(a / d + 0.5f) * d; }

float fontScale(const State* state) { return std::min(quantize(averageScale(state->xform), 0.01f), 4.0f); }

bool isTransformFlipped(const float* xform) { return xform[0] * xform[3] - xform[2] * xform[1] < 0.0f; }

// Copies the context's text state, scaled to atlas (device) pixels, into the atlas state.
void setAtlasState(QornContext* ctx, const State* state, float scale) {
  TextState& ts = ctx->atlas->state();
  ts.size = state->fontSize * scale;
  ts.spacing = state->letterSpacing * scale;
  ts.blur = state->fontBlur * scale;
  ts.align = state->textAlign;
  ts.font = state->fontId;
}

void flushTextTexture(QornContext* ctx) {
  int dirty[4];
  if (!ctx->atlas->validateTexture(dirty)) return;
  const int fontImage = ctx->fontImages[ctx->fontImageIdx];
  if (fontImage == 0) return;
  int iw, ih;
  const unsigned char* data = ctx->atlas->textureData(&iw, &ih);
  ctx->params.renderUpdateTexture(ctx->params.userPtr, fontImage, dirty[0], dirty[1], dirty[2] - dirty[0],
                                  dirty[3] - dirty[1], data);
}

// Moves text to the next font texture, creating it at double the smaller side (up to 2048 x 2048).
// False when all four are in use or the texture cannot be made; nothing changes then.
bool allocTextAtlas(QornContext* ctx) {
  flushTextTexture(ctx);
  if (ctx->fontImageIdx >= kMaxFontImages - 1) return false;
  int iw = 0, ih = 0;
  const int next = ctx->fontImages[ctx->fontImageIdx + 1];
  if (next != 0) {
    qornImageSize(ctx, next, &iw, &ih);
  } else {
    qornImageSize(ctx, ctx->fontImages[ctx->fontImageIdx], &iw, &ih);
    if (iw <= 0 || ih <= 0) return false;
    if (iw > ih)
      ih *= 2;
    else
      iw *= 2;
    if (iw > kMaxFontImageSize || ih > kMaxFontImageSize) iw = ih = kMaxFontImageSize;
    const int image =
        ctx->params.renderCreateTexture(ctx->params.userPtr, QORN_TEXTURE_ALPHA, iw, ih, 0, nullptr);
    if (image == 0) return false;
    ctx->fontImages[ctx->fontImageIdx + 1] = image;
  }
  if (!ctx->atlas->reset(iw, ih)) return false;
  ++ctx->fontImageIdx;
  return true;
}

void renderText(QornContext* ctx, QornVertex* verts, int nverts) {
  if (nverts <= 0) return;
  const State* state = currentState(ctx);
  QornPaint paint = state->fill;
  paint.image = ctx->fontImages[ctx->fontImageIdx];
  paint.innerColor.a *= state->alpha;
  paint.outerColor.a *= state->alpha;
  ctx->params.renderTriangles(ctx->params.userPtr, &paint, state->composite, &state->scissor, verts, nverts,
                              ctx->fringeWidth);
  ctx->drawCallCount++;
  ctx->textTriCount += nverts / 3;
}

bool validFont(QornContext* ctx, int id) { return id >= 0 && id < ctx->atlas->fontCount(); }

CodepointType classify(unsigned int cp, unsigned int prev) {
  switch (cp) {
    case 9:
    case 11:
    case 12:
    case 32:
    case 0x00a0:
      return kSpace;
    case 10:
      return prev == 13 ? kSpace : kNewline;  // "\r\n" is one break
    case 13:
    case 0x0085:
      return kNewline;
    default:
      if ((cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3000 && cp <= 0x30FF) || (cp >= 0xFF00 && cp <= 0xFFEF) ||
          (cp >= 0x1100 && cp <= 0x11FF) || (cp >= 0x3130 && cp <= 0x318F) || (cp >= 0xAC00 && cp <= 0xD7AF))
        return kCjkChar;
      return kChar;
  }
}

}  // namespace

int qornCreateFontMem(QornContext* ctx, const char* name, unsigned char* data, int ndata, int freeData) {
  return ctx->atlas->addFont(name, data, ndata, freeData);
}

int qornFindFont(QornContext* ctx, const char* name) {
  if (!name) return -1;
  return ctx->atlas->findFont(name);
}

void qornFontSize(QornContext* ctx, float size) { currentState(ctx)->fontSize = size; }
void qornFontBlur(QornContext* ctx, float blur) { currentState(ctx)->fontBlur = blur; }
void qornTextLetterSpacing(QornContext* ctx, float spacing) { currentState(ctx)->letterSpacing = spacing; }
void qornTextLineHeight(QornContext* ctx, float lineHeight) { currentState(ctx)->lineHeight = lineHeight; }
void qornTextAlign(QornContext* ctx, int align) { currentState(ctx)->textAlign = align; }
void qornFontFaceId(QornContext* ctx, int font) { currentState(ctx)->fontId = font; }
void qornSetTextPixelSnap(QornContext* ctx, int snap) { ctx->atlas->state().pixelSnap = snap != 0 ? 1 : 0; }

void qornReleaseOldFontTextures(QornContext* ctx) {
  if (ctx->fontImageIdx == 0) return;
  const int current = ctx->fontImages[ctx->fontImageIdx];
  for (int i = 0; i < kMaxFontImages; i++) {
    if (i != ctx->fontImageIdx && ctx->fontImages[i] != 0)
      ctx->params.renderDeleteTexture(ctx->params.userPtr, ctx->fontImages[i]);
    ctx->fontImages[i] = 0;
  }
  ctx->fontImages[0] = current;
  ctx->fontImageIdx = 0;
}

float qornText(QornContext* ctx, float x, float y, const char* string, const char* end) {
  State* state = currentState(ctx);
  if (!string || !validFont(ctx, state->fontId)) return x;
  if (!end) end = string + std::strlen(string);
  const float scale = fontScale(state) * ctx->devicePxRatio;
  if (!(scale > 0.0f)) return x;
  const float invscale = 1.0f / scale;
  const bool flipped = isTransformFlipped(state->xform);

  setAtlasState(ctx, state, scale);
  const int cverts = std::max(2, static_cast<int>(end - string)) * 6;
  QornVertex* verts = allocTempVerts(ctx, cverts);
  if (!verts) return x;
  int nverts = 0;

  TextIter iter, prevIter;
  if (!ctx->atlas->iterInit(&iter, x * scale, y * scale, string, end, kGlyphBitmapRequired)) return x;
  prevIter = iter;
  Quad q;
  while (ctx->atlas->iterNext(&iter, &q)) {
    if (!iter.hasQuad) {
      if (iter.miss != GlyphMiss::AtlasFull) {
        // Too small, too large or out of scratch: this glyph is left out, the text goes on.
        prevIter = iter;
        continue;
      }
      // Draw what the full texture holds, move to a new one, and retry this glyph once.
      renderText(ctx, verts, nverts);
      nverts = 0;
      if (!allocTextAtlas(ctx)) {
        ctx->fontAtlasFull = true;
        break;
      }
      iter = prevIter;
      ctx->atlas->iterNext(&iter, &q);
      if (!iter.hasQuad) {
        if (iter.miss == GlyphMiss::AtlasFull) ctx->fontAtlasFull = true;
        break;
      }
    }
    prevIter = iter;
    if (flipped) {
      std::swap(q.y0, q.y1);
      std::swap(q.t0, q.t1);
    }
    float c[8];
    qornTransformPoint(&c[0], &c[1], state->xform, q.x0 * invscale, q.y0 * invscale);
    qornTransformPoint(&c[2], &c[3], state->xform, q.x1 * invscale, q.y0 * invscale);
    qornTransformPoint(&c[4], &c[5], state->xform, q.x1 * invscale, q.y1 * invscale);
    qornTransformPoint(&c[6], &c[7], state->xform, q.x0 * invscale, q.y1 * invscale);
    if (nverts + 6 <= cverts) {
      verts[nverts++] = QornVertex{c[0], c[1], q.s0, q.t0};
      verts[nverts++] = QornVertex{c[4], c[5], q.s1, q.t1};
      verts[nverts++] = QornVertex{c[2], c[3], q.s1, q.t0};
      verts[nverts++] = QornVertex{c[0], c[1], q.s0, q.t0};
      verts[nverts++] = QornVertex{c[6], c[7], q.s0, q.t1};
      verts[nverts++] = QornVertex{c[4], c[5], q.s1, q.t1};
    }
  }

  flushTextTexture(ctx);
  renderText(ctx, verts, nverts);
  return iter.nextx / scale;
}

float qornTextBounds(QornContext* ctx, float x, float y, const char* string, const char* end, float* bounds) {
  State* state = currentState(ctx);
  if (!string || !validFont(ctx, state->fontId)) return 0;
  const float scale = fontScale(state) * ctx->devicePxRatio;
  if (!(scale > 0.0f)) return 0;
  const float invscale = 1.0f / scale;
  setAtlasState(ctx, state, scale);
  const float width = ctx->atlas->textBounds(x * scale, y * scale, string, end, bounds);
  if (bounds) {
    // The line's height, not the glyphs', so rows of one font line up.
    ctx->atlas->lineBounds(y * scale, &bounds[1], &bounds[3]);
    for (int i = 0; i < 4; i++) bounds[i] *= invscale;
  }
  return width * invscale;
}

int qornTextBreakLines(QornContext* ctx, const char* string, const char* end, float breakRowWidth,
                       QornTextRow* rows, int maxRows) {
  State* state = currentState(ctx);
  if (maxRows <= 0 || !rows || !string || !validFont(ctx, state->fontId)) return 0;
  if (!end) end = string + std::strlen(string);
  if (string == end) return 0;
  const float scale = fontScale(state) * ctx->devicePxRatio;
  if (!(scale > 0.0f)) return 0;
  const float invscale = 1.0f / scale;
  setAtlasState(ctx, state, scale);
  breakRowWidth *= scale;

  int nrows = 0;
  // Positions are in atlas pixels; "x" values are absolute, widths relative to the row start.
  const char* rowStart = nullptr;
  const char* rowEnd = nullptr;
  float rowStartX = 0, rowWidth = 0, rowMinX = 0, rowMaxX = 0;
  const char* wordStart = nullptr;
  float wordStartX = 0, wordMinX = 0;
  const char* breakEnd = nullptr;
  float breakWidth = 0, breakMaxX = 0;
  CodepointType type = kSpace, ptype = kSpace;
  unsigned int pcodepoint = 0;

  auto emit = [&](const char* start, const char* rend, const char* next, float width, float minx, float maxx) {
    QornTextRow& r = rows[nrows++];
    r.start = start;
    r.end = rend;
    r.next = next;
    r.width = width * invscale;
    r.minx = minx * invscale;
    r.maxx = maxx * invscale;
    return nrows >= maxRows;
  };

  TextIter iter;
  if (!ctx->atlas->iterInit(&iter, 0, 0, string, end, kGlyphBitmapOptional)) return 0;
  Quad q{};
  while (ctx->atlas->iterNext(&iter, &q)) {
    type = classify(iter.codepoint, pcodepoint);
    // A code point without a glyph occupies no room.
    const float qx0 = iter.hasQuad ? q.x0 : iter.x;
    const float qx1 = iter.hasQuad ? q.x1 : iter.x;
    const bool isChar = type == kChar || type == kCjkChar;

    if (type == kNewline) {
      if (emit(rowStart ? rowStart : iter.str, rowEnd ? rowEnd : iter.str, iter.next, rowWidth, rowMinX, rowMaxX))
        return nrows;
      breakEnd = nullptr;
      breakWidth = breakMaxX = 0;
      rowStart = rowEnd = nullptr;
      rowWidth = rowMinX = rowMaxX = 0;
    } else if (!rowStart) {
      // Leading white space of a row is skipped.
      if (isChar) {
        rowStartX = iter.x;
        rowStart = iter.str;
        rowEnd = iter.next;
        rowWidth = iter.nextx - rowStartX;
        rowMinX = qx0 - rowStartX;
        rowMaxX = qx1 - rowStartX;
        wordStart = iter.str;
        wordStartX = iter.x;
        wordMinX = qx0;
        breakEnd = rowStart;
        breakWidth = breakMaxX = 0;
      }
    } else {
      // A word ends where white space follows a character, and before every CJK character; the
      // width up to there excludes the current glyph.
      if (((ptype == kChar || ptype == kCjkChar) && type == kSpace) || type == kCjkChar) {
        breakEnd = iter.str;
        breakWidth = rowWidth;
        breakMaxX = rowMaxX;
      }
      // A word starts after white space, and at every CJK character.
      if ((ptype == kSpace && isChar) || type == kCjkChar) {
        wordStart = iter.str;
        wordStartX = iter.x;
        wordMinX = qx0;
      }
      const float nextWidth = iter.nextx - rowStartX;
      if (isChar && nextWidth > breakRowWidth) {
        if (breakEnd == rowStart) {
          // One word longer than the row: split it before the glyph that does not fit.
          if (emit(rowStart, iter.str, iter.str, rowWidth, rowMinX, rowMaxX)) return nrows;
          rowStartX = iter.x;
          rowStart = iter.str;
          rowEnd = iter.next;
          rowWidth = iter.nextx - rowStartX;
          rowMinX = qx0 - rowStartX;
          rowMaxX = qx1 - rowStartX;
          wordStart = iter.str;
          wordStartX = iter.x;
          wordMinX = qx0;
        } else {
          // Break after the last whole word; the next row starts with the word being passed.
          if (emit(rowStart, breakEnd, wordStart, breakWidth, rowMinX, breakMaxX)) return nrows;
          rowStartX = wordStartX;
          rowStart = wordStart;
          rowEnd = iter.next;
          rowWidth = iter.nextx - rowStartX;
          rowMinX = wordMinX - rowStartX;
          rowMaxX = qx1 - rowStartX;
        }
        breakEnd = rowStart;
        breakWidth = breakMaxX = 0;
      } else if (isChar) {
        rowEnd = iter.next;
        rowWidth = iter.nextx - rowStartX;
        rowMaxX = qx1 - rowStartX;
      }
    }
    pcodepoint = iter.codepoint;
    ptype = type;
  }

  if (rowStart) emit(rowStart, rowEnd, end, rowWidth, rowMinX, rowMaxX);
  return nrows;
}

namespace {

template <typename RowFn>
void forEachBoxRow(QornContext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end,
                   RowFn fn) {
  State* state = currentState(ctx);
  const int oldAlign = state->textAlign;
  const int halign = oldAlign & (QORN_ALIGN_LEFT | QORN_ALIGN_CENTER | QORN_ALIGN_RIGHT);
  const int valign = oldAlign & (QORN_ALIGN_TOP | QORN_ALIGN_MIDDLE | QORN_ALIGN_BOTTOM | QORN_ALIGN_BASELINE);
  const float scale = fontScale(state) * ctx->devicePxRatio;
  setAtlasState(ctx, state, scale);
  float lineh = 0;
  ctx->atlas->vertMetrics(nullptr, nullptr, &lineh);
  lineh /= scale;
  if (!end) end = string + std::strlen(string);

  state->textAlign = QORN_ALIGN_LEFT | valign;
  QornTextRow rows[2];
  int nrows;
  while ((nrows = qornTextBreakLines(ctx, string, end, breakRowWidth, rows, 2)) > 0) {
    for (int i = 0; i < nrows; i++) {
      float dx = 0;
      if (halign & QORN_ALIGN_LEFT)
        dx = 0;
      else if (halign & QORN_ALIGN_CENTER)
        dx = breakRowWidth * 0.5f - rows[i].width * 0.5f;
      else if (halign & QORN_ALIGN_RIGHT)
        dx = breakRowWidth - rows[i].width;
      fn(rows[i], x + dx, y);
      y += lineh * state->lineHeight;
    }
    // Rows always move forward; guard against a row that would not.
    if (rows[nrows - 1].next <= string) break;
    string = rows[nrows - 1].next;
  }
  state->textAlign = oldAlign;
}

}  // namespace

void qornTextBox(QornContext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end) {
  State* state = currentState(ctx);
  if (!string || !validFont(ctx, state->fontId)) return;
  forEachBoxRow(ctx, x, y, breakRowWidth, string, end,
                [&](const QornTextRow& row, float rx, float ry) { qornText(ctx, rx, ry, row.start, row.end); });
}

void qornTextBoxBounds(QornContext* ctx, float x, float y, float breakRowWidth, const char* string, const char* end,
                       float* bounds) {
  State* state = currentState(ctx);
  if (!string || !validFont(ctx, state->fontId)) {
    if (bounds) bounds[0] = bounds[2] = x, bounds[1] = bounds[3] = y;
    return;
  }
  const float scale = fontScale(state) * ctx->devicePxRatio;
  setAtlasState(ctx, state, scale);
  float rminy = 0, rmaxy = 0;
  ctx->atlas->lineBounds(0, &rminy, &rmaxy);
  rminy /= scale;
  rmaxy /= scale;
  bool any = false;
  float minx = x, maxx = x, miny = y, maxy = y;
  forEachBoxRow(ctx, x, y, breakRowWidth, string, end, [&](const QornTextRow& row, float rx, float ry) {
    const float r[4] = {rx + row.minx, ry + rminy, rx + row.maxx, ry + rmaxy};
    if (!any) {
      minx = r[0], miny = r[1], maxx = r[2], maxy = r[3];
      any = true;
    } else {
      minx = std::min(minx, r[0]);
      miny = std::min(miny, r[1]);
      maxx = std::max(maxx, r[2]);
      maxy = std::max(maxy, r[3]);
    }
  });
  if (bounds) {
    bounds[0] = minx;
    bounds[1] = miny;
    bounds[2] = maxx;
    bounds[3] = maxy;
  }
}
