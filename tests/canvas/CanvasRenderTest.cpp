// The canvas drawn into a real window and read back: frame colours where the view mapping puts
// them, the item's outline colour and the red marker on the hottest pixel.
#include "GpuSupport.h"

using namespace canvastest;

namespace {

constexpr uint32_t kCold = 0x000000FFu;  // blue, alpha 0 as the palette table leaves it
constexpr uint32_t kHot = 0x00FFFF00u;   // yellow

bool near(QColor c, QColor want, int tol = 40) {
  return std::abs(c.red() - want.red()) <= tol && std::abs(c.green() - want.green()) <= tol &&
         std::abs(c.blue() - want.blue()) <= tol;
}

// Whether some pixel within r of (x, y) has the colour.
bool anyNear(const QImage &img, int x, int y, int r, QColor want) {
  for (int dy = -r; dy <= r; ++dy)
    for (int dx = -r; dx <= r; ++dx) {
      const int px = x + dx, py = y + dy;
      if (px >= 0 && py >= 0 && px < img.width() && py < img.height() && near(img.pixelColor(px, py), want))
        return true;
    }
  return false;
}

TEST(CanvasRender, FrameItemOutlineAndHottestMarker) {
  TempCanvasManager manager;
  // 200 x 150 in 500 x 300: the height fills, scale 2, the image spans x 50..450.
  CanvasWindow w(500, 300);
  TempCanvas &c = *w.canvas;
  ASSERT_EQ(c.beginUpdate(200, 150), 0);
  ASSERT_DOUBLE_EQ(c.scale(), 2.0);
  ASSERT_DOUBLE_EQ(c.viewLeft(), 50.0);
  ProducerFrame f(200, 150);
  f.fill(20, kCold);
  f.disc(100, 75, 30, 50, kHot);
  ASSERT_EQ(c.updateData(f.handle()), 0);
  MeaItem d = makeDef(9, {{20, 20}, {180, 130}}, 0xFF00FF00u);
  d.reserved84 = 1;  // no statistics label over the picture
  d.meaFlags = 1;    // mark the hottest pixel
  TempCanvasItemBase *rect = c.createItem(&d);
  ASSERT_NE(rect, nullptr);
  ASSERT_FLOAT_EQ(rect->result.max, 50.0f);
  ASSERT_TRUE(w.show());
  const QImage img = w.window.grabWindow();
  ASSERT_FALSE(img.isNull());
  const qreal dpr = img.devicePixelRatio();
  auto at = [&](double x, double y) { return img.pixelColor(int(x * dpr), int(y * dpr)); };

  // Image pixel (x, y) covers view (50 + 2x .. 52 + 2x, 2y .. 2y + 2); sample pixel centres.
  EXPECT_TRUE(near(at(50 + 2 * 100 + 1, 2 * 75 + 1), Qt::yellow)) << at(251, 151).name().toStdString();
  EXPECT_TRUE(near(at(50 + 2 * 10 + 1, 2 * 10 + 1), Qt::blue)) << at(71, 21).name().toStdString();
  EXPECT_TRUE(near(at(50 + 2 * 190 + 1, 2 * 140 + 1), Qt::blue));
  // Letterbox left and right of the image: the canvas's clear colour (black).
  EXPECT_TRUE(near(at(20, 150), Qt::black)) << at(20, 150).name().toStdString();
  EXPECT_TRUE(near(at(480, 150), Qt::black));
  // Outside the canvas: the window.
  EXPECT_TRUE(near(at(520, 320), Qt::white));

  // The outline: left edge at view x 90, right at 410 (+1 for the inclusive corner pixel).
  EXPECT_TRUE(anyNear(img, int(90 * dpr), int(100 * dpr), int(2 * dpr), Qt::green));
  EXPECT_TRUE(anyNear(img, int(411 * dpr), int(100 * dpr), int(2 * dpr), Qt::green));
  EXPECT_TRUE(anyNear(img, int(250 * dpr), int(40 * dpr), int(2 * dpr), Qt::green));
  EXPECT_FALSE(anyNear(img, int(70 * dpr), int(100 * dpr), 2, Qt::green));

  // The hottest pixel lies in the disc; its marker points at it from above, filled red.
  const int mx = rect->result.maxX, my = rect->result.maxY;
  ASSERT_TRUE(ProducerFrame::inDisc(mx, my, 100, 75, 30));
  const double vx = 50 + 2 * mx, vy = 2 * my;
  EXPECT_TRUE(anyNear(img, int(vx * dpr), int((vy - 5) * dpr), int(dpr), Qt::red))
      << at(vx, vy - 5).name().toStdString() << " at " << vx << "," << vy - 5;

  // Hiding every item leaves the frame alone.
  manager.setHideAll(true);
  const QImage hidden = w.window.grabWindow();
  EXPECT_FALSE(anyNear(hidden, int(90 * dpr), int(100 * dpr), int(2 * dpr), Qt::green));
  EXPECT_TRUE(near(hidden.pixelColor(int(71 * dpr), int(21 * dpr)), Qt::blue));
}

TEST(CanvasRender, EndedCanvasDrawsNoFrameAndANewSizeTakesANewTexture) {
  CanvasWindow w(400, 300);
  TempCanvas &c = *w.canvas;
  ASSERT_EQ(c.beginUpdate(40, 30), 0);
  ProducerFrame f(40, 30);
  f.fill(30, 0x0000FF00u);
  ASSERT_EQ(c.updateData(f.handle()), 0);
  ASSERT_TRUE(w.show());
  QImage img = w.window.grabWindow();
  EXPECT_TRUE(near(img.pixelColor(img.width() / 2 - 20, img.height() / 2 - 20), Qt::green));
  c.endUpdate();
  img = w.window.grabWindow();
  EXPECT_TRUE(near(img.pixelColor(200, 150), Qt::black)) << img.pixelColor(200, 150).name().toStdString();
  ASSERT_EQ(c.beginUpdate(80, 60), 0);
  ProducerFrame g(80, 60);
  g.fill(30, 0x00FF0000u);
  ASSERT_EQ(c.updateData(g.handle()), 0);
  img = w.window.grabWindow();
  const qreal dpr = img.devicePixelRatio();
  EXPECT_TRUE(near(img.pixelColor(int(200 * dpr), int(150 * dpr)), Qt::red));
  // The information text shows in the bottom-right corner on the dark label background.
  c.setInfoText(QStringLiteral("INFO"));
  c.setInfoVisible(true);
  img = w.window.grabWindow();
  bool cyan = false;
  for (int y = int(250 * dpr); y < int(300 * dpr) && !cyan; ++y)
    for (int x = int(330 * dpr); x < int(400 * dpr) && !cyan; ++x) cyan = near(img.pixelColor(x, y), Qt::cyan, 60);
  EXPECT_TRUE(cyan);
}

}  // namespace
