// Stand-ins of the mesh chart's partners: a picture module holding one frame, and an item that
// takes surface series as the view's Surface3D does.
#pragma once

#include <QQuickItem>
#include <QtDataVisualization/QSurface3DSeries>

#include "ChartsSupport.h"
#include "modules/CModuleInputJpg.h"

namespace charts {

// A picture module showing a frame of the test's instead of a file's.
class PictureStandIn : public CModuleInputJpg {
  Q_OBJECT
 public:
  void show(ProducerFrame* f) {
    slot_ = TempData{&f->head, f->codes.data(), f->bgra.data(), 0, 0};
    currentFrame_ = &slot_;
  }

 private:
  TempData slot_{};
};

class SurfaceStandIn : public QQuickItem {
  Q_OBJECT
 public:
  Q_INVOKABLE void addSeries(QSurface3DSeries* s) { added.append(s); }
  QList<QSurface3DSeries*> added;
};

// Codes that differ from pixel to pixel (so a misplaced row or column shows) and a colourful image.
inline void fillPattern(ProducerFrame& f, int salt = 0) {
  const int w = f.head.width, h = f.head.height;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      f.at(x, y) = int16_t((x * 37 + y * 101 + salt) % 20000 - 5000);
      const uint32_t r = uint32_t(x * 255 / std::max(1, w - 1)), g = uint32_t(y * 255 / std::max(1, h - 1));
      f.bgra[size_t(y) * w + x] = 0xFF000000u | (r << 16) | (g << 8) | uint32_t((x + y + salt) & 0xFF);
    }
}

}  // namespace charts
