// Channel 1, the camera's basic record (216 bytes): identity, data size and rate, the ratios and
// the image options a user may change.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CCameraBasicInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(QString cameraId MEMBER cameraId_ NOTIFY cameraIdChanged)
  Q_PROPERTY(QString cameraName MEMBER cameraName_ NOTIFY cameraNameChanged)
  Q_PROPERTY(QString cameraType MEMBER cameraType_ NOTIFY cameraTypeChanged)
  Q_PROPERTY(QString fpaId MEMBER fpaId_ NOTIFY fpaIdChanged)
  Q_PROPERTY(QString hardwareId MEMBER hardwareId_ NOTIFY hardwareIdChanged)
  Q_PROPERTY(QString softwareId MEMBER softwareId_ NOTIFY softwareIdChanged)
  Q_PROPERTY(int dataWidth MEMBER dataWidth_ NOTIFY dataWidthChanged)
  Q_PROPERTY(int dataHeight MEMBER dataHeight_ NOTIFY dataHeightChanged)
  Q_PROPERTY(int dataFps MEMBER dataFps_ NOTIFY dataFpsChanged)
  Q_PROPERTY(QString dataWHF READ dataWHF NOTIFY dataWHFChanged)
  Q_PROPERTY(int dataRatio MEMBER dataRatio_ NOTIFY dataRatioChanged)
  Q_PROPERTY(int sendRatio MEMBER sendRatio_ NOTIFY sendRatioChanged)
  Q_PROPERTY(int dataTransform MEMBER dataTransform_ NOTIFY dataTransformChanged)
  Q_PROPERTY(int desmearLevel MEMBER desmearLevel_ NOTIFY desmearLevelChanged)
  Q_PROPERTY(bool filterMedian MEMBER filterMedian_ NOTIFY filterMedianChanged)

 public:
  static constexpr int kRecordSize = 216;
  explicit CCameraBasicInfo(QObject* parent = nullptr);

  QString dataWHF() const { return dataWHF_; }
  int fromRecord(const void* record, unsigned size) override;
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void cameraIdChanged();
  void cameraNameChanged();
  void cameraTypeChanged();
  void fpaIdChanged();
  void hardwareIdChanged();
  void softwareIdChanged();
  void dataWidthChanged();
  void dataHeightChanged();
  void dataFpsChanged();
  void dataWHFChanged();
  void dataRatioChanged();
  void sendRatioChanged();
  void dataTransformChanged();
  void desmearLevelChanged();
  void filterMedianChanged();

 private:
  QString cameraId_, cameraName_, cameraType_, fpaId_, hardwareId_, softwareId_, dataWHF_;
  int dataWidth_ = 0, dataHeight_ = 0, dataFps_ = 0, dataRatio_ = 0, sendRatio_ = 0, dataTransform_ = 0,
      desmearLevel_ = 0;
  bool filterMedian_ = false;
};
