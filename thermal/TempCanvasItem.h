// Measurement items of a temperature canvas: one MeaItem definition each, its points in view
// pixels for drawing and editing, and the last statistics of the canvas's frame. GUI thread only;
// the canvas's renderer draws from copies (TempCanvasItemSnapshot).
#pragma once

#include <ostrel/OstrelRadiometry.h>

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QString>

#include <cstdint>

class TempCanvas;

// What painting needs of one item, copied while the GUI thread is blocked.
struct TempCanvasItemSnapshot {
  MeaItem def{};
  MeaResult result{};
  QPoint viewPoints[32];
  int viewCount = 0;
  int editIndex = -1;
  int kind = 0;  // meaType, or -1 for the cursor readout
  bool visible = true;
};

class TempCanvasItemBase : public QObject {
  Q_OBJECT
  Q_PROPERTY(int meaType READ meaType CONSTANT)
  Q_PROPERTY(QString meaName READ meaName WRITE setMeaName NOTIFY meaNameChanged)
  Q_PROPERTY(QColor meaColor READ meaColor WRITE setMeaColor NOTIFY meaColorChanged)
  Q_PROPERTY(int textPos READ textPos WRITE setTextPos NOTIFY textPosChanged)
  Q_PROPERTY(bool meaFlags_trackHigh READ meaFlags_trackHigh WRITE setMeaFlags_trackHigh NOTIFY
                 meaFlags_trackHighChanged)
  Q_PROPERTY(bool meaFlags_trackLow READ meaFlags_trackLow WRITE setMeaFlags_trackLow NOTIFY
                 meaFlags_trackLowChanged)
  Q_PROPERTY(bool fixEnable READ fixEnable NOTIFY meaTempDataChanged)
  Q_PROPERTY(float fixEmi READ fixEmi NOTIFY meaTempDataChanged)
  Q_PROPERTY(float fixReflectTemp READ fixReflectTemp NOTIFY meaTempDataChanged)
  Q_PROPERTY(bool use3x3 READ use3x3 WRITE setUse3x3 NOTIFY use3x3Changed)
  Q_PROPERTY(QObject* tfm_module READ tfm_module CONSTANT)
  Q_PROPERTY(QString tfm_inputNameShort READ tfm_inputNameShort CONSTANT)
  Q_PROPERTY(TempCanvas* tfm_canvas READ tfm_canvas CONSTANT)
  Q_PROPERTY(QString result_min READ result_min NOTIFY result_minChanged)
  Q_PROPERTY(QString result_max READ result_max NOTIFY result_maxChanged)
  Q_PROPERTY(QString result_avg READ result_avg NOTIFY result_avgChanged)

 public:
  static constexpr int kMaxPoints = 32;
  // Half the side of the square around a point that counts as "on" it (strict).
  static constexpr int kNear = 8;

  explicit TempCanvasItemBase(QObject* parent = nullptr);
  ~TempCanvasItemBase() override;

  int meaType() const { return def.meaType; }
  QString meaName() const { return meaName_; }
  void setMeaName(const QString& name);
  QColor meaColor() const { return meaColor_; }
  void setMeaColor(const QColor& c);
  int textPos() const { return def.reserved70[0]; }
  void setTextPos(int v);
  bool meaFlags_trackHigh() const { return def.meaFlags & 1; }
  void setMeaFlags_trackHigh(bool v);
  bool meaFlags_trackLow() const { return def.meaFlags & 2; }
  void setMeaFlags_trackLow(bool v);
  bool fixEnable() const { return def.fixEnable != 0; }
  float fixEmi() const { return def.fixEmi; }
  float fixReflectTemp() const { return def.fixReflectTemp; }
  bool use3x3() const { return def.use3x3 != 0; }
  void setUse3x3(bool v);
  QObject* tfm_module() const;
  QString tfm_inputNameShort() const;
  TempCanvas* tfm_canvas() const { return canvas; }
  QString result_min() const { return result_min_; }
  QString result_max() const { return result_max_; }
  QString result_avg() const { return result_avg_; }

  // Stores the correction: enable as 0/1, the emissivity when it lies in (0.01, 1.01), the
  // reflected temperature. Returns whether anything changed; a change marks the item stale.
  Q_INVOKABLE bool set_fix(bool fixEnable, float fixEmi, float fixReflectTemp);
  Q_INVOKABLE int indexInCanvas() const;

  virtual void initFromDef(TempCanvas* canvas, const MeaItem* def);
  virtual void mapToImage();
  virtual void mapToView();
  virtual void draw() {}
  virtual int hitTest(QPoint p);
  virtual void movePoint(int index, QPoint p);
  virtual int addPoint(QPoint p);
  virtual void removeLastPoint() {}

  // Recomputes the statistics on the canvas's frame (nothing without a frame).
  void measure();
  // measure() only when the geometry, the settings or the frame changed since the last one.
  bool measureIfStale();
  // Points the item keeps in viewPoints.
  virtual int viewCount() const;
  void snapshot(TempCanvasItemSnapshot* out) const;

  MeaItem def{};
  TempCanvas* canvas = nullptr;
  QPoint viewPoints[kMaxPoints];
  int editIndex = -1;
  MeaResult result{};
  bool dirty = true;

 signals:
  void meaNameChanged();
  void meaColorChanged();
  void textPosChanged();
  void use3x3Changed();
  void meaFlags_trackHighChanged();
  void meaFlags_trackLowChanged();
  void meaTempDataChanged();
  void result_minChanged();
  void result_maxChanged();
  void result_avgChanged();

 protected:
  // Copies and sanitises a definition that may come from a file: name terminated, point count
  // within what the type holds, points inside the frame.
  void adoptDef(TempCanvas* canvas, const MeaItem* src);
  void clampToView(QPoint* p) const;
  // Stores r as edit index and reselects the item when it changed; returns r.
  int reportHit(int r);

  QString meaName_;
  QColor meaColor_;
  QString result_min_, result_max_, result_avg_;
  uint64_t measuredSerial_ = 0;  // frame the result belongs to (0: none)
};

class TempCanvasItemGlobal : public TempCanvasItemBase {
  Q_OBJECT
 public:
  using TempCanvasItemBase::TempCanvasItemBase;
  void initFromDef(TempCanvas* canvas, const MeaItem* def) override;
};

class TempCanvasItemPoint : public TempCanvasItemBase {
  Q_OBJECT
 public:
  explicit TempCanvasItemPoint(int type = 2, QObject* parent = nullptr);
  int hitTest(QPoint p) override;
  void movePoint(int index, QPoint p) override;
  int pointType = 2;
};

class TempCanvasItemPolyline : public TempCanvasItemBase {
  Q_OBJECT
 public:
  using TempCanvasItemBase::TempCanvasItemBase;
  int hitTest(QPoint p) override;
  void movePoint(int index, QPoint p) override;
  int addPoint(QPoint p) override;
  void removeLastPoint() override;
};

class TempCanvasItemPolygon : public TempCanvasItemPolyline {
  Q_OBJECT
 public:
  using TempCanvasItemPolyline::TempCanvasItemPolyline;
  int hitTest(QPoint p) override;
  void removeLastPoint() override;
};

class TempCanvasItemRect : public TempCanvasItemBase {
  Q_OBJECT
 public:
  explicit TempCanvasItemRect(int type = 9, QObject* parent = nullptr);
  void mapToImage() override;
  void mapToView() override;
  int hitTest(QPoint p) override;
  void movePoint(int index, QPoint p) override;
  int addPoint(QPoint p) override;
  void removeLastPoint() override;
  int viewCount() const override { return 4; }

  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int rectType = 9;
  bool square = false;

 private:
  void rebuildCorners();
};

// The cursor temperature readout of a canvas.
class TempCanvasItemMouse : public QObject {
  Q_OBJECT
 public:
  TempCanvasItemMouse();
  void attach(TempCanvas* canvas);
  void setPos(QPoint p);
  void measure();
  void snapshot(TempCanvasItemSnapshot* out) const;

  MeaItem def{};
  TempCanvas* canvas = nullptr;
  QPoint viewPoint;
  bool visible = false;
  MeaResult result{};
};
