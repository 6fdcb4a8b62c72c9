// Glyph atlas: fonts, the glyph cache, the single-channel atlas texture packed by a skyline,
// blur, the text state stack, glyph quads, the text iterator and text bounds. Coordinates have
// their origin at the top left with y growing downwards. Sizes here are in atlas pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "Skyline.h"

namespace qorn {

enum GlyphBitmap { kGlyphBitmapOptional = 1, kGlyphBitmapRequired = 2 };
enum AtlasErrorCode { kAtlasFull = 1, kAtlasScratchFull = 2 };
// Why a glyph could not be made.
enum class GlyphMiss { None, TooSmall, AtlasFull, TooLarge, ScratchFull, NoFont };

struct Glyph {
  unsigned int codepoint;
  int next;    // next glyph of the same hash chain, -1 at the end
  int index;   // glyph index in the font
  int16_t size;  // size x 10
  int16_t blur;
  int16_t x0, y0, x1, y1;  // rectangle in the atlas; -1 when no bitmap was made
  int16_t xadv;            // advance x 10
  int16_t xoff, yoff;      // bitmap offset from the pen position
};

struct Quad {
  float x0, y0, s0, t0;
  float x1, y1, s1, t1;
};

// Seven fields in this order: font, alignment, pixel snap, size, colour, blur, spacing.
struct TextState {
  int font;
  int align;
  int pixelSnap;
  float size;
  unsigned int color;
  float blur;
  float spacing;
};

struct Font;

struct TextIter {
  float x, y, nextx, nexty, scale, spacing;
  unsigned int codepoint;
  int16_t isize, iblur;
  Font* font;
  int prevGlyphIndex;
  const char* str;
  const char* next;
  const char* end;
  unsigned int utf8state;
  unsigned int utf8need;
  int bitmapOption;
  bool hasQuad;   // the last step produced a quad
  GlyphMiss miss; // why the last step produced none
};

class Atlas {
public:
  // A width x height atlas with the 2 x 2 block of full coverage reserved; null when out of memory.
  static Atlas* create(int width, int height);
  ~Atlas();
  Atlas(const Atlas&) = delete;
  Atlas& operator=(const Atlas&) = delete;

  // Font id, or -1 when the data is not a readable font. A collection uses its first face.
  int addFont(const char* name, unsigned char* data, int dataSize, int freeData);
  int findFont(const char* name) const;
  bool addFallbackFont(int base, int fallback);
  int fontCount() const { return static_cast<int>(fonts_.size()); }

  TextState& state() { return states_[nstates_ - 1]; }
  void pushState();
  void popState();
  void clearState();

  // Top and bottom of a line at baseline y for the current state.
  void lineBounds(float y, float* miny, float* maxy);
  // Ascender, descender and line height of the current font at the current size.
  void vertMetrics(float* ascender, float* descender, float* lineh);
  // Measures without rasterising. Returns the advance; bounds (may be null) = xmin, ymin, xmax, ymax.
  float textBounds(float x, float y, const char* str, const char* end, float* bounds);

  bool iterInit(TextIter* iter, float x, float y, const char* str, const char* end, int bitmapOption);
  // One code point per call: false at the end. iter->hasQuad says whether q was filled.
  bool iterNext(TextIter* iter, Quad* q);

  // Empties the atlas at a new size: all cached glyphs of all fonts are dropped.
  bool reset(int width, int height);
  // The dirty rectangle (x0, y0, x1, y1) since the last call; false when nothing changed.
  bool validateTexture(int* dirty);
  const unsigned char* textureData(int* width, int* height) const;
  int width() const { return skyline_.width(); }
  int height() const { return skyline_.height(); }

  void setErrorCallback(void (*cb)(void* uptr, int error, int val), void* uptr) {
    errorCb_ = cb;
    errorUptr_ = uptr;
  }

  // Per-glyph scratch memory of the rasteriser.
  void* scratchAlloc(size_t size);

  // Exposed for tests: the glyph for a code point of a font at a size (atlas pixels).
  const Glyph* glyph(int font, unsigned int codepoint, float size, float blur, int bitmapOption,
                     GlyphMiss* miss = nullptr);

private:
  Atlas(int width, int height);
  Glyph* getGlyph(Font* font, unsigned int codepoint, int16_t isize, int16_t iblur, int bitmapOption,
                  GlyphMiss* miss);
  void getQuad(Font* font, int prevGlyphIndex, const Glyph* glyph, float scale, float spacing, float* x,
               float* y, Quad* q);
  float vertAlign(const Font* font, int align, int16_t isize) const;
  void addWhiteRect(int w, int h);
  void endScratch();

  std::vector<Font*> fonts_;
  std::vector<unsigned char> texData_;
  Skyline skyline_;
  int dirtyRect_[4];
  float itw_, ith_;
  TextState states_[20];
  int nstates_ = 0;
  std::vector<unsigned char> scratch_;
  size_t nscratch_ = 0;
  bool scratchOverflow_ = false;
  std::vector<void*> overflowBlocks_;
  void (*errorCb_)(void*, int, int) = nullptr;
  void* errorUptr_ = nullptr;
};

}  // namespace qorn
