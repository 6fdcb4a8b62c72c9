#include "ItemPainter.h"

#include "PaintResources.h"

#include <ostrel/OstrelRadiometry.h>
#include <qorn/QornInit.h>
#include <qorn/QornPainter.h>

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cstring>

namespace {

// Lookup tables cover indexes -32768..32767; a 16-bit image coordinate above that would read past
// the table, so it takes the last entry (which maps to the image's far edge anyway).
inline int lookup(const int16_t* table, int i) {
  if (!table) return i;
  return table[std::clamp(i, -32768, 32767)];
}

constexpr int kBreakWidth = 1000;

QString degrees(float v) {
  return QString::asprintf("%3.1f", double(v));
}

// Names are user text: substituted in one pass so a "%1" inside a name stays as it is.
QString statsText(const QString& name, const MeaResult& r) {
  return QStringLiteral("%1\nMax: %2\nAvg: %3\nMin: %4")
      .arg(name, degrees(r.max), degrees(r.avg), degrees(r.min));
}

}  // namespace

void ItemPainter::setTables(const int16_t* imageToViewX, const int16_t* imageToViewY,
                            const int16_t* viewToImageX, const int16_t* viewToImageY) {
  imageToViewX_ = imageToViewX;
  imageToViewY_ = imageToViewY;
  viewToImageX_ = viewToImageX;
  viewToImageY_ = viewToImageY;
}

void ItemPainter::beginQorn(QornPainter* painter, const ItemPaintView* canvas) {
  qp_ = nullptr;
  qorn_ = painter;
  canvas_ = canvas;
  imageWidth_ = canvas ? canvas->imageWidth : 0;
  imageHeight_ = canvas ? canvas->imageHeight : 0;
  viewWidth_ = canvas ? canvas->viewWidth : 0;
  viewHeight_ = canvas ? canvas->viewHeight : 0;
  if (qorn_) qorn_->setFont(qorn_->defaultFont());
}

void ItemPainter::beginQPainter(QPainter* painter, int imageWidth, int imageHeight, int viewWidth,
                                int viewHeight) {
  qorn_ = nullptr;
  qp_ = painter;
  canvas_ = nullptr;
  imageWidth_ = imageWidth;
  imageHeight_ = imageHeight;
  viewWidth_ = viewWidth;
  viewHeight_ = viewHeight;
  if (qp_) qp_->setFont(paintResources().labelFont);
}

void ItemPainter::end() {
  qorn_ = nullptr;
  qp_ = nullptr;
  canvas_ = nullptr;
}

void ItemPainter::drawImage(QornImage& image, const QRectF& source, const QRectF& target) {
  if (qorn_) qorn_->drawImage(image, source, target);
}

double ItemPainter::viewLeft() const {
  return canvas_ ? canvas_->viewLeft : 0.0;
}
double ItemPainter::viewTop() const {
  return canvas_ ? canvas_->viewTop : 0.0;
}
double ItemPainter::viewRight() const {
  return canvas_ ? canvas_->viewRight : double(viewWidth_);
}
double ItemPainter::viewBottom() const {
  return canvas_ ? canvas_->viewBottom : double(viewHeight_);
}

QPoint ItemPainter::toView(int imageX, int imageY) const {
  return QPoint(lookup(imageToViewX_, imageX), lookup(imageToViewY_, imageY));
}

int ItemPainter::pointCountFor(int meaType, int pointCount) {
  switch (meaType) {
    case 0:
      return 0;
    case 1:
    case 2:
    case 3:
    case 6:
    case 7:
    case 9:
    case 10:
      return 2;
    default:
      return std::clamp(pointCount, 0, kMaxPoints);
  }
}

int ItemPainter::defPoints(const MeaItem& def) {
  const int n = pointCountFor(def.meaType, def.pointCount);
  for (int i = 0; i < n; ++i) scratch_[i] = toView(def.points[i].x, def.points[i].y);
  return n;
}

QString ItemPainter::itemName(const MeaItem& def) const {
  return QString::fromUtf8(def.name, int(strnlen(def.name, sizeof def.name)));
}

void ItemPainter::setItemStroke(uint32_t meaColor) {
  const uint32_t argb = meaColor | 0xFF000000u;
  if (qorn_) {
    qorn_->strokeColor(qornColorFromArgb(argb));
    qorn_->strokeWidth(2.0f);
  } else if (qp_) {
    qp_->setPen(QPen(QBrush(QColor::fromRgba(argb)), 2, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    qp_->setBrush(Qt::NoBrush);
  }
}

void ItemPainter::fillRect(const QRectF& r, int colorIndex) {
  const PaintResources& res = paintResources();
  if (qorn_) {
    qorn_->beginPath();
    qorn_->rect(float(r.x()), float(r.y()), float(r.width()), float(r.height()));
    qorn_->fillColor(res.qornColors[colorIndex]);
    qorn_->fill();
  } else if (qp_) {
    qp_->fillRect(r, res.brushes[colorIndex]);
  }
}

QSizeF ItemPainter::measure(const QString& text, QPointF* textOrigin) {
  if (qorn_) {
    // The renderer lays labels out as a text box; its bounds are relative to the first baseline.
    const QRectF b = qorn_->textBounds(text, 0, 0, float(kBreakWidth));
    *textOrigin = QPointF(-b.x(), -b.y());
    return b.size();
  }
  const QSize s = paintResources().labelMetrics->size(0, text);
  *textOrigin = QPointF(0, 0);
  return QSizeF(s);
}

void ItemPainter::drawText(const QString& text, const QRectF& box, QPointF textOrigin, int textColor) {
  const PaintResources& res = paintResources();
  if (qorn_) {
    qorn_->fillColor(res.qornColors[textColor]);
    qorn_->text(text, float(box.x() + textOrigin.x()), float(box.y() + textOrigin.y()), float(kBreakWidth));
  } else if (qp_) {
    qp_->setPen(res.pens[textColor]);
    qp_->drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
  }
}

QRectF ItemPainter::drawLabel(QPoint anchor, int textPos, const QString& text, int offset, int textColor,
                              int backColor) {
  if (!active()) return QRectF();
  QPointF origin;
  const QSizeF size = measure(text, &origin);
  const double w = size.width(), h = size.height();
  const double ax = anchor.x(), ay = anchor.y(), d = offset;
  double x, y;
  switch (textPos) {
    case 1:
      x = ax - w - d;
      y = ay - h - d;
      break;
    case 2:
      x = ax + d;
      y = ay - h - d;
      break;
    case 3:
      x = ax - w - d;
      y = ay + d;
      break;
    case 4:
      x = ax + d;
      y = ay + d;
      break;
    default:
      x = ax + d;
      y = ay + d;
      if (ax + d + w > viewWidth_) x = ax - w - d;
      if (ay + d + h > viewHeight_) y = ay - h - d;
      break;
  }
  const QRectF box(x, y, w, h);
  fillRect(box, backColor);
  drawText(text, box, origin, textColor);
  lastLabel_ = box;
  return box;
}

void ItemPainter::drawCornerText(int corner, const QString& text, int textColor, int backColor) {
  if (!active()) return;
  QPointF origin;
  const QSizeF size = measure(text, &origin);
  const double w = size.width(), h = size.height();
  QPointF at;
  switch (corner) {
    case 1:
      at = QPointF(0, 0);
      break;
    case 2:
      at = QPointF(viewWidth_ - w, 0);
      break;
    case 3:
      at = QPointF(0, viewHeight_ - h);
      break;
    default:
      at = QPointF(viewWidth_ - w, viewHeight_ - h);
      break;
  }
  const QRectF box(at, size);
  fillRect(box, backColor);
  drawText(text, box, origin, textColor);
}

void ItemPainter::drawCenteredText(const QString& text, const QRectF& rect, int penIndex, int brushIndex) {
  if (!active()) return;
  penIndex = std::clamp(penIndex, 0, kPaintColorCount - 1);
  const PaintResources& res = paintResources();
  QPointF origin;
  const QSizeF size = measure(text, &origin);
  if (brushIndex >= 0 && brushIndex < kPaintColorCount) {
    fillRect(rect, brushIndex);
    if (qorn_) {
      qorn_->beginPath();
      qorn_->rect(float(rect.x()), float(rect.y()), float(rect.width()), float(rect.height()));
      qorn_->strokeColor(res.qornColors[penIndex]);
      qorn_->strokeWidth(2.0f);
      qorn_->stroke();
    } else {
      qp_->setPen(res.pens[penIndex]);
      qp_->setBrush(Qt::NoBrush);
      qp_->drawRect(rect);
    }
  }
  const QRectF box(rect.center().x() - size.width() / 2, rect.center().y() - size.height() / 2, size.width(),
                   size.height());
  drawText(text, box, origin, penIndex);
}

void ItemPainter::drawHandles(const QPoint* points, int count) {
  if (!active() || !points) return;
  for (int i = 0; i < count; ++i) {
    const int x = points[i].x(), y = points[i].y();
    fillRect(QRectF(x - 4, y - 4, 8, 8), 1);
    fillRect(QRectF(x - 2, y - 2, 4, 4), 2);
  }
}

void ItemPainter::drawExtremeMarker(int x, int y, bool hottest) {
  if (!active()) return;
  const int dy = hottest ? -8 : 8;
  const PaintResources& res = paintResources();
  const int fill = hottest ? 3 : 5;
  if (qorn_) {
    qorn_->beginPath();
    qorn_->moveTo(float(x), float(y));
    qorn_->lineTo(float(x - 4), float(y + dy));
    qorn_->lineTo(float(x + 4), float(y + dy));
    // Closed, so the outline joins at the tip instead of ending in two caps.
    if (qorn_->core()) qornClosePath(qorn_->core());
    qorn_->fillColor(res.qornColors[fill]);
    qorn_->fill();
    qorn_->strokeColor(res.qornColors[1]);
    qorn_->strokeWidth(1.0f);
    qorn_->stroke();
  } else {
    const QPoint tri[3] = {QPoint(x, y), QPoint(x - 4, y + dy), QPoint(x + 4, y + dy)};
    QPen pen = res.pens[1];
    pen.setWidth(1);
    qp_->setPen(pen);
    qp_->setBrush(res.brushes[fill]);
    qp_->drawPolygon(tri, 3);
  }
}

void ItemPainter::drawMarkers(const MeaItem& def, const MeaResult& res) {
  if (def.meaFlags & 1) {
    const QPoint p = toView(res.maxX, res.maxY);
    drawExtremeMarker(p.x(), p.y(), true);
  }
  if (def.meaFlags & 2) {
    const QPoint p = toView(res.minX, res.minY);
    drawExtremeMarker(p.x(), p.y(), false);
  }
}

void ItemPainter::drawPoint(const MeaItem& def, const MeaResult& res, const QPoint* viewPoints,
                            int pointType) {
  if (!active()) return;
  if (!viewPoints) {
    if (defPoints(def) < 1) return;
    viewPoints = scratch_;
  }
  const int x = viewPoints[0].x(), y = viewPoints[0].y();
  const int half = pointType == 2 ? 6 : 4;
  // Arms end 12 or 14 pixels from the centre, or for type 3 at the displayed image's edges.
  double left, right, top, bottom;
  if (pointType == 3) {
    left = viewLeft();
    right = viewRight();
    top = viewTop();
    bottom = viewBottom();
  } else {
    const int arm = pointType == 2 ? 14 : 12;
    left = x - arm;
    right = x + arm;
    top = y - arm;
    bottom = y + arm;
  }
  setItemStroke(def.meaColor);
  if (qorn_) {
    qorn_->beginPath();
    qorn_->rect(float(x - half), float(y - half), float(2 * half), float(2 * half));
    qorn_->moveTo(float(x - half), float(y));
    qorn_->lineTo(float(left), float(y));
    qorn_->moveTo(float(x + half), float(y));
    qorn_->lineTo(float(right), float(y));
    qorn_->moveTo(float(x), float(y - half));
    qorn_->lineTo(float(x), float(top));
    qorn_->moveTo(float(x), float(y + half));
    qorn_->lineTo(float(x), float(bottom));
    qorn_->stroke();
  } else {
    qp_->drawRect(QRectF(x - half, y - half, 2 * half, 2 * half));
    qp_->drawLine(QPointF(x - half, y), QPointF(left, y));
    qp_->drawLine(QPointF(x + half, y), QPointF(right, y));
    qp_->drawLine(QPointF(x, y - half), QPointF(x, top));
    qp_->drawLine(QPointF(x, y + half), QPointF(x, bottom));
  }
  drawLabel(QPoint(x, y), def.reserved70[0], QStringLiteral("%1\n%2").arg(itemName(def), degrees(res.avg)),
            5);
}

void ItemPainter::drawPoly(const MeaItem& def, const MeaResult& res, const QPoint* viewPoints, int editIndex,
                           int type) {
  if (!active()) return;
  const int n = pointCountFor(type, def.pointCount);
  if (!viewPoints) {
    defPoints(def);
    viewPoints = scratch_;
  }
  if (n < 1) return;
  setItemStroke(def.meaColor);
  if (qorn_) {
    qorn_->beginPath();
    if (type == 11)
      qorn_->polygon(viewPoints, n);
    else
      qorn_->polyline(viewPoints, n);
    qorn_->stroke();
  } else if (type == 11) {
    qp_->drawPolygon(viewPoints, n, Qt::OddEvenFill);
  } else {
    qp_->drawPolyline(viewPoints, n);
  }
  if (editIndex == 0)
    drawHandles(viewPoints, n);
  else if (editIndex > 0 && editIndex <= n)
    drawHandles(&viewPoints[editIndex - 1], 1);
  if (def.reserved84 == 0) {
    drawLabel(viewPoints[0], def.reserved70[0], statsText(itemName(def), res), 5);
  }
  if (type != 11 || n > 2) drawMarkers(def, res);
}

void ItemPainter::drawRect(const MeaItem& def, const MeaResult& res, const QPoint* viewPoints, int editIndex,
                           int rectType) {
  if (!active()) return;
  QPoint corners[4];
  if (viewPoints) {
    std::copy(viewPoints, viewPoints + 4, corners);
  } else {
    defPoints(def);
    const QPoint a = scratch_[0], b = scratch_[1];
    corners[0] = a;
    corners[1] = QPoint(b.x(), a.y());
    corners[2] = b;
    corners[3] = QPoint(a.x(), b.y());
  }
  const int x0 = corners[0].x(), y0 = corners[0].y(), x1 = corners[2].x(), y1 = corners[2].y();
  // Both corner pixels belong to the rectangle.
  const double w = x1 - x0 + 1, h = y1 - y0 + 1;
  setItemStroke(def.meaColor);
  const bool ellipse = rectType == 6 || rectType == 7;
  if (qorn_) {
    qorn_->beginPath();
    if (ellipse)
      qorn_->ellipse(float(x0 + w / 2), float(y0 + h / 2), float(w / 2), float(h / 2));
    else
      qorn_->rect(float(x0), float(y0), float(w), float(h));
    qorn_->stroke();
  } else if (ellipse) {
    qp_->drawEllipse(QPointF(x0 + w / 2, y0 + h / 2), w / 2, h / 2);
  } else {
    qp_->drawRect(QRectF(x0, y0, w, h));
  }
  if (editIndex == 0)
    drawHandles(corners, 4);
  else if (editIndex >= 1 && editIndex <= 4)
    drawHandles(&corners[editIndex - 1], 1);
  if (def.reserved84 == 0) {
    drawLabel(corners[0], def.reserved70[0], statsText(itemName(def), res), 5);
  }
  drawMarkers(def, res);
}

void ItemPainter::drawGlobal(const MeaItem& def, const MeaResult& res) {
  if (!active()) return;
  drawMarkers(def, res);
}

void ItemPainter::drawMouse(const MeaItem& def, const MeaResult& res, QPoint cursor) {
  if (!active()) return;
  drawLabel(cursor, 0,
            QString::asprintf("%3.1f, (%d, %d)", double(res.avg), int(def.points[0].x), int(def.points[0].y)),
            10);
}
