// One camera of the device list: found by discovery or typed in by the user.
#pragma once

#include <QObject>
#include <QString>

#include "OstrelSDK.h"

class CDeviceNode : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool edit_select MEMBER edit_select_ NOTIFY edit_selectChanged)
  Q_PROPERTY(QString edit_info MEMBER edit_info_ NOTIFY edit_infoChanged)
  Q_PROPERTY(QString deviceId MEMBER deviceId_ NOTIFY deviceIdChanged)
  Q_PROPERTY(QString deviceIp MEMBER deviceIp_ NOTIFY deviceIpChanged)
  Q_PROPERTY(QString softwareId MEMBER softwareId_ NOTIFY softwareIdChanged)
  Q_PROPERTY(QString fpaId MEMBER fpaId_ NOTIFY fpaIdChanged)

 public:
  explicit CDeviceNode(QObject* parent = nullptr) : QObject(parent) {}

  // Fills a new node from one discovery answer, without signals.
  void fromDiscovery(const DiscoverNode& node);
  void setDeviceIpQuiet(const QString& ip) { deviceIp_ = ip; }

  QString deviceId() const { return deviceId_; }
  QString deviceIp() const { return deviceIp_; }
  QString softwareId() const { return softwareId_; }
  QString fpaId() const { return fpaId_; }

 signals:
  void edit_selectChanged();
  void edit_infoChanged();
  void deviceIdChanged();
  void deviceIpChanged();
  void softwareIdChanged();
  void fpaIdChanged();

 private:
  bool edit_select_ = false;
  QString edit_info_, deviceId_, deviceIp_, softwareId_, fpaId_;
};
