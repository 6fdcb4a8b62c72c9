// Channel 4, the clock record (128 bytes): two NTP servers and the time zone; the rest of the
// record is the camera's.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CCameraTimeInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(QString ntpServer MEMBER ntpServer_ NOTIFY ntpServerChanged)
  Q_PROPERTY(QString ntpServer2 MEMBER ntpServer2_ NOTIFY ntpServer2Changed)
  Q_PROPERTY(QString timeZone MEMBER timeZone_ NOTIFY timeZoneChanged)

 public:
  static constexpr int kRecordSize = 128;
  explicit CCameraTimeInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void ntpServerChanged();
  void ntpServer2Changed();
  void timeZoneChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  QString ntpServer_;
  QString ntpServer2_;
  QString timeZone_;
};
