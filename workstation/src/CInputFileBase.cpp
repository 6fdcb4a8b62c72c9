#include "workstation/CInputFileBase.h"

#include <QUrl>
#include <cstring>

CInputFileBase::CInputFileBase(QObject* parent) : CInputBase(parent), tf_(TF_Create()) {}

CInputFileBase::~CInputFileBase() {
  TF_Free(&tf_);
}

void CInputFileBase::copyFrom(QObject* other) {
  auto* o = qobject_cast<CInputFileBase*>(other);
  if (o == nullptr || o == this) return;
  CInputBase::copyFrom(other);
  fileInfo_.setFile(o->inputName_);
}

void CInputFileBase::fillCameraInfo(TempFileConf* out) {
  if (out == nullptr || !isOpen() || raw_.conf == nullptr || raw_.confSize < static_cast<int32_t>(sizeof *out))
    return;
  std::memcpy(out, raw_.conf, offsetof(TempFileConf, paletteIndex));
}

void CInputFileBase::setPath(const QString& path) {
  fileInfo_.setFile(path);
  setNames(path, path, fileInfo_.fileName());
  inputNameIcon_ = QUrl::fromLocalFile(path).toString();
}

void CInputFileBase::resetData(bool frameCount) {
  dataWidth_ = 0;
  dataHeight_ = 0;
  if (frameCount) dataFrameCount_ = 0;
}

CInputJpg::CInputJpg(QObject* parent) : CInputFileBase(parent) {
  inputType_ = 2;
}

void CInputJpg::copyFrom(QObject* other) {
  if (qobject_cast<CInputJpg*>(other) == nullptr) return;
  CInputFileBase::copyFrom(other);
}

CInputStream::CInputStream(QObject* parent) : CInputFileBase(parent) {
  inputType_ = 3;
}

void CInputStream::copyFrom(QObject* other) {
  if (qobject_cast<CInputStream*>(other) == nullptr) return;
  CInputFileBase::copyFrom(other);
}
