#include "inputs/CInputBase.h"

CInputBase::CInputBase(QObject* parent) : QObject(parent) {}

CInputBase::~CInputBase() = default;

void CInputBase::copyFrom(QObject* other) {
  auto* o = qobject_cast<CInputBase*>(other);
  if (o == nullptr || o == this) return;
  dataWidth_ = o->dataWidth_;
  dataHeight_ = o->dataHeight_;
  dataFpsNum_ = o->dataFpsNum_;
  dataFpsDen_ = o->dataFpsDen_;
  dataFrameCount_ = o->dataFrameCount_;
  setNames(o->inputName_, o->inputNameAbs_, o->inputNameShort_);
  inputNameIcon_ = o->inputNameIcon_;
}

void CInputBase::fillCameraInfo(TempFileConf*) {}

void CInputBase::setModule(QObject* module) {
  if (module_ == module) return;
  module_ = module;
  emit moduleChanged();
}

void CInputBase::setOpenFlag(bool open) {
  if (open)
    openBits_.fetch_or(1u);
  else
    openBits_.fetch_and(~1u);
}

void CInputBase::setNames(const QString& name, const QString& abs, const QString& shortName) {
  if (inputName_ != name) {
    inputName_ = name;
    emit inputNameChanged();
  }
  if (inputNameAbs_ != abs) {
    inputNameAbs_ = abs;
    emit inputNameAbsChanged();
  }
  if (inputNameShort_ != shortName) {
    inputNameShort_ = shortName;
    emit inputNameShortChanged();
  }
}

void CInputBase::applyIdentity(const char (&cameraId)[32], const char (&cameraType)[16]) {
  IdentityParts parts = splitCameraIdentity(cameraId, cameraType);
  if (parts.cameraModel) cameraModel_ = *parts.cameraModel;
  if (parts.tempRange) tempRange_ = *parts.tempRange;
  if (parts.cameraSerial) cameraSerial_ = *parts.cameraSerial;
  if (parts.lensName) lensName_ = *parts.lensName;
}

CInputDeviceBase::CInputDeviceBase(QObject* parent) : CInputBase(parent) {}

void CInputDeviceBase::copyFrom(QObject* other) {
  auto* o = qobject_cast<CInputDeviceBase*>(other);
  if (o == nullptr || o == this) return;
  CInputBase::copyFrom(other);
  deviceId_ = o->deviceId_;
  deviceIp_ = o->deviceIp_;
}

void CInputDeviceBase::setConnected(bool connected) {
  if (deviceConnected_ == connected) return;
  deviceConnected_ = connected;
  emit device_isConnectedChanged();
}
