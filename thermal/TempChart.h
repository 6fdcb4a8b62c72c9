// Plots temperature series with axes, ticks, pan, zoom and automatic ranging on the vector
// renderer. The item lives on the GUI thread; TempChartRender draws on the render thread from
// copies taken while the GUI thread is blocked.
#pragma once

#include "TCSeries.h"

#include <qorn/RHIItemBase.h>

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

// Plot geometry, ranges, value-to-view mapping and ticks of one chart size.
struct TCLayout {
  static constexpr double kLeft = 80, kTop = 20, kRight = 20, kBottom = 60;
  // Ticks drawn at most per axis, so a degenerate step cannot stall the render thread.
  static constexpr int kMaxTicks = 1000;

  double width = 0, height = 0;
  double plotLeft = kLeft, plotTop = kTop, plotRight = 0, plotBottom = 0;
  double plotWidth = 0, plotHeight = 0;
  double xmin = 0, xmax = 100, ymin = 0, ymax = 100;
  double xspan = 100, yspan = 100;
  double sx = 0, ox = 0, sy = 0, oy = 0;
  double xstep = 0, ystep = 0;
  double xfirst = 0, yfirst = 0;
  // Automatic y only: the step the range was rounded out to (0 otherwise). The y ticks then use
  // it and reach the range's top, so the labels cover the data and never repeat.
  double yroundStep = 0;

  // Recomputes everything after size or ranges.
  void update();
  double toViewX(double x) const { return x * sx + ox; }
  double toViewY(double y) const { return y * sy + oy; }
  double toValueX(double vx) const { return sx != 0 ? (vx - ox) / sx : xmin; }
  double toValueY(double vy) const { return sy != 0 ? (vy - oy) / sy : ymin; }
  bool insidePlot(double vx, double vy) const {
    return vx >= plotLeft && vx <= plotRight && vy >= plotTop && vy <= plotBottom;
  }
  // Whether the mapping is usable: a plot of positive size and positive finite spans.
  bool valid() const;
  // Tick values below the range's max, from the first tick; empty when the layout is not valid.
  QList<double> xTicks() const;
  QList<double> yTicks() const;
};

class TempChart : public RHIItemBase {
  Q_OBJECT
  Q_PROPERTY(TCConfig* config READ config CONSTANT)
  Q_PROPERTY(QList<QObject*> seriesList READ seriesListObjects NOTIFY seriesListChanged)
  Q_PROPERTY(QString axisXUnit READ axisXUnit WRITE setAxisXUnit NOTIFY axisXUnitChanged)
  Q_PROPERTY(QString axisYUnit READ axisYUnit WRITE setAxisYUnit NOTIFY axisYUnitChanged)

 public:
  explicit TempChart(QQuickItem* parent = nullptr);
  ~TempChart() override;

  TCConfig* config() { return &config_; }
  const QList<TCSeriesBase*>& seriesList() const { return seriesList_; }
  QList<QObject*> seriesListObjects() const;
  QString axisXUnit() const { return axisXUnit_; }
  QString axisYUnit() const { return axisYUnit_; }
  void setAxisXUnit(const QString& v);
  void setAxisYUnit(const QString& v);
  const TCLayout& layout() const { return layout_; }
  int keyMode() const { return keyMode_; }

  RHIItemRenderBase* createRenderBase() override;

 public slots:
  void initConfig();
  void changeCanvasWH();
  void series_delete(TCSeriesBase* series);
  void series_deleteAll();
  void series_create(TCSeriesBase* series);
  void setMode(int xmode, int ymode);
  void refresh();

 signals:
  void seriesListChanged();
  void axisXUnitChanged();
  void axisYUnitChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void disconnectSeries(TCSeriesBase* series);
  void setModes(int xmode, int ymode);

  TCConfig config_;
  QList<TCSeriesBase*> seriesList_;
  QString axisXUnit_ = QStringLiteral("Frame");
  QString axisYUnit_ = QStringLiteral("C");
  int keyMode_ = 0;
  QPointF lastPos_;
  TCLayout layout_;
};

class TempChartRender : public RHIItemRenderBase {
 public:
  TempChartRender() = default;
  ~TempChartRender() override;
  void syncItem(RHIItemBase* item) override;
  void paint(QornPainter* painter) override;

  // The copies, for tests and benchmarks.
  const QList<TCSeriesBase*>& snapshots() const { return snapshots_; }
  bool clipped() const { return clipped_; }

 private:
  // The copies live with the renderer: the item may go away on the GUI thread while a frame
  // is still being drawn from them.
  QList<TCSeriesBase*> snapshots_;
  TCLayout layout_;
  QString axisXUnit_;
  QString axisYUnit_;
  bool clipped_ = false;
};
