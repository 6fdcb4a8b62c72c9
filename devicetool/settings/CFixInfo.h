// Channel 2, the radiometric correction record (72 bytes): atmosphere, target distance,
// emissivity, window transmittance and offsets.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CFixInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(float atmosphericTemperature MEMBER atmosphericTemperature_ NOTIFY atmosphericTemperatureChanged)
  Q_PROPERTY(float relativeHumidity MEMBER relativeHumidity_ NOTIFY relativeHumidityChanged)
  Q_PROPERTY(float visibility MEMBER visibility_ NOTIFY visibilityChanged)
  Q_PROPERTY(float rainfallIntensity MEMBER rainfallIntensity_ NOTIFY rainfallIntensityChanged)
  Q_PROPERTY(float snowfallIntensity MEMBER snowfallIntensity_ NOTIFY snowfallIntensityChanged)
  Q_PROPERTY(float targetDistance MEMBER targetDistance_ NOTIFY targetDistanceChanged)
  Q_PROPERTY(float globalEmissivity MEMBER globalEmissivity_ NOTIFY globalEmissivityChanged)
  Q_PROPERTY(float infraredWindowTrans MEMBER infraredWindowTrans_ NOTIFY infraredWindowTransChanged)
  Q_PROPERTY(float tempOffset MEMBER tempOffset_ NOTIFY tempOffsetChanged)
  Q_PROPERTY(bool enableAtmFix MEMBER enableAtmFix_ NOTIFY enableAtmFixChanged)
  Q_PROPERTY(
      float infraredWindowTempOffset MEMBER infraredWindowTempOffset_ NOTIFY infraredWindowTempOffsetChanged)

 public:
  static constexpr int kRecordSize = 72;
  explicit CFixInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void atmosphericTemperatureChanged();
  void relativeHumidityChanged();
  void visibilityChanged();
  void rainfallIntensityChanged();
  void snowfallIntensityChanged();
  void targetDistanceChanged();
  void globalEmissivityChanged();
  void infraredWindowTransChanged();
  void tempOffsetChanged();
  void enableAtmFixChanged();
  void infraredWindowTempOffsetChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  float atmosphericTemperature_ = 0.0f;
  float relativeHumidity_ = 0.0f;
  float visibility_ = 0.0f;
  float rainfallIntensity_ = 0.0f;
  float snowfallIntensity_ = 0.0f;
  float targetDistance_ = 0.0f;
  float globalEmissivity_ = 0.0f;
  float infraredWindowTrans_ = 0.0f;
  float tempOffset_ = 0.0f;
  bool enableAtmFix_ = false;
  float infraredWindowTempOffset_ = 0.0f;
};
