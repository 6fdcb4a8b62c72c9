// A video preview drawing into a real X11 window: what the window shows, read back with
// XGetImage, is the last picture the callback received.
// gtest and our headers come before Xlib, whose macros (None, Bool, Status) clash with them.
#include "NetKit.h"
#include "VideoSim.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace vpk;

namespace {
class VideoWindow : public VideoSimFixture {};
}  // namespace

TEST_F(VideoWindow, TheWindowShowsTheLastDeliveredPicture) {
  Display* dpy = XOpenDisplay(nullptr);
  ASSERT_NE(dpy, nullptr) << "needs an X server (run under xvfb-run)";
  const int screen = DefaultScreen(dpy);
  Window win = XCreateSimpleWindow(dpy, RootWindow(dpy, screen), 0, 0, 320, 240, 0, 0, 0);
  XMapWindow(dpy, win);
  XSync(dpy, False);
  startCamera(ostrel::test::loopbackAddress(28, 70));
  c_.imageBytes = size_t{320} * 240 * 4;
  PreviewInfo info{};
  int id = start(PREVIEW_VIDEO, c_, &info, reinterpret_cast<void*>(win));
  ASSERT_GE(id, 0);
  EXPECT_EQ(info.width, 320);
  ASSERT_TRUE(c_.waitFrames(10));
  ASSERT_EQ(Ostrel_PausePreview(id, 1), 0);
  // A frame may be in flight while the pause takes hold: its callback comes after its drawing,
  // so the last callback's picture is the one shown once the frames stop.
  const std::vector<uint8_t> last = c_.frames().back().image;
  int mismatches = -1;
  for (int attempt = 0; attempt < 200 && mismatches != 0; ++attempt) {
    if (attempt) {
      // The preview draws on its own X connection: wait for the server to catch up, or for a
      // frame that was still on its way.
      XSync(dpy, False);
      std::unique_lock<std::mutex> lk(c_.mutex);
      c_.cv.wait_for(lk, std::chrono::milliseconds(20));
    }
    const std::vector<uint8_t> want = c_.frames().back().image;
    XImage* img = XGetImage(dpy, win, 0, 0, 320, 240, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    mismatches = 0;
    for (int y = 0; y < 240; ++y)
      for (int x = 0; x < 320; ++x) {
        const uint32_t shown = static_cast<uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFF;
        const uint8_t* p = &want[(static_cast<size_t>(y) * 320 + x) * 4];
        if (shown != (uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0])) ++mismatches;
      }
    XDestroyImage(img);
  }
  EXPECT_EQ(mismatches, 0);
  int n;
  bool square;
  EXPECT_TRUE(readSquares(reinterpret_cast<const uint32_t*>(last.data()), 320, &n, &square));
  EXPECT_EQ(Ostrel_StopPreview(id), 0);
  XDestroyWindow(dpy, win);
  XCloseDisplay(dpy);
}
