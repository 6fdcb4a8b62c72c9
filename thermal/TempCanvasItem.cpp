#include "TempCanvasItem.h"

#include "TempCanvas.h"

#include <algorithm>
#include <cstring>

namespace {

// "%3.1f"
QString degrees(float v) {
  return QString::number(double(v), 'f', 1).rightJustified(3);
}

bool near(QPoint a, QPoint b) {
  return std::abs(a.x() - b.x()) < TempCanvasItemBase::kNear &&
         std::abs(a.y() - b.y()) < TempCanvasItemBase::kNear;
}

// Points a definition of this type keeps.
int pointsOfType(int type, int count) {
  switch (type) {
    case 0:
      return 0;
    case 1:
    case 2:
    case 3:
      return 1;
    case 6:
    case 7:
    case 9:
    case 10:
      return 2;
    default:
      return std::clamp(count, 0, TempCanvasItemBase::kMaxPoints);
  }
}

}  // namespace

// --- TempCanvasItemBase -------------------------------------------------------------------------

TempCanvasItemBase::TempCanvasItemBase(QObject* parent) : QObject(parent) {}
TempCanvasItemBase::~TempCanvasItemBase() = default;

void TempCanvasItemBase::setMeaName(const QString& name) {
  const QByteArray u = name.toUtf8();
  if (u.size() >= int(sizeof def.name) || name == meaName_) return;
  std::memset(def.name, 0, sizeof def.name);
  std::memcpy(def.name, u.constData(), size_t(u.size()));
  meaName_ = name;
  emit meaNameChanged();
}

void TempCanvasItemBase::setMeaColor(const QColor& c) {
  const uint32_t word = 0xFF000000u | (c.rgb() & 0xFFFFFFu);
  if (c == meaColor_ && word == def.meaColor) return;
  meaColor_ = c;
  def.meaColor = word;
  emit meaColorChanged();
}

void TempCanvasItemBase::setTextPos(int v) {
  if (v < 0 || v > 255 || v == def.reserved70[0]) return;
  def.reserved70[0] = uint8_t(v);
  emit textPosChanged();
}

void TempCanvasItemBase::setMeaFlags_trackHigh(bool v) {
  if (v == meaFlags_trackHigh()) return;
  def.meaFlags = uint8_t(v ? def.meaFlags | 1 : def.meaFlags & ~1);
  emit meaFlags_trackHighChanged();
}

void TempCanvasItemBase::setMeaFlags_trackLow(bool v) {
  if (v == meaFlags_trackLow()) return;
  def.meaFlags = uint8_t(v ? def.meaFlags | 2 : def.meaFlags & ~2);
  emit meaFlags_trackLowChanged();
}

void TempCanvasItemBase::setUse3x3(bool v) {
  if (v == use3x3()) return;
  def.use3x3 = v ? 1 : 0;
  dirty = true;
  emit use3x3Changed();
}

QObject* TempCanvasItemBase::tfm_module() const {
  return canvas ? canvas->tfm_module() : nullptr;
}
QString TempCanvasItemBase::tfm_inputNameShort() const {
  return canvas ? canvas->tfm_inputNameShort() : QString();
}

bool TempCanvasItemBase::set_fix(bool enable, float emi, float reflect) {
  bool changed = false;
  const uint32_t e = enable ? 1u : 0u;
  if (def.fixEnable != e) {
    def.fixEnable = e;
    changed = true;
  }
  if (emi != def.fixEmi && emi > 0.01f && emi < 1.01f) {
    def.fixEmi = emi;
    changed = true;
  }
  if (reflect != def.fixReflectTemp && reflect == reflect) {
    def.fixReflectTemp = reflect;
    changed = true;
  }
  dirty |= changed;
  return changed;
}

int TempCanvasItemBase::indexInCanvas() const {
  if (!canvas) return 0;
  const QList<TempCanvasItemBase*> list = canvas->itemList();
  const qsizetype i = list.indexOf(const_cast<TempCanvasItemBase*>(this));
  return int(i < 0 ? list.size() : i);
}

int TempCanvasItemBase::viewCount() const {
  return pointsOfType(def.meaType, def.pointCount);
}

void TempCanvasItemBase::adoptDef(TempCanvas* c, const MeaItem* src) {
  canvas = c;
  if (src)
    std::memcpy(&def, src, sizeof def);
  else
    std::memset(&def, 0, sizeof def);
  def.name[sizeof def.name - 1] = 0;
  def.pointCount = uint8_t(pointsOfType(def.meaType, def.pointCount));
  const int w = c ? c->imageWidth() : 0, h = c ? c->imageHeight() : 0;
  for (int i = 0; i < def.pointCount; ++i) {
    if (w > 0) def.points[i].x = uint16_t(std::min<int>(def.points[i].x, w - 1));
    if (h > 0) def.points[i].y = uint16_t(std::min<int>(def.points[i].y, h - 1));
  }
  dirty = true;
  measuredSerial_ = 0;
}

void TempCanvasItemBase::initFromDef(TempCanvas* c, const MeaItem* src) {
  adoptDef(c, src);
  meaName_ = QString::fromUtf8(def.name, int(strnlen(def.name, sizeof def.name)));
  meaColor_ = QColor::fromRgb(def.meaColor | 0xFF000000u);
  mapToView();
}

void TempCanvasItemBase::clampToView(QPoint* p) const {
  const int l = int(canvas->viewLeft()), r = int(canvas->viewRight());
  const int t = int(canvas->viewTop()), b = int(canvas->viewBottom());
  p->setX(std::clamp(p->x(), l, std::max(l, r)));
  p->setY(std::clamp(p->y(), t, std::max(t, b)));
}

void TempCanvasItemBase::mapToImage() {
  if (!canvas) return;
  const int n = viewCount();
  for (int i = 0; i < n; ++i) {
    clampToView(&viewPoints[i]);
    def.points[i].x = uint16_t(TempCanvas::lookup(canvas->viewToImageX, viewPoints[i].x()));
    def.points[i].y = uint16_t(TempCanvas::lookup(canvas->viewToImageY, viewPoints[i].y()));
  }
  dirty = true;
}

void TempCanvasItemBase::mapToView() {
  if (!canvas) return;
  const int n = viewCount();
  for (int i = 0; i < n; ++i)
    viewPoints[i] = QPoint(TempCanvas::lookup(canvas->imageToViewX, def.points[i].x),
                           TempCanvas::lookup(canvas->imageToViewY, def.points[i].y));
}

int TempCanvasItemBase::hitTest(QPoint) {
  return -1;
}
void TempCanvasItemBase::movePoint(int, QPoint) {}
int TempCanvasItemBase::addPoint(QPoint) {
  return 0;
}

int TempCanvasItemBase::reportHit(int r) {
  if (editIndex != r) {
    editIndex = r;
    if (canvas) canvas->selectItem(this);
  }
  return r;
}

void TempCanvasItemBase::measure() {
  if (!canvas || !canvas->hasFrame()) return;
  MeaResult r = result;
  if (VEZ2024_GetResult(&def, canvas->frameHead(), canvas->frameData(), &r) == 0) result = r;
  dirty = false;
  measuredSerial_ = canvas->frameSerial();
  result_min_ = QStringLiteral("%1 (%2,%3)").arg(degrees(result.min)).arg(result.minX).arg(result.minY);
  result_max_ = QStringLiteral("%1 (%2,%3)").arg(degrees(result.max)).arg(result.maxX).arg(result.maxY);
  result_avg_ = degrees(result.avg);
  emit result_minChanged();
  emit result_maxChanged();
  emit result_avgChanged();
}

bool TempCanvasItemBase::measureIfStale() {
  if (!canvas || !canvas->hasFrame()) return false;
  if (!dirty && measuredSerial_ == canvas->frameSerial()) return false;
  measure();
  return true;
}

void TempCanvasItemBase::snapshot(TempCanvasItemSnapshot* out) const {
  out->def = def;
  out->result = result;
  out->viewCount = viewCount();
  std::copy(viewPoints, viewPoints + out->viewCount, out->viewPoints);
  out->editIndex = editIndex;
  out->kind = def.meaType;
  out->visible = true;
}

// --- Global -------------------------------------------------------------------------------------

void TempCanvasItemGlobal::initFromDef(TempCanvas* c, const MeaItem* src) {
  const uint32_t before = def.meaColor;
  adoptDef(c, src);
  def.meaType = 0;
  def.pointCount = 0;
  meaName_ = QStringLiteral("GLOBAL");
  meaColor_ = QColor::fromRgb(def.meaColor | 0xFF000000u);
  def.meaColor |= 0xFF000000u;
  if (def.meaColor != before) emit meaColorChanged();
  mapToView();
  emit meaFlags_trackHighChanged();
}

// --- Point --------------------------------------------------------------------------------------

TempCanvasItemPoint::TempCanvasItemPoint(int type, QObject* parent)
    : TempCanvasItemBase(parent), pointType(type == 1 || type == 3 ? type : 2) {}

int TempCanvasItemPoint::hitTest(QPoint p) {
  return reportHit(near(p, viewPoints[0]) ? 1 : -1);
}

void TempCanvasItemPoint::movePoint(int index, QPoint p) {
  viewPoints[0] = p;
  mapToImage();
  editIndex = index;
  if (canvas) canvas->selectItem(this);
}

// --- Polyline and polygon -----------------------------------------------------------------------

int TempCanvasItemPolyline::hitTest(QPoint p) {
  const int n = viewCount();
  for (int i = 0; i < n; ++i)
    if (near(p, viewPoints[i])) return reportHit(i + 1);
  if (n >= 2) {
    const int64_t px = p.x(), py = p.y();
    for (int i = 0; i + 1 < n; ++i) {
      const int64_t x1 = viewPoints[i].x(), y1 = viewPoints[i].y();
      const int64_t x2 = viewPoints[i + 1].x(), y2 = viewPoints[i + 1].y();
      const bool between = (x1 < px && px < x2) || (y1 < py && py < y2);
      if (!between) continue;
      const int64_t cross = (x1 - x2) * (py - y1) - (y1 - y2) * (px - x1);
      if (cross * cross < 8 * ((x1 - x2) * (x1 - x2) + (y2 - y1) * (y2 - y1))) return reportHit(0);
    }
  }
  return reportHit(-1);
}

void TempCanvasItemPolyline::movePoint(int index, QPoint p) {
  const int n = viewCount();
  if (index >= 1 && index <= kMaxPoints) {
    if (index <= n) viewPoints[index - 1] = p;
  } else {
    for (int i = 0; i < n; ++i) viewPoints[i] += p;
    index = 0;
  }
  editIndex = index;
  mapToImage();
  if (canvas) canvas->selectItem(this);
}

int TempCanvasItemPolyline::addPoint(QPoint p) {
  const int n = viewCount();
  if (n >= kMaxPoints) return kMaxPoints;
  viewPoints[n] = p;
  def.pointCount = uint8_t(n + 1);
  mapToImage();
  editIndex = n + 1;
  return n + 1;
}

void TempCanvasItemPolyline::removeLastPoint() {
  if (def.pointCount <= 2) return;
  --def.pointCount;
  dirty = true;
  editIndex = -1;
}

int TempCanvasItemPolygon::hitTest(QPoint p) {
  const int n = viewCount();
  for (int i = 0; i < n; ++i)
    if (near(p, viewPoints[i])) return reportHit(i + 1);
  if (n == 0) return reportHit(-1);
  bool inside = false;
  const int64_t px = p.x(), py = p.y();
  for (int i = 0, j = n - 1; i < n; j = i++) {
    const int64_t xi = viewPoints[i].x(), yi = viewPoints[i].y();
    const int64_t xj = viewPoints[j].x(), yj = viewPoints[j].y();
    if ((yi > py) != (yj > py)) {
      // px < xj + (py - yj) * (xi - xj) / (yi - yj), without division and with the sign of
      // the denominator folded in.
      const int64_t lhs = (px - xj) * (yi - yj), rhs = (py - yj) * (xi - xj);
      if (yi - yj > 0 ? lhs < rhs : lhs > rhs) inside = !inside;
    }
  }
  return reportHit(inside ? 0 : -1);
}

void TempCanvasItemPolygon::removeLastPoint() {
  if (def.pointCount <= 3) return;
  --def.pointCount;
  dirty = true;
  editIndex = 0;
}

// --- Rectangle family ---------------------------------------------------------------------------

TempCanvasItemRect::TempCanvasItemRect(int type, QObject* parent)
    : TempCanvasItemBase(parent),
      rectType(type == 6 || type == 7 || type == 10 ? type : 9),
      square(rectType == 7 || rectType == 10) {}

void TempCanvasItemRect::rebuildCorners() {
  viewPoints[0] = QPoint(x0, y0);
  viewPoints[1] = QPoint(x1, y0);
  viewPoints[2] = QPoint(x1, y1);
  viewPoints[3] = QPoint(x0, y1);
}

void TempCanvasItemRect::mapToImage() {
  if (!canvas) return;
  if (x1 < x0) x1 = x0;
  if (y1 < y0) y1 = y0;
  const int l = int(canvas->viewLeft()), r = std::max(l, int(canvas->viewRight()));
  const int t = int(canvas->viewTop()), b = std::max(t, int(canvas->viewBottom()));
  x0 = std::clamp(x0, l, r);
  x1 = std::clamp(x1, l, r);
  y0 = std::clamp(y0, t, b);
  y1 = square ? x1 + y0 - x0 : std::clamp(y1, t, b);
  rebuildCorners();
  def.points[0].x = uint16_t(TempCanvas::lookup(canvas->viewToImageX, x0));
  def.points[0].y = uint16_t(TempCanvas::lookup(canvas->viewToImageY, y0));
  def.points[1].x = uint16_t(TempCanvas::lookup(canvas->viewToImageX, x1));
  def.points[1].y = uint16_t(TempCanvas::lookup(canvas->viewToImageY, y1));
  dirty = true;
}

void TempCanvasItemRect::mapToView() {
  if (!canvas) return;
  x0 = TempCanvas::lookup(canvas->imageToViewX, def.points[0].x);
  y0 = TempCanvas::lookup(canvas->imageToViewY, def.points[0].y);
  x1 = TempCanvas::lookup(canvas->imageToViewX, def.points[1].x);
  y1 = square ? x1 + y0 - x0 : TempCanvas::lookup(canvas->imageToViewY, def.points[1].y);
  rebuildCorners();
}

int TempCanvasItemRect::hitTest(QPoint p) {
  for (int i = 0; i < 4; ++i)
    if (near(p, viewPoints[i])) return reportHit(i + 1);
  const bool inside = x0 <= p.x() && p.x() <= x1 && y0 <= p.y() && p.y() <= y1;
  return reportHit(inside ? 0 : -1);
}

void TempCanvasItemRect::movePoint(int index, QPoint p) {
  const int px = p.x(), py = p.y();
  switch (index) {
    case 1:
      x0 = px;
      y0 = py;
      if (square) {
        const int w = x1 - px, h = y1 - py;
        if (w < h)
          x0 = x1 - h;
        else
          y0 = y1 - w;
      }
      break;
    case 2:
      x1 = px;
      y0 = py;
      if (square) {
        const int w = px - x0, h = y1 - py;
        if (w < h)
          x1 = x0 + h;
        else
          y0 = y1 - w;
      }
      break;
    case 3:
      x1 = px;
      y1 = py;
      if (square) {
        const int w = px - x0, h = py - y0;
        if (w < h)
          x1 = x0 + h;
        else
          y1 = y0 + w;
      }
      break;
    case 4:
      x0 = px;
      y1 = py;
      if (square) {
        const int w = x1 - px, h = py - y0;
        if (w < h)
          x0 = x1 - h;
        else
          y1 = y0 + w;
      }
      break;
    default:
      x0 += px;
      x1 += px;
      y0 += py;
      y1 += py;
      index = 0;
      break;
  }
  editIndex = index;
  mapToImage();
  if (canvas) canvas->selectItem(this);
}

int TempCanvasItemRect::addPoint(QPoint p) {
  movePoint(3, p);
  return 3;
}

void TempCanvasItemRect::removeLastPoint() {
  editIndex = 0;
}

// --- Cursor readout -----------------------------------------------------------------------------

TempCanvasItemMouse::TempCanvasItemMouse() {
  def.meaType = 1;
  def.pointCount = 1;
}

void TempCanvasItemMouse::attach(TempCanvas* c) {
  canvas = c;
}

void TempCanvasItemMouse::setPos(QPoint p) {
  if (!canvas) return;
  if (p.x() > int(canvas->viewLeft()) && p.x() < int(canvas->viewRight()) && p.y() > int(canvas->viewTop()) &&
      p.y() < int(canvas->viewBottom())) {
    viewPoint = p;
    def.points[0].x = uint16_t(TempCanvas::lookup(canvas->viewToImageX, p.x()));
    def.points[0].y = uint16_t(TempCanvas::lookup(canvas->viewToImageY, p.y()));
    measure();
  }
  canvas->selectItem(canvas->itemSelected());
}

void TempCanvasItemMouse::measure() {
  if (!visible || !canvas || !canvas->hasFrame()) return;
  MeaResult r = result;
  if (VEZ2024_GetResult(&def, canvas->frameHead(), canvas->frameData(), &r) == 0) result = r;
}

void TempCanvasItemMouse::snapshot(TempCanvasItemSnapshot* out) const {
  out->def = def;
  out->result = result;
  out->viewPoints[0] = viewPoint;
  out->viewCount = 1;
  out->editIndex = -1;
  out->kind = -1;
  out->visible = visible;
}
