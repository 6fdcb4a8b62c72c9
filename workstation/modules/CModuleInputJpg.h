// The picture file module: shows one radiometric picture on its canvas and writes the edited view
// (palette, image settings, measurement items) back into the file. GUI thread only.
#pragma once

#include <QPointer>

#include "inputs/CInputFileBase.h"
#include "modules/CModuleInputIrBase.h"

class CModuleInputJpg : public CModuleInputFileBase {
  Q_OBJECT
  Q_PROPERTY(CModule* subModuleChartMesh READ subModuleChartMesh NOTIFY subModuleChartMeshChanged)

 public:
  explicit CModuleInputJpg(QObject* parent = nullptr);
  // Still attached: saves when confirmed, closes and deletes the input.
  ~CModuleInputJpg() override;

  // -8 (and an ERROR line) when the input is not a picture input; else the base's result.
  int init(CInputBase* input, CFrame* frame) override;
  // unloadData, the base detach, then the input leaves the input manager and is deleted.
  void detach() override;

  // Opens the picture and shows it: 0 when already open; the open's code; -11 without a frame.
  Q_INVOKABLE int loadData();
  Q_INVOKABLE void unloadData();
  // Recolours the picture with the current palette and image settings; -7 before loading.
  Q_INVOKABLE int applyImageConfig();

  CModule* subModuleChartMesh() const { return subModuleChartMesh_.data(); }
  // Set by the mesh chart bound to this picture.
  void setSubModuleChartMesh(CModule* m);

 signals:
  void subModuleChartMeshChanged();
  // The picture was recoloured; the bound mesh chart takes up the new colours as its texture.
  void recoloured();

 private:
  CInputJpg* jpg() const { return qobject_cast<CInputJpg*>(input()); }
  void release();

  QPointer<CModule> subModuleChartMesh_;
  StretchCtl settings_{};
};
