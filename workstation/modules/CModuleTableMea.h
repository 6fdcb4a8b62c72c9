// The measurement table: a list of measurement items (owned by their canvases) shown with their
// results, grouped by canvas in the order the canvases were first added, each group in canvas
// order. An item leaves the list as soon as it is destroyed. GUI thread only.
#pragma once

#include <QList>

#include "modules/CModule.h"

class TempCanvasItemBase;

class CModuleTableMea : public CModule {
  Q_OBJECT
  Q_PROPERTY(QList<QObject*> meaList READ meaList NOTIFY meaListChanged)

 public:
  explicit CModuleTableMea(QObject* parent = nullptr);
  ~CModuleTableMea() override;

  QList<QObject*> meaList() const { return meaList_; }

  // Inserts an item not yet listed at its place; null is ignored, a listed one is logged and
  // refused, as is an object that is not a measurement item.
  Q_INVOKABLE void mea_create(QObject* mea);
  // Removes a listed item; null is ignored, one not listed is logged.
  Q_INVOKABLE void mea_delete(QObject* mea);

  void saveModuleData() override;
  void loadModuleData() override;

 signals:
  void meaListChanged();

 private:
  void onDestroyed(QObject* mea);

  QList<QObject*> meaList_;
  // The canvas of each listed item, kept beside it: a destroyed item can no longer be asked.
  QList<const QObject*> canvasOf_;
};
