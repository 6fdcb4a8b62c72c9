#include "TempChart.h"

#include "PaintResources.h"

#include <qorn/QornInit.h>
#include <qorn/QornPainter.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

// --- TCLayout -----------------------------------------------------------------------------------

void TCLayout::update() {
  plotLeft = kLeft;
  plotTop = kTop;
  plotRight = width - kRight;
  plotBottom = height - kBottom;
  plotWidth = width - (kLeft + kRight);
  plotHeight = height - (kTop + kBottom);
  xspan = xmax - xmin;
  yspan = ymax - ymin;
  sx = sy = 0;
  xstep = ystep = 0;
  if (plotWidth > 0 && std::isfinite(xspan) && xspan != 0) {
    sx = plotWidth / xspan;
    xstep = xspan * 50 / plotWidth;
  }
  if (plotHeight > 0 && std::isfinite(yspan) && yspan != 0) sy = -plotHeight / yspan;
  // The y ticks use the plot width as well: both axes get the same number of ticks.
  if (plotWidth > 0 && std::isfinite(yspan) && yspan != 0) ystep = 50 * yspan / plotWidth;
  if (yroundStep > 0 && ystep != 0) ystep = yroundStep;
  ox = kLeft - sx * xmin;
  oy = plotBottom - sy * ymin;
  xfirst = xstep != 0 ? std::ceil(xmin / xstep) * xstep : xmin;
  yfirst = ystep != 0 ? std::ceil(ymin / ystep) * ystep : ymin;
  // The rounded range starts on a tick; a quotient a hair above the whole number must not skip it.
  if (yroundStep > 0 && ystep != 0) yfirst = std::ceil(ymin / ystep - 1e-9) * ystep;
}

bool TCLayout::valid() const {
  return plotWidth > 0 && plotHeight > 0 && xspan > 0 && yspan > 0 && std::isfinite(xspan) &&
         std::isfinite(yspan) && xstep > 0 && ystep > 0 && std::isfinite(xfirst) && std::isfinite(yfirst);
}

namespace {

QList<double> ticks(bool ok, double first, double step, double max, bool withMax = false) {
  QList<double> out;
  if (!ok) return out;
  const double end = withMax ? max + step * 1e-9 : max;
  // Each tick from its index, not by accumulation: a step lost in the rounding of a huge first
  // tick would otherwise never advance.
  for (int k = 0; k < TCLayout::kMaxTicks; ++k) {
    const double t = first + k * step;
    if (withMax ? !(t <= end) : !(t < end)) break;
    out.append(t);
  }
  return out;
}

// The smallest step of 1, 2 or 5 times a power of ten, and at least 0.1 (the labels' last
// digit), for which `count` ticks from `lo` rounded down to the step reach `hi`.
double roundedStep(double lo, double hi, int count) {
  if (!(hi > lo) || !std::isfinite(hi - lo) || count < 2) return 0;
  const double want = std::max(0.1, (hi - lo) / (count - 1));
  double p = std::pow(10.0, std::floor(std::log10(want)));
  for (int decade = 0; decade < 4; ++decade, p *= 10) {
    for (double m : {1.0, 2.0, 5.0}) {
      const double s = m * p;
      if (s < want * (1 - 1e-12)) continue;
      const double first = std::floor(lo / s + 1e-9) * s;
      if (first + (count - 1) * s >= hi - s * 1e-9) return s;
    }
  }
  return 0;
}

}  // namespace

QList<double> TCLayout::xTicks() const {
  return ticks(valid(), xfirst, xstep, xmax);
}
QList<double> TCLayout::yTicks() const {
  return ticks(valid(), yfirst, ystep, ymax, yroundStep > 0);
}

// --- TempChart ----------------------------------------------------------------------------------

TempChart::TempChart(QQuickItem* parent) : RHIItemBase(parent) {
  setFlag(QQuickItem::ItemIsFocusScope, true);
  setAcceptedMouseButtons(Qt::LeftButton | Qt::RightButton);
  setAcceptHoverEvents(true);
  setColor(QColor::fromRgba(paintColorArgb(2)));
  connect(this, &QQuickItem::widthChanged, this, &TempChart::changeCanvasWH);
  connect(this, &QQuickItem::heightChanged, this, &TempChart::changeCanvasWH);
}

TempChart::~TempChart() {
  for (TCSeriesBase* s : seriesList_) disconnectSeries(s);
}

QList<QObject*> TempChart::seriesListObjects() const {
  QList<QObject*> out;
  out.reserve(seriesList_.size());
  for (TCSeriesBase* s : seriesList_) out.append(s);
  return out;
}

void TempChart::setAxisXUnit(const QString& v) {
  if (axisXUnit_ == v) return;
  axisXUnit_ = v;
  emit axisXUnitChanged();
  update();
}

void TempChart::setAxisYUnit(const QString& v) {
  if (axisYUnit_ == v) return;
  axisYUnit_ = v;
  emit axisYUnitChanged();
  update();
}

RHIItemRenderBase* TempChart::createRenderBase() {
  return new TempChartRender;
}

void TempChart::initConfig() {
  layout_.width = width();
  layout_.height = height();
  auto unionOf = [this](bool xAxis, double* lo, double* hi) {
    bool any = false;
    for (TCSeriesBase* s : seriesList_) {
      if (s->count() == 0) continue;  // an empty series has no range to add
      const double a = xAxis ? s->xmin() : s->ymin(), b = xAxis ? s->xmax() : s->ymax();
      if (!any) {
        *lo = a;
        *hi = b;
        any = true;
      } else {
        *lo = std::min(*lo, a);
        *hi = std::max(*hi, b);
      }
    }
    return any;
  };
  double lo = 0, hi = 0;
  if (config_.xmode() == TCConfig::Fixed) {
    layout_.xmin = config_.xmin();
    layout_.xmax = config_.xmax();
  } else if (config_.xmode() == TCConfig::Automatic) {
    if (unionOf(true, &lo, &hi) && hi > lo) {
      layout_.xmin = lo;
      layout_.xmax = hi;
    }
  }
  if (config_.ymode() == TCConfig::Fixed) {
    layout_.ymin = config_.ymin();
    layout_.ymax = config_.ymax();
  }
  layout_.yroundStep = 0;
  if (config_.ymode() == TCConfig::Automatic && unionOf(false, &lo, &hi) && hi > lo) {
    // Rounded out to whole ticks of a step the labels can tell apart: the top tick is at or
    // above the highest sample. As many ticks as the plot's height has room for (one per 50
    // pixels, at least two).
    const int count = std::max(2, int((layout_.height - TCLayout::kTop - TCLayout::kBottom) / 50) + 1);
    const double step = roundedStep(lo, hi, count);
    if (step > 0) {
      layout_.ymin = std::floor(lo / step + 1e-9) * step;
      layout_.ymax = std::max(hi, layout_.ymin + std::ceil((hi - layout_.ymin) / step - 1e-9) * step);
      layout_.yroundStep = step;
    } else {
      layout_.ymin = lo;
      layout_.ymax = hi;
    }
  }
  layout_.update();
  update();
}

void TempChart::changeCanvasWH() {
  initConfig();
}

void TempChart::disconnectSeries(TCSeriesBase* series) {
  disconnect(series, nullptr, this, nullptr);
  disconnect(&config_, nullptr, series, nullptr);
}

void TempChart::series_create(TCSeriesBase* series) {
  if (!series || seriesList_.contains(series)) return;
  connect(series, &TCSeriesBase::visibleChanged, this, &TempChart::refresh);
  connect(series, &TCSeriesBase::seriesColorChanged, this, &TempChart::refresh);
  connect(series, &TCSeriesBase::dataChanged, this, &TempChart::refresh);
  series->setFifoSize(config_.fifoSize());
  connect(&config_, &TCConfig::fifoSizeChanged, series,
          [this, series] { series->setFifoSize(config_.fifoSize()); });
  // The list holds no ownership; a series its creator deletes must not stay listed.
  connect(series, &QObject::destroyed, this, [this, series] {
    if (seriesList_.removeAll(series) > 0) {
      emit seriesListChanged();
      update();
    }
  });
  seriesList_.append(series);
  emit seriesListChanged();
}

void TempChart::series_delete(TCSeriesBase* series) {
  if (!series || !seriesList_.contains(series)) return;
  disconnectSeries(series);
  seriesList_.removeAll(series);
  emit seriesListChanged();
}

void TempChart::series_deleteAll() {
  for (TCSeriesBase* s : seriesList_) disconnectSeries(s);
  seriesList_.clear();
  emit seriesListChanged();
}

void TempChart::setModes(int xmode, int ymode) {
  config_.setXmode(xmode);
  config_.setYmode(ymode);
}

void TempChart::setMode(int xmode, int ymode) {
  const bool changed = config_.xmode() != xmode || config_.ymode() != ymode;
  setModes(xmode, ymode);
  if (changed) initConfig();
}

void TempChart::refresh() {
  if (config_.xmode() == TCConfig::Automatic || config_.ymode() == TCConfig::Automatic)
    initConfig();
  else
    update();
}

// Only the two modifier keys are the chart's; every other key goes on to the parents.
void TempChart::keyPressEvent(QKeyEvent* event) {
  const int k = event->key();
  if (k != Qt::Key_Control && k != Qt::Key_Alt) {
    event->ignore();
    return;
  }
  if (keyMode_ == 0) keyMode_ = k == Qt::Key_Control ? 2 : 1;
  event->accept();
}

void TempChart::keyReleaseEvent(QKeyEvent* event) {
  const int k = event->key();
  if (k != Qt::Key_Control && k != Qt::Key_Alt) {
    event->ignore();
    return;
  }
  keyMode_ = 0;
  event->accept();
}

void TempChart::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if (!hasActiveFocus()) forceActiveFocus(Qt::MouseFocusReason);
    lastPos_ = event->position();
  }
  event->accept();
}

void TempChart::mouseMoveEvent(QMouseEvent* event) {
  if (!(event->buttons() & Qt::LeftButton)) return;
  const QPointF p = event->position();
  if (layout_.plotWidth > 0 && layout_.plotHeight > 0) {
    const double dx = (p.x() - lastPos_.x()) * layout_.xspan / layout_.plotWidth;
    const double dy = -(p.y() - lastPos_.y()) * layout_.yspan / layout_.plotHeight;
    layout_.xmin -= dx;
    layout_.xmax -= dx;
    layout_.ymin -= dy;
    layout_.ymax -= dy;
  }
  lastPos_ = p;
  setModes(TCConfig::Manual, TCConfig::Manual);
  initConfig();
}

void TempChart::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
}

void TempChart::mouseDoubleClickEvent(QMouseEvent* event) {
  setModes(TCConfig::Automatic, TCConfig::Automatic);
  initConfig();
  event->accept();
}

void TempChart::wheelEvent(QWheelEvent* event) {
  const QPointF p = event->position();
  if (!layout_.insidePlot(p.x(), p.y()) || layout_.sx == 0 || layout_.sy == 0) {
    event->ignore();
    return;
  }
  const QPoint d = event->angleDelta();
  const bool towardsUser = d.x() != 0 ? d.x() < 0 : d.y() < 0;
  const double factor = towardsUser ? 1.2 : 0.8;
  const double vx = layout_.toValueX(p.x()), vy = layout_.toValueY(p.y());
  const bool zoomX = keyMode_ != 2, zoomY = keyMode_ != 1;
  if (zoomX) {
    layout_.xmin = vx - (vx - layout_.xmin) * factor;
    layout_.xmax = (layout_.xmax - vx) * factor + vx;
    config_.setXmode(TCConfig::Manual);
  }
  if (zoomY) {
    layout_.ymin = vy - (vy - layout_.ymin) * factor;
    layout_.ymax = (layout_.ymax - vy) * factor + vy;
    config_.setYmode(TCConfig::Manual);
  }
  initConfig();
  event->accept();
}

// --- TempChartRender ----------------------------------------------------------------------------

TempChartRender::~TempChartRender() {
  qDeleteAll(snapshots_);
}

void TempChartRender::syncItem(RHIItemBase* item) {
  auto* chart = static_cast<TempChart*>(item);
  const QList<TCSeriesBase*>& list = chart->seriesList();
  while (snapshots_.size() > list.size()) delete snapshots_.takeLast();
  while (snapshots_.size() < list.size()) snapshots_.append(new TCSeriesBase);
  for (qsizetype i = 0; i < list.size(); ++i) snapshots_[i]->copyFrom(*list[i]);
  layout_ = chart->layout();
  axisXUnit_ = chart->axisXUnit();
  axisYUnit_ = chart->axisYUnit();
}

void TempChartRender::paint(QornPainter* p) {
  const PaintResources& res = paintResources();
  const TCLayout& L = layout_;
  const int snap = p->snapMode();
  const float left = float(L.plotLeft), top = float(L.plotTop), right = float(L.plotRight),
              bottom = float(L.plotBottom), pw = float(L.plotWidth), ph = float(L.plotHeight);
  const bool hasPlot = L.plotWidth > 0 && L.plotHeight > 0;
  const QList<double> xt = L.xTicks(), yt = L.yTicks();

  // 1. Grid. Fills on whole pixels as given; one-pixel lines on pixel centres.
  if (hasPlot) {
    p->setSnapMode(0);
    p->beginPath();
    p->rect(left, top, pw, ph);
    p->fillColor(res.qornColors[1]);
    p->fill();
    p->setSnapMode(1);
    p->beginPath();
    for (double t : xt) {
      const float vx = float(L.toViewX(t));
      p->moveTo(vx, top);
      p->lineTo(vx, bottom);
    }
    for (double t : yt) {
      const float vy = float(L.toViewY(t));
      p->moveTo(left, vy);
      p->lineTo(right, vy);
    }
    p->strokeColor(res.qornColors[9]);
    p->strokeWidth(1.0f);
    p->stroke();
    p->setSnapMode(0);
    const double zx = L.toViewX(0), zy = L.toViewY(0);
    if (L.valid() && L.insidePlot(zx, zy)) {
      p->beginPath();
      p->moveTo(float(zx), top);
      p->lineTo(float(zx), bottom);
      p->moveTo(left, float(zy));
      p->lineTo(right, float(zy));
      p->strokeColor(res.qornColors[2]);
      p->strokeWidth(2.0f);
      p->stroke();
    }
  }

  // 2. Series: a dot per sample inside the plot, a line for every pair with one end inside.
  clipped_ = false;
  const bool mapped = hasPlot && L.sx != 0 && L.sy != 0 && std::isfinite(L.sx) && std::isfinite(L.sy);
  if (mapped) {
    for (TCSeriesBase* s : snapshots_) {
      if (!s->visible() || s->count() == 0) continue;
      const QornColor c = qornColor(s->seriesColor());
      p->strokeColor(c);
      p->fillColor(c);
      p->strokeWidth(2.0f);
      p->beginPath();
      QList<TCSample>& samples = s->samples();
      // Dots closer than half a pixel to the last one drawn would cover the same pixels again.
      double lastX = -1e300, lastY = -1e300;
      for (TCSample& v : samples) {
        v.vx = L.toViewX(v.x);
        v.vy = L.toViewY(v.y);
        v.inside = L.insidePlot(v.vx, v.vy);
        if (!v.inside) {
          clipped_ = true;
        } else if (std::abs(v.vx - lastX) >= 0.5 || std::abs(v.vy - lastY) >= 0.5) {
          p->ellipse(float(v.vx), float(v.vy), 2.0f, 2.0f);
          lastX = v.vx;
          lastY = v.vy;
        }
      }
      // Consecutive segments continue one polyline; a gap starts a new one.
      bool open = false;
      for (qsizetype i = 1; i < samples.size(); ++i) {
        const TCSample &a = samples[i - 1], &b = samples[i];
        if (!a.inside && !b.inside) {
          open = false;
          continue;
        }
        if (!open) p->moveTo(float(a.vx), float(a.vy));
        p->lineTo(float(b.vx), float(b.vy));
        open = true;
      }
      p->stroke();
    }
  }

  // 3. Margins over lines that left the plot, tick labels, axis corner and units.
  const float h = float(L.height);
  if (clipped_) {
    p->beginPath();
    p->rect(0, 0, float(TCLayout::kLeft), h);
    p->rect(right, 0, float(TCLayout::kRight), h);
    p->rect(float(TCLayout::kLeft), 0, pw, float(TCLayout::kTop));
    p->rect(float(TCLayout::kLeft), bottom, pw, float(TCLayout::kBottom));
    p->fillColor(res.qornColors[2]);
    p->fill();
  }
  p->setFont(p->defaultFont());
  p->fillColor(res.qornColors[1]);
  for (double t : xt) {
    const QString s = QString::asprintf("%3.0f", t);
    p->text(s, float(L.toViewX(t) - 10), bottom + 20);
  }
  for (double t : yt) {
    const QString s = QString::asprintf("%3.1f", t);
    p->text(s, 20, float(L.toViewY(t) + 5));
  }
  p->beginPath();
  p->moveTo(0, h);
  p->lineTo(float(TCLayout::kLeft), bottom);
  p->strokeColor(res.qornColors[1]);
  p->strokeWidth(1.0f);
  p->stroke();
  p->text(axisYUnit_, 10, bottom + 30);
  p->text(axisXUnit_, 40, h - 10);
  p->setSnapMode(snap);
}
