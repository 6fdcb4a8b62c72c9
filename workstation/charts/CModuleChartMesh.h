// The mesh chart: a radiometric picture's temperatures as a textured 3-D surface, one grid point
// per pixel, height = temperature, the picture's false-colour image as texture. Drawn by the
// view's Surface3D item (Qt DataVisualization), on which the module owns one surface series.
// GUI thread only.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>

#include "modules/CModule.h"
#include "FrameSlot.h"

class QQuickItem;
class QSurface3DSeries;
class QSurfaceDataProxy;
class CModuleInputJpg;

class CModuleChartMesh : public CModule {
  Q_OBJECT
 public:
  explicit CModuleChartMesh(QObject* parent = nullptr);
  ~CModuleChartMesh() override;

  static int aliveCount();
  // The shared table of (scale, offset): 65,536 floats, entry r + 32768 = r / scale + offset.
  // Null for scale 0 (no temperature can be formed) or when memory runs out. Kept for the
  // life of the process; tables of equal (scale, offset) are one.
  static const float* lookupTable(uint16_t scale, int16_t offset);
  static int tableCount();

  // Only the first call with an item counts: adds a surface series to it.
  Q_INVOKABLE void graphs_init(QQuickItem* item);
  // Builds the surface from the picture module's frame and binds to it; nothing without a graphs
  // item or a frame, when the picture already has a mesh, or for a frame whose scale is 0.
  Q_INVOKABLE void graphs_update(QObject* pictureModule);
  // New colours from the bound picture's current image, the heights untouched.
  Q_INVOKABLE void graphs_updateTexture(QObject* pictureModule);

  int init(CInputBase* input, CFrame* frame) override;
  void detach() override;
  void saveModuleData() override;
  void loadModuleData() override;

  QSurface3DSeries* series() const { return series_; }
  QObject* pictureModule() const;
  // Builds heights and texture from one frame into the series (no binding); false when refused.
  bool applyFrame(const TempData& frame);

 private:
  // Also connects (or disconnects) the picture's recolouring to the texture update.
  void bindPicture(CModuleInputJpg* m, bool bind);
  void pictureRecoloured();

  QPointer<QQuickItem> graphs_;
  QSurface3DSeries* series_ = nullptr;
  QPointer<CModuleInputJpg> picture_;
  QString pictureName_;
};
