#include "Atlas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <stb_truetype.h>

void* qornAtlasScratchAlloc(size_t size, void* atlas) { return static_cast<qorn::Atlas*>(atlas)->scratchAlloc(size); }

namespace qorn {

namespace {

constexpr int kHashLutSize = 256;
constexpr uint32_t kKernCacheSize = 1024;  // a power of two
constexpr size_t kScratchBufSize = 96000;
constexpr int kInitGlyphs = 256;
constexpr int kMaxStates = 20;
// Largest side a font texture can have; a bigger glyph would never fit however the atlas grows.
constexpr int kMaxAtlasSide = 2048;

unsigned int hashInt(unsigned int a) {
  a += ~(a << 15);
  a ^= (a >> 10);
  a += (a << 3);
  a ^= (a >> 6);
  a += ~(a << 11);
  a ^= (a >> 16);
  return a;
}

// UTF-8 decoding one byte at a time. Returns true when *codepoint is complete. A malformed sequence
// yields U+FFFD and decoding resynchronises at the next lead byte, so one bad byte never swallows
// the rest of a string.
bool decodeUtf8(unsigned int* need, unsigned int* cp, unsigned int byte, bool* reprocess) {
  *reprocess = false;
  if (*need > 0) {
    if ((byte & 0xC0) == 0x80) {
      *cp = (*cp << 6) | (byte & 0x3F);
      if (--*need == 0) return true;
      return false;
    }
    // The sequence broke off: report it, then read this byte afresh.
    *need = 0;
    *cp = 0xFFFD;
    *reprocess = true;
    return true;
  }
  if (byte < 0x80) {
    *cp = byte;
    return true;
  }
  if ((byte & 0xE0) == 0xC0) {
    *cp = byte & 0x1F;
    *need = 1;
  } else if ((byte & 0xF0) == 0xE0) {
    *cp = byte & 0x0F;
    *need = 2;
  } else if ((byte & 0xF8) == 0xF0) {
    *cp = byte & 0x07;
    *need = 3;
  } else {
    *cp = 0xFFFD;
    return true;
  }
  return false;
}

uint32_t readU32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// stb_truetype trusts the font's table directory; a truncated or damaged file would make it read
// past the data. The first face's directory and every table it names must lie inside the data.
// Returns the face's offset, or -1.
int checkedFaceOffset(const unsigned char* data, int size) {
  if (size < 16) return -1;
  int64_t offset = 0;
  if (std::memcmp(data, "ttcf", 4) == 0) {
    const uint32_t numFonts = readU32(data + 8);
    if (numFonts == 0) return -1;
    offset = readU32(data + 12);
  }
  if (offset + 12 > size) return -1;
  const int64_t numTables = (static_cast<int>(data[offset + 4]) << 8) | data[offset + 5];
  if (offset + 12 + 16 * numTables > size) return -1;
  for (int64_t i = 0; i < numTables; ++i) {
    const unsigned char* rec = data + offset + 12 + 16 * i;
    const int64_t tableOffset = readU32(rec + 8), tableLength = readU32(rec + 12);
    if (tableOffset + tableLength > size) return -1;
  }
  if (stbtt_GetFontOffsetForIndex(data, 0) != offset) return -1;
  return static_cast<int>(offset);
}

}  // namespace

struct Font {
  stbtt_fontinfo font;
  std::string name;
  unsigned char* data;
  int dataSize;
  bool freeData;
  float ascender;
  float descender;
  float lineh;
  std::vector<Glyph> glyphs;
  int lut[kHashLutSize];
  std::vector<int> fallbacks;
  // Kerning of recent glyph pairs, in font units: the font's own lookup walks its kerning tables
  // at every glyph of every label. Direct-mapped, so it stays small whatever the text.
  struct KernEntry {
    int prev = -1, next = -1, advance = 0;
  };
  std::vector<KernEntry> kernCache = std::vector<KernEntry>(kKernCacheSize);
};

namespace {

int cachedKernAdvance(Font* font, int prev, int next) {
  const uint32_t slot = (uint32_t(prev) * 2654435761u ^ uint32_t(next) * 40503u) & (kKernCacheSize - 1);
  Font::KernEntry& e = font->kernCache[slot];
  if (e.prev != prev || e.next != next) {
    e.prev = prev;
    e.next = next;
    e.advance = stbtt_GetGlyphKernAdvance(&font->font, prev, next);
  }
  return e.advance;
}

}  // namespace

Atlas* Atlas::create(int width, int height) {
  auto* atlas = new (std::nothrow) Atlas(width, height);
  return atlas;
}

Atlas::Atlas(int width, int height) : skyline_(width, height) {
  fonts_.reserve(8);
  scratch_.resize(kScratchBufSize);
  texData_.assign(static_cast<size_t>(width) * height, 0);
  itw_ = 1.0f / width;
  ith_ = 1.0f / height;
  dirtyRect_[0] = width;
  dirtyRect_[1] = height;
  dirtyRect_[2] = 0;
  dirtyRect_[3] = 0;
  addWhiteRect(2, 2);
  pushState();
  clearState();
}

Atlas::~Atlas() {
  endScratch();
  for (Font* f : fonts_) {
    if (f->freeData) std::free(f->data);
    delete f;
  }
}

void* Atlas::scratchAlloc(size_t size) {
  size = (size + 0xf) & ~static_cast<size_t>(0xf);
  if (nscratch_ + size > kScratchBufSize) {
    if (errorCb_) errorCb_(errorUptr_, kAtlasScratchFull, static_cast<int>(nscratch_ + size));
    // The rasteriser does not check every allocation, so it gets heap memory to finish safely;
    // the glyph it was making is then dropped.
    scratchOverflow_ = true;
    void* p = std::malloc(size);
    if (p) overflowBlocks_.push_back(p);
    return p;
  }
  void* p = scratch_.data() + nscratch_;
  nscratch_ += size;
  return p;
}

void Atlas::endScratch() {
  for (void* p : overflowBlocks_) std::free(p);
  overflowBlocks_.clear();
  nscratch_ = 0;
}

void Atlas::pushState() {
  if (nstates_ >= kMaxStates) return;
  if (nstates_ > 0) states_[nstates_] = states_[nstates_ - 1];
  nstates_++;
}

void Atlas::popState() {
  if (nstates_ > 1) nstates_--;
}

void Atlas::clearState() {
  TextState& s = state();
  s.font = 0;
  s.align = 1 | 64;  // left, baseline
  s.pixelSnap = 1;
  s.size = 12.0f;
  s.color = 0xffffffff;
  s.blur = 0;
  s.spacing = 0;
}

int Atlas::addFont(const char* name, unsigned char* data, int dataSize, int freeData) {
  // With freeData the bytes are the atlas's from here on, also when they turn out unusable.
  auto refuse = [&](Font* f) {
    delete f;
    if (freeData) std::free(data);
    return -1;
  };
  if (!name || !data || dataSize <= 0) return refuse(nullptr);
  Font* font = new (std::nothrow) Font();
  if (!font) return refuse(nullptr);
  font->glyphs.reserve(kInitGlyphs);
  std::fill(std::begin(font->lut), std::end(font->lut), -1);
  // The whole name is kept: callers name fonts by file path, which may be longer than a fixed field.
  font->name = name;
  font->data = data;
  font->dataSize = dataSize;
  font->freeData = freeData != 0;

  nscratch_ = 0;
  const int offset = checkedFaceOffset(data, dataSize);
  if (offset < 0 || !stbtt_InitFont(&font->font, data, offset)) return refuse(font);
  font->font.userdata = this;
  int ascent = 0, descent = 0, lineGap = 0;
  stbtt_GetFontVMetrics(&font->font, &ascent, &descent, &lineGap);
  ascent += lineGap;
  const int fh = ascent - descent;
  if (fh <= 0) return refuse(font);
  font->ascender = static_cast<float>(ascent) / fh;
  font->descender = static_cast<float>(descent) / fh;
  font->lineh = font->ascender - font->descender;
  fonts_.push_back(font);
  return static_cast<int>(fonts_.size()) - 1;
}

int Atlas::findFont(const char* name) const {
  if (!name) return -1;
  for (size_t i = 0; i < fonts_.size(); i++) {
    if (fonts_[i]->name == name) return static_cast<int>(i);
  }
  return -1;
}

bool Atlas::addFallbackFont(int base, int fallback) {
  if (base < 0 || base >= fontCount() || fallback < 0 || fallback >= fontCount()) return false;
  fonts_[base]->fallbacks.push_back(fallback);
  return true;
}

void Atlas::addWhiteRect(int w, int h) {
  int gx, gy;
  if (!skyline_.addRect(w, h, &gx, &gy)) return;
  const int tw = skyline_.width();
  for (int y = 0; y < h; y++) std::memset(&texData_[gx + (gy + y) * static_cast<size_t>(tw)], 0xff, w);
  dirtyRect_[0] = std::min(dirtyRect_[0], gx);
  dirtyRect_[1] = std::min(dirtyRect_[1], gy);
  dirtyRect_[2] = std::max(dirtyRect_[2], gx + w);
  dirtyRect_[3] = std::max(dirtyRect_[3], gy + h);
}

bool Atlas::reset(int width, int height) {
  try {
    texData_.assign(static_cast<size_t>(width) * height, 0);
  } catch (...) {
    return false;
  }
  skyline_.reset(width, height);
  dirtyRect_[0] = width;
  dirtyRect_[1] = height;
  dirtyRect_[2] = 0;
  dirtyRect_[3] = 0;
  for (Font* f : fonts_) {
    f->glyphs.clear();
    std::fill(std::begin(f->lut), std::end(f->lut), -1);
  }
  itw_ = 1.0f / width;
  ith_ = 1.0f / height;
  addWhiteRect(2, 2);
  return true;
}

bool Atlas::validateTexture(int* dirty) {
  if (dirtyRect_[0] < dirtyRect_[2] && dirtyRect_[1] < dirtyRect_[3]) {
    std::memcpy(dirty, dirtyRect_, sizeof(dirtyRect_));
    dirtyRect_[0] = skyline_.width();
    dirtyRect_[1] = skyline_.height();
    dirtyRect_[2] = 0;
    dirtyRect_[3] = 0;
    return true;
  }
  return false;
}

const unsigned char* Atlas::textureData(int* width, int* height) const {
  if (width) *width = skyline_.width();
  if (height) *height = skyline_.height();
  return texData_.data();
}

namespace {

// Recursive blur along rows (dx = 1) or columns (dx = stride): forward and backward first-order
// filters in fixed point (16 bits of alpha, 7 bits of value), with zero borders.
constexpr int kAlphaPrec = 16;
constexpr int kValuePrec = 7;

void blurLines(unsigned char* dst, int len, int lines, int step, int lineStep, int alpha) {
  for (int l = 0; l < lines; l++) {
    unsigned char* p = dst + static_cast<ptrdiff_t>(l) * lineStep;
    int z = 0;
    for (int i = 1; i < len; i++) {
      z += (alpha * ((static_cast<int>(p[i * step]) << kValuePrec) - z)) >> kAlphaPrec;
      p[i * step] = static_cast<unsigned char>(z >> kValuePrec);
    }
    p[(len - 1) * step] = 0;
    z = 0;
    for (int i = len - 2; i >= 0; i--) {
      z += (alpha * ((static_cast<int>(p[i * step]) << kValuePrec) - z)) >> kAlphaPrec;
      p[i * step] = static_cast<unsigned char>(z >> kValuePrec);
    }
    p[0] = 0;
  }
}

void blur(unsigned char* dst, int w, int h, int stride, int blurRadius) {
  if (blurRadius < 1) return;
  // Alpha such that about 90 % of the kernel lies within the radius.
  const float sigma = static_cast<float>(blurRadius) * 0.57735f;
  const int alpha = static_cast<int>((1 << kAlphaPrec) * (1.0f - std::exp(-2.3f / (sigma + 1.0f))));
  blurLines(dst, w, h, 1, stride, alpha);
  blurLines(dst, h, w, stride, 1, alpha);
  blurLines(dst, w, h, 1, stride, alpha);
  blurLines(dst, h, w, stride, 1, alpha);
}

}  // namespace

Glyph* Atlas::getGlyph(Font* font, unsigned int codepoint, int16_t isize, int16_t iblur, int bitmapOption,
                       GlyphMiss* miss) {
  *miss = GlyphMiss::None;
  if (isize < 2) {
    *miss = GlyphMiss::TooSmall;
    return nullptr;
  }
  if (iblur > 20) iblur = 20;
  const int pad = iblur + 2;
  endScratch();

  const unsigned int h = hashInt(codepoint) & (kHashLutSize - 1);
  Glyph* glyph = nullptr;
  for (int i = font->lut[h]; i != -1; i = font->glyphs[i].next) {
    Glyph& g = font->glyphs[i];
    if (g.codepoint == codepoint && g.size == isize && g.blur == iblur) {
      if (bitmapOption == kGlyphBitmapOptional || (g.x0 >= 0 && g.y0 >= 0)) return &g;
      glyph = &g;  // known, but its bitmap is still to be made
      break;
    }
  }

  int g = stbtt_FindGlyphIndex(&font->font, static_cast<int>(codepoint));
  Font* renderFont = font;
  if (g == 0) {
    for (int fb : font->fallbacks) {
      const int fg = stbtt_FindGlyphIndex(&fonts_[fb]->font, static_cast<int>(codepoint));
      if (fg != 0) {
        g = fg;
        renderFont = fonts_[fb];
        break;
      }
    }
  }

  // Pixel size per em square.
  const float size = isize / 10.0f;
  const float scale = stbtt_ScaleForMappingEmToPixels(&renderFont->font, size);
  int advance = 0, lsb = 0, x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  stbtt_GetGlyphHMetrics(&renderFont->font, g, &advance, &lsb);
  stbtt_GetGlyphBitmapBox(&renderFont->font, g, scale, scale, &x0, &y0, &x1, &y1);
  const int gw = x1 - x0 + pad * 2;
  const int gh = y1 - y0 + pad * 2;
  if (gw > kMaxAtlasSide || gh > kMaxAtlasSide) {
    *miss = GlyphMiss::TooLarge;
    return nullptr;
  }

  int gx = -1, gy = -1;
  if (bitmapOption == kGlyphBitmapRequired) {
    bool added = skyline_.addRect(gw, gh, &gx, &gy);
    if (!added && errorCb_) {
      errorCb_(errorUptr_, kAtlasFull, 0);
      added = skyline_.addRect(gw, gh, &gx, &gy);
    }
    if (!added) {
      *miss = GlyphMiss::AtlasFull;
      return nullptr;
    }
  }

  if (!glyph) {
    if (font->glyphs.size() == font->glyphs.capacity()) {
      try {
        font->glyphs.reserve(font->glyphs.capacity() * 2);
      } catch (...) {
        *miss = GlyphMiss::ScratchFull;
        return nullptr;
      }
    }
    Glyph ng{};
    ng.codepoint = codepoint;
    ng.size = isize;
    ng.blur = iblur;
    ng.next = font->lut[h];
    font->glyphs.push_back(ng);
    font->lut[h] = static_cast<int>(font->glyphs.size()) - 1;
    glyph = &font->glyphs.back();
  }
  glyph->index = g;
  glyph->x0 = static_cast<int16_t>(gx);
  glyph->y0 = static_cast<int16_t>(gy);
  glyph->x1 = static_cast<int16_t>(gx + gw);
  glyph->y1 = static_cast<int16_t>(gy + gh);
  glyph->xadv = static_cast<int16_t>(std::clamp(scale * advance * 10.0f, -32768.0f, 32767.0f));
  glyph->xoff = static_cast<int16_t>(x0 - pad);
  glyph->yoff = static_cast<int16_t>(y0 - pad);

  if (bitmapOption == kGlyphBitmapOptional) return glyph;

  const int tw = skyline_.width();
  unsigned char* dst = &texData_[(gx + pad) + static_cast<size_t>(gy + pad) * tw];
  scratchOverflow_ = false;
  stbtt_MakeGlyphBitmap(&renderFont->font, dst, gw - pad * 2, gh - pad * 2, tw, scale, scale, g);

  // One empty pixel around every glyph keeps bilinear sampling from picking up its neighbours.
  dst = &texData_[gx + static_cast<size_t>(gy) * tw];
  for (int y = 0; y < gh; y++) {
    dst[y * static_cast<size_t>(tw)] = 0;
    dst[gw - 1 + y * static_cast<size_t>(tw)] = 0;
  }
  for (int x = 0; x < gw; x++) {
    dst[x] = 0;
    dst[x + (gh - 1) * static_cast<size_t>(tw)] = 0;
  }

  if (scratchOverflow_) {
    // Dropped: its bitmap may be incomplete. The glyph stays known without a bitmap.
    for (int y = 0; y < gh; y++) std::memset(dst + y * static_cast<size_t>(tw), 0, gw);
    glyph->x0 = glyph->y0 = glyph->x1 = glyph->y1 = -1;
    endScratch();
    *miss = GlyphMiss::ScratchFull;
    return nullptr;
  }
  endScratch();

  if (iblur > 0) blur(dst, gw, gh, tw, iblur);

  dirtyRect_[0] = std::min(dirtyRect_[0], static_cast<int>(glyph->x0));
  dirtyRect_[1] = std::min(dirtyRect_[1], static_cast<int>(glyph->y0));
  dirtyRect_[2] = std::max(dirtyRect_[2], static_cast<int>(glyph->x1));
  dirtyRect_[3] = std::max(dirtyRect_[3], static_cast<int>(glyph->y1));
  return glyph;
}

const Glyph* Atlas::glyph(int font, unsigned int codepoint, float size, float blurValue, int bitmapOption,
                          GlyphMiss* miss) {
  GlyphMiss m = GlyphMiss::NoFont;
  const Glyph* g = nullptr;
  if (font >= 0 && font < fontCount()) {
    g = getGlyph(fonts_[font], codepoint, static_cast<int16_t>(std::clamp(size * 10.0f, 0.0f, 32767.0f)),
                 static_cast<int16_t>(std::clamp(blurValue, 0.0f, 20.0f)), bitmapOption, &m);
  }
  if (miss) *miss = m;
  return g;
}

void Atlas::getQuad(Font* font, int prevGlyphIndex, const Glyph* glyph, float scale, float spacing, float* x,
                    float* y, Quad* q) {
  const bool snap = state().pixelSnap != 0;
  if (prevGlyphIndex != -1) {
    const float adv = cachedKernAdvance(font, prevGlyphIndex, glyph->index) * scale;
    *x += adv + spacing;
  }
  // The texture rectangle is inset by one pixel of the two-pixel border.
  const float xoff = static_cast<float>(glyph->xoff + 1);
  const float yoff = static_cast<float>(glyph->yoff + 1);
  const float x0 = static_cast<float>(glyph->x0 + 1);
  const float y0 = static_cast<float>(glyph->y0 + 1);
  const float x1 = static_cast<float>(glyph->x1 - 1);
  const float y1 = static_cast<float>(glyph->y1 - 1);

  float rx = *x + xoff;
  float ry = *y + yoff;
  if (snap) {
    rx = std::trunc(rx + 0.5f);
    ry = std::trunc(ry + 0.5f);
  }
  q->x0 = rx;
  q->y0 = ry;
  q->x1 = rx + x1 - x0;
  q->y1 = ry + y1 - y0;
  q->s0 = x0 * itw_;
  q->t0 = y0 * ith_;
  q->s1 = x1 * itw_;
  q->t1 = y1 * ith_;

  const float advance = glyph->xadv / 10.0f;
  *x += snap ? std::trunc(advance + 0.5f) : advance;
}

float Atlas::vertAlign(const Font* font, int align, int16_t isize) const {
  if (align & 8) return font->ascender * isize / 10.0f;                          // top
  if (align & 16) return (font->ascender + font->descender) / 2.0f * isize / 10.0f;  // middle
  if (align & 64) return 0.0f;                                                    // baseline
  if (align & 32) return font->descender * isize / 10.0f;                          // bottom
  return 0.0f;
}

void Atlas::vertMetrics(float* ascender, float* descender, float* lineh) {
  const TextState& s = state();
  if (s.font < 0 || s.font >= fontCount()) return;
  const Font* font = fonts_[s.font];
  const int16_t isize = static_cast<int16_t>(std::clamp(s.size * 10.0f, 0.0f, 32767.0f));
  if (ascender) *ascender = font->ascender * isize / 10.0f;
  if (descender) *descender = font->descender * isize / 10.0f;
  if (lineh) *lineh = font->lineh * isize / 10.0f;
}

void Atlas::lineBounds(float y, float* miny, float* maxy) {
  const TextState& s = state();
  if (s.font < 0 || s.font >= fontCount()) return;
  const Font* font = fonts_[s.font];
  const int16_t isize = static_cast<int16_t>(std::clamp(s.size * 10.0f, 0.0f, 32767.0f));
  y += vertAlign(font, s.align, isize);
  *miny = y - font->ascender * isize / 10.0f;
  *maxy = *miny + font->lineh * isize / 10.0f;
}

float Atlas::textBounds(float x, float y, const char* str, const char* end, float* bounds) {
  const TextState& s = state();
  if (s.font < 0 || s.font >= fontCount()) return 0;
  Font* font = fonts_[s.font];
  const int16_t isize = static_cast<int16_t>(std::clamp(s.size * 10.0f, 0.0f, 32767.0f));
  const int16_t iblur = static_cast<int16_t>(std::clamp(s.blur, 0.0f, 20.0f));
  const float scale = stbtt_ScaleForMappingEmToPixels(&font->font, isize / 10.0f);
  y += vertAlign(font, s.align, isize);

  float minx = x, maxx = x, miny = y, maxy = y;
  const float startx = x;
  if (!end) end = str + std::strlen(str);
  unsigned int need = 0, cp = 0;
  int prevGlyphIndex = -1;
  for (const char* p = str; p != end; ++p) {
    bool again = false;
    if (!decodeUtf8(&need, &cp, static_cast<unsigned char>(*p), &again)) continue;
    if (again) --p;
    GlyphMiss miss;
    const Glyph* glyph = getGlyph(font, cp, isize, iblur, kGlyphBitmapOptional, &miss);
    if (glyph) {
      Quad q;
      getQuad(font, prevGlyphIndex, glyph, scale, s.spacing, &x, &y, &q);
      minx = std::min(minx, q.x0);
      maxx = std::max(maxx, q.x1);
      miny = std::min(miny, q.y0);
      maxy = std::max(maxy, q.y1);
    }
    prevGlyphIndex = glyph ? glyph->index : -1;
  }
  const float advance = x - startx;
  if (s.align & 4) {  // right
    minx -= advance;
    maxx -= advance;
  } else if (s.align & 2) {  // centre
    minx -= advance * 0.5f;
    maxx -= advance * 0.5f;
  }
  if (bounds) {
    bounds[0] = minx;
    bounds[1] = miny;
    bounds[2] = maxx;
    bounds[3] = maxy;
  }
  return advance;
}

bool Atlas::iterInit(TextIter* iter, float x, float y, const char* str, const char* end, int bitmapOption) {
  std::memset(iter, 0, sizeof(*iter));
  const TextState& s = state();
  if (s.font < 0 || s.font >= fontCount()) return false;
  iter->font = fonts_[s.font];
  iter->isize = static_cast<int16_t>(std::clamp(s.size * 10.0f, 0.0f, 32767.0f));
  iter->iblur = static_cast<int16_t>(std::clamp(s.blur, 0.0f, 20.0f));
  iter->scale = stbtt_ScaleForMappingEmToPixels(&iter->font->font, iter->isize / 10.0f);
  if (!end) end = str + std::strlen(str);

  if (s.align & 1) {
    // left: nothing
  } else if (s.align & 4) {
    x -= textBounds(x, y, str, end, nullptr);
  } else if (s.align & 2) {
    x -= textBounds(x, y, str, end, nullptr) * 0.5f;
  }
  y += vertAlign(iter->font, s.align, iter->isize);

  iter->x = iter->nextx = x;
  iter->y = iter->nexty = y;
  iter->spacing = s.spacing;
  iter->str = str;
  iter->next = str;
  iter->end = end;
  iter->prevGlyphIndex = -1;
  iter->bitmapOption = bitmapOption;
  return true;
}

bool Atlas::iterNext(TextIter* iter, Quad* q) {
  const char* str = iter->next;
  iter->str = iter->next;
  iter->hasQuad = false;
  iter->miss = GlyphMiss::None;
  if (str == iter->end) return false;
  for (; str != iter->end; str++) {
    bool again = false;
    if (!decodeUtf8(&iter->utf8need, &iter->codepoint, static_cast<unsigned char>(*str), &again)) continue;
    if (!again) str++;
    iter->x = iter->nextx;
    iter->y = iter->nexty;
    GlyphMiss miss;
    const Glyph* glyph = getGlyph(iter->font, iter->codepoint, iter->isize, iter->iblur, iter->bitmapOption, &miss);
    if (glyph) {
      getQuad(iter->font, iter->prevGlyphIndex, glyph, iter->scale, iter->spacing, &iter->nextx, &iter->nexty, q);
      iter->hasQuad = true;
    }
    iter->miss = miss;
    iter->prevGlyphIndex = glyph ? glyph->index : -1;
    iter->next = str;
    return true;
  }
  // The string ended inside a sequence.
  iter->next = str;
  iter->utf8need = 0;
  return false;
}

}  // namespace qorn
