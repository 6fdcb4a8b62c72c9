// A real X11 window: what the renderer shows is read back with XGetImage and must equal the
// composition in memory.
// gtest and our headers come before Xlib, whose macros (None, Bool, Status) clash with them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include "preview/WindowRender.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace ostrel::sdk::render;

TEST(WindowX11, ShownPixelsEqualTheComposition) {
  Display* dpy = XOpenDisplay(nullptr);
  ASSERT_NE(dpy, nullptr) << "needs an X server (run under xvfb-run)";
  int screen = DefaultScreen(dpy);
  Window win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, 448, 288, 0, 0, 0);
  XMapWindow(dpy, win);
  XSync(dpy, False);

  TempRenderer r;
  ASSERT_EQ(tempCreate(&r, 384, 288, win), 0);
  std::vector<uint32_t> palette(256);
  for (int i = 0; i < 256; ++i) palette[i] = 0xFF000000u | (i << 16) | (255 - i);
  tempSetPalette(&r, palette.data());
  std::vector<uint32_t> frame(384 * 288);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = 0xFF000000u | static_cast<uint32_t>(i * 40503u & 0xFFFFFF);
  FrameStats stats{};
  stats.min = 21.5f;
  stats.max = 80.25f;
  tempUpdate(&r, frame.data(), &stats);

  // The renderer draws on its own X connection: the picture reaches the server some time after
  // its flush, so read back until it is there (or a deadline passes).
  int mismatches = -1;
  for (int attempt = 0; attempt < 100 && mismatches != 0; ++attempt) {
    if (attempt) usleep(20000);
    XSync(dpy, False);
    XImage* img = XGetImage(dpy, win, 0, 0, 448, 288, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    mismatches = 0;
    for (int y = 0; y < 288; ++y)
      for (int x = 0; x < 448; ++x) {
        uint32_t shown = static_cast<uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFF;
        uint32_t composed = r.display[static_cast<size_t>(y) * 448 + x] & 0xFFFFFF;
        if (shown != composed) ++mismatches;
      }
    XDestroyImage(img);
  }
  EXPECT_EQ(mismatches, 0);

  tempRelease(&r);
  // A window that went away under a renderer must not end the program.
  TempRenderer gone;
  XDestroyWindow(dpy, win);
  XSync(dpy, False);
  EXPECT_EQ(tempCreate(&gone, 384, 288, win), -1);
  XCloseDisplay(dpy);
}
