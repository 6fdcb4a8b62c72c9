// Channel 13, the GB/T 28181 client settings: camera memory block 2 (GB28181InfoRecord).
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CGB28181Info : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int headVersion MEMBER headVersion_ NOTIFY headVersionChanged)
  Q_PROPERTY(bool headEnable MEMBER headEnable_ NOTIFY headEnableChanged)
  Q_PROPERTY(QString serverId MEMBER serverId_ NOTIFY serverIdChanged)
  Q_PROPERTY(QString serverIp MEMBER serverIp_ NOTIFY serverIpChanged)
  Q_PROPERTY(int serverPort MEMBER serverPort_ NOTIFY serverPortChanged)
  Q_PROPERTY(QString deviceId MEMBER deviceId_ NOTIFY deviceIdChanged)
  Q_PROPERTY(int devicePort MEMBER devicePort_ NOTIFY devicePortChanged)
  Q_PROPERTY(int devicePortRtp MEMBER devicePortRtp_ NOTIFY devicePortRtpChanged)
  Q_PROPERTY(QString streamId MEMBER streamId_ NOTIFY streamIdChanged)
  Q_PROPERTY(QString username MEMBER username_ NOTIFY usernameChanged)
  Q_PROPERTY(QString password MEMBER password_ NOTIFY passwordChanged)
  Q_PROPERTY(int keepAliveInterval MEMBER keepAliveInterval_ NOTIFY keepAliveIntervalChanged)

 public:
  static constexpr int kRecordSize = 280;
  explicit CGB28181Info(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void headVersionChanged();
  void headEnableChanged();
  void serverIdChanged();
  void serverIpChanged();
  void serverPortChanged();
  void deviceIdChanged();
  void devicePortChanged();
  void devicePortRtpChanged();
  void streamIdChanged();
  void usernameChanged();
  void passwordChanged();
  void keepAliveIntervalChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int headVersion_ = 0;
  bool headEnable_ = false;
  QString serverId_;
  QString serverIp_;
  int serverPort_ = 0;
  QString deviceId_;
  int devicePort_ = 0;
  int devicePortRtp_ = 0;
  QString streamId_;
  QString username_;
  QString password_;
  int keepAliveInterval_ = 0;
};
