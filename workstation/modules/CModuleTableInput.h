// The input table: a list of inputs (owned by the input manager) shown with their parameters. An
// input leaves the list as soon as it is destroyed. GUI thread only.
#pragma once

#include <QList>
#include <QQmlListProperty>

#include "modules/CModule.h"

class CModuleTableInput : public CModule {
  Q_OBJECT
  Q_PROPERTY(QList<QObject*> inputList READ inputList NOTIFY inputListChanged)

 public:
  explicit CModuleTableInput(QObject* parent = nullptr);
  ~CModuleTableInput() override;

  QList<QObject*> inputList() const { return inputList_; }

  // Appends an input not yet listed; null is ignored, a listed one is logged and refused.
  Q_INVOKABLE void input_create(QObject* input);
  // Removes a listed input; null is ignored, one not listed is logged.
  Q_INVOKABLE void input_delete(QObject* input);

  void saveModuleData() override;
  void loadModuleData() override;

 signals:
  void inputListChanged();

 private:
  void onDestroyed(QObject* input);

  QList<QObject*> inputList_;
};
