// The SDK's own drawing of preview frames into a caller's window: a software raster into a BGRA
// display image (zoomed frame, palette bar, minimum and maximum read-outs), shown in an X11
// window whose id stands where the window handle stands, and PNG snapshots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "OstrelSDK.h"

namespace ostrel::sdk::render {

struct Rect {
  int left, top, right, bottom;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// One camera model: frame size, display size, zoom and the four display rectangles.
struct ModelEntry {
  uint16_t frameWidth, frameHeight;
  uint16_t displayWidth, displayHeight;
  int zoom;
  Rect frame, minText, bar, maxText;
};

// First entry of the display table whose frame size matches, or null.
const ModelEntry* findModel(int frameWidth, int frameHeight);

// Process-wide renderer state: the read-out font and the drawing lock. renderInit loads the
// font (Liberation Serif, metric-compatible with the read-out face); without it the read-outs
// are left out and a line is logged. Returns 0.
int renderInit();
void renderFree();
// Every drawing and present holds this lock, so previews draw one after another.
std::mutex& drawLock();

class X11Presenter;

// Temperature window renderer, one per temperature preview.
struct TempRenderer {
  const ModelEntry* entry = nullptr;  // none without a window
  unsigned long window = 0;           // X11 window id
  std::vector<uint32_t> display;      // displayWidth x displayHeight BGRA
  uint32_t barColours[256] = {};      // palette colours from 255 down to 0: top row is hottest
  X11Presenter* presenter = nullptr;
};

// Finds the model entry for the frame size (-2 when there is none), sizes the display image and,
// for a non-zero window, connects to the X server and checks the window (-1 on failure).
int tempCreate(TempRenderer* r, int frameWidth, int frameHeight, unsigned long window);
// Composes the frame into the display image (no window needed); `image` is frameWidth x
// frameHeight BGRA of the entry's frame size.
void tempCompose(TempRenderer* r, const uint32_t* image, const FrameStats* stats);
// Composes and shows the frame, under the drawing lock.
void tempUpdate(TempRenderer* r, const uint32_t* image, const FrameStats* stats);
// Takes the 256 colours of a palette entry (B, G, R, A each); nothing without an entry.
void tempSetPalette(TempRenderer* r, const uint32_t* colours);
// Asks the window to repaint itself (the preview is gone) and releases the X11 connection.
void tempRelease(TempRenderer* r);

// Video window renderer (video, mixed and RTSP previews): the decoded picture at (0, 0) in its
// own size, which is also the window's display size.
struct VideoRenderer {
  int width = 0, height = 0;
  unsigned long window = 0;
  X11Presenter* presenter = nullptr;
};

// Sizes the renderer and, for a non-zero window, connects to the X server and checks the
// window: 0, -1 (no X connection or an unusable window), -8 (no size).
int videoCreate(VideoRenderer* r, int width, int height, unsigned long window);
// Shows a width x height BGRA picture, under the drawing lock; nothing without a window.
void videoUpdate(VideoRenderer* r, const uint32_t* image);
// Releases the X11 connection.
void videoRelease(VideoRenderer* r);

// Writes a BGRA picture as a PNG: encoded into the scratch area, then written in one piece.
// 0, or -1 on any failure (including a PNG larger than the scratch area).
int saveBgra(const uint32_t* pixels, int width, int height, uint8_t* scratch, size_t scratchSize,
             const char* path);

// Text helper, exposed for tests: draws `text` in black with the read-out font into `rect` of a
// BGRA image, clipped to the rectangle. Returns the number of glyphs drawn.
int drawText(uint32_t* image, int imageWidth, int imageHeight, const Rect& rect, const char* text, size_t length);

}  // namespace ostrel::sdk::render
