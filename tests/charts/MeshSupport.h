// Stand-ins of the mesh chart's partners: a picture module holding one frame, and an item that
// takes surface series as the view's Surface3D does.
#pragma once

#include <QFile>
#include <QQuickItem>
#include <QTemporaryDir>
#include <QtDataVisualization/QSurface3DSeries>
#include <memory>

#include "ChartsSupport.h"
#include "inputs/CInputManager.h"
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

// A picture module on a copy of the file-input suite's "pic_conf.jpg", its input held by a
// manager of its own for the rig's life.
struct FilePicture {
  QTemporaryDir dir;
  CInputManager inputs;
  std::unique_ptr<CModuleInputJpg> module;

  FilePicture() { workspaceSetInputManager(&inputs); }
  ~FilePicture() {
    module.reset();
    workspaceSetInputManager(nullptr);
  }
  // Copies, opens and loads the picture; false when any step fails.
  bool open() {
    const QString path = dir.path() + "/pic_conf.jpg";
    if (fixtureDir().isEmpty() || !QFile::copy(fixtureDir() + "/pic_conf.jpg", path)) return false;
    CInputJpg* in = inputs.file_createJpg(path);
    if (in == nullptr) return false;
    module = std::make_unique<CModuleInputJpg>();
    return module->init(in, nullptr) == 0 && module->loadData() == 0;
  }
  // Another palette, applied the way the views apply it; the module's result.
  int changePalette() {
    TempImageConfig* c = module->imageConfig();
    c->setPaletteType(c->paletteType() == 3 ? 4 : 3);
    return module->applyImageConfig();
  }
};

}  // namespace charts
