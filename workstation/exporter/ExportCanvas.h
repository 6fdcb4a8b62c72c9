// The exporter's drawing surface: the frame scaled to at least 640 columns, the measurement items
// through the shared ItemPainter on a QPainter (the same fonts and colours as the screen), and
// the colour bar inside the picture or in a strip of its own. Used by the exporter's worker only.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QPainter>
#include <memory>

#include "ItemPainter.h"
#include "exporter/ExportJob.h"

class ExportCanvas {
 public:
  static constexpr int kMinWidth = 640;
  static constexpr int kBarStrip = 80;

  ExportCanvas();
  ~ExportCanvas();
  ExportCanvas(const ExportCanvas&) = delete;
  ExportCanvas& operator=(const ExportCanvas&) = delete;

  // The export picture's size for a w x h source: scaled to 640 columns when narrower.
  static void scaledSize(int w, int h, int* outW, int* outH);
  // The whole picture's size, the strip included when the bar goes outside.
  static void pictureSize(int w, int h, int colorbar, int* outW, int* outH);

  // Starts a picture: 0; -8 for a size that is not positive; -7 while a picture is open.
  int begin(int w, int h, const ExportSettings& settings);
  // Clears what the next drawFrame does not cover (a series reuses the picture for every frame).
  void clear();
  // Draws the w x h image scaled into the frame area.
  void drawFrame(const QImage& image);
  void drawGlobal(const MeaItem& item, const MeaResult& result);
  void drawItem(const MeaItem& item, const MeaResult& result);
  void drawColorBar(int paletteIndex, float low, float high);
  // Ends the picture; with `png` it is encoded as PNG there first. The PNG's length, 0 without
  // `png`, -1 when encoding failed, -7 when no picture is open.
  int finish(QByteArray* png);
  // The picture as PNG into png (replacing its contents); false when encoding failed.
  bool encodePicture(QByteArray* png) const;
  // Ends an open picture without encoding it; nothing when none is open.
  void abort();
  bool drawing() const { return painter_.isActive(); }

  const QImage& picture() const { return picture_; }
  int scaledWidth() const { return W_; }
  int scaledHeight() const { return H_; }

 private:
  void buildTables(int w, int h);

  ItemPainter items_;
  std::unique_ptr<int16_t[]> tables_;  // four tables of 65536 entries, one block
  int w_ = 0, h_ = 0, W_ = 0, H_ = 0;
  bool barInside_ = false;
  QImage picture_;
  QPainter painter_;
  QList<QImage> palettes_;
};
