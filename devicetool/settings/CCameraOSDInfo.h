// Channel 6, the on-screen display record (272 bytes): where the location name and the time are
// drawn and in which colour; bytes 144 onwards are the camera's.
#pragma once

#include <QColor>
#include <QString>

#include "CDeviceConfigBase.h"

class CCameraOSDInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(bool loc_enable MEMBER loc_enable_ NOTIFY loc_enableChanged)
  Q_PROPERTY(int loc_x MEMBER loc_x_ NOTIFY loc_xChanged)
  Q_PROPERTY(int loc_y MEMBER loc_y_ NOTIFY loc_yChanged)
  Q_PROPERTY(bool time_enable MEMBER time_enable_ NOTIFY time_enableChanged)
  Q_PROPERTY(int time_x MEMBER time_x_ NOTIFY time_xChanged)
  Q_PROPERTY(int time_y MEMBER time_y_ NOTIFY time_yChanged)
  Q_PROPERTY(QString loc_name MEMBER loc_name_ NOTIFY loc_nameChanged)
  Q_PROPERTY(QColor color MEMBER color_ NOTIFY colorChanged)

 public:
  static constexpr int kRecordSize = 272;
  explicit CCameraOSDInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void loc_enableChanged();
  void loc_xChanged();
  void loc_yChanged();
  void time_enableChanged();
  void time_xChanged();
  void time_yChanged();
  void loc_nameChanged();
  void colorChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  bool loc_enable_ = false;
  int loc_x_ = 0;
  int loc_y_ = 0;
  bool time_enable_ = false;
  int time_x_ = 0;
  int time_y_ = 0;
  QString loc_name_;
  QColor color_;
};
