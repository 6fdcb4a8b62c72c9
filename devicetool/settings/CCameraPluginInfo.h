// Channel 12, the plug-in record (64 bytes): the camera's service versions (its own, never
// written back), the services' switches and their account.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CCameraPluginInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int version MEMBER version_ NOTIFY versionChanged)
  Q_PROPERTY(int onvif_version MEMBER onvif_version_ NOTIFY onvif_versionChanged)
  Q_PROPERTY(int gb28181_version MEMBER gb28181_version_ NOTIFY gb28181_versionChanged)
  Q_PROPERTY(int modbus_version MEMBER modbus_version_ NOTIFY modbus_versionChanged)
  Q_PROPERTY(QString username MEMBER username_ NOTIFY usernameChanged)
  Q_PROPERTY(QString password MEMBER password_ NOTIFY passwordChanged)
  Q_PROPERTY(bool onvif_enable MEMBER onvif_enable_ NOTIFY onvif_enableChanged)
  Q_PROPERTY(bool gb28181_enable MEMBER gb28181_enable_ NOTIFY gb28181_enableChanged)
  Q_PROPERTY(int modbus_enable MEMBER modbus_enable_ NOTIFY modbus_enableChanged)
  Q_PROPERTY(int kqdatavm_enable MEMBER kqdatavm_enable_ NOTIFY kqdatavm_enableChanged)
  Q_PROPERTY(bool h5_enable MEMBER h5_enable_ NOTIFY h5_enableChanged)

 public:
  static constexpr int kRecordSize = 64;
  explicit CCameraPluginInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void versionChanged();
  void onvif_versionChanged();
  void gb28181_versionChanged();
  void modbus_versionChanged();
  void usernameChanged();
  void passwordChanged();
  void onvif_enableChanged();
  void gb28181_enableChanged();
  void modbus_enableChanged();
  void kqdatavm_enableChanged();
  void h5_enableChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int version_ = 0;
  int onvif_version_ = 0;
  int gb28181_version_ = 0;
  int modbus_version_ = 0;
  QString username_;
  QString password_;
  bool onvif_enable_ = false;
  bool gb28181_enable_ = false;
  int modbus_enable_ = 0;
  int kqdatavm_enable_ = 0;
  bool h5_enable_ = false;
};
