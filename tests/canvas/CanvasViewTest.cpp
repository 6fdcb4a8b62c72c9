// Coordinate mapping, zoom, pan, state codes and the frame copy of the canvas, offscreen.
#include "CanvasSupport.h"

#include <QSignalSpy>

#include <limits>

using namespace canvastest;

namespace {

class CanvasView : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas.setSize(QSizeF(1000, 500));
    ASSERT_EQ(canvas.beginUpdate(640, 480), 0);
  }
  TempCanvasManager manager;
  ProbeCanvas canvas;
};

TEST_F(CanvasView, FitsImageIntoViewKeepingAspect) {
  // 640 x 480 is 4:3; the 2:1 view is wider, so the height fills: 500 * 4 / 3 = 666.67 wide.
  EXPECT_NEAR(canvas.viewLeft(), 500 - 666.6667 / 2, 1e-3);
  EXPECT_NEAR(canvas.viewRight(), 500 + 666.6667 / 2, 1e-3);
  EXPECT_DOUBLE_EQ(canvas.viewTop(), 0);
  EXPECT_DOUBLE_EQ(canvas.viewBottom(), 500);
  EXPECT_NEAR(canvas.scale(), 500.0 / 480.0, 1e-9);
  EXPECT_EQ(canvas.activeScalePercent(), 104);
  EXPECT_NEAR(canvas.visibleRect().width(), 666.6667, 1e-3);
  EXPECT_NEAR(canvas.sourceRect().right(), 640, 1e-9);
  EXPECT_NEAR(canvas.sourceRect().bottom(), 480, 1e-9);
}

TEST_F(CanvasView, LookupTablesTruncateAndClampAtTheEdges) {
  const double left = canvas.viewLeft();
  // Left of the image and beyond its width: the view edges.
  EXPECT_EQ(TempCanvas::lookup(canvas.imageToViewX, -5), int(left));
  EXPECT_EQ(TempCanvas::lookup(canvas.imageToViewX, 640), int(canvas.viewRight()));
  EXPECT_EQ(TempCanvas::lookup(canvas.imageToViewX, 30000), 833);
  // 100 * 1.0416667 + 166.67 = 270.83
  EXPECT_EQ(TempCanvas::lookup(canvas.imageToViewX, 100), 270);
  // View to image: 0.96 * (310 - 166.67) = 137.6
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageX, 310), 137);
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageX, 100), 0);
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageX, 900), 639);
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageY, 499), 479);
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageY, 5000), 479);
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageY, -3), 0);
  // Indexes beyond the table's range take its ends.
  EXPECT_EQ(TempCanvas::lookup(canvas.viewToImageX, 1 << 20), 639);
  EXPECT_EQ(TempCanvas::lookup(canvas.imageToViewX, -(1 << 20)), int(left));
}

TEST_F(CanvasView, WheelZoomKeepsTheImagePointUnderTheCursor) {
  const QPointF cursor(400, 300);
  auto imagePoint = [&] {
    return QPointF((cursor.x() - canvas.viewLeft()) / canvas.scale(), (cursor.y() - canvas.viewTop()) / canvas.scale());
  };
  const QPointF before = imagePoint();
  QSignalSpy percent(&canvas, &TempCanvas::activeScalePercentChanged);
  canvas.wheel(cursor, 120);
  EXPECT_NEAR(canvas.scale(), 500.0 / 480.0 + 0.2, 1e-9);
  EXPECT_EQ(percent.count(), 1);
  const QPointF after = imagePoint();
  EXPECT_LE(std::abs(after.x() - before.x()) * canvas.scale(), 1.0);
  EXPECT_LE(std::abs(after.y() - before.y()) * canvas.scale(), 1.0);
  // And through the tables the items use, which truncate: the pixel that holds that point.
  EXPECT_NEAR(TempCanvas::lookup(canvas.viewToImageX, 400), std::floor(before.x() + 1e-6), 1.0);
  EXPECT_NEAR(TempCanvas::lookup(canvas.viewToImageY, 300), std::floor(before.y() + 1e-6), 1.0);
  // The shown part is clipped to the view.
  EXPECT_GE(canvas.visibleRect().left(), 0);
  EXPECT_LE(canvas.visibleRect().bottom(), 500);
}

TEST_F(CanvasView, ZoomStepsAndLimits) {
  for (int i = 0; i < 100; ++i) canvas.wheel(QPointF(500, 250), 120);
  EXPECT_DOUBLE_EQ(canvas.scale(), 10.0);
  QSignalSpy percent(&canvas, &TempCanvas::activeScalePercentChanged);
  canvas.wheel(QPointF(500, 250), 120);
  EXPECT_EQ(percent.count(), 0);
  for (int i = 0; i < 200; ++i) canvas.wheel(QPointF(500, 250), -120);
  EXPECT_NEAR(canvas.scale(), 0.1, 1e-9);

  // A fit scale of 0.95 steps by 0.1 to 1.05; from 1.0 a step is 0.2.
  ProbeCanvas small;
  small.setSize(QSizeF(608, 456));
  ASSERT_EQ(small.beginUpdate(640, 480), 0);
  ASSERT_NEAR(small.scale(), 0.95, 1e-9);
  small.wheel(QPointF(300, 200), 120);
  EXPECT_NEAR(small.scale(), 1.05, 1e-9);
  ProbeCanvas unit;
  unit.setSize(QSizeF(640, 480));
  ASSERT_EQ(unit.beginUpdate(640, 480), 0);
  unit.wheel(QPointF(300, 200), 120);
  EXPECT_NEAR(unit.scale(), 1.2, 1e-9);
  // Outside the image, or with a drawing tool, the wheel does nothing.
  canvas.wheel(QPointF(50, 250), 120);
  EXPECT_NEAR(canvas.scale(), 0.1, 1e-9);
}

TEST_F(CanvasView, PanIsRefusedWhenLessThanAFifthWouldStayVisible) {
  const double left0 = canvas.viewLeft();
  canvas.press(QPointF(500, 250));
  canvas.move(QPointF(520, 260));
  EXPECT_NEAR(canvas.viewLeft(), left0 + 20, 1e-9);
  EXPECT_NEAR(canvas.viewTop(), 10, 1e-9);
  // 666.67 wide starting at 186.67: moving 700 right leaves 1000 - 886.67 = 113 < 133 visible.
  canvas.move(QPointF(1220, 260));
  EXPECT_NEAR(canvas.viewLeft(), left0 + 20, 1e-9);
  // The next move measures from the refused position: 10 more to the left.
  canvas.move(QPointF(1210, 260));
  EXPECT_NEAR(canvas.viewLeft(), left0 + 10, 1e-9);
  // The tables follow the pan.
  EXPECT_EQ(TempCanvas::lookup(canvas.imageToViewX, -1), int(left0 + 10));
  // A double click fits again.
  canvas.doubleClick(QPointF(500, 250));
  EXPECT_NEAR(canvas.viewLeft(), left0, 1e-9);
  // Without the left button held nothing moves.
  canvas.press(QPointF(500, 250));
  canvas.move(QPointF(520, 250), Qt::NoButton);
  EXPECT_NEAR(canvas.viewLeft(), left0, 1e-9);
}

TEST_F(CanvasView, StateAndArgumentCodes) {
  ProbeCanvas c;
  EXPECT_EQ(c.beginUpdate(0, 240), -8);
  EXPECT_EQ(c.beginUpdate(320, -1), -8);
  ProducerFrame f(320, 240);
  EXPECT_EQ(c.updateData(f.handle()), -7);
  MeaItem defs[2] = {};
  EXPECT_EQ(c.setItemDefs(defs, 2), -7);
  EXPECT_EQ(c.beginUpdate(320, 240), 0);
  EXPECT_EQ(c.beginUpdate(320, 240), -7);
  // Bad arguments change nothing.
  EXPECT_EQ(c.setItemDefs(nullptr, 3), -8);
  EXPECT_EQ(c.setItemDefs(defs, 0), -8);
  EXPECT_EQ(c.setItemDefs(defs, -4), -8);
  EXPECT_EQ(c.updateData(nullptr), -8);
  FrameSlot noCodes{&f.head, nullptr, f.bgra.data()};
  EXPECT_EQ(c.updateData(&noCodes), -8);
  ProducerFrame other(160, 120);
  EXPECT_EQ(c.updateData(other.handle()), -11);
  EXPECT_FALSE(c.hasFrame());
  EXPECT_EQ(c.getItemDefs(nullptr, 3), -8);
  EXPECT_EQ(c.updateData(f.handle()), 0);
  EXPECT_TRUE(c.hasFrame());
  c.endUpdate();
  EXPECT_FALSE(c.begun());
  EXPECT_EQ(c.updateData(f.handle()), -7);
  // A new session starts without a frame.
  EXPECT_EQ(c.beginUpdate(320, 240), 0);
  EXPECT_FALSE(c.hasFrame());
}

TEST_F(CanvasView, AViewWithoutAreaWaitsForItsFirstSize) {
  ProbeCanvas c;
  ASSERT_EQ(c.beginUpdate(640, 480), 0);
  EXPECT_TRUE(std::isfinite(c.scale()));
  EXPECT_TRUE(std::isfinite(c.viewLeft()));
  c.setSize(QSizeF(0.5, 300));
  EXPECT_TRUE(std::isfinite(c.scale()));
  c.setSize(QSizeF(320, 240));
  EXPECT_DOUBLE_EQ(c.scale(), 0.5);
  EXPECT_EQ(TempCanvas::lookup(c.viewToImageX, 319), 638);
}

TEST_F(CanvasView, FrameIsCopiedAndMeasuredFromTheCopy) {
  ProducerFrame f(640, 480);
  f.fill(20, 0x000000FFu);  // the palette table leaves alpha at 0
  f.disc(320, 240, 50, 50, 0x00FFFF00u);
  ASSERT_EQ(canvas.updateData(f.handle()), 0);
  TempCanvasItemBase *g = canvas.itemGlobal();
  EXPECT_FLOAT_EQ(g->result.max, 50.0f);
  EXPECT_FLOAT_EQ(g->result.min, 20.0f);
  EXPECT_FLOAT_EQ(canvas.paletteData()->gblMax(), 50.0f);
  EXPECT_FLOAT_EQ(canvas.paletteData()->gblMin(), 20.0f);
  ASSERT_NE(canvas.frameImage(), nullptr);
  EXPECT_EQ(canvas.frameImage()[0], 0xFF0000FFu);
  EXPECT_EQ(canvas.frameImage()[240 * 640 + 320], 0xFFFFFF00u);
  EXPECT_NE(static_cast<const void *>(canvas.frameData()), static_cast<const void *>(f.codes.data()));
  // The producer refills and then frees its buffers: what the canvas measures does not change.
  f.fill(90, 0);
  g->dirty = true;
  canvas.forceRedraw();
  EXPECT_FLOAT_EQ(g->result.max, 50.0f);
  f.codes.clear();
  f.codes.shrink_to_fit();
  f.bgra.clear();
  f.bgra.shrink_to_fit();
  g->dirty = true;
  canvas.forceRedraw();
  EXPECT_FLOAT_EQ(g->result.min, 20.0f);
  EXPECT_EQ(canvas.frameImage()[0], 0xFF0000FFu);
}

TEST_F(CanvasView, ModuleInputNameAndResolver) {
  QObject module, input;
  input.setProperty("inputNameShort", QStringLiteral("cam-7"));
  module.setProperty("input", QVariant::fromValue<QObject *>(&input));
  QSignalSpy changed(&canvas, &TempCanvas::tfm_moduleChanged);
  canvas.setTfm_module(&module);
  EXPECT_EQ(canvas.tfm_inputNameShort(), QStringLiteral("cam-7"));
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(canvas.itemGlobal()->tfm_inputNameShort(), QStringLiteral("cam-7"));
  EXPECT_EQ(canvas.itemGlobal()->tfm_module(), &module);

  EXPECT_EQ(manager.canvasByInputName(QStringLiteral("Cam7")), nullptr);  // no resolver yet
  manager.setModuleResolver([&](const QString &name) -> QObject * {
    return name == QStringLiteral("Cam7") ? &module : nullptr;
  });
  EXPECT_EQ(manager.canvasByInputName(QStringLiteral("Cam7")), &canvas);
  EXPECT_EQ(manager.canvasByInputName(QStringLiteral("Other")), nullptr);
  QObject lonely;
  manager.setModuleResolver([&](const QString &) -> QObject * { return &lonely; });
  EXPECT_EQ(manager.canvasByInputName(QStringLiteral("Cam7")), nullptr);
}

}  // namespace
