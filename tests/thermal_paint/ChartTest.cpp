// Chart logic without a window: layout, series, ranging, pan and zoom, and drawing through the
// renderer's Null back end (the tick loops must end whatever the ranges).
#include "ThermalApp.h"

#include "../renderer_gpu/RhiTarget.h"

#include <TempChart.h>
#include <PaintResources.h>

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QWheelEvent>

#include <cmath>
#include <limits>

namespace {

class Chart : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureThermalApp();
    initPaintResources();
    chart_.setSize(QSizeF(600, 400));
  }
  void wheel(QPointF at, int delta) {
    QWheelEvent e(at, at, QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&chart_, &e);
  }
  void key(QEvent::Type type, int k) {
    QKeyEvent e(type, k, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart_, &e);
  }
  void mouse(QEvent::Type type, QPointF at, Qt::MouseButton b, Qt::MouseButtons held) {
    QMouseEvent e(type, at, at, b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(&chart_, &e);
  }
  TempChart chart_;
};

TEST_F(Chart, LayoutOfASixHundredByFourHundredChart) {
  const TCLayout &L = chart_.layout();
  EXPECT_DOUBLE_EQ(L.plotWidth, 500);
  EXPECT_DOUBLE_EQ(L.plotHeight, 320);
  EXPECT_DOUBLE_EQ(L.plotRight, 580);
  EXPECT_DOUBLE_EQ(L.plotBottom, 340);
  EXPECT_DOUBLE_EQ(L.xstep, 10);
  EXPECT_DOUBLE_EQ(L.ystep, 10);
  // x 0 is the plot's left edge, 100 its right; y 0 the bottom, 100 the top.
  EXPECT_DOUBLE_EQ(L.toViewX(0), 80);
  EXPECT_DOUBLE_EQ(L.toViewX(100), 580);
  EXPECT_DOUBLE_EQ(L.toViewY(0), 340);
  EXPECT_DOUBLE_EQ(L.toViewY(100), 20);
  EXPECT_DOUBLE_EQ(L.toValueX(330), 50);
  EXPECT_DOUBLE_EQ(L.toValueY(180), 50);
  const QList<double> xt = L.xTicks();
  ASSERT_EQ(xt.size(), 10);
  EXPECT_DOUBLE_EQ(xt.first(), 0);
  EXPECT_DOUBLE_EQ(xt.last(), 90);
  EXPECT_EQ(chart_.axisXUnit(), QStringLiteral("Frame"));
  EXPECT_EQ(chart_.axisYUnit(), QStringLiteral("C"));
  // y steps follow the plot width: the same number of ticks on both axes.
  chart_.config()->setYmax(32);
  chart_.initConfig();
  EXPECT_DOUBLE_EQ(chart_.layout().ystep, 3.2);
  EXPECT_EQ(chart_.layout().yTicks().size(), 10);
}

TEST_F(Chart, PropertiesSignalOnlyOnChange) {
  TCConfig *c = chart_.config();
  EXPECT_EQ(c->xmode(), 1);
  EXPECT_EQ(c->ymode(), 1);
  EXPECT_DOUBLE_EQ(c->xmax(), 100.0);
  EXPECT_EQ(c->fifoSize(), 0);
  QSignalSpy xmode(c, &TCConfig::xmodeChanged), xmax(c, &TCConfig::xmaxChanged);
  c->setXmode(1);
  c->setXmax(100.0);
  EXPECT_EQ(xmode.count() + xmax.count(), 0);
  chart_.setMode(1, 2);
  EXPECT_EQ(xmode.count(), 0);
  EXPECT_EQ(c->ymode(), 2);
  TCSeriesBase s;
  EXPECT_TRUE(s.visible());
  QSignalSpy name(&s, &TCSeriesBase::seriesNameChanged), colour(&s, &TCSeriesBase::seriesColorChanged);
  s.setSeriesName(QStringLiteral("a"));
  s.setSeriesName(QStringLiteral("a"));
  s.setSeriesColor(Qt::red);
  s.setSeriesColor(QColor(255, 0, 0));
  EXPECT_EQ(name.count(), 1);
  EXPECT_EQ(colour.count(), 1);
  QSignalSpy unit(&chart_, &TempChart::axisXUnitChanged);
  chart_.setAxisXUnit(QStringLiteral("Frame"));
  chart_.setAxisXUnit(QStringLiteral("s"));
  EXPECT_EQ(unit.count(), 1);
}

TEST_F(Chart, FifoKeepsTheNewestAndTheOldPeak) {
  TCSeriesBase s;
  s.setFifoSize(3);
  QSignalSpy data(&s, &TCSeriesBase::dataChanged);
  s.append(1, 50, 11);
  s.append(2, 5, 12);
  s.append(3, 6, 13);
  s.append(4, 7, 14);
  ASSERT_EQ(s.count(), 3);
  EXPECT_DOUBLE_EQ(s.samples()[0].x, 2);
  EXPECT_DOUBLE_EQ(s.samples()[2].x, 4);
  EXPECT_EQ(s.samples()[2].data, 14);
  EXPECT_DOUBLE_EQ(s.xmin(), 2);
  EXPECT_DOUBLE_EQ(s.xmax(), 4);
  EXPECT_DOUBLE_EQ(s.ymax(), 50) << "the dropped peak stays";
  EXPECT_DOUBLE_EQ(s.ymin(), 5);
  EXPECT_EQ(data.count(), 4);
  // A FIFO made smaller drops down to its size with the next sample.
  s.setFifoSize(1);
  s.append(5, 8);
  ASSERT_EQ(s.count(), 1);
  EXPECT_DOUBLE_EQ(s.xmin(), 5);
  s.clear();
  EXPECT_EQ(s.count(), 0);
  EXPECT_DOUBLE_EQ(s.xmax(), 0);
  EXPECT_DOUBLE_EQ(s.ymax(), 0);
  s.append(-3, -4);
  EXPECT_DOUBLE_EQ(s.xmin(), -3);
  EXPECT_DOUBLE_EQ(s.xmax(), -3);
  EXPECT_DOUBLE_EQ(s.ymax(), -4);
}

TEST_F(Chart, ShiftMovesSamplesAndTheXRange) {
  TCSeriesBase s;
  s.append(0, 1, 100);
  s.append(10, 2, 200);
  QSignalSpy data(&s, &TCSeriesBase::dataChanged);
  s.shift(-4.5);
  EXPECT_DOUBLE_EQ(s.samples()[0].x, -4.5);
  EXPECT_DOUBLE_EQ(s.samples()[1].x, 5.5);
  EXPECT_EQ(s.samples()[1].data, 200);
  EXPECT_DOUBLE_EQ(s.xmin(), -4.5);
  EXPECT_DOUBLE_EQ(s.xmax(), 5.5);
  EXPECT_DOUBLE_EQ(s.ymax(), 2);
  EXPECT_EQ(data.count(), 1);
}

TEST_F(Chart, SeriesListConnectsFifoAndRefresh) {
  TCSeriesBase a, b;
  QSignalSpy listSpy(&chart_, &TempChart::seriesListChanged);
  chart_.config()->setFifoSize(7);
  chart_.series_create(&a);
  chart_.series_create(&a);
  chart_.series_create(&b);
  EXPECT_EQ(listSpy.count(), 2);
  EXPECT_EQ(a.fifoSize(), 7);
  chart_.config()->setFifoSize(9);
  EXPECT_EQ(b.fifoSize(), 9);
  chart_.setMode(2, 2);
  a.append(10, 1);
  a.append(30, 5);
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, 10) << "data change refreshes automatic ranges";
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 30);
  chart_.series_delete(&a);
  EXPECT_EQ(listSpy.count(), 3);
  chart_.config()->setFifoSize(4);
  EXPECT_EQ(a.fifoSize(), 9) << "a removed series no longer follows the config";
  a.append(50, 9);
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 30);
  {
    TCSeriesBase gone;
    chart_.series_create(&gone);
    EXPECT_EQ(chart_.seriesList().size(), 2);
  }
  EXPECT_EQ(chart_.seriesList().size(), 1) << "a deleted series leaves the list";
  chart_.series_deleteAll();
  EXPECT_TRUE(chart_.seriesList().isEmpty());
}

TEST_F(Chart, AutomaticRangingNeedsAPositiveSpan) {
  TCSeriesBase s;
  chart_.series_create(&s);
  chart_.setMode(2, 2);
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, 0) << "no samples: the range stays";
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 100);
  s.append(5, 10);
  s.append(5, 30);
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, 0) << "one x: the x range stays";
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 100);
  EXPECT_DOUBLE_EQ(chart_.layout().ymin, 10);
  EXPECT_DOUBLE_EQ(chart_.layout().ymax, 30);
  s.setVisible(false);
  s.append(8, 30);
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 8) << "hidden series still range";
}

// Automatic y is rounded out to whole ticks: the top label is at or above the highest sample,
// and the one-decimal labels never repeat, however narrow the data.
TEST_F(Chart, AutomaticYLabelsCoverTheDataAndNeverRepeat) {
  TCSeriesBase s;
  chart_.series_create(&s);
  chart_.setMode(2, 2);
  const std::pair<double, double> ranges[] = {{22.3, 80.1}, {36.55, 36.62}, {-3.7, 0.4}, {10, 30}, {0.01, 0.02}};
  for (const auto &[lo, hi] : ranges) {
    s.clear();
    s.append(1, lo);
    s.append(2, hi);
    const TCLayout &L = chart_.layout();
    const QList<double> yt = L.yTicks();
    ASSERT_GE(yt.size(), 2) << lo << " " << hi;
    EXPECT_LE(L.ymin, lo) << lo << " " << hi;
    EXPECT_GE(L.ymax, hi) << lo << " " << hi;
    EXPECT_LE(yt.first(), lo + 1e-9) << lo << " " << hi;
    EXPECT_GE(yt.last(), hi - 1e-9) << "the top label covers the data: " << lo << " " << hi;
    QStringList labels;
    for (double t : yt) labels << QString::asprintf("%3.1f", t);
    EXPECT_EQ(labels.removeDuplicates(), 0) << labels.join(' ').toStdString();
    // Every tick lies inside the plot.
    for (double t : yt) EXPECT_GE(L.toViewY(t), L.plotTop - 1e-6) << t;
  }
  // A fixed range keeps its own steps.
  chart_.setMode(1, 1);
  EXPECT_DOUBLE_EQ(chart_.layout().ymax, 100);
  EXPECT_DOUBLE_EQ(chart_.layout().ystep, 10);
}

TEST_F(Chart, AltWheelZoomsOnlyXAroundTheCursor) {
  QSignalSpy xmode(chart_.config(), &TCConfig::xmodeChanged);
  QSignalSpy ymode(chart_.config(), &TCConfig::ymodeChanged);
  key(QEvent::KeyPress, Qt::Key_Alt);
  EXPECT_EQ(chart_.keyMode(), 1);
  key(QEvent::KeyPress, Qt::Key_Control);
  EXPECT_EQ(chart_.keyMode(), 1) << "the first key holds";
  // Cursor at x value 50; turning towards the user widens by 1.2.
  wheel(QPointF(330, 180), -120);
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, -10);
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 110);
  EXPECT_DOUBLE_EQ(chart_.layout().ymin, 0);
  EXPECT_DOUBLE_EQ(chart_.layout().ymax, 100);
  EXPECT_EQ(chart_.config()->xmode(), 0);
  EXPECT_EQ(chart_.config()->ymode(), 1);
  EXPECT_EQ(xmode.count(), 1);
  EXPECT_EQ(ymode.count(), 0);
  key(QEvent::KeyRelease, Qt::Key_Alt);
  EXPECT_EQ(chart_.keyMode(), 0);
  QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
  QCoreApplication::sendEvent(&chart_, &other);
  EXPECT_FALSE(other.isAccepted()) << "other keys pass on";
  EXPECT_EQ(chart_.keyMode(), 0);
  key(QEvent::KeyPress, Qt::Key_Control);
  wheel(QPointF(80, 340), 120);  // corner of the plot counts as inside; away from the user: 0.8
  EXPECT_DOUBLE_EQ(chart_.layout().ymin, 0);
  EXPECT_DOUBLE_EQ(chart_.layout().ymax, 80);
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 110);
  key(QEvent::KeyRelease, Qt::Key_Control);
  wheel(QPointF(79, 200), -120);
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, -10) << "outside the plot nothing zooms";
  wheel(QPointF(330, 180), 120);
  EXPECT_EQ(chart_.config()->ymode(), 0);
}

TEST_F(Chart, PanThenDoubleClickReturnsToAutomatic) {
  TCSeriesBase s;
  s.append(0, 0);
  s.append(200, 50);
  chart_.series_create(&s);
  mouse(QEvent::MouseButtonPress, QPointF(300, 200), Qt::LeftButton, Qt::LeftButton);
  mouse(QEvent::MouseMove, QPointF(350, 168), Qt::NoButton, Qt::LeftButton);
  // 50 px right = 10 x units; 32 px up = 10 y units.
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, -10);
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 90);
  EXPECT_DOUBLE_EQ(chart_.layout().ymin, -10);
  EXPECT_DOUBLE_EQ(chart_.layout().ymax, 90);
  EXPECT_EQ(chart_.config()->xmode(), 0);
  EXPECT_EQ(chart_.config()->ymode(), 0);
  mouse(QEvent::MouseMove, QPointF(400, 100), Qt::NoButton, Qt::NoButton);
  EXPECT_DOUBLE_EQ(chart_.layout().xmin, -10) << "no button held: no pan";
  mouse(QEvent::MouseButtonDblClick, QPointF(300, 200), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(chart_.config()->xmode(), 2);
  EXPECT_DOUBLE_EQ(chart_.layout().xmax, 200);
  EXPECT_DOUBLE_EQ(chart_.layout().ymax, 50);
}

// Drawing on the Null back end: every frame must finish, whatever the ranges and size.
class ChartDraw : public Chart {
 protected:
  void SetUp() override {
    Chart::SetUp();
    target_ = std::make_unique<RhiTarget>(QRhi::Null, QSize(600, 400));
    ASSERT_TRUE(target_->ok());
  }
  bool draw() {
    TempChartRender r;
    r.syncItem(&chart_);
    target_->frame([&](QornPainter &p) { r.paint(&p); });
    clipped_ = r.clipped();
    return true;
  }
  std::unique_ptr<RhiTarget> target_;
  bool clipped_ = false;
};

TEST_F(ChartDraw, DegenerateRangesAndSizesDrawWithoutHanging) {
  TCSeriesBase s;
  s.append(1, 1);
  s.append(2, 3);
  chart_.series_create(&s);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::pair<double, double> ranges[] = {{10, 10}, {10, 5}, {0, 1e-300}, {1e15, 1e15 + 1e-3},
                                              {-1e308, 1e308}, {0, inf}, {nan, 1}};
  for (const auto &[lo, hi] : ranges) {
    chart_.config()->setXmin(lo);
    chart_.config()->setXmax(hi);
    chart_.config()->setYmin(lo);
    chart_.config()->setYmax(hi);
    chart_.initConfig();
    EXPECT_LE(chart_.layout().xTicks().size(), TCLayout::kMaxTicks) << lo << " " << hi;
    EXPECT_LE(chart_.layout().yTicks().size(), TCLayout::kMaxTicks) << lo << " " << hi;
    if (!(hi > lo)) {
      EXPECT_TRUE(chart_.layout().xTicks().isEmpty()) << lo << " " << hi;
    }
    EXPECT_TRUE(draw());
  }
  EXPECT_EQ(chart_.layout().xTicks().size(), 0);
  chart_.config()->setXmin(0);
  chart_.config()->setXmax(100);
  chart_.config()->setYmin(0);
  chart_.config()->setYmax(100);
  for (QSizeF size : {QSizeF(50, 50), QSizeF(100, 80), QSizeF(0, 0), QSizeF(101, 81)}) {
    chart_.setSize(size);
    const bool positive = size.width() > 100 && size.height() > 80;
    EXPECT_EQ(chart_.layout().xTicks().isEmpty(), !positive) << size.width();
    EXPECT_TRUE(draw());
  }
}

TEST_F(ChartDraw, SnapshotsCopyTheSeriesAndClippingIsNoticed) {
  TCSeriesBase s;
  s.setSeriesName(QStringLiteral("max"));
  s.setSeriesColor(Qt::red);
  s.append(10, 10, 42);
  s.append(20, 20);
  chart_.series_create(&s);
  TempChartRender r;
  r.syncItem(&chart_);
  ASSERT_EQ(r.snapshots().size(), 1);
  EXPECT_EQ(r.snapshots()[0]->seriesName(), QStringLiteral("max"));
  EXPECT_EQ(r.snapshots()[0]->count(), 2);
  EXPECT_EQ(r.snapshots()[0]->samples()[0].data, 42);
  s.append(500, 20);  // outside 0..100
  EXPECT_EQ(r.snapshots()[0]->count(), 2) << "the copy does not follow the GUI thread";
  target_->frame([&](QornPainter &p) { r.paint(&p); });
  EXPECT_FALSE(r.clipped());
  EXPECT_DOUBLE_EQ(r.snapshots()[0]->samples()[1].vx, 180);
  EXPECT_DOUBLE_EQ(r.snapshots()[0]->samples()[1].vy, 276);
  r.syncItem(&chart_);
  target_->frame([&](QornPainter &p) { r.paint(&p); });
  EXPECT_TRUE(r.clipped());
  EXPECT_FALSE(r.snapshots()[0]->samples()[2].inside);
  chart_.series_deleteAll();
  r.syncItem(&chart_);
  EXPECT_TRUE(r.snapshots().isEmpty());
}

}  // namespace
