// The device tool's controller of one camera's settings: logs in by address, reads and writes the
// configuration channels through their settings objects and logs out. GUI thread, synchronous.
#pragma once

#include <QObject>
#include <QString>

#include "CCameraBasicInfo.h"
#include "OstrelSDK.h"

class CDeviceNode;

class CDeviceConfiger : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool configIpEnable READ configIpEnable CONSTANT)
  Q_PROPERTY(CCameraBasicInfo* basicInfo READ basicInfo CONSTANT)

 public:
  static constexpr int kChannels = 13;

  explicit CDeviceConfiger(QObject* parent = nullptr);
  // Logs out when logged in.
  ~CDeviceConfiger() override;

  bool configIpEnable() const { return configIpEnable_; }
  CCameraBasicInfo* basicInfo() { return &basicInfo_; }
  bool isLoggedIn() const { return loginId_ >= 0; }

  // Logs in to the node's address. 0; -7 when already logged in (the first login stays); -8
  // without a node or for an address that does not fit the login text; the SDK's code otherwise.
  // The login's camera record becomes channel 1, loaded.
  Q_INVOKABLE int startWork(CDeviceNode* node);
  // Logs out when logged in.
  Q_INVOKABLE void stopWork();
  // Reads a channel unless it was read since the login. -8 outside 1..13; -7 not logged in; -2 for
  // a channel this build has no settings object for; else the SDK's result.
  Q_INVOKABLE int getConfig(int configType);
  // Writes a channel from its settings object; the record goes back byte for byte where nothing
  // was edited. -7 not logged in; -8 outside 1..13; -2 no settings object; else the SDK's result.
  Q_INVOKABLE int setConfig(int configType);

 private:
  CDeviceConfigBase* channelObject(int configType);

  bool configIpEnable_ = false;
  int loginId_ = -1;
  int tableSelector_ = 0;
  bool loaded_[kChannels + 1] = {};
  LoginInfo login_{};
  CameraBasicInfoRecord camera_{};
  CCameraBasicInfo basicInfo_;
};
