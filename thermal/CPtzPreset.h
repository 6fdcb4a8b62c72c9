// One pan-tilt preset as the views list it, shared by the workstation's pan-tilt module and the
// device tool's live device. The camera command records themselves (ControlInfo, ControlInfoX)
// come from the SDK's public records header, included here so both programs build them alike.
#pragma once

#include <ostrel/OstrelRecords.h>

#include <QObject>
#include <QString>

class CPtzPreset : public QObject {
  Q_OBJECT
  Q_PROPERTY(int presetId READ presetId CONSTANT)
  Q_PROPERTY(QString presetName READ presetName CONSTANT)

 public:
  explicit CPtzPreset(QObject* parent = nullptr) : QObject(parent) {}

  int presetId() const { return presetId_; }
  QString presetName() const { return presetName_; }
  // Both at once, without signals (the entries are made once and never change).
  void setPreset(int id, const QString& name) {
    presetId_ = id;
    presetName_ = name;
  }

 private:
  int presetId_ = 0;
  QString presetName_;
};
