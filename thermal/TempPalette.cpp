#include "TempPalette.h"

#include <foundation_qt/CTypeNameDescIcon.h>
#include <ostrel/OstrelAlgFrame.h>

#include <cstring>

TempPaletteImageProvider::TempPaletteImageProvider() : QQuickImageProvider(QQuickImageProvider::Image) {
  int n = 0;
  PaletteData* table = Ostrel_AllocPaletteData(&n);
  load(table, n);
}

TempPaletteImageProvider::TempPaletteImageProvider(PaletteData* table, int count)
    : QQuickImageProvider(QQuickImageProvider::Image) {
  load(table, count);
}

void TempPaletteImageProvider::load(PaletteData* table, int count) {
  table_ = table;
  count_ = table_ && count > 0 ? count : 0;
  for (int i = 0; i < count_; ++i) {
    const PaletteData& p = table_[i];
    // The name field need not be terminated; never read past its 32 bytes.
    const QString name = QString::fromUtf8(p.name, int(strnlen(p.name, sizeof p.name)));
    images_.append(makeImage(p));
    names_.append(name);
    paletteList_.append(new CTypeNameDescIcon(nullptr, i, name, QString(),
                                              QStringLiteral("image://tempPalette/%1").arg(name)));
  }
}

TempPaletteImageProvider::~TempPaletteImageProvider() {
  Ostrel_FreePaletteData(&table_);
  qDeleteAll(paletteList_);
}

QImage TempPaletteImageProvider::makeImage(const PaletteData& palette) {
  QImage img(1, 256, QImage::Format_RGB32);
  for (int r = 0; r < 256; ++r) {
    // The table's colour words may carry alpha 0; RGB32 pixels must be opaque.
    auto* line = reinterpret_cast<QRgb*>(img.scanLine(r));
    line[0] = QRgb(palette.colors[255 - r] | 0xFF000000u);
  }
  return img;
}

QImage TempPaletteImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize) {
  for (int i = 0; i < names_.size(); ++i) {
    if (names_[i] == id) {
      if (size) *size = QSize(1, 256);
      return images_[i].copy();
    }
  }
  return QQuickImageProvider::requestImage(id, size, requestedSize);
}

QImage TempPaletteImageProvider::imageAt(int index) const {
  if (index < 0 || index >= images_.size()) return QImage();
  return images_[index];
}

TempPaletteData::TempPaletteData(QObject* parent) : QObject(parent) {}

void TempPaletteData::setPaletteType(int v) {
  if (paletteType_ == v) return;
  paletteType_ = v;
  emit paletteTypeChanged();
}

void TempPaletteData::updateGbl(float min, float max) {
  if (min != gblMin_) {
    gblMin_ = min;
    emit paletteMinChanged();
  }
  if (max != gblMax_) {
    gblMax_ = max;
    emit paletteMaxChanged();
  }
}

void TempPaletteData::updateMan(bool enable, float min, float max) {
  manEnable_ = enable;
  manMin_ = min;
  manMax_ = max;
  emit paletteMinChanged();
  emit paletteMaxChanged();
}
