#include "exporter/ExportCanvas.h"

#include <cstring>

#include "PaintResources.h"
#include "exporter/ExportPng.h"
#include "TempPalette.h"

namespace {
constexpr int kTableEntries = 65536;
}  // namespace

ExportCanvas::ExportCanvas() : tables_(new int16_t[4 * kTableEntries]) {
  int n = 0;
  PaletteData* table = Ostrel_AllocPaletteData(&n);
  for (int i = 0; table != nullptr && i < n; ++i) palettes_.append(TempPaletteImageProvider::makeImage(table[i]));
  Ostrel_FreePaletteData(&table);
  // Entry 0 of each table sits in the middle: indexes run from -32768.
  items_.setTables(tables_.get() + 32768, tables_.get() + kTableEntries + 32768,
                   tables_.get() + 2 * kTableEntries + 32768, tables_.get() + 3 * kTableEntries + 32768);
}

ExportCanvas::~ExportCanvas() { abort(); }

void ExportCanvas::scaledSize(int w, int h, int* outW, int* outH) {
  if (w > 0 && w < kMinWidth) {
    *outW = kMinWidth;
    *outH = int(int64_t(h) * kMinWidth / w);
  } else {
    *outW = w;
    *outH = h;
  }
}

void ExportCanvas::pictureSize(int w, int h, int colorbar, int* outW, int* outH) {
  scaledSize(w, h, outW, outH);
  if (colorbar == 2) *outW += kBarStrip;
}

void ExportCanvas::buildTables(int w, int h) {
  int16_t* ix = tables_.get();
  int16_t* iy = ix + kTableEntries;
  int16_t* vx = iy + kTableEntries;
  int16_t* vy = vx + kTableEntries;
  for (int k = 0; k < kTableEntries; ++k) {
    const int64_t i = k - 32768;
    ix[k] = int16_t(i * W_ / w);
    iy[k] = int16_t(i * H_ / h);
    vx[k] = int16_t(i * w / W_);
    vy[k] = int16_t(i * h / H_);
  }
}

int ExportCanvas::begin(int w, int h, const ExportSettings& settings) {
  if (w <= 0 || h <= 0) return -8;
  if (painter_.isActive()) return -7;
  if (w != w_ || h != h_) {
    w_ = w;
    h_ = h;
    scaledSize(w, h, &W_, &H_);
    if (W_ <= 0 || H_ <= 0) {
      w_ = h_ = 0;
      return -8;
    }
    buildTables(w, h);
  }
  barInside_ = settings.colorbar != 2;
  int pw = 0, ph = 0;
  pictureSize(w, h, settings.colorbar, &pw, &ph);
  if (picture_.size() != QSize(pw, ph)) picture_ = QImage(pw, ph, QImage::Format_RGB32);
  if (picture_.isNull()) return -5;
  picture_.fill(0u);
  if (!painter_.begin(&picture_)) return -5;
  items_.beginQPainter(&painter_, w, h, W_, H_);
  return 0;
}

void ExportCanvas::clear() {
  if (!painter_.isActive()) return;
  // The frame covers (0, 0, W, H) opaquely; only the strip beside it needs clearing.
  if (picture_.width() > W_) {
    painter_.setCompositionMode(QPainter::CompositionMode_Source);
    painter_.fillRect(QRect(W_, 0, picture_.width() - W_, picture_.height()), QColor(0, 0, 0));
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
}

void ExportCanvas::drawFrame(const QImage& image) {
  if (!painter_.isActive()) return;
  if (W_ == w_ && H_ == h_ && image.width() == w_ && image.height() == h_ && image.depth() == 32) {
    // Unscaled: the rows go straight into the picture (opaque, as RGB32 requires).
    for (int y = 0; y < h_; ++y) {
      const auto* src = reinterpret_cast<const quint32*>(image.constScanLine(y));
      auto* dst = reinterpret_cast<quint32*>(picture_.scanLine(y));
      for (int x = 0; x < w_; ++x) dst[x] = src[x] | 0xFF000000u;
    }
    return;
  }
  // An enlarged frame is interpolated like the screen shows it.
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
  painter_.drawImage(QRect(0, 0, W_, H_), image);
  painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

void ExportCanvas::drawGlobal(const MeaItem& item, const MeaResult& result) {
  if (painter_.isActive()) items_.drawGlobal(item, result);
}

void ExportCanvas::drawItem(const MeaItem& item, const MeaResult& result) {
  if (!painter_.isActive()) return;
  switch (item.meaType) {
    case 1: case 2: case 3: items_.drawPoint(item, result, nullptr, item.meaType); break;
    case 5: case 11: items_.drawPoly(item, result, nullptr, -1, item.meaType); break;
    case 6: case 7: case 9: case 10: items_.drawRect(item, result, nullptr, -1, item.meaType); break;
    default: break;  // the whole frame and plain lines have no shape of their own here
  }
}

void ExportCanvas::drawColorBar(int paletteIndex, float low, float high) {
  if (!painter_.isActive()) return;
  const PaintResources& res = paintResources();
  const int d = barInside_ ? -kBarStrip : 0;
  painter_.save();
  painter_.setPen(res.pens[barInside_ ? 0 : 1]);
  painter_.setBrush(res.brushes[0]);
  const QRect bar(W_ + 60 + d, 38, 16, H_ - 76);
  if (paletteIndex >= 0 && paletteIndex < palettes_.size())
    painter_.drawImage(bar, palettes_[paletteIndex]);
  painter_.setBrush(Qt::NoBrush);
  painter_.drawRect(bar);
  painter_.restore();
  items_.drawCenteredText(QString::asprintf("%3.1f", double(high)), QRectF(W_ + 4 + d, 4, 72, 30), 1, 10);
  items_.drawCenteredText(QString::asprintf("%3.1f", double(low)), QRectF(W_ + 4 + d, H_ - 34, 72, 30), 1, 10);
}

int ExportCanvas::finish(QByteArray* png) {
  if (!painter_.isActive()) return -7;
  items_.end();
  painter_.end();
  if (png == nullptr) return 0;
  if (!encodePicture(png)) return -1;
  return int(png->size());
}

bool ExportCanvas::encodePicture(QByteArray* png) const { return writeExportPng(picture_, png); }

void ExportCanvas::abort() {
  if (!painter_.isActive()) return;
  items_.end();
  painter_.end();
}
