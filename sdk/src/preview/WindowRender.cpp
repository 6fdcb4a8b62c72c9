#include "preview/WindowRender.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>

#include "foundation/Helpers.h"
#include "foundation/Logger.h"

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace ostrel::sdk::render {

namespace {

// Display = zoomed frame plus an 80-pixel column: 5-pixel gap, 15-pixel bar from y 30 to
// height - 30, read-outs 30 pixels high at the top and the bottom of the column.
constexpr ModelEntry kModels[] = {
    {160, 120, 400, 240, 2, {0, 0, 320, 240}, {325, 210, 400, 240}, {325, 30, 340, 210}, {325, 0, 400, 30}},
    {320, 240, 400, 240, 1, {0, 0, 320, 240}, {325, 210, 400, 240}, {325, 30, 340, 210}, {325, 0, 400, 30}},
    {384, 288, 448, 288, 1, {0, 0, 384, 288}, {389, 258, 448, 288}, {389, 30, 404, 258}, {389, 0, 448, 30}},
    {640, 480, 720, 480, 1, {0, 0, 640, 480}, {645, 450, 720, 480}, {645, 30, 660, 450}, {645, 0, 720, 30}},
    {640, 512, 720, 512, 1, {0, 0, 640, 512}, {645, 482, 720, 512}, {645, 30, 660, 482}, {645, 0, 720, 30}},
    {1024, 768, 1104, 768, 1, {0, 0, 1024, 768}, {1029, 738, 1104, 768}, {1029, 30, 1044, 738}, {1029, 0, 1104, 30}},
    {1280, 1024, 1360, 1024, 1, {0, 0, 1280, 1024}, {1285, 994, 1360, 1024}, {1285, 30, 1300, 994}, {1285, 0, 1360, 30}},
    {384, 144, 848, 288, 2, {0, 0, 768, 288}, {773, 258, 848, 288}, {773, 30, 788, 258}, {773, 0, 848, 30}},
};

constexpr uint32_t kGrey = 0xFF808080u;  // B, G, R = 128, opaque
constexpr float kFontPixels = 20.0f;     // read-out em size in display pixels

// The read-out face, loaded once; glyph bitmaps of ASCII characters are cached on first use.
struct Glyph {
  bool ready = false;
  int x0 = 0, y0 = 0, width = 0, height = 0, advance = 0;
  std::vector<uint8_t> alpha;
};

struct FontState {
  std::vector<unsigned char> file;
  stbtt_fontinfo info{};
  bool loaded = false;
  float scale = 0;
  int ascent = 0;
  Glyph glyphs[128];
};

std::mutex g_drawLock;
std::mutex g_fontLock;  // guards the font state and its glyph cache
FontState g_font;

const char* const kFontFiles[] = {
    "/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
};

bool loadFontLocked() {
  if (g_font.loaded) return true;
  for (const char* path : kFontFiles) {
    FILE* f = fopenUtf8(path, "rb");
    if (!f) continue;
    std::vector<unsigned char> bytes;
    unsigned char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
    fclose(f);
    if (bytes.empty() || !stbtt_InitFont(&g_font.info, bytes.data(), stbtt_GetFontOffsetForIndex(bytes.data(), 0)))
      continue;
    g_font.file = std::move(bytes);
    // stbtt_fontinfo points into the file bytes: initialise again on the moved buffer.
    stbtt_InitFont(&g_font.info, g_font.file.data(), stbtt_GetFontOffsetForIndex(g_font.file.data(), 0));
    g_font.scale = stbtt_ScaleForMappingEmToPixels(&g_font.info, kFontPixels);
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&g_font.info, &ascent, &descent, &gap);
    g_font.ascent = static_cast<int>(std::lround(ascent * g_font.scale));
    g_font.loaded = true;
    return true;
  }
  return false;
}

const Glyph& glyphLocked(unsigned char c) {
  Glyph& g = g_font.glyphs[c & 0x7F];
  if (g.ready) return g;
  int advance = 0, bearing = 0;
  stbtt_GetCodepointHMetrics(&g_font.info, c, &advance, &bearing);
  g.advance = static_cast<int>(std::lround(advance * g_font.scale));
  int x0, y0, x1, y1;
  stbtt_GetCodepointBitmapBox(&g_font.info, c, g_font.scale, g_font.scale, &x0, &y0, &x1, &y1);
  g.x0 = x0;
  g.y0 = y0;
  g.width = std::max(0, x1 - x0);
  g.height = std::max(0, y1 - y0);
  g.alpha.assign(static_cast<size_t>(g.width) * g.height, 0);
  if (g.width > 0 && g.height > 0)
    stbtt_MakeCodepointBitmap(&g_font.info, g.alpha.data(), g.width, g.height, g.width, g_font.scale, g_font.scale, c);
  g.ready = true;
  return g;
}

// Draws src (srcW x srcH) into dst's rectangle with linear interpolation between pixel centres
// and clamped edges; an equal-size rectangle is an exact copy.
void drawBitmap(uint32_t* dst, int dstW, int dstH, const Rect& rect, const uint32_t* src, int srcW, int srcH) {
  const int rw = rect.width(), rh = rect.height();
  if (rw <= 0 || rh <= 0 || srcW <= 0 || srcH <= 0) return;
  if (rw == srcW && rh == srcH) {
    for (int y = 0; y < rh; ++y) {
      int dy = rect.top + y;
      if (dy < 0 || dy >= dstH) continue;
      int x0 = std::max(0, rect.left), x1 = std::min(dstW, rect.right);
      if (x1 > x0)
        std::memcpy(dst + static_cast<size_t>(dy) * dstW + x0, src + static_cast<size_t>(y) * srcW + (x0 - rect.left),
                    static_cast<size_t>(x1 - x0) * 4);
    }
    return;
  }
  const double sx = static_cast<double>(srcW) / rw, sy = static_cast<double>(srcH) / rh;
  for (int y = 0; y < rh; ++y) {
    int dy = rect.top + y;
    if (dy < 0 || dy >= dstH) continue;
    double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, static_cast<double>(srcH - 1));
    int y0 = static_cast<int>(fy);
    int y1 = std::min(y0 + 1, srcH - 1);
    double wy = fy - y0;
    for (int x = 0; x < rw; ++x) {
      int dx = rect.left + x;
      if (dx < 0 || dx >= dstW) continue;
      double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, static_cast<double>(srcW - 1));
      int x0 = static_cast<int>(fx);
      int x1 = std::min(x0 + 1, srcW - 1);
      double wx = fx - x0;
      uint32_t p00 = src[static_cast<size_t>(y0) * srcW + x0], p01 = src[static_cast<size_t>(y0) * srcW + x1];
      uint32_t p10 = src[static_cast<size_t>(y1) * srcW + x0], p11 = src[static_cast<size_t>(y1) * srcW + x1];
      uint32_t out = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        double a = ((p00 >> shift) & 0xFF) * (1 - wx) + ((p01 >> shift) & 0xFF) * wx;
        double b = ((p10 >> shift) & 0xFF) * (1 - wx) + ((p11 >> shift) & 0xFF) * wx;
        out |= static_cast<uint32_t>(std::lround(a * (1 - wy) + b * wy)) << shift;
      }
      dst[static_cast<size_t>(dy) * dstW + dx] = out;
    }
  }
}

// X11 errors on our own connections (a window closed under a running preview) must not end
// the host program: they are swallowed; errors of other connections go to the previous handler.
std::mutex g_displayLock;
std::set<Display*> g_displays;  // guarded by g_displayLock
XErrorHandler g_previousHandler = nullptr;
bool g_handlerInstalled = false;

int onXError(Display* display, XErrorEvent* event) {
  {
    std::lock_guard<std::mutex> lk(g_displayLock);
    if (g_displays.count(display)) return 0;
  }
  return g_previousHandler ? g_previousHandler(display, event) : 0;
}

}  // namespace

class X11Presenter {
 public:
  static X11Presenter* open(unsigned long window, int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
      OSTREL_LOG_AS("Direct2D_Temp", "cannot open the X display for window 0x%lx", window);
      return nullptr;
    }
    {
      std::lock_guard<std::mutex> lk(g_displayLock);
      g_displays.insert(display);
      if (!g_handlerInstalled) {
        g_previousHandler = XSetErrorHandler(onXError);
        g_handlerInstalled = true;
      }
    }
    auto p = std::make_unique<X11Presenter>();
    p->display_ = display;
    p->window_ = window;
    XWindowAttributes attrs{};
    if (!XGetWindowAttributes(display, static_cast<Window>(window), &attrs) || !attrs.visual ||
        attrs.visual->c_class != TrueColor || attrs.visual->red_mask != 0xFF0000 ||
        attrs.visual->green_mask != 0xFF00 || attrs.visual->blue_mask != 0xFF || (attrs.depth != 24 && attrs.depth != 32)) {
      OSTREL_LOG_AS("Direct2D_Temp", "window 0x%lx is missing or not a 24/32-bit true-colour window", window);
      return nullptr;  // the destructor closes the connection
    }
    p->gc_ = XCreateGC(display, static_cast<Window>(window), 0, nullptr);
    p->image_ = XCreateImage(display, attrs.visual, static_cast<unsigned>(attrs.depth), ZPixmap, 0, nullptr,
                             static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
    if (!p->gc_ || !p->image_) return nullptr;
    return p.release();
  }

  ~X11Presenter() {
    if (image_) {
      image_->data = nullptr;  // the pixels belong to the renderer
      XDestroyImage(image_);
    }
    if (gc_) XFreeGC(display_, gc_);
    if (display_) {
      XSync(display_, False);
      {
        std::lock_guard<std::mutex> lk(g_displayLock);
        g_displays.erase(display_);
      }
      XCloseDisplay(display_);
    }
  }

  void present(uint32_t* pixels) {
    image_->data = reinterpret_cast<char*>(pixels);
    XPutImage(display_, static_cast<Window>(window_), gc_, image_, 0, 0, 0, 0, static_cast<unsigned>(image_->width),
              static_cast<unsigned>(image_->height));
    XFlush(display_);
    image_->data = nullptr;
  }

  void invalidate() {
    XClearArea(display_, static_cast<Window>(window_), 0, 0, 0, 0, True);
    XFlush(display_);
  }

  X11Presenter() = default;

 private:
  Display* display_ = nullptr;
  unsigned long window_ = 0;
  GC gc_ = nullptr;
  XImage* image_ = nullptr;
};

const ModelEntry* findModel(int frameWidth, int frameHeight) {
  for (const auto& m : kModels)
    if (m.frameWidth == frameWidth && m.frameHeight == frameHeight) return &m;
  return nullptr;
}

int renderInit() {
  std::lock_guard<std::mutex> lk(g_fontLock);
  if (!loadFontLocked()) OSTREL_LOG_AS("Direct2D_Temp", "no read-out font found, read-outs are left out");
  return 0;
}

void renderFree() {}

std::mutex& drawLock() { return g_drawLock; }

int drawText(uint32_t* image, int imageWidth, int imageHeight, const Rect& rect, const char* text, size_t length) {
  std::lock_guard<std::mutex> lk(g_fontLock);
  if (!loadFontLocked()) return 0;
  const int baseline = rect.top + g_font.ascent;
  int penX = rect.left;
  int drawn = 0;
  const int clipL = std::max(0, rect.left), clipR = std::min(imageWidth, rect.right);
  const int clipT = std::max(0, rect.top), clipB = std::min(imageHeight, rect.bottom);
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 128) c = '?';
    const Glyph& g = glyphLocked(c);
    for (int gy = 0; gy < g.height; ++gy) {
      int y = baseline + g.y0 + gy;
      if (y < clipT || y >= clipB) continue;
      for (int gx = 0; gx < g.width; ++gx) {
        int x = penX + g.x0 + gx;
        if (x < clipL || x >= clipR) continue;
        unsigned a = g.alpha[static_cast<size_t>(gy) * g.width + gx];
        if (!a) continue;
        uint32_t& px = image[static_cast<size_t>(y) * imageWidth + x];
        uint32_t out = px & 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)  // black text: blend each colour toward 0
          out |= ((((px >> shift) & 0xFF) * (255 - a) + 127) / 255) << shift;
        px = out;
      }
    }
    if (g.width > 0) ++drawn;
    penX += g.advance;
    if (i + 1 < length)
      penX += static_cast<int>(std::lround(
          g_font.scale * stbtt_GetCodepointKernAdvance(&g_font.info, c, static_cast<unsigned char>(text[i + 1]))));
  }
  return drawn;
}

int tempCreate(TempRenderer* r, int frameWidth, int frameHeight, unsigned long window) {
  const ModelEntry* entry = findModel(frameWidth, frameHeight);
  if (!entry) return -2;
  r->entry = entry;
  r->window = window;
  r->display.assign(static_cast<size_t>(entry->displayWidth) * entry->displayHeight, kGrey);
  if (window) {
    r->presenter = X11Presenter::open(window, entry->displayWidth, entry->displayHeight);
    if (!r->presenter) {
      r->entry = nullptr;
      r->display.clear();
      return -1;
    }
  }
  return 0;
}

void tempCompose(TempRenderer* r, const uint32_t* image, const FrameStats* stats) {
  const ModelEntry* e = r->entry;
  if (!e || !image) return;
  std::fill(r->display.begin(), r->display.end(), kGrey);
  drawBitmap(r->display.data(), e->displayWidth, e->displayHeight, e->frame, image, e->frameWidth, e->frameHeight);
  drawBitmap(r->display.data(), e->displayWidth, e->displayHeight, e->bar, r->barColours, 1, 256);
  if (stats) {
    char text[32];
    int n = safeSnprintf(text, sizeof text, "%6.1f\n%6.1f", static_cast<double>(stats->min),
                         static_cast<double>(stats->max));
    if (n > 0) {
      const char* newline = static_cast<const char*>(std::memchr(text, '\n', sizeof text));
      size_t minLen = newline ? static_cast<size_t>(newline - text) : std::strlen(text);
      drawText(r->display.data(), e->displayWidth, e->displayHeight, e->minText, text, std::min<size_t>(minLen, 6));
      if (newline) {
        const char* maxText = newline + 1;
        drawText(r->display.data(), e->displayWidth, e->displayHeight, e->maxText, maxText,
                 std::min<size_t>(std::strlen(maxText), 6));
      }
    }
  }
}

void tempUpdate(TempRenderer* r, const uint32_t* image, const FrameStats* stats) {
  std::lock_guard<std::mutex> lk(g_drawLock);
  tempCompose(r, image, stats);
  if (r->presenter) r->presenter->present(r->display.data());
}

void tempSetPalette(TempRenderer* r, const uint32_t* colours) {
  if (!r->entry || !colours) return;
  std::lock_guard<std::mutex> lk(g_drawLock);  // never under a running draw
  for (int i = 0; i < 256; ++i) r->barColours[i] = colours[255 - i];
}

void tempRelease(TempRenderer* r) {
  std::lock_guard<std::mutex> lk(g_drawLock);
  if (r->presenter) {
    r->presenter->invalidate();
    delete r->presenter;
    r->presenter = nullptr;
  }
  r->entry = nullptr;
  r->display.clear();
  r->display.shrink_to_fit();
}

int videoCreate(VideoRenderer* r, int width, int height, unsigned long window) {
  if (width <= 0 || height <= 0) return -8;
  r->width = width;
  r->height = height;
  r->window = window;
  if (window) {
    r->presenter = X11Presenter::open(window, width, height);
    if (!r->presenter) return -1;
  }
  return 0;
}

void videoUpdate(VideoRenderer* r, const uint32_t* image) {
  if (!r->presenter || !image) return;
  std::lock_guard<std::mutex> lk(g_drawLock);
  // The picture is already in the display's size and pixel layout: it is shown in place, and
  // the X library only reads it.
  r->presenter->present(const_cast<uint32_t*>(image));
}

void videoRelease(VideoRenderer* r) {
  std::lock_guard<std::mutex> lk(g_drawLock);
  delete r->presenter;
  r->presenter = nullptr;
}

namespace {
struct PngSink {
  uint8_t* data;
  size_t capacity;
  size_t length;
  bool overflow;
};
void pngWrite(void* context, void* bytes, int size) {
  auto* sink = static_cast<PngSink*>(context);
  if (size < 0 || sink->overflow || sink->length + static_cast<size_t>(size) > sink->capacity) {
    sink->overflow = true;
    return;
  }
  std::memcpy(sink->data + sink->length, bytes, static_cast<size_t>(size));
  sink->length += static_cast<size_t>(size);
}
}  // namespace

int saveBgra(const uint32_t* pixels, int width, int height, uint8_t* scratch, size_t scratchSize, const char* path) {
  if (!pixels || width <= 0 || height <= 0 || !scratch || !path) return -1;
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  if (count > 0x1000000u) return -1;
  std::vector<uint8_t> rgba(count * 4);
  for (size_t i = 0; i < count; ++i) {
    uint32_t p = pixels[i];
    rgba[4 * i + 0] = static_cast<uint8_t>(p >> 16);
    rgba[4 * i + 1] = static_cast<uint8_t>(p >> 8);
    rgba[4 * i + 2] = static_cast<uint8_t>(p);
    rgba[4 * i + 3] = static_cast<uint8_t>(p >> 24);
  }
  PngSink sink{scratch, scratchSize, 0, false};
  if (!stbi_write_png_to_func(pngWrite, &sink, width, height, 4, rgba.data(), width * 4) || sink.overflow) return -1;
  FILE* f = fopenUtf8(path, "wb");
  if (!f) return -1;
  size_t put = fwrite(scratch, 1, sink.length, f);
  int closed = fclose(f);
  return (put == sink.length && closed == 0) ? 0 : -1;
}

}  // namespace ostrel::sdk::render
