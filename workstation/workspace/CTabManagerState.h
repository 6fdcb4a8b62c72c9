// The two-step placement gesture: what the user picked and what the frame view makes of it at
// "Place". Written only by CTabManager; GUI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "inputs/CInputBase.h"

class CTabManagerState : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool moving READ moving NOTIFY movingChanged)
  Q_PROPERTY(int inputType READ inputType NOTIFY inputTypeChanged)
  Q_PROPERTY(int moduleTypeForEndMove READ moduleTypeForEndMove NOTIFY moduleTypeForEndMoveChanged)
  Q_PROPERTY(QObject* module READ module NOTIFY moduleChanged)
  Q_PROPERTY(QString fileName READ fileName NOTIFY fileNameChanged)
  Q_PROPERTY(CInputBase* input READ input NOTIFY inputChanged)
  Q_PROPERTY(QObject* mea READ mea NOTIFY meaChanged)
  Q_PROPERTY(int meaStatsType READ meaStatsType NOTIFY meaStatsTypeChanged)
  Q_PROPERTY(int meaDimType READ meaDimType NOTIFY meaDimTypeChanged)

 public:
  explicit CTabManagerState(QObject* parent = nullptr);

  bool moving() const { return moving_; }
  int inputType() const { return inputType_; }
  int moduleTypeForEndMove() const { return moduleTypeForEndMove_; }
  // The picked objects are held weakly: one deleted during the gesture reads as null.
  QObject* module() const { return module_.data(); }
  QString fileName() const { return fileName_; }
  CInputBase* input() const { return input_.data(); }
  QObject* mea() const { return mea_.data(); }
  int meaStatsType() const { return meaStatsType_; }
  int meaDimType() const { return meaDimType_; }

  void setMoving(bool v);
  void setInputType(int v);
  void setModuleTypeForEndMove(int v);
  void setModule(QObject* v);
  void setFileName(const QString& v);
  void setInput(CInputBase* v);
  void setMea(QObject* v);
  void setMeaStatsType(int v);
  void setMeaDimType(int v);

 signals:
  void movingChanged();
  void inputTypeChanged();
  void moduleTypeForEndMoveChanged();
  void moduleChanged();
  void fileNameChanged();
  void inputChanged();
  void meaChanged();
  void meaStatsTypeChanged();
  void meaDimTypeChanged();

 private:
  bool moving_ = false;
  int inputType_ = 0;
  int moduleTypeForEndMove_ = 0;
  QPointer<QObject> module_;
  QString fileName_;
  QPointer<CInputBase> input_;
  QPointer<QObject> mea_;
  int meaStatsType_ = 1;
  int meaDimType_ = 0;
};
