// Channel 2, the radiometric correction record (72 bytes): atmosphere, target distance,
// emissivity, window transmittance and offsets.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CFixInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(float atmosphericTemperature MEMBER atmosphericTemperature_ WRITE setAtmosphericTemperature NOTIFY atmosphericTemperatureChanged)
  Q_PROPERTY(float relativeHumidity MEMBER relativeHumidity_ WRITE setRelativeHumidity NOTIFY relativeHumidityChanged)
  Q_PROPERTY(float visibility MEMBER visibility_ WRITE setVisibility NOTIFY visibilityChanged)
  Q_PROPERTY(float rainfallIntensity MEMBER rainfallIntensity_ WRITE setRainfallIntensity NOTIFY rainfallIntensityChanged)
  Q_PROPERTY(float snowfallIntensity MEMBER snowfallIntensity_ WRITE setSnowfallIntensity NOTIFY snowfallIntensityChanged)
  Q_PROPERTY(float targetDistance MEMBER targetDistance_ WRITE setTargetDistance NOTIFY targetDistanceChanged)
  Q_PROPERTY(float globalEmissivity MEMBER globalEmissivity_ WRITE setGlobalEmissivity NOTIFY globalEmissivityChanged)
  Q_PROPERTY(float infraredWindowTrans MEMBER infraredWindowTrans_ WRITE setInfraredWindowTrans NOTIFY infraredWindowTransChanged)
  Q_PROPERTY(float tempOffset MEMBER tempOffset_ WRITE setTempOffset NOTIFY tempOffsetChanged)
  Q_PROPERTY(bool enableAtmFix MEMBER enableAtmFix_ NOTIFY enableAtmFixChanged)
  Q_PROPERTY(float infraredWindowTempOffset MEMBER infraredWindowTempOffset_ WRITE setInfraredWindowTempOffset NOTIFY infraredWindowTempOffsetChanged)

 public:
  static constexpr int kRecordSize = 72;
  explicit CFixInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }
  void setAtmosphericTemperature(float v) { setFloatProperty(&atmosphericTemperature_, v, &CFixInfo::atmosphericTemperatureChanged); }
  void setRelativeHumidity(float v) { setFloatProperty(&relativeHumidity_, v, &CFixInfo::relativeHumidityChanged); }
  void setVisibility(float v) { setFloatProperty(&visibility_, v, &CFixInfo::visibilityChanged); }
  void setRainfallIntensity(float v) { setFloatProperty(&rainfallIntensity_, v, &CFixInfo::rainfallIntensityChanged); }
  void setSnowfallIntensity(float v) { setFloatProperty(&snowfallIntensity_, v, &CFixInfo::snowfallIntensityChanged); }
  void setTargetDistance(float v) { setFloatProperty(&targetDistance_, v, &CFixInfo::targetDistanceChanged); }
  void setGlobalEmissivity(float v) { setFloatProperty(&globalEmissivity_, v, &CFixInfo::globalEmissivityChanged); }
  void setInfraredWindowTrans(float v) { setFloatProperty(&infraredWindowTrans_, v, &CFixInfo::infraredWindowTransChanged); }
  void setTempOffset(float v) { setFloatProperty(&tempOffset_, v, &CFixInfo::tempOffsetChanged); }
  void setInfraredWindowTempOffset(float v) { setFloatProperty(&infraredWindowTempOffset_, v, &CFixInfo::infraredWindowTempOffsetChanged); }

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
