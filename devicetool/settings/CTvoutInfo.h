// Channel 5, the video output record (40 bytes): analogue output, picture palette and stretch,
// the manual and colour-temperature ranges (tenths of a degree) and the H.264 encoder.
#pragma once

#include <QColor>
#include <QString>

#include "CDeviceConfigBase.h"

class CTvoutInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(bool enableTvout MEMBER enableTvout_ NOTIFY enableTvoutChanged)
  Q_PROPERTY(int zoom MEMBER zoom_ NOTIFY zoomChanged)
  Q_PROPERTY(int paletteType MEMBER paletteType_ NOTIFY paletteTypeChanged)
  Q_PROPERTY(int strechType MEMBER strechType_ NOTIFY strechTypeChanged)
  Q_PROPERTY(float gain MEMBER gain_ WRITE setGain NOTIFY gainChanged)
  Q_PROPERTY(int temp2gray MEMBER temp2gray_ NOTIFY temp2grayChanged)
  Q_PROPERTY(int ddeLevel MEMBER ddeLevel_ NOTIFY ddeLevelChanged)
  Q_PROPERTY(int xuiDisplayFlags MEMBER xuiDisplayFlags_ NOTIFY xuiDisplayFlagsChanged)
  Q_PROPERTY(bool man_enable MEMBER man_enable_ NOTIFY man_enableChanged)
  Q_PROPERTY(float man_temp0 MEMBER man_temp0_ NOTIFY man_temp0Changed)
  Q_PROPERTY(float man_temp1 MEMBER man_temp1_ NOTIFY man_temp1Changed)
  Q_PROPERTY(int ct_type MEMBER ct_type_ NOTIFY ct_typeChanged)
  Q_PROPERTY(float ct_temp0 MEMBER ct_temp0_ NOTIFY ct_temp0Changed)
  Q_PROPERTY(float ct_temp1 MEMBER ct_temp1_ NOTIFY ct_temp1Changed)
  Q_PROPERTY(QColor ct_color0 MEMBER ct_color0_ NOTIFY ct_color0Changed)
  Q_PROPERTY(QColor ct_color1 MEMBER ct_color1_ NOTIFY ct_color1Changed)
  Q_PROPERTY(int h264_bitrate MEMBER h264_bitrate_ NOTIFY h264_bitrateChanged)
  Q_PROPERTY(int h264_gopSize MEMBER h264_gopSize_ NOTIFY h264_gopSizeChanged)

 public:
  static constexpr int kRecordSize = 40;
  explicit CTvoutInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }
  void setGain(float v) { setFloatProperty(&gain_, v, &CTvoutInfo::gainChanged); }

 signals:
  void enableTvoutChanged();
  void zoomChanged();
  void paletteTypeChanged();
  void strechTypeChanged();
  void gainChanged();
  void temp2grayChanged();
  void ddeLevelChanged();
  void xuiDisplayFlagsChanged();
  void man_enableChanged();
  void man_temp0Changed();
  void man_temp1Changed();
  void ct_typeChanged();
  void ct_temp0Changed();
  void ct_temp1Changed();
  void ct_color0Changed();
  void ct_color1Changed();
  void h264_bitrateChanged();
  void h264_gopSizeChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  bool enableTvout_ = false;
  int zoom_ = 0;
  int paletteType_ = 0;
  int strechType_ = 0;
  float gain_ = 0.0f;
  int temp2gray_ = 0;
  int ddeLevel_ = 0;
  int xuiDisplayFlags_ = 0;
  bool man_enable_ = false;
  float man_temp0_ = 0.0f;
  float man_temp1_ = 0.0f;
  int ct_type_ = 0;
  float ct_temp0_ = 0.0f;
  float ct_temp1_ = 0.0f;
  QColor ct_color0_;
  QColor ct_color1_;
  int h264_bitrate_ = 0;
  int h264_gopSize_ = 0;
};
