// The Qt Quick item that shows one temperature frame in false colour, zoomed and panned, with its
// measurement items, the cursor readout and an information text. GUI thread; TempCanvasRender
// draws on the render thread from copies taken while the GUI thread is blocked, so an item
// deleted or a frame released during a frame is never read there.
#pragma once

#include "FrameSlot.h"
#include "TempCanvasItem.h"
#include "TempPalette.h"

#include <ostrel/OstrelPreview.h>
#include <qorn/RHIItemBase.h>

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <vector>

class TempCanvasToolBase;
class TempCanvasTool;

class TempCanvas : public RHIItemBase {
  Q_OBJECT
  Q_PROPERTY(int tool READ tool WRITE setTool NOTIFY toolChanged)
  Q_PROPERTY(TempCanvasItemBase* itemGlobal READ itemGlobal CONSTANT)
  Q_PROPERTY(QList<TempCanvasItemBase*> itemList READ itemList NOTIFY itemListChanged)
  Q_PROPERTY(TempCanvasItemBase* itemSelected READ itemSelected NOTIFY itemSelectedChanged)
  Q_PROPERTY(TempPaletteData* paletteData READ paletteData CONSTANT)
  Q_PROPERTY(int activeScalePercent READ activeScalePercent NOTIFY activeScalePercentChanged)
  Q_PROPERTY(QObject* tfm_module READ tfm_module WRITE setTfm_module NOTIFY tfm_moduleChanged)
  Q_PROPERTY(QString tfm_inputNameShort READ tfm_inputNameShort NOTIFY tfm_moduleChanged)
  Q_PROPERTY(QString infoText READ infoText WRITE setInfoText NOTIFY infoTextChanged)
  Q_PROPERTY(bool infoVisible READ infoVisible WRITE setInfoVisible NOTIFY infoVisibleChanged)

 public:
  static constexpr int kMaxItems = 31;
  static constexpr int kToolCount = 14;

  explicit TempCanvas(QQuickItem* parent = nullptr);
  ~TempCanvas() override;

  int tool() const { return tool_; }
  void setTool(int t);
  TempCanvasItemBase* itemGlobal() const { return itemGlobal_; }
  QList<TempCanvasItemBase*> itemList() const { return itemList_; }
  TempCanvasItemBase* itemSelected() const { return itemSelected_; }
  TempPaletteData* paletteData() { return &paletteData_; }
  int activeScalePercent() const { return int(scale_ * 100); }
  QObject* tfm_module() const { return tfm_module_; }
  void setTfm_module(QObject* module);
  QString tfm_inputNameShort() const { return tfm_inputNameShort_; }
  QString infoText() const { return infoText_; }
  void setInfoText(const QString& t);
  bool infoVisible() const { return infoVisible_; }
  void setInfoVisible(bool v);
  TempCanvasItemMouse* itemMouse() { return &itemMouse_; }

  // Creates, measures, lists and registers an item of the definition's type; null for a type
  // without item or a full list.
  TempCanvasItemBase* createItem(const MeaItem* def);
  // 0; -7 not begun; -8 a null array or a count below 1.
  int setItemDefs(const MeaItem* defs, int count);
  // The number of definitions copied (global item first); -8 for a null array.
  int getItemDefs(MeaItem* defs, int count) const;
  void selectItem(TempCanvasItemBase* item);
  void fitView();
  void applyView();

  // The canvas's own copy of the current frame; null before the first frame.
  const DataFrameHead* frameHead() const { return hasFrame_ ? &frameHead_ : nullptr; }
  const int16_t* frameData() const { return hasFrame_ ? frameCodes_.data() : nullptr; }
  const uint32_t* frameImage() const { return hasFrame_ ? frameBgra_.data() : nullptr; }
  bool hasFrame() const { return hasFrame_; }
  // Rises with every accepted frame; items compare it with the frame of their last result.
  uint64_t frameSerial() const { return frameSerial_; }
  bool begun() const { return begun_; }

  int imageWidth() const { return imageWidth_; }
  int imageHeight() const { return imageHeight_; }
  double viewLeft() const { return viewLeft_; }
  double viewTop() const { return viewTop_; }
  double viewRight() const { return viewRight_; }
  double viewBottom() const { return viewBottom_; }
  double scale() const { return scale_; }
  QRectF imageRect() const { return imageRect_; }
  QRectF visibleRect() const { return visibleRect_; }
  QRectF sourceRect() const { return sourceRect_; }
  QPointF lastPos() const { return lastPos_; }

  // Lookup tables, each pointing at entry 0 of 65536 entries (indexes -32768..32767).
  const int16_t* imageToViewX = nullptr;
  const int16_t* imageToViewY = nullptr;
  const int16_t* viewToImageX = nullptr;
  const int16_t* viewToImageY = nullptr;
  static int lookup(const int16_t* table, int i);
  // Rises whenever the tables change.
  uint64_t viewSerial() const { return viewSerial_; }

  RHIItemRenderBase* createRenderBase() override;

 public slots:
  int beginUpdate(int w, int h);
  void endUpdate();
  // Copies the frame's codes and picture (both needed; the frame's size must be the one begun):
  // 0; -7 outside beginUpdate/endUpdate; -8 without head, codes or picture; -11 other size.
  int updateData(const FrameSlot* frame);
  void changeCanvasWH();
  void forceRedraw();

 public:
  Q_INVOKABLE void item_delete(TempCanvasItemBase* item);
  Q_INVOKABLE void item_deleteAll();

 signals:
  void toolChanged();
  void itemListChanged();
  void itemSelectedChanged();
  void activeScalePercentChanged();
  void tfm_moduleChanged();
  void infoTextChanged();
  void infoVisibleChanged();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void hoverMoveEvent(QHoverEvent* event) override;
  void hoverLeaveEvent(QHoverEvent* event) override;

 private:
  friend class TempCanvasRender;
  void keyEventAll(QKeyEvent* event);
  void hoverAll(QHoverEvent* event);
  void rebuildTables();
  void resetSelectionAfterDelete();
  TempCanvasToolBase* currentTool() const;

  int tool_ = 0;
  TempCanvasItemGlobal* itemGlobal_ = nullptr;
  QList<TempCanvasItemBase*> itemList_;
  TempCanvasItemBase* itemSelected_ = nullptr;
  TempCanvasItemMouse itemMouse_;
  TempCanvasToolBase* tools_[kToolCount] = {};
  TempPaletteData paletteData_;
  QObject* tfm_module_ = nullptr;
  QString tfm_inputNameShort_;
  QString infoText_;
  bool infoVisible_ = false;

  int imageWidth_ = 0, imageHeight_ = 0;
  double imageAspect_ = 1;
  double viewWidth_ = 0, viewHeight_ = 0, viewAspect_ = 1;
  double viewLeft_ = 0, viewTop_ = 0, viewRight_ = 0, viewBottom_ = 0;
  double scale_ = 1;
  QRectF itemRect_, imageRect_, visibleRect_, sourceRect_;
  QPointF lastPos_;
  std::vector<int16_t> tables_;
  uint64_t viewSerial_ = 1;

  bool begun_ = false;
  bool hasFrame_ = false;
  bool newData_ = false;
  uint64_t frameSerial_ = 0;
  DataFrameHead frameHead_{};
  std::vector<int16_t> frameCodes_;
  std::vector<uint32_t> frameBgra_;
};

class TempCanvasRender : public RHIItemRenderBase {
 public:
  TempCanvasRender();
  ~TempCanvasRender() override;
  void syncItem(RHIItemBase* item) override;
  void paint(QornPainter* painter) override;

 private:
  struct State;
  State* s_;
};
