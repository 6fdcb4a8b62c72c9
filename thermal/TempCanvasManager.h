// The one object that ties the temperature canvases together: every canvas's measurement items in
// one list, the tool bar's tool, the hide-all switch, the selected item, the naming and colouring
// of new items and the palette images. GUI thread. Canvases, items and tools reach it through
// instance(); it is made once by the program, never from QML.
#pragma once

#include <ostrel/OstrelRadiometry.h>

#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class TempCanvas;
class TempCanvasItemBase;
class TempPaletteImageProvider;

class TempCanvasManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(TempPaletteImageProvider* paletteImageProvider READ paletteImageProvider CONSTANT)
  Q_PROPERTY(QList<TempCanvasItemBase*> meaList READ meaList NOTIFY meaListChanged)
  Q_PROPERTY(int tool READ tool WRITE setTool NOTIFY toolChanged)
  Q_PROPERTY(bool hideAll READ hideAll WRITE setHideAll NOTIFY hideAllChanged)
  Q_PROPERTY(TempCanvasItemBase* meaSelected READ meaSelected WRITE setMeaSelected NOTIFY meaSelectedChanged)
  Q_PROPERTY(int meaSelectedIndex READ meaSelectedIndex NOTIFY meaSelectedChanged)

 public:
  // Finds the workspace module attached to the input of that name (null when none).
  using ModuleResolver = std::function<QObject*(const QString& inputName)>;

  explicit TempCanvasManager(QObject* parent = nullptr);
  ~TempCanvasManager() override;

  // The live manager, null when none. A second manager made while one lives never replaces it.
  static TempCanvasManager* instance();

  // Registers this subsystem's QML types and starts the measurement engine; once.
  int init();
  bool initialized() const { return initialized_; }

  TempPaletteImageProvider* paletteImageProvider() const { return provider_.data(); }
  // Hands the provider to its new owner (the QML engine deletes the providers it is given); the
  // manager keeps serving the pointer while the provider lives but no longer deletes it.
  TempPaletteImageProvider* takePaletteImageProvider();

  QList<TempCanvasItemBase*> meaList() const { return meaList_; }
  const QList<TempCanvas*>& canvasList() const { return canvasList_; }
  int tool() const { return tool_; }
  void setTool(int t);
  bool hideAll() const { return hideAll_; }
  void setHideAll(bool b);
  TempCanvasItemBase* meaSelected() const { return meaSelected_; }
  void setMeaSelected(TempCanvasItemBase* item);
  int meaSelectedIndex() const { return meaSelectedIndex_; }

  // op 0 adds, op 3 removes.
  void registerCanvas(TempCanvas* canvas, int op);
  void registerItem(TempCanvasItemBase* item, int op);
  // Names ("M<n>") and colours a tool's template for a new item; returns the colour (0xFFRRGGBB).
  uint32_t nextItemDef(MeaItem* def) const;

  void setModuleResolver(ModuleResolver resolver) { resolver_ = std::move(resolver); }
  TempCanvas* canvasByInputName(const QString& name) const;

  Q_INVOKABLE void mea_deleteInCanvas(TempCanvasItemBase* item);
  Q_INVOKABLE QList<QColor> meaColorArray() const;

 signals:
  void meaListChanged();
  void toolChanged();
  void hideAllChanged();
  void meaSelectedChanged();

 private:
  bool initialized_ = false;
  bool ownsProvider_ = true;
  QPointer<TempPaletteImageProvider> provider_;
  QList<TempCanvas*> canvasList_;
  QList<TempCanvasItemBase*> meaList_;
  int tool_ = 0;
  bool hideAll_ = false;
  TempCanvasItemBase* meaSelected_ = nullptr;
  int meaSelectedIndex_ = -1;
  ModuleResolver resolver_;
};
