#include "TempCanvasTool.h"

#include "TempCanvas.h"
#include "TempCanvasManager.h"

#include <QHoverEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <cmath>

namespace {

QPoint intPos(const QPointF& p) {
  return QPoint(int(p.x()), int(p.y()));
}

void nameTemplate(MeaItem* def) {
  if (TempCanvasManager* m = TempCanvasManager::instance()) m->nextItemDef(def);
}

}  // namespace

TempCanvasToolBase::TempCanvasToolBase(TempCanvas* c, int meaType) : canvas(c) {
  templateDef.fixEmi = 0.97f;
  templateDef.fixReflectTemp = 25.0f;
  templateDef.meaFlags = 1;
  templateDef.meaType = uint8_t(meaType);
}

void TempCanvasToolBase::setTemplatePoint(int i, QPoint p) {
  templateDef.points[i].x = uint16_t(TempCanvas::lookup(canvas->viewToImageX, p.x()));
  templateDef.points[i].y = uint16_t(TempCanvas::lookup(canvas->viewToImageY, p.y()));
}

void TempCanvasToolBase::finish() {
  editItem = nullptr;
  if (TempCanvasManager* m = TempCanvasManager::instance())
    m->setTool(0);
  else
    canvas->setTool(0);
  canvas->selectItem(nullptr);
}

// --- Point --------------------------------------------------------------------------------------

TempCanvasToolPoint::TempCanvasToolPoint(TempCanvas* c, int type)
    : TempCanvasToolBase(c, type == 1 || type == 3 ? type : 2) {
  templateDef.points[1].x = templateDef.meaType == 2 ? 1 : 0;
}

void TempCanvasToolPoint::mousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || editItem) return;
  nameTemplate(&templateDef);
  templateDef.pointCount = 1;
  setTemplatePoint(0, intPos(e->position()));
  editItem = canvas->createItem(&templateDef);
  if (editItem) canvas->selectItem(editItem);
}

void TempCanvasToolPoint::hover(QHoverEvent* e) {
  if (editItem) editItem->movePoint(0, intPos(e->position()));
}

void TempCanvasToolPoint::mouseRelease(QMouseEvent* e) {
  if (e->button() != Qt::RightButton || !editItem) return;
  finish();
}

// --- Polyline and polygon -----------------------------------------------------------------------

TempCanvasToolPolyline::TempCanvasToolPolyline(TempCanvas* c, int type) : TempCanvasToolBase(c, type) {}

TempCanvasToolPolygon::TempCanvasToolPolygon(TempCanvas* c) : TempCanvasToolPolyline(c, 11) {
  minPoints_ = 3;
}

void TempCanvasToolPolyline::mousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint p = intPos(e->position());
  if (editItem) {
    templateDef.pointCount = uint8_t(editItem->addPoint(p));
  } else {
    nameTemplate(&templateDef);
    setTemplatePoint(0, p);
    templateDef.points[1] = templateDef.points[0];
    templateDef.pointCount = 2;
    editItem = canvas->createItem(&templateDef);
  }
  if (editItem) canvas->selectItem(editItem);
}

void TempCanvasToolPolyline::hover(QHoverEvent* e) {
  if (editItem) editItem->movePoint(templateDef.pointCount, intPos(e->position()));
}

void TempCanvasToolPolyline::mouseRelease(QMouseEvent* e) {
  if (e->button() != Qt::RightButton || !editItem) return;
  if (editItem->def.pointCount <= minPoints_) return;
  editItem->removeLastPoint();
  finish();
}

// --- Rectangle family ---------------------------------------------------------------------------

TempCanvasToolRect::TempCanvasToolRect(TempCanvas* c, int type)
    : TempCanvasToolBase(c, type == 6 || type == 7 || type == 10 ? type : 9) {}

void TempCanvasToolRect::mousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint p = intPos(e->position());
  if (editItem) {
    editItem->addPoint(p);
  } else {
    nameTemplate(&templateDef);
    setTemplatePoint(0, p);
    templateDef.points[1] = templateDef.points[0];
    templateDef.pointCount = 2;
    editItem = canvas->createItem(&templateDef);
  }
  if (editItem) canvas->selectItem(editItem);
}

void TempCanvasToolRect::hover(QHoverEvent* e) {
  if (editItem) editItem->movePoint(3, intPos(e->position()));
}

void TempCanvasToolRect::mouseRelease(QMouseEvent* e) {
  if (e->button() != Qt::RightButton || !editItem) return;
  editItem->removeLastPoint();
  finish();
}

// --- Select -------------------------------------------------------------------------------------

TempCanvasToolSelect::TempCanvasToolSelect(TempCanvas* c)
    : TempCanvasToolBase(c, 0), itemMouse(c->itemMouse()) {}

void TempCanvasToolSelect::mousePress(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  itemMouse->visible = false;
  mode = 0;
  const QPoint p = intPos(e->position());
  const QList<TempCanvasItemBase*> list = canvas->itemList();
  TempCanvasItemBase* picked = nullptr;
  for (qsizetype i = 1; i < list.size() && !picked; ++i)
    if (list[i]->hitTest(p) == 0) {
      picked = list[i];
      mode = 1;
    }
  for (qsizetype i = 1; i < list.size() && !picked; ++i)
    if (list[i]->hitTest(p) > 0) {
      picked = list[i];
      mode = 2;
    }
  editItem = picked;
  canvas->selectItem(picked);
  lastPoint = p;
}

void TempCanvasToolSelect::mouseMove(QMouseEvent* e) {
  itemMouse->visible = false;
  const QPoint p = intPos(e->position());
  if (editItem && mode == 1) {
    editItem->movePoint(0, p - lastPoint);
    moved = true;
  } else if (editItem && mode == 2) {
    editItem->movePoint(editItem->editIndex, p);
    moved = true;
  }
  lastPoint = p;
}

void TempCanvasToolSelect::mouseRelease(QMouseEvent*) {
  if (!moved) return;
  moved = false;
  if (editItem) emit editItem->meaTempDataChanged();
}

void TempCanvasToolSelect::hover(QHoverEvent* e) {
  const QPointF pf = e->position();
  const QPoint p(int(std::lround(pf.x())), int(std::lround(pf.y())));
  const bool inside = canvas->imageRect().contains(QPointF(p));
  if (itemMouse->visible || inside) {
    itemMouse->visible = inside;
    itemMouse->setPos(p);
  } else {
    itemMouse->visible = false;
  }
}

void TempCanvasToolSelect::clearHover() {
  if (!itemMouse->visible) return;
  itemMouse->visible = false;
  canvas->selectItem(canvas->itemSelected());
}

void TempCanvasToolSelect::keyEvent(QKeyEvent* e) {
  if (!editItem || e->key() != Qt::Key_Delete) return;
  TempCanvasItemBase* item = editItem;
  canvas->selectItem(nullptr);
  editItem = nullptr;
  canvas->item_delete(item);
}
