// The recordings table (module type 8): shows the current and previous recording of one live
// camera and the save folder's space. Binds itself to one camera module; a camera module has at
// most one table. GUI thread.
#pragma once

#include <QMetaObject>
#include <QPointer>

#include "modules/CModule.h"

class CModuleInputIr;

class CModuleTableRecorder : public CModule {
  Q_OBJECT
  Q_PROPERTY(CModuleInputIr* ir READ ir NOTIFY irChanged)

 public:
  explicit CModuleTableRecorder(QObject* parent = nullptr);
  ~CModuleTableRecorder() override;

  CModuleInputIr* ir() const { return ir_.data(); }
  // Binds to `ir` when this table is unbound and the camera has no table yet; else nothing.
  Q_INVOKABLE void ir_create(QObject* ir);
  // Unbinds (the argument is not used).
  Q_INVOKABLE void ir_delete(QObject* ir = nullptr);

  void detach() override;
  // moduleData = the bound camera's address, or empty.
  void saveModuleData() override;
  // Binds to the live camera module whose input is named by moduleData, when there is one.
  void loadModuleData() override;

 signals:
  void irChanged();

 private:
  QPointer<CModuleInputIr> ir_;
  QMetaObject::Connection watch_;
};
