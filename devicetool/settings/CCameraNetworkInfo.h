// Channel 3, the camera's network record (52 bytes). Addresses are dotted texts and the MAC
// colon-separated hex; a text that is no such address makes the whole store refuse (-8) rather than
// send a wrapped or guessed address.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CCameraNetworkInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(bool useStaticIp MEMBER useStaticIp_ NOTIFY useStaticIpChanged)
  Q_PROPERTY(QString staticIp MEMBER staticIp_ NOTIFY staticIpChanged)
  Q_PROPERTY(QString subnetMask MEMBER subnetMask_ NOTIFY subnetMaskChanged)
  Q_PROPERTY(QString gateway MEMBER gateway_ NOTIFY gatewayChanged)
  Q_PROPERTY(QString macAddr MEMBER macAddr_ NOTIFY macAddrChanged)
  Q_PROPERTY(QString dns MEMBER dns_ NOTIFY dnsChanged)
  Q_PROPERTY(QString dns2 MEMBER dns2_ NOTIFY dns2Changed)
  Q_PROPERTY(int mtu MEMBER mtu_ NOTIFY mtuChanged)

 public:
  static constexpr int kRecordSize = 52;
  explicit CCameraNetworkInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void useStaticIpChanged();
  void staticIpChanged();
  void subnetMaskChanged();
  void gatewayChanged();
  void macAddrChanged();
  void dnsChanged();
  void dns2Changed();
  void mtuChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  bool useStaticIp_ = false;
  QString staticIp_;
  QString subnetMask_;
  QString gateway_;
  QString macAddr_;
  QString dns_;
  QString dns2_;
  int mtu_ = 0;
};
