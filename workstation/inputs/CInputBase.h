// The common input classes: every source of temperature frames (camera, picture, stream) is a
// CInputBase with descriptive properties for the views; cameras share CInputDeviceBase.
// View-facing properties change, and signal, on the object's (GUI) thread only.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>

#include "OstrelSDK.h"
#include "inputs/InputText.h"

class CInputBase : public QObject {
  Q_OBJECT
  Q_PROPERTY(int inputType READ inputType CONSTANT)
  Q_PROPERTY(QString inputName READ inputName NOTIFY inputNameChanged)
  Q_PROPERTY(QString inputNameAbs READ inputNameAbs NOTIFY inputNameAbsChanged)
  Q_PROPERTY(QString inputNameShort READ inputNameShort NOTIFY inputNameShortChanged)
  Q_PROPERTY(QString inputNameIcon READ inputNameIcon)
  Q_PROPERTY(int dataWidth READ dataWidth)
  Q_PROPERTY(int dataHeight READ dataHeight)
  Q_PROPERTY(int dataFpsNum READ dataFpsNum)
  Q_PROPERTY(int dataFpsDen READ dataFpsDen)
  Q_PROPERTY(int dataFrameCount READ dataFrameCount)
  Q_PROPERTY(QObject* module READ module NOTIFY moduleChanged)
  Q_PROPERTY(QString inputTypeName READ inputTypeName)
  Q_PROPERTY(QString dataSize READ dataSize)
  Q_PROPERTY(QString capturedDate READ capturedDate)
  Q_PROPERTY(QString capturedTime READ capturedTime)
  Q_PROPERTY(QString cameraModel READ cameraModel)
  Q_PROPERTY(QString cameraSerial READ cameraSerial)
  Q_PROPERTY(QString lensName READ lensName)
  Q_PROPERTY(QString tempRange READ tempRange)
  Q_PROPERTY(QString filterName READ filterName)
  Q_PROPERTY(QString shellTemp READ shellTemp)

 public:
  explicit CInputBase(QObject* parent = nullptr);
  ~CInputBase() override;

  // Copies sizes, rates and the four name texts when `other` is of this object's class.
  Q_INVOKABLE virtual void copyFrom(QObject* other);
  // Writes the capture part (bytes 0..275) of a TempFileConf describing this input.
  virtual void fillCameraInfo(TempFileConf* out);

  int inputType() const { return inputType_; }
  QString inputName() const { return inputName_; }
  QString inputNameAbs() const { return inputNameAbs_; }
  QString inputNameShort() const { return inputNameShort_; }
  QString inputNameIcon() const { return inputNameIcon_; }
  int dataWidth() const { return dataWidth_; }
  int dataHeight() const { return dataHeight_; }
  int dataFpsNum() const { return dataFpsNum_; }
  int dataFpsDen() const { return dataFpsDen_; }
  int dataFrameCount() const { return dataFrameCount_; }
  QObject* module() const { return module_; }
  QString inputTypeName() const { return inputTypeName_; }
  QString dataSize() const { return dataSize_; }
  QString capturedDate() const { return capturedDate_; }
  QString capturedTime() const { return capturedTime_; }
  QString cameraModel() const { return cameraModel_; }
  QString cameraSerial() const { return cameraSerial_; }
  QString lensName() const { return lensName_; }
  QString tempRange() const { return tempRange_; }
  QString filterName() const { return filterName_; }
  QString shellTemp() const { return shellTemp_; }

  // Open flag (bit 0): set by a successful open, cleared by close. Readable from any thread.
  bool isOpen() const { return (openBits_.load() & 1u) != 0; }

  // Set by the workspace when a module attaches or detaches (signal when it changes).
  void setModule(QObject* module);

 signals:
  void inputNameChanged();
  void inputNameAbsChanged();
  void inputNameShortChanged();
  void moduleChanged();

 protected:
  void setOpenFlag(bool open);
  void setNames(const QString& name, const QString& abs, const QString& shortName);
  // Applies the matched parts of a camera identity; unmatched parts keep their value.
  void applyIdentity(const char (&cameraId)[32], const char (&cameraType)[16]);

  int inputType_ = 0;
  QString inputName_, inputNameAbs_, inputNameShort_, inputNameIcon_;
  int dataWidth_ = 0, dataHeight_ = 0, dataFpsNum_ = 0, dataFpsDen_ = 0, dataFrameCount_ = 0;
  QObject* module_ = nullptr;
  QString inputTypeName_, dataSize_, capturedDate_, capturedTime_;
  QString cameraModel_, cameraSerial_, lensName_, tempRange_, filterName_, shellTemp_;

 private:
  std::atomic<uint32_t> openBits_{0};
};

class CInputDeviceBase : public CInputBase {
  Q_OBJECT
  // A camera's address and id are fixed when its input is made (copyFrom fills a fresh copy).
  Q_PROPERTY(QString device_ip READ device_ip CONSTANT)
  Q_PROPERTY(QString device_id READ device_id CONSTANT)
  Q_PROPERTY(bool device_isConnected READ device_isConnected NOTIFY device_isConnectedChanged)

 public:
  explicit CInputDeviceBase(QObject* parent = nullptr);

  void copyFrom(QObject* other) override;

  QString device_ip() const { return deviceIp_; }
  QString device_id() const { return deviceId_; }
  bool device_isConnected() const { return deviceConnected_; }

 signals:
  void device_isConnectedChanged();

 protected:
  void setConnected(bool connected);

  QString deviceIp_, deviceId_;
  bool deviceConnected_ = false;
};
