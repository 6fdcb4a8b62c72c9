// The workstation's fixed option lists for its views, built once and never changed.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>

#include "foundation_qt/CNameValue.h"
#include "foundation_qt/CTypeNameDescIcon.h"
#include "foundation_qt/EEnum.h"

class CCommonManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(QQmlListProperty<CNameValue> languageList READ languageList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> strechList READ strechList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> colorTempList READ colorTempList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> textPosList READ textPosList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> saveModeList READ saveModeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> overlayTypeList READ overlayTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> gearLevelList READ gearLevelList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> tabLayoutList READ tabLayoutList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> meaToolList READ meaToolList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> statsTypeList READ statsTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> statsTypeListTime READ statsTypeListTime CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> dimTypeList READ dimTypeList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CTypeNameDescIcon> dimTypeListXY READ dimTypeListXY CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> startTriggerList READ startTriggerList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> stopTriggerList READ stopTriggerList CONSTANT)
  Q_PROPERTY(QQmlListProperty<CNameValue> recordDivList READ recordDivList CONSTANT)

 public:
  // Sixteen empty lists and the EEnum object.
  explicit CCommonManager(QObject* parent = nullptr);

  // Builds every list and registers EEnum (singleton instance), CNameValue, CTypeNameDescIcon and
  // CCommonManager in "Ostrel" 1.0; later calls return at once. Returns 0. GUI thread.
  int init();
  bool built() const { return built_; }
  EEnum* eenum() const { return enum_; }

  // Name of the recorder trigger with that code (start triggers first), else "None".
  Q_INVOKABLE QString triggerName(int code) const;
  Q_INVOKABLE bool fileExists(const QString& path) const;

  QQmlListProperty<CNameValue> languageList() { return nv(&language_); }
  QQmlListProperty<CNameValue> strechList() { return nv(&strech_); }
  QQmlListProperty<CNameValue> colorTempList() { return nv(&colorTemp_); }
  QQmlListProperty<CNameValue> textPosList() { return nv(&textPos_); }
  QQmlListProperty<CNameValue> saveModeList() { return nv(&saveMode_); }
  QQmlListProperty<CNameValue> overlayTypeList() { return nv(&overlayType_); }
  QQmlListProperty<CNameValue> gearLevelList() { return nv(&gearLevel_); }
  QQmlListProperty<CTypeNameDescIcon> tabLayoutList() { return tndi(&tabLayout_); }
  QQmlListProperty<CTypeNameDescIcon> meaToolList() { return tndi(&meaTool_); }
  QQmlListProperty<CTypeNameDescIcon> statsTypeList() { return tndi(&statsType_); }
  QQmlListProperty<CTypeNameDescIcon> statsTypeListTime() { return tndi(&statsTypeTime_); }
  QQmlListProperty<CTypeNameDescIcon> dimTypeList() { return tndi(&dimType_); }
  QQmlListProperty<CTypeNameDescIcon> dimTypeListXY() { return tndi(&dimTypeXY_); }
  QQmlListProperty<CNameValue> startTriggerList() { return nv(&startTrigger_); }
  QQmlListProperty<CNameValue> stopTriggerList() { return nv(&stopTrigger_); }
  QQmlListProperty<CNameValue> recordDivList() { return nv(&recordDiv_); }

 private:
  // Read-only views of the lists: count and at only.
  QQmlListProperty<CNameValue> nv(QList<CNameValue*>* list);
  QQmlListProperty<CTypeNameDescIcon> tndi(QList<CTypeNameDescIcon*>* list);

  bool built_ = false;
  EEnum* enum_;
  QList<CNameValue*> language_, strech_, colorTemp_, textPos_, saveMode_, overlayType_, gearLevel_;
  QList<CTypeNameDescIcon*> tabLayout_, meaTool_, statsType_, statsTypeTime_, dimType_, dimTypeXY_;
  QList<CNameValue*> startTrigger_, stopTrigger_, recordDiv_;
};
