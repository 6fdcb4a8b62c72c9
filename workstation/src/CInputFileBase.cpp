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

TFRaw* CInputFileBase::writeRawBegin(CInputFileBase* input) {
  if (input == nullptr || !input->isOpen() || input->tf_ == nullptr) return nullptr;
  if (TF_WriteRawBegin(input->tf_, &input->rawEdit_) != 0 || input->rawEdit_.conf == nullptr) return nullptr;
  input->rawPending_ = true;
  return &input->rawEdit_;
}

bool CInputFileBase::writeRawCheckConf(CInputFileBase* input) {
  if (input == nullptr || !input->isOpen() || input->tf_ == nullptr || input->rawEdit_.conf == nullptr) return false;
  return TF_WriteRawCheckConf(input->tf_, &input->rawEdit_) == 1;
}

int CInputFileBase::writeRawEnd(CInputFileBase* input) {
  if (input == nullptr || !input->isOpen() || input->tf_ == nullptr || input->rawEdit_.conf == nullptr) return -7;
  const QByteArray path = input->inputNameAbs_.toUtf8();
  return TF_WriteRawEnd(input->tf_, &input->rawEdit_, path.constData());
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
