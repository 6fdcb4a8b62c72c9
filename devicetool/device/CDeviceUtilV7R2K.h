// The detector utility of the V7R2K cameras: logs in, reads the QM detector register set into a
// block of text and trims the detector's bias voltage offset. GUI thread, synchronous calls.
#pragma once

#include <QObject>
#include <QString>

#include "OstrelSDK.h"

class CDeviceUtilV7R2K : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString deviceId READ deviceId NOTIFY deviceIdChanged)
  Q_PROPERTY(QString fpaInfo READ fpaInfo NOTIFY fpaInfoChanged)
  Q_PROPERTY(double volOffset READ volOffset WRITE setVolOffset NOTIFY volOffsetChanged)

 public:
  explicit CDeviceUtilV7R2K(QObject* parent = nullptr);
  ~CDeviceUtilV7R2K() override;

  QString deviceId() const { return deviceId_; }
  QString fpaInfo() const { return fpaInfo_; }
  double volOffset() const { return volOffset_; }
  void setVolOffset(double v);

  // Logs in to `ip` and reads the register set. The result (0 or more) keeps the login; -2 for a
  // camera whose software id lacks "QPX", or the camera link's code, log out again.
  Q_INVOKABLE int init(const QString& ip);
  Q_INVOKABLE void free();
  // Sends `volOffset` as the detector's voltage offset. -7 without login; -8 for a value that is
  // not a finite number (nothing is sent); else the command's result. While `volOffset` is still
  // the value read, the count read goes back as it came.
  Q_INVOKABLE int applyVolOffset();

  // The register text of a record.
  static QString registerText(const FPAInfoQMRecord& record);

 signals:
  void deviceIdChanged();
  void fpaInfoChanged();
  void volOffsetChanged();

 private:
  int loginId_ = -1;
  LoginInfo login_{};
  CameraBasicInfoRecord camera_{};
  FPAInfoQMRecord fpa_{};
  QString deviceId_, fpaInfo_;
  double volOffset_ = 0;
  // The offset as read (count and the volts shown for it); no count while nothing was read.
  int readCount_ = 0;
  double readVolts_ = 0;
  bool haveRead_ = false;
};
