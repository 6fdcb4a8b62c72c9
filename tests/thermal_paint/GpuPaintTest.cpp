// Pixel suites on a real OpenGL (Xvfb with Mesa): the same item scene through the vector renderer
// and through Qt's own rasteriser, and the chart drawn in a window.
#include "../renderer_gpu/GpuTestMain.h"
#include "../renderer_gpu/RhiTarget.h"
#include "PaintScene.h"

#include <ItemPainter.h>
#include <PaintResources.h>
#include <TempChart.h>
#include <qorn/QornInit.h>

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTest>

#include <cmath>

namespace {

void drawScene(ItemPainter &p) {
  const MeaItem rect = [] {
    MeaItem d = makeDef(9, "Box", 0xFF0000FF, {{10, 10}, {40, 30}});
    d.meaFlags = 3;
    return d;
  }();
  p.drawRect(rect, makeResult(44.5f, 30.0f, 20.25f, 30, 20, 15, 25), nullptr, 0, 9);
  MeaItem line = makeDef(5, "Line", 0xFF008000, {{10, 60}, {40, 80}, {70, 60}});
  line.reserved84 = 1;
  p.drawPoly(line, makeResult(0, 0, 0, 0, 0, 0, 0), nullptr, 2, 5);
  MeaItem ellipse = makeDef(6, "E", 0xFF800080, {{60, 10}, {90, 40}});
  ellipse.reserved84 = 1;
  p.drawRect(ellipse, makeResult(0, 0, 0, 0, 0, 0, 0), nullptr, -1, 6);
  MeaItem spot = makeDef(1, "S", 0xFFFF0000, {{80, 80}, {0, 0}});
  spot.reserved70[0] = 1;
  p.drawPoint(spot, makeResult(0, 36.6f, 0, 0, 0, 0, 0), nullptr, 1);
  const QPoint handles[] = {QPoint(180, 20)};
  p.drawHandles(handles, 1);
  p.drawExtremeMarker(180, 190, true);
}

QImage premultiplied(const QImage &img) { return img.convertToFormat(QImage::Format_ARGB32_Premultiplied); }

int channelDiff(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)),
                   std::abs(qAlpha(a) - qAlpha(b))});
}

TEST(GpuPaint, RendererMatchesQPainterOnTheSameScene) {
  RhiTarget target(QRhi::OpenGLES2, QSize(200, 200));
  ASSERT_TRUE(target.ok()) << "no OpenGL context";
  ASSERT_EQ(target.rhi()->backend(), QRhi::OpenGLES2);
  PaintTables tables(100, 100, 0, 0, 200, 200);
  ItemPaintView view;
  view.imageWidth = view.imageHeight = 100;
  view.viewWidth = view.viewHeight = 200;
  view.viewRight = view.viewBottom = 200;

  QList<QRectF> labels;
  ItemPainter gpu;
  tables.apply(gpu);
  const QImage a = premultiplied(target.frame([&](QornPainter &p) {
    gpu.beginQorn(&p, &view);
    drawScene(gpu);
    labels.append(gpu.lastLabelRect());
    gpu.end();
  }));
  ASSERT_FALSE(a.isNull());
  ASSERT_EQ(a.size(), QSize(200, 200));
  if (!qEnvironmentVariableIsEmpty("THERMAL_DUMP")) a.save(qEnvironmentVariable("THERMAL_DUMP") + "/gpu.png");

  QImage b(200, 200, QImage::Format_ARGB32_Premultiplied);
  b.fill(Qt::transparent);
  {
    QPainter qp(&b);
    qp.setRenderHint(QPainter::Antialiasing, true);
    ItemPainter cpu;
    tables.apply(cpu);
    cpu.beginQPainter(&qp, 100, 100, 200, 200);
    drawScene(cpu);
    labels.append(cpu.lastLabelRect());
    cpu.end();
  }
  if (!qEnvironmentVariableIsEmpty("THERMAL_DUMP")) b.save(qEnvironmentVariable("THERMAL_DUMP") + "/cpu.png");

  // Exact fills: the handle on its own and the marker's centroid.
  EXPECT_EQ(a.pixel(180, 20), 0xFF000000u);
  EXPECT_EQ(a.pixel(183, 23), 0xFFFFFFFFu);
  EXPECT_EQ(b.pixel(183, 23), 0xFFFFFFFFu);
  EXPECT_LE(channelDiff(a.pixel(180, 184), 0xFFFF0000u), 8);
  EXPECT_LE(channelDiff(b.pixel(180, 184), 0xFFFF0000u), 8);
  // Labels: both placed at the same corner; text shapes differ between the two rasterisers,
  // so their boxes are left out of the comparison below.
  ASSERT_EQ(labels.size(), 2);
  EXPECT_DOUBLE_EQ(labels[0].right(), labels[1].right());
  EXPECT_DOUBLE_EQ(labels[0].bottom(), labels[1].bottom());
  EXPECT_NEAR(labels[0].width(), labels[1].width(), labels[1].width() * 0.3);
  EXPECT_NEAR(labels[0].height(), labels[1].height(), labels[1].height() * 0.3);

  // Everything else: geometry stroked by two independent rasterisers agrees up to edge
  // anti-aliasing. Label areas of both (the box label at corner 1 and the spot's) are masked.
  QRegion textArea;
  for (const QRectF &r : labels) textArea += r.toAlignedRect().adjusted(-1, -1, 1, 1);
  const int boxLabelH = int(labels[1].height()) + 2;
  textArea += QRect(20 + 5, 20 + 5, 200, boxLabelH * 3);
  int compared = 0, differ = 0, inked = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) {
      if (textArea.contains(QPoint(x, y))) continue;
      ++compared;
      if (qAlpha(b.pixel(x, y)) > 0) ++inked;
      if (channelDiff(a.pixel(x, y), b.pixel(x, y)) > 100) ++differ;
    }
  EXPECT_GT(inked, 800) << "the scene drew something";
  EXPECT_LT(differ, inked / 20) << differ << " of " << compared << " pixels differ strongly";
}

struct ChartScene {
  QQuickWindow window;
  TempChart *chart = nullptr;
  TCSeriesBase series;
  ChartScene() {
    window.resize(600, 400);
    chart = new TempChart(window.contentItem());
    chart->setSize(QSizeF(600, 400));
    series.setSeriesColor(QColor(0, 200, 0));
    series.append(25, 50);
    series.append(75, 25);
    chart->series_create(&series);
  }
};

TEST(GpuChart, GridTicksAndSeriesLandOnTheirPixels) {
  ChartScene scene;
  scene.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&scene.window));
  QSGRendererInterface *ri = scene.window.rendererInterface();
  ASSERT_NE(ri, nullptr);
  ASSERT_EQ(ri->graphicsApi(), QSGRendererInterface::OpenGL) << "Qt Quick fell back to another API";
  ASSERT_NE(ri->getResource(&scene.window, QSGRendererInterface::RhiResource), nullptr);
  const QImage img = scene.window.grabWindow();
  ASSERT_FALSE(img.isNull());
  ASSERT_DOUBLE_EQ(scene.window.effectiveDevicePixelRatio(), 1.0);
  if (!qEnvironmentVariableIsEmpty("THERMAL_DUMP")) img.save(qEnvironmentVariable("THERMAL_DUMP") + "/chart.png");
  // Plot background white between grid lines.
  EXPECT_EQ(img.pixel(105, 35) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(575, 335) & 0xFFFFFF, 0xFFFFFFu);
  // A vertical grid line every 50 px from the plot's left edge (x ticks every 10 from 0).
  for (int k = 1; k < 10; ++k) {
    const int x = 80 + 50 * k;
    EXPECT_EQ(img.pixel(x, 35) & 0xFFFFFF, 0xA0A0A0u) << "x " << x;
    EXPECT_EQ(img.pixel(x + 2, 35) & 0xFFFFFF, 0xFFFFFFu) << "x " << x + 2;
  }
  // Horizontal grid lines every 32 px up from the bottom (y ticks every 10 from 0).
  for (int k = 1; k < 10; ++k) EXPECT_EQ(img.pixel(105, 340 - 32 * k) & 0xFFFFFF, 0xA0A0A0u) << "k " << k;
  // (0, 0) is the plot's bottom-left corner: black zero axes there.
  EXPECT_EQ(img.pixel(80, 200) & 0xFFFFFF, 0u);
  EXPECT_EQ(img.pixel(300, 340) & 0xFFFFFF, 0u);
  // Samples (25, 50) and (75, 25) at view (205, 180) and (455, 260), joined by a line.
  auto seriesAt = [&](int x, int y) {
    const QRgb c = img.pixel(x, y);
    return qRed(c) < 60 && qGreen(c) > 150 && qBlue(c) < 60;
  };
  EXPECT_TRUE(seriesAt(205, 180));
  EXPECT_TRUE(seriesAt(454, 259)) << "the line's end (the dot is a ring)";
  EXPECT_TRUE(seriesAt(330, 220));
  EXPECT_FALSE(seriesAt(330, 200));
  // Margins are the clear colour (black) with white text somewhere below the plot.
  EXPECT_EQ(img.pixel(40, 10) & 0xFFFFFF, 0u);
  int white = 0;
  for (int y = 345; y < 400; ++y)
    for (int x = 80; x < 580; ++x)
      if ((img.pixel(x, y) & 0xFFFFFF) == 0xFFFFFFu) ++white;
  EXPECT_GT(white, 20) << "tick labels";

  // A fixed range with max <= min still renders a frame.
  scene.chart->config()->setXmax(0);
  scene.chart->initConfig();
  const QImage empty = scene.window.grabWindow();
  ASSERT_FALSE(empty.isNull());
  EXPECT_EQ(empty.pixel(105, 35) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(empty.pixel(130, 35) & 0xFFFFFF, 0xFFFFFFu) << "no grid without a range";
}

}  // namespace

int main(int argc, char **argv) { return runGpuTests(argc, argv); }
