// Draws measurement items, their labels, edit handles and hottest/coldest markers, the cursor
// readout and corner texts, either through the vector renderer (a canvas on screen, render
// thread) or through a QPainter (the exporter's picture, its worker thread). One painter per
// canvas or export job; the shared colours come from PaintResources.
#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QString>

#include <cstdint>

struct MeaItem;
struct MeaResult;
class QornPainter;
class QornImage;
class QPainter;

// Where the canvas shows its image: what item painting needs of a canvas.
struct ItemPaintView {
  int imageWidth = 0;
  int imageHeight = 0;
  int viewWidth = 0;
  int viewHeight = 0;
  double viewLeft = 0;
  double viewTop = 0;
  double viewRight = 0;
  double viewBottom = 0;
};

class ItemPainter {
 public:
  static constexpr int kMaxPoints = 32;

  // The canvas's lookup tables: each points at entry 0 of 65536 signed entries (indexes
  // -32768..32767). They must outlive the painting.
  void setTables(const int16_t* imageToViewX, const int16_t* imageToViewY, const int16_t* viewToImageX,
                 const int16_t* viewToImageY);

  // Renderer side: canvas gives image and view size and the displayed image rectangle.
  void beginQorn(QornPainter* painter, const ItemPaintView* canvas);
  // Export side: no canvas; the displayed image fills the view.
  void beginQPainter(QPainter* painter, int imageWidth, int imageHeight, int viewWidth, int viewHeight);
  void end();
  bool active() const { return qorn_ || qp_; }

  void drawImage(QornImage& image, const QRectF& source, const QRectF& target);

  // Converts the definition's image points into the scratch array and returns how many. The
  // count never exceeds the scratch array nor what the item's type can hold, whatever the
  // definition's own count says (it may come from a file).
  int defPoints(const MeaItem& def);
  const QPoint* scratch() const { return scratch_; }

  // viewPoints null: the scratch array filled by defPoints (export).
  void drawPoint(const MeaItem& def, const MeaResult& res, const QPoint* viewPoints, int pointType);
  void drawPoly(const MeaItem& def, const MeaResult& res, const QPoint* viewPoints, int editIndex, int type);
  void drawRect(const MeaItem& def, const MeaResult& res, const QPoint* viewPoints, int editIndex,
                int rectType);
  void drawGlobal(const MeaItem& def, const MeaResult& res);
  void drawMouse(const MeaItem& def, const MeaResult& res, QPoint cursor);

  // Returns the label rectangle (also kept as lastLabelRect).
  QRectF drawLabel(QPoint anchor, int textPos, const QString& text, int offset, int textColor = 1,
                   int backColor = 10);
  void drawCornerText(int corner, const QString& text, int textColor = 6, int backColor = 10);
  // brushIndex < 0: no background.
  void drawCenteredText(const QString& text, const QRectF& rect, int penIndex, int brushIndex = -1);
  void drawHandles(const QPoint* points, int count);
  void drawExtremeMarker(int x, int y, bool hottest);

  QRectF lastLabelRect() const { return lastLabel_; }
  // Number of points a definition of this type and count draws.
  static int pointCountFor(int meaType, int pointCount);

 private:
  QPoint toView(int imageX, int imageY) const;
  QSizeF measure(const QString& text, QPointF* textOrigin);
  void drawText(const QString& text, const QRectF& box, QPointF textOrigin, int textColor);
  void fillRect(const QRectF& r, int colorIndex);
  void setItemStroke(uint32_t meaColor);
  void drawMarkers(const MeaItem& def, const MeaResult& res);
  QString itemName(const MeaItem& def) const;
  double viewLeft() const;
  double viewTop() const;
  double viewRight() const;
  double viewBottom() const;

  const int16_t* imageToViewX_ = nullptr;
  const int16_t* imageToViewY_ = nullptr;
  const int16_t* viewToImageX_ = nullptr;
  const int16_t* viewToImageY_ = nullptr;
  QornPainter* qorn_ = nullptr;
  QPainter* qp_ = nullptr;
  const ItemPaintView* canvas_ = nullptr;
  int imageWidth_ = 0;
  int imageHeight_ = 0;
  int viewWidth_ = 0;
  int viewHeight_ = 0;
  QPoint scratch_[kMaxPoints];
  QRectF lastLabel_;
};
