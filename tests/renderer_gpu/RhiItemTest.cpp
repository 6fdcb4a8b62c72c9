// Items drawn through RHIItemBase into a real window, read back with grabWindow(). Runs at scale
// 1 and again with QT_SCALE_FACTOR=1.5.
#include <qorn/QornInit.h>
#include <qorn/RHIItemBase.h>

#include "GpuTestMain.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QQuickItem>
#include <QQuickPaintedItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTest>

#include <atomic>
#include <cmath>

namespace {

enum class Drawing { LeftHalf, SnappedRect };

class TestItem;

class TestRenderer : public RHIItemRenderBase {
 public:
  explicit TestRenderer(TestItem *owner) : owner_(owner) {}
  void syncItem(RHIItemBase *item) override;
  void paint(QornPainter *p) override;
  void resize(float w, float h) override {
    w_ = w;
    h_ = h;
  }

 private:
  TestItem *owner_;
  Drawing drawing_ = Drawing::LeftHalf;
  QColor fill_;
  float w_ = 0, h_ = 0;
};

class TestItem : public RHIItemBase {
 public:
  explicit TestItem(QQuickItem *parent) : RHIItemBase(parent) {}
  RHIItemRenderBase *createRenderBase() override { return new TestRenderer(this); }
  Drawing drawing = Drawing::LeftHalf;
  QColor fill = Qt::red;
  std::atomic<int> paints{0};
  std::atomic<int> syncs{0};
  std::atomic<int> syncsWithoutCore{0};
};

void TestRenderer::syncItem(RHIItemBase *item) {
  auto *t = static_cast<TestItem *>(item);
  drawing_ = t->drawing;
  fill_ = t->fill;
  ++t->syncs;
  if (!painter()->core()) ++t->syncsWithoutCore;
}

void TestRenderer::paint(QornPainter *p) {
  ++owner_->paints;
  p->fillColor(qornColor(fill_));
  p->beginPath();
  if (drawing_ == Drawing::LeftHalf)
    p->rect(0, 0, w_ / 2, h_);
  else
    p->rect(10.2f, 3.9f, 10.2f, 3.9f);
  p->fill();
}

// A plain Qt Quick item drawn after ours: it must not inherit our viewport or scissor.
class GreenItem : public QQuickPaintedItem {
 public:
  explicit GreenItem(QQuickItem *parent) : QQuickPaintedItem(parent) {}
  void paint(QPainter *p) override { p->fillRect(QRectF(0, 0, width(), height()), Qt::green); }
};

struct Scene {
  QQuickWindow window;
  QQuickItem *clipParent = nullptr;
  TestItem *item = nullptr;
  TestItem *empty = nullptr;
  TestItem *snapped = nullptr;

  Scene() {
    window.setColor(Qt::white);
    window.resize(320, 240);
    clipParent = new QQuickItem(window.contentItem());
    clipParent->setPosition(QPointF(20, 30));
    clipParent->setSize(QSizeF(100, 60));
    clipParent->setClip(true);
    item = new TestItem(clipParent);
    item->setPosition(QPointF(37, 19));
    item->setSize(QSizeF(80, 50));
    item->setOpacity(0.5);
    item->setColor(QColor(0, 0, 255));
    empty = new TestItem(window.contentItem());
    empty->setPosition(QPointF(200, 150));
    empty->setSize(QSizeF(0, 40));
    empty->setColor(Qt::green);
    empty->fill = Qt::green;
    snapped = new TestItem(window.contentItem());
    snapped->setPosition(QPointF(200, 20));
    snapped->setSize(QSizeF(60, 30));
    snapped->snapMode = 2;
    snapped->drawing = Drawing::SnappedRect;
    snapped->fill = Qt::black;
    after = new GreenItem(window.contentItem());
    after->setPosition(QPointF(150, 200));
    after->setSize(QSizeF(120, 30));
    after->setZ(10);
  }
  GreenItem *after = nullptr;
};

QRgb at(const QImage &img, qreal x, qreal y, qreal d) {
  return img.pixel(int(std::floor(x * d)), int(std::floor(y * d)));
}

void expectColour(QRgb got, int r, int g, int b, int tol, const char *what) {
  EXPECT_NEAR(qRed(got), r, tol) << what;
  EXPECT_NEAR(qGreen(got), g, tol) << what;
  EXPECT_NEAR(qBlue(got), b, tol) << what;
}

class ItemGrab : public ::testing::Test {
 protected:
  void SetUp() override {
    scene_ = std::make_unique<Scene>();
    scene_->window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene_->window));
    QSGRendererInterface *ri = scene_->window.rendererInterface();
    ASSERT_NE(ri, nullptr);
    // Qt Quick's software adaptation silently draws nothing of ours: insist on a real API.
    const auto api = ri->graphicsApi();
    ASSERT_TRUE(api == QSGRendererInterface::OpenGL || api == QSGRendererInterface::Vulkan)
        << int(api);
    ASSERT_NE(ri->getResource(&scene_->window, QSGRendererInterface::RhiResource), nullptr);
    image_ = scene_->window.grabWindow();
    ASSERT_FALSE(image_.isNull());
    d_ = scene_->window.effectiveDevicePixelRatio();
  }
  std::unique_ptr<Scene> scene_;
  QImage image_;
  qreal d_ = 1;
};

TEST_F(ItemGrab, ItemDrawsAtItsScenePositionClippedByItsParentWithItsOpacity) {
  EXPECT_GT(scene_->item->paints.load(), 0);
  // Clear colour blue at half opacity over white, then red at half opacity over that.
  expectColour(at(image_, 70, 70, d_), 191, 64, 128, 3, "painted half");
  expectColour(at(image_, 110, 70, d_), 128, 128, 255, 3, "clear colour half");
  // The item reaches x 137 and y 99 in the scene; its parent clips at 120 and 90.
  expectColour(at(image_, 125, 70, d_), 255, 255, 255, 0, "right of the clip");
  expectColour(at(image_, 70, 94, d_), 255, 255, 255, 0, "below the clip");
  expectColour(at(image_, 55, 70, d_), 255, 255, 255, 0, "left of the item");
  // Edges of the item inside the clip, in device pixels: the last pixel wholly outside and the
  // first wholly inside (at ratio 1.5 the edge falls inside a pixel, which is partly covered).
  const double ex = 57 * d_, ey = 49 * d_;
  const int outX = int(std::floor(ex)) - 1, inX = int(std::ceil(ex));
  const int outY = int(std::floor(ey)) - 1, inY = int(std::ceil(ey));
  expectColour(image_.pixel(outX, inY + 10), 255, 255, 255, 0, "column before the item");
  expectColour(image_.pixel(inX, inY + 10), 191, 64, 128, 3, "first column of the item");
  expectColour(image_.pixel(inX + 10, outY), 255, 255, 255, 0, "row above the item");
  expectColour(image_.pixel(inX + 10, inY), 191, 64, 128, 3, "first row of the item");
}

TEST_F(ItemGrab, QtQuickItemsDrawnAfterOursKeepTheirOwnViewportAndScissor) {
  expectColour(at(image_, 160, 210, d_), 0, 255, 0, 0, "left part of the later item");
  expectColour(at(image_, 260, 225, d_), 0, 255, 0, 0, "right part of the later item");
}

TEST_F(ItemGrab, TheCoreExistsBeforeTheFirstSync) {
  EXPECT_GT(scene_->item->syncs.load(), 0);
  EXPECT_EQ(scene_->item->syncsWithoutCore.load(), 0);
}

TEST_F(ItemGrab, ZeroWidthItemDrawsNothing) {
  EXPECT_EQ(scene_->empty->paints.load(), 0);
  for (int y = 150; y < 190; y += 5)
    for (int x = 195; x < 205; ++x) expectColour(at(image_, x, y, d_), 255, 255, 255, 0, "empty");
}

TEST_F(ItemGrab, EdgeSnappedRectangleCoversWholeDevicePixels) {
  // The item's origin lies on whole device pixels at ratios 1 and 1.5.
  const qreal d = d_;
  const int x0 = int(std::lround(200 * d)) + int(10.2 * d);
  const int y0 = int(std::lround(20 * d)) + int(3.9 * d);
  const int w = int(10.2 * d + 0.5), h = int(3.9 * d + 0.5);
  for (int y = y0 - 1; y <= y0 + h; ++y)
    for (int x = x0 - 1; x <= x0 + w; ++x) {
      const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
      const QRgb c = image_.pixel(x, y);
      if (inside)
        EXPECT_LE(qRed(c), 1) << x << "," << y;
      else
        EXPECT_GE(qRed(c), 254) << x << "," << y;
    }
}

TEST_F(ItemGrab, ChangedColourIsDrawnOnTheNextFrame) {
  scene_->item->setColor(QColor(0, 255, 0));
  const QImage again = scene_->window.grabWindow();
  expectColour(at(again, 110, 70, d_), 128, 255, 128, 3, "new clear colour");
}

TEST_F(ItemGrab, MovingTheParentMovesTheDrawing) {
  // Only the parent changes: the item itself is not synchronised again, yet its drawing follows.
  scene_->clipParent->setX(scene_->clipParent->x() - 10);
  const QImage moved = scene_->window.grabWindow();
  expectColour(at(moved, 60, 70, d_), 191, 64, 128, 3, "painted half, moved");
  expectColour(at(moved, 100, 70, d_), 128, 128, 255, 3, "clear colour half, moved");
  expectColour(at(moved, 115, 70, d_), 255, 255, 255, 0, "right of the moved clip");
}

}  // namespace

int main(int argc, char **argv) { return runGpuTests(argc, argv); }
