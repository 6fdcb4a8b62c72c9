// Palettes for QML: the image provider serving every SDK palette as a 1 x 256 picture, and the
// per-canvas palette index and temperature range that the colour bar shows. GUI thread, except
// requestImage, which Qt Quick may call from its image loader threads.
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QQuickImageProvider>

struct PaletteData;
class CTypeNameDescIcon;

class TempPaletteImageProvider : public QQuickImageProvider {
  Q_OBJECT
  Q_PROPERTY(QList<QObject*> paletteList READ paletteList CONSTANT)

 public:
  TempPaletteImageProvider();
  // Serves the given table instead of the SDK's: count entries in one malloc'd block, which the
  // provider frees as it frees the SDK's.
  TempPaletteImageProvider(PaletteData* table, int count);
  ~TempPaletteImageProvider() override;

  // The first palette whose name equals id, as a 1 x 256 RGB32 image (hottest colour on top);
  // a null image when no palette has that name. requestedSize is ignored.
  QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;
  // The image of palette index, null when out of range.
  QImage imageAt(int index) const;
  int count() const { return count_; }
  QList<QObject*> paletteList() const { return paletteList_; }

  // The picture of one palette: row r shows colour 255 - r, alpha forced opaque.
  static QImage makeImage(const PaletteData& palette);

 private:
  void load(PaletteData* table, int count);

  PaletteData* table_ = nullptr;
  int count_ = 0;
  // Read by the loader threads; written only in the constructor and destructor.
  QList<QImage> images_;
  QStringList names_;
  QList<QObject*> paletteList_;
};

class TempPaletteData : public QObject {
  Q_OBJECT
  Q_PROPERTY(int paletteType READ paletteType WRITE setPaletteType NOTIFY paletteTypeChanged)
  Q_PROPERTY(bool manEnable READ manEnable NOTIFY paletteMinChanged)
  Q_PROPERTY(float manMin READ manMin NOTIFY paletteMinChanged)
  Q_PROPERTY(float manMax READ manMax NOTIFY paletteMaxChanged)
  Q_PROPERTY(float gblMin READ gblMin NOTIFY paletteMinChanged)
  Q_PROPERTY(float gblMax READ gblMax NOTIFY paletteMaxChanged)
  Q_PROPERTY(float paletteMin READ paletteMin NOTIFY paletteMinChanged)
  Q_PROPERTY(float paletteMax READ paletteMax NOTIFY paletteMaxChanged)

 public:
  explicit TempPaletteData(QObject* parent = nullptr);

  int paletteType() const { return paletteType_; }
  void setPaletteType(int v);
  bool manEnable() const { return manEnable_; }
  float manMin() const { return manMin_; }
  float manMax() const { return manMax_; }
  float gblMin() const { return gblMin_; }
  float gblMax() const { return gblMax_; }
  float paletteMin() const { return manEnable_ ? manMin_ : gblMin_; }
  float paletteMax() const { return manEnable_ ? manMax_ : gblMax_; }

  // The frame's own range; each end signals when it changed, even while the manual range hides it.
  void updateGbl(float min, float max);
  // The manual range; always signals both ends.
  Q_INVOKABLE void updateMan(bool enable, float min, float max);

 signals:
  void paletteTypeChanged();
  void paletteMinChanged();
  void paletteMaxChanged();

 private:
  int paletteType_ = 5;
  bool manEnable_ = false;
  float manMin_ = 0;
  float manMax_ = 0;
  float gblMin_ = 0;
  float gblMax_ = 0;
};
