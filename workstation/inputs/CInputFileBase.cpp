#include "inputs/CInputFileBase.h"

#include <QDir>
#include <QUrl>
#include <cstring>

#include "foundation/Helpers.h"

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

QString CInputFileBase::cleanPath(const QString& path) {
  return path.isEmpty() ? path : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void CInputFileBase::setPath(const QString& given) {
  const QString path = cleanPath(given);
  fileInfo_.setFile(path);
  setNames(path, path, fileInfo_.fileName());
  inputNameIcon_ = QUrl::fromLocalFile(path).toString();
}

void CInputFileBase::resetData(bool frameCount) {
  dataWidth_ = 0;
  dataHeight_ = 0;
  if (frameCount) dataFrameCount_ = 0;
}

namespace {
// Runs `fn` on the input's handle; a stream's running player is kept off the handle meanwhile.
template <class Fn>
auto onHandle(CInputFileBase* input, Fn fn) {
  if (auto* s = qobject_cast<CInputStream*>(input); s != nullptr && s->playerRunning())
    return s->withPlayerHandle(fn);
  return fn(input->handle());
}
}  // namespace

TFRaw* CInputFileBase::writeRawBegin(CInputFileBase* input) {
  if (input == nullptr || !input->isOpen() || input->tf_ == nullptr) return nullptr;
  TFRaw* edit = &input->rawEdit_;
  const int rc = onHandle(input, [edit](TFContext* tf) { return TF_WriteRawBegin(tf, edit); });
  if (rc != 0 || edit->conf == nullptr) return nullptr;
  input->rawPending_ = true;
  return edit;
}

bool CInputFileBase::readStoredConf(CInputFileBase* input, TempFileConf* out) {
  if (input == nullptr || out == nullptr || !input->isOpen() || input->tf_ == nullptr) return false;
  TFRaw raw{};
  const int rc = onHandle(input, [&raw](TFContext* tf) { return TF_ReadRaw(tf, &raw); });
  if (rc != 0 || raw.conf == nullptr) return false;
  std::memcpy(out, raw.conf, sizeof *out);
  return true;
}

bool CInputFileBase::writeRawCheckConf(CInputFileBase* input) {
  if (input == nullptr || !input->isOpen() || input->tf_ == nullptr || input->rawEdit_.conf == nullptr) return false;
  const TFRaw* edit = &input->rawEdit_;
  return onHandle(input, [edit](TFContext* tf) { return TF_WriteRawCheckConf(tf, edit); }) == 1;
}

int CInputFileBase::writeRawEnd(CInputFileBase* input) {
  if (input == nullptr || !input->isOpen() || input->tf_ == nullptr || input->rawEdit_.conf == nullptr) return -7;
  // The player reads through the same handle: a record is only written once it has stopped.
  if (auto* s = qobject_cast<CInputStream*>(input); s != nullptr && s->playerRunning()) return -7;
  const QByteArray path = input->inputNameAbs_.toUtf8();
  return TF_WriteRawEnd(input->tf_, &input->rawEdit_, path.constData());
}

int CInputFileBase::openFile(int openType) {
  if (tf_ == nullptr) return -5;
  const QByteArray path = inputNameAbs_.toUtf8();
  int rc = TF_Open(tf_, path.constData(), openType);
  if (rc < 0) return rc;
  rc = TF_ReadRaw(tf_, &raw_);
  if (rc < 0 || raw_.conf == nullptr || raw_.confSize < static_cast<int32_t>(sizeof(TempFileConf))) {
    TF_Close(tf_);
    raw_ = TFRaw{};
    return rc < 0 ? rc : -194;
  }
  const TempFileConf& c = *raw_.conf;
  dataWidth_ = c.width;
  dataHeight_ = c.height;
  if (openType == TfOpenType_Stream) {
    dataFpsNum_ = c.fpsNum;
    dataFpsDen_ = c.fpsDiv;
    dataFrameCount_ = c.frameCount;
    inputTypeName_ = QStringLiteral("STREAM");
    dataSize_ = QString::asprintf("%dx%d@%d/%d", c.width, c.height, c.fpsNum, c.fpsDiv);
  } else {
    dataFrameCount_ = 0;
    inputTypeName_ = QStringLiteral("JPG");
    dataSize_ = QString::asprintf("%dx%d", c.width, c.height);
  }
  applyIdentity(c.cameraId, c.cameraType);
  const ostrel::LocalDate d = ostrel::filetimeToLocalDate(c.captureTime);
  capturedDate_ = QString::asprintf("%04d-%02d-%02d", d.year, d.month, d.day);
  capturedTime_ = QString::asprintf("%02d:%02d:%02d", d.hour, d.minute, d.second);
  if (TF_ReadFrameHead(tf_, 0, &frame_) == 0 && frame_.head != nullptr)
    shellTemp_ = QString::asprintf("%3.1f, %3.1f", frame_.head->shellTemp / 1000.0, frame_.head->shellTempHW / 1000.0);
  return 0;
}

void CInputFileBase::closeFile() {
  if (tf_ != nullptr) TF_Close(tf_);
  raw_ = TFRaw{};
  rawEdit_ = TFRaw{};
  rawPending_ = false;
  setOpenFlag(false);
}

CInputJpg::CInputJpg(QObject* parent) : CInputFileBase(parent) {
  inputType_ = 2;
}

CInputJpg::~CInputJpg() {
  close();
}

void CInputJpg::copyFrom(QObject* other) {
  if (qobject_cast<CInputJpg*>(other) == nullptr) return;
  CInputFileBase::copyFrom(other);
}

int CInputJpg::open() {
  if (isOpen()) return 0;
  const int rc = openFile(TfOpenType_Picture);
  if (rc < 0) return rc;
  setOpenFlag(true);
  return 0;
}

FrameSlot* CInputJpg::readFrame(int index) {
  if (!isOpen() || TF_ReadFrame(tf_, index, &last_) != 0) return nullptr;
  slot_.head = last_.head;
  slot_.data = last_.data;
  slot_.image = last_.bgra;
  slot_.frameIndex = 0;
  return &slot_;
}

int CInputJpg::setImage(int palette, const StretchCtl* ctl) {
  if (!isOpen()) return -7;
  if (ctl == nullptr) return TF_SetImage(tf_, palette, nullptr);
  StretchCtl c = *ctl;
  // Every image setting the record carries is applied, not only those its own flags name.
  c.flags = 0x107DB;
  return TF_SetImage(tf_, palette, &c);
}

void CInputJpg::close() {
  if (!isOpen()) return;
  closeFile();
  slot_ = FrameSlot{};
}

CInputStream::CInputStream(QObject* parent) : CInputFileBase(parent) {
  inputType_ = 3;
  player_ = std::make_unique<StreamPlayer>(tf_);
}

CInputStream::~CInputStream() {
  close();
  player_.reset();
}

void CInputStream::copyFrom(QObject* other) {
  if (qobject_cast<CInputStream*>(other) == nullptr) return;
  CInputFileBase::copyFrom(other);
}

int CInputStream::setConsumer(void* consumer, StreamFrameFn frameFn, StreamMeaFn meaFn) {
  if (playerRunning()) return -7;
  consumer_ = consumer;
  frameFn_ = frameFn;
  meaFn_ = meaFn;
  return 0;
}

int CInputStream::open() {
  if (isOpen()) return 0;
  if (playerRunning() || frameFn_ == nullptr || meaFn_ == nullptr) return -7;
  const int rc = openFile(TfOpenType_Stream);
  if (rc < 0) return rc;
  const TempFileConf& c = *raw_.conf;
  const int started = player_->start(c.frameCount, c.fpsNum, c.fpsDiv, consumer_, frameFn_, meaFn_);
  if (started < 0) {
    // No half-open state: the file goes with the player that could not start.
    closeFile();
    return started == -8 ? -194 : started;
  }
  setOpenFlag(true);
  return 0;
}

void CInputStream::close() {
  if (!isOpen()) return;
  stopThread();
  closeFile();
}

void CInputStream::stopThread() {
  if (player_) player_->stop();
}

bool CInputStream::playerRunning() const {
  return player_ && player_->running();
}

void CInputStream::setPlayMode(int mode) {
  if (player_) player_->setMode(mode);
}

void CInputStream::seek(int index) {
  if (player_) player_->seek(index);
}

int CInputStream::requestMeaResult(MeaItemList* list) {
  if (!isOpen() || !playerRunning()) return -7;
  return player_->request(list);
}

int CInputStream::frameCount() const {
  return isOpen() && player_ ? player_->frameCount() : 0;
}

int CInputStream::setImage(int palette, const StretchCtl* ctl) {
  if (!isOpen()) return -7;
  StretchCtl c{};
  if (ctl != nullptr) {
    c = *ctl;
    c.flags = 0x107DB;
  }
  if (playerRunning()) {
    player_->setImage(palette, ctl != nullptr ? &c : nullptr);
    return 0;
  }
  return TF_SetImage(tf_, palette, ctl != nullptr ? &c : nullptr);
}

void CInputStream::frameConsumed() {
  if (player_) player_->consumed();
}

