// The module-facing side of the shared temperature canvas: maps the canvas interface the image
// modules use onto a TempCanvas item of a view. GUI thread only.
#pragma once

#include <QPointer>

#include "modules/ModuleCanvas.h"

class TempCanvas;

class TempCanvasSink : public ModuleCanvas {
 public:
  explicit TempCanvasSink(TempCanvas* canvas);

  void setTfm_module(QObject* module) override;
  int beginUpdate(int width, int height) override;
  void endUpdate() override;
  int updateData(TempData* frame) override;
  // The canvas adds items to what it has: the old ones go first, so the record's set replaces
  // them (definition 0 is the whole-image item).
  void setItemDefs(const MeaItem* defs, int count) override;
  int getItemDefs(MeaItem* out, int max) override;
  void setInfoText(const QString& text) override;
  void setShowInfo(bool show) override;
  void setPaletteType(int type) override;
  bool paletteRange(float* low, float* high) override;
  QList<QObject*> itemObjects() override;

 private:
  QPointer<TempCanvas> canvas_;
};
