#include "TempCanvas.h"

#include "ItemPainter.h"
#include "PaintResources.h"
#include "TempCanvasManager.h"
#include "TempCanvasTool.h"

#include <qorn/QornPainter.h>

#include <QCursor>
#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kTableSize = 65536;
constexpr int kTableZero = 32768;

TempCanvasManager* manager() {
  return TempCanvasManager::instance();
}

}  // namespace

int TempCanvas::lookup(const int16_t* table, int i) {
  return table[std::clamp(i, -32768, 32767)];
}

TempCanvas::TempCanvas(QQuickItem* parent) : RHIItemBase(parent) {
  setAcceptedMouseButtons(Qt::LeftButton | Qt::RightButton);
  setAcceptHoverEvents(true);
  setColor(QColor::fromRgba(paintColorArgb(2)));
  tables_.assign(size_t(4) * kTableSize, 0);
  imageToViewX = tables_.data() + kTableZero;
  imageToViewY = imageToViewX + kTableSize;
  viewToImageX = imageToViewY + kTableSize;
  viewToImageY = viewToImageX + kTableSize;

  itemGlobal_ = new TempCanvasItemGlobal;
  MeaItem zero{};
  zero.meaColor = 0xFF808080u;
  itemGlobal_->initFromDef(this, &zero);
  itemMouse_.attach(this);
  itemList_.append(itemGlobal_);
  itemSelected_ = itemGlobal_;

  tools_[0] = new TempCanvasToolSelect(this);
  for (int t : {1, 2, 3}) tools_[t] = new TempCanvasToolPoint(this, t);
  tools_[5] = new TempCanvasToolPolyline(this);
  for (int t : {6, 7, 9, 10}) tools_[t] = new TempCanvasToolRect(this, t);
  tools_[11] = new TempCanvasToolPolygon(this);

  connect(this, &QQuickItem::widthChanged, this, &TempCanvas::changeCanvasWH);
  connect(this, &QQuickItem::heightChanged, this, &TempCanvas::changeCanvasWH);
  if (TempCanvasManager* m = manager()) m->registerCanvas(this, 0);
}

TempCanvas::~TempCanvas() {
  TempCanvasManager* m = manager();
  if (m) {
    m->registerCanvas(this, 3);
    m->registerItem(itemGlobal_, 3);
  }
  for (qsizetype i = 1; i < itemList_.size(); ++i) {
    if (m) m->registerItem(itemList_[i], 3);
    delete itemList_[i];
  }
  itemList_.clear();
  if (m && m->meaSelected() && m->meaSelected()->canvas == this) m->setMeaSelected(nullptr);
  delete itemGlobal_;
  for (TempCanvasToolBase* t : tools_) delete t;
}

// --- Properties ---------------------------------------------------------------------------------

void TempCanvas::setTool(int t) {
  if (!begun_ || t < 0 || t >= kToolCount || t == tool_) return;
  if (t == 0 || t == 2 || t == 5 || t == 11) setCursor(Qt::ArrowCursor);
  const int old = tool_;
  tool_ = t;
  if (old == 0 || t == 0) selectItem(nullptr);
  emit toolChanged();
}

void TempCanvas::setTfm_module(QObject* module) {
  if (module == tfm_module_) return;
  tfm_module_ = module;
  QString name;
  if (module) {
    // The module's input and its short name are read through their properties: this library
    // cannot see the program's classes.
    if (QObject* input = module->property("input").value<QObject*>())
      name = input->property("inputNameShort").toString();
  }
  tfm_inputNameShort_ = name;
  emit tfm_moduleChanged();
}

void TempCanvas::setInfoText(const QString& t) {
  if (t == infoText_) return;
  infoText_ = t;
  emit infoTextChanged();
  update();
}

void TempCanvas::setInfoVisible(bool v) {
  if (v == infoVisible_) return;
  infoVisible_ = v;
  emit infoVisibleChanged();
  update();
}

// --- Frames -------------------------------------------------------------------------------------

int TempCanvas::beginUpdate(int w, int h) {
  if (w <= 0 || h <= 0 || w > 32767 || h > 32767) return -8;
  if (begun_) return -7;
  if (w != imageWidth_ || h != imageHeight_) {
    imageWidth_ = w;
    imageHeight_ = h;
    imageAspect_ = double(w) / double(h);
  }
  hasFrame_ = false;
  newData_ = false;
  fitView();
  if (TempCanvasManager* m = manager()) m->registerItem(itemGlobal_, 0);
  begun_ = true;
  return 0;
}

void TempCanvas::endUpdate() {
  if (!begun_) return;
  if (TempCanvasManager* m = manager()) m->registerItem(itemGlobal_, 3);
  begun_ = false;
  update();
}

int TempCanvas::updateData(const FrameSlot* ref) {
  if (!begun_) return -7;
  if (!ref || !ref->head || !ref->data || !ref->image) return -8;
  if (ref->head->width != imageWidth_ || ref->head->height != imageHeight_) return -11;
  // The frame belongs to its producer and may be refilled at any time after this call: what is
  // measured and shown is the canvas's own copy.
  const size_t n = size_t(imageWidth_) * size_t(imageHeight_);
  frameHead_ = *ref->head;
  frameCodes_.resize(n);
  std::memcpy(frameCodes_.data(), ref->data, n * sizeof(int16_t));
  frameBgra_.resize(n);
  const uint32_t* src = ref->image;
  uint32_t* dst = frameBgra_.data();
  // The palette table leaves alpha at 0; the texture would be invisible.
  for (size_t i = 0; i < n; ++i) dst[i] = src[i] | 0xFF000000u;
  hasFrame_ = true;
  newData_ = true;
  ++frameSerial_;
  selectItem(itemSelected_);
  for (TempCanvasItemBase* item : std::as_const(itemList_)) emit item->meaTempDataChanged();
  paletteData_.updateGbl(itemGlobal_->result.min, itemGlobal_->result.max);
  return 0;
}

void TempCanvas::forceRedraw() {
  for (qsizetype i = 0; i < itemList_.size(); ++i) {
    TempCanvasItemBase* item = itemList_[i];
    if (!item->dirty) continue;
    item->measure();
    emit item->meaTempDataChanged();
    if (i == 0) paletteData_.updateGbl(item->result.min, item->result.max);
  }
  update();
}

// --- Items --------------------------------------------------------------------------------------

TempCanvasItemBase* TempCanvas::createItem(const MeaItem* def) {
  if (!def || itemList_.size() >= kMaxItems) return nullptr;
  TempCanvasItemBase* item = nullptr;
  switch (def->meaType) {
    case 1:
    case 2:
    case 3:
      item = new TempCanvasItemPoint(def->meaType);
      break;
    case 5:
      item = new TempCanvasItemPolyline;
      break;
    case 6:
    case 7:
    case 9:
    case 10:
      item = new TempCanvasItemRect(def->meaType);
      break;
    case 11:
      item = new TempCanvasItemPolygon;
      break;
    default:
      return nullptr;
  }
  item->initFromDef(this, def);
  item->measure();
  itemList_.append(item);
  emit itemListChanged();
  if (TempCanvasManager* m = manager()) m->registerItem(item, 0);
  return item;
}

int TempCanvas::setItemDefs(const MeaItem* defs, int count) {
  if (!begun_) return -7;
  if (!defs || count < 1) return -8;
  itemGlobal_->initFromDef(this, &defs[0]);
  for (int i = 1; i < count && itemList_.size() < kMaxItems; ++i)
    if (!createItem(&defs[i])) break;
  selectItem(itemGlobal_);
  return 0;
}

int TempCanvas::getItemDefs(MeaItem* defs, int count) const {
  if (!defs) return -8;
  const int n = std::clamp(count, 0, int(itemList_.size()));
  for (int i = 0; i < n; ++i) std::memcpy(&defs[i], &itemList_[i]->def, sizeof(MeaItem));
  return n;
}

void TempCanvas::resetSelectionAfterDelete() {
  if (itemSelected_ == itemGlobal_) return;
  itemSelected_ = itemGlobal_;
  emit itemSelectedChanged();
  if (TempCanvasManager* m = manager()) m->setMeaSelected(itemGlobal_);
}

void TempCanvas::item_delete(TempCanvasItemBase* item) {
  const qsizetype i = item ? itemList_.indexOf(item, 1) : -1;
  if (i < 1) return;
  if (TempCanvasManager* m = manager()) m->registerItem(item, 3);
  itemList_.removeAt(i);
  for (TempCanvasToolBase* t : tools_)
    if (t) t->forget(item);
  if (itemSelected_ == item) itemSelected_ = nullptr;  // never left pointing at a deleted item
  emit itemListChanged();
  delete item;
  if (itemSelected_ != itemGlobal_) {
    itemSelected_ = itemGlobal_;
    emit itemSelectedChanged();
    if (TempCanvasManager* m = manager()) m->setMeaSelected(itemGlobal_);
  }
  update();
}

void TempCanvas::item_deleteAll() {
  if (itemList_.size() <= 1) return;
  TempCanvasManager* m = manager();
  while (itemList_.size() > 1) {
    TempCanvasItemBase* item = itemList_.takeAt(1);
    if (m) m->registerItem(item, 3);
    for (TempCanvasToolBase* t : tools_)
      if (t) t->forget(item);
    if (itemSelected_ == item) itemSelected_ = nullptr;
    delete item;
  }
  emit itemListChanged();
  resetSelectionAfterDelete();
  update();
}

void TempCanvas::selectItem(TempCanvasItemBase* item) {
  TempCanvasItemBase* target = item ? item : itemGlobal_;
  if (target != itemSelected_) {
    itemSelected_ = target;
    emit itemSelectedChanged();
    if (TempCanvasManager* m = manager()) m->setMeaSelected(target);
  }
  for (TempCanvasItemBase* i : std::as_const(itemList_)) {
    if (i != item) i->editIndex = -1;
    // Only items whose geometry, settings or frame changed are measured again: a hover or a
    // drag would otherwise measure every item on every event.
    i->measureIfStale();
  }
  if (tool_ == 0) itemMouse_.measure();
  update();
}

// --- View ---------------------------------------------------------------------------------------

void TempCanvas::changeCanvasWH() {
  viewWidth_ = width();
  viewHeight_ = height();
  itemRect_ = QRectF(0, 0, viewWidth_, viewHeight_);
  viewAspect_ = viewHeight_ > 0 ? viewWidth_ / viewHeight_ : 1;
  if (begun_) fitView();
}

void TempCanvas::fitView() {
  // A view without area (not laid out yet) has no scale; the first real size fits it.
  if (viewWidth_ < 1 || viewHeight_ < 1 || imageWidth_ <= 0 || imageHeight_ <= 0) return;
  double w, h;
  if (imageAspect_ < viewAspect_) {
    w = imageAspect_ * viewHeight_;
    h = viewHeight_;
  } else {
    w = viewWidth_;
    h = viewWidth_ / imageAspect_;
  }
  viewLeft_ = viewWidth_ / 2 - w / 2;
  viewRight_ = viewWidth_ / 2 + w / 2;
  viewTop_ = viewHeight_ / 2 - h / 2;
  viewBottom_ = viewHeight_ / 2 + h / 2;
  scale_ = w / imageWidth_;
  imageRect_ = visibleRect_ = QRectF(viewLeft_, viewTop_, w, h);
  applyView();
  emit activeScalePercentChanged();
}

void TempCanvas::applyView() {
  const double vw = viewRight_ - viewLeft_, vh = viewBottom_ - viewTop_;
  if (vw > 0 && vh > 0) {
    sourceRect_ = QRectF(QPointF((visibleRect_.left() - viewLeft_) * imageWidth_ / vw,
                                 (visibleRect_.top() - viewTop_) * imageHeight_ / vh),
                         QPointF((visibleRect_.right() - viewLeft_) * imageWidth_ / vw,
                                 (visibleRect_.bottom() - viewTop_) * imageHeight_ / vh));
  }
  rebuildTables();
  for (TempCanvasItemBase* i : std::as_const(itemList_)) i->mapToView();
  update();
}

void TempCanvas::rebuildTables() {
  auto build = [](int16_t* toView, int16_t* toImage, double lo, double hi, int size) {
    const double span = hi - lo;
    const int ilo = int(lo), ihi = int(hi);
    for (int i = -32768; i < 32768; ++i) {
      int v;
      if (i < 0)
        v = ilo;
      else if (i < size)
        v = int(i * span / size + lo);
      else
        v = ihi;
      toView[i] = int16_t(std::clamp(v, -32768, 32767));
      int u;
      if (i < ilo)
        u = 0;
      else if (i < ihi)
        u = span > 0 ? int((i - lo) * size / span) : 0;
      else
        u = size - 1;
      toImage[i] = int16_t(std::clamp(u, 0, std::max(0, size - 1)));
    }
  };
  int16_t* base = tables_.data() + kTableZero;
  build(base, base + 2 * kTableSize, viewLeft_, viewRight_, imageWidth_);
  build(base + kTableSize, base + 3 * kTableSize, viewTop_, viewBottom_, imageHeight_);
  ++viewSerial_;
}

// --- Events -------------------------------------------------------------------------------------

TempCanvasToolBase* TempCanvas::currentTool() const {
  return begun_ && tool_ >= 0 && tool_ < kToolCount ? tools_[tool_] : nullptr;
}

void TempCanvas::mousePressEvent(QMouseEvent* e) {
  TempCanvasToolBase* t = currentTool();
  if (!t) return;
  if (!hasActiveFocus()) forceActiveFocus(Qt::MouseFocusReason);
  lastPos_ = e->position();
  t->mousePress(e);
}

void TempCanvas::mouseMoveEvent(QMouseEvent* e) {
  TempCanvasToolBase* t = currentTool();
  if (!t) return;
  if (tool_ != 0 || itemSelected_ != itemGlobal_) {
    t->mouseMove(e);
    return;
  }
  if (!(e->buttons() & Qt::LeftButton)) return;
  const QPointF d = e->position() - lastPos_;
  const QRectF moved = imageRect_.translated(d);
  const QRectF shown = moved.intersected(itemRect_);
  if (shown.width() > 0.2 * moved.width() && shown.height() > 0.2 * moved.height()) {
    imageRect_ = moved;
    visibleRect_ = shown;
    viewLeft_ += d.x();
    viewRight_ += d.x();
    viewTop_ += d.y();
    viewBottom_ += d.y();
    applyView();
  }
  lastPos_ = e->position();
}

void TempCanvas::mouseReleaseEvent(QMouseEvent* e) {
  if (TempCanvasToolBase* t = currentTool()) t->mouseRelease(e);
}

void TempCanvas::mouseDoubleClickEvent(QMouseEvent*) {
  if (currentTool() && tool_ == 0 && itemSelected_ == itemGlobal_) fitView();
}

void TempCanvas::wheelEvent(QWheelEvent* e) {
  if (!begun_ || tool_ != 0) return;
  const QPointF c = e->position();
  if (!(c.x() > viewLeft_ && c.x() < viewRight_ && c.y() > viewTop_ && c.y() < viewBottom_)) return;
  const double step = scale_ < 1 ? 0.1 : 0.2;
  const double s = std::clamp(e->angleDelta().y() > 0 ? scale_ + step : scale_ - step, 0.1, 10.0);
  if (s == scale_) return;
  scale_ = s;
  const double W = s * imageWidth_, H = s * imageHeight_;
  viewLeft_ = c.x() - (c.x() - viewLeft_) / (viewRight_ - viewLeft_) * W;
  viewRight_ = viewLeft_ + W;
  viewTop_ = c.y() - (c.y() - viewTop_) / (viewBottom_ - viewTop_) * H;
  viewBottom_ = viewTop_ + H;
  imageRect_ = QRectF(viewLeft_, viewTop_, W, H);
  visibleRect_ = imageRect_.intersected(itemRect_);
  applyView();
  emit activeScalePercentChanged();
}

void TempCanvas::hoverAll(QHoverEvent* e) {
  if (TempCanvasToolBase* t = currentTool()) t->hover(e);
}
void TempCanvas::hoverMoveEvent(QHoverEvent* e) {
  hoverAll(e);
}
void TempCanvas::hoverLeaveEvent(QHoverEvent* e) {
  hoverAll(e);
}

void TempCanvas::keyEventAll(QKeyEvent* e) {
  if (TempCanvasToolBase* t = currentTool()) t->keyEvent(e);
}
void TempCanvas::keyPressEvent(QKeyEvent* e) {
  keyEventAll(e);
}
void TempCanvas::keyReleaseEvent(QKeyEvent* e) {
  keyEventAll(e);
}

RHIItemRenderBase* TempCanvas::createRenderBase() {
  return new TempCanvasRender;
}
