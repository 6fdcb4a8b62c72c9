// Mouse and key handling of a temperature canvas: the select tool picks, moves, reshapes and
// deletes items and drives the cursor readout; the other tools draw new items. One object per
// tool number per canvas; GUI thread.
#pragma once

#include <ostrel/OstrelRadiometry.h>

#include <QPoint>

class QHoverEvent;
class QKeyEvent;
class QMouseEvent;
class TempCanvas;
class TempCanvasItemBase;
class TempCanvasItemMouse;

class TempCanvasToolBase {
 public:
  TempCanvasToolBase(TempCanvas* canvas, int meaType);
  virtual ~TempCanvasToolBase() = default;
  TempCanvasToolBase(const TempCanvasToolBase&) = delete;
  TempCanvasToolBase& operator=(const TempCanvasToolBase&) = delete;

  virtual void mousePress(QMouseEvent* event) = 0;
  virtual void mouseMove(QMouseEvent* event) = 0;
  virtual void mouseRelease(QMouseEvent* event) = 0;
  virtual void hover(QHoverEvent* event) = 0;
  virtual void clearHover() {}
  virtual void keyEvent(QKeyEvent*) {}

  // The canvas is about to delete this item: forget it.
  void forget(TempCanvasItemBase* item) {
    if (editItem == item) editItem = nullptr;
  }

  TempCanvas* canvas;
  MeaItem templateDef{};
  TempCanvasItemBase* editItem = nullptr;
  QPoint lastPoint;

 protected:
  // The template's point i at the image point under view position p.
  void setTemplatePoint(int i, QPoint p);
  // Ends a drawing: every canvas back to the select tool, nothing selected.
  void finish();
};

class TempCanvasToolPoint : public TempCanvasToolBase {
 public:
  TempCanvasToolPoint(TempCanvas* canvas, int type);
  void mousePress(QMouseEvent* event) override;
  void mouseMove(QMouseEvent*) override {}
  void mouseRelease(QMouseEvent* event) override;
  void hover(QHoverEvent* event) override;
};

class TempCanvasToolPolyline : public TempCanvasToolBase {
 public:
  explicit TempCanvasToolPolyline(TempCanvas* canvas, int type = 5);
  void mousePress(QMouseEvent* event) override;
  void mouseMove(QMouseEvent*) override {}
  void mouseRelease(QMouseEvent* event) override;
  void hover(QHoverEvent* event) override;

 protected:
  int minPoints_ = 2;  // a right click finishes only above this count
};

class TempCanvasToolPolygon : public TempCanvasToolPolyline {
 public:
  explicit TempCanvasToolPolygon(TempCanvas* canvas);
};

class TempCanvasToolRect : public TempCanvasToolBase {
 public:
  TempCanvasToolRect(TempCanvas* canvas, int type);
  void mousePress(QMouseEvent* event) override;
  void mouseMove(QMouseEvent*) override {}
  void mouseRelease(QMouseEvent* event) override;
  void hover(QHoverEvent* event) override;
};

class TempCanvasToolSelect : public TempCanvasToolBase {
 public:
  explicit TempCanvasToolSelect(TempCanvas* canvas);
  void mousePress(QMouseEvent* event) override;
  void mouseMove(QMouseEvent* event) override;
  void mouseRelease(QMouseEvent* event) override;
  void hover(QHoverEvent* event) override;
  void clearHover() override;
  void keyEvent(QKeyEvent* event) override;

  int mode = 0;  // 0 none, 1 move the whole item, 2 move one vertex
  bool moved = false;
  TempCanvasItemMouse* itemMouse;
};
