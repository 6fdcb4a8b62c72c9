#include "inputs/CInputIr.h"

#include <QThread>
#include <cstring>
#include <string_view>

#include "ControlCommands.h"
#include "foundation/Helpers.h"

namespace {

// A ratio word of 0 counts as 1: frame-rate denominators are divided by later.
uint16_t ratioOrOne(uint16_t r) {
  return r == 0 ? 1 : r;
}

std::string_view boundedText(const char* field, size_t size) {
  return std::string_view(field, strnlen(field, size));
}

}  // namespace

CInputIr::CInputIr(QObject* parent) : CInputDeviceBase(parent) {
  inputType_ = 1;
}

CInputIr::CInputIr(const QString& address, const CameraBasicInfoRecord& record, QObject* parent)
    : CInputDeviceBase(parent) {
  inputType_ = 1;
  dataWidth_ = record.dataWidth;
  dataHeight_ = record.dataHeight;
  dataFpsNum_ = record.dataFps;
  dataFpsDen_ = 1;
  const std::string_view id = boundedText(record.cameraId, sizeof record.cameraId);
  deviceId_ = QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size()));
  deviceIp_ = address;
  setNames(address, address, address);
  fillLogin(loginInfo_, address);
}

CInputIr::~CInputIr() {
  close();
}

void CInputIr::fillLogin(LoginInfo& info, const QString& address) {
  std::memset(&info, 0, sizeof info);
  const QByteArray text = address.toUtf8();
  // At most 127 bytes, zero-padded, never a split UTF-8 sequence.
  qsizetype n = std::min<qsizetype>(text.size(), sizeof info.ip - 1);
  while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  std::memcpy(info.ip, text.constData(), static_cast<size_t>(n));
}

void CInputIr::copyFrom(QObject* other) {
  auto* o = qobject_cast<CInputIr*>(other);
  if (o == nullptr || o == this) return;
  CInputDeviceBase::copyFrom(other);
  fillLogin(loginInfo_, o->deviceIp_);
}

void CInputIr::fillCameraInfo(TempFileConf* out) {
  if (out == nullptr) return;
  out->magic = kConfMagic;
  out->captureTime = 0;
  std::strncpy(out->cameraId, cameraInfo_.cameraId, sizeof out->cameraId);
  out->width = static_cast<uint16_t>(dataWidth_);
  out->height = static_cast<uint16_t>(dataHeight_);
  out->fpsNum = cameraInfo_.dataFps;
  out->fpsDiv = static_cast<uint16_t>(ratioOrOne(cameraInfo_.dataRatio) * ratioOrOne(cameraInfo_.sendRatio));
  static_assert(sizeof out->fixInfo == sizeof(FixInfoRecord), "fix record size");
  std::memcpy(out->fixInfo, &fixInfo_, sizeof out->fixInfo);
  std::strncpy(out->cameraType, cameraInfo_.cameraType, sizeof out->cameraType);
}

QString CInputIr::deviceConfPath() const {
  return ::deviceConfPath(configDir_, cameraInfo_.cameraId);
}

int CInputIr::setConsumer(FrameConsumerFn fn, void* user) {
  if (isOpen()) return -7;
  consumer_ = fn;
  consumerUser_ = user;
  return 0;
}

void CInputIr::applyOnGui(std::function<void()> fn) {
  if (QThread::currentThread() == thread())
    fn();
  else
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

int CInputIr::open() {
  if (isOpen() || consumer_ == nullptr) return -7;
  CameraBasicInfoRecord info{};
  const int user = Ostrel_Login(&loginInfo_, &info);
  cameraInfo_ = info;
  if (user < 0) return user;
  loginId_ = user;

  const auto gear = loadDeviceConf();

  std::memset(&previewInfo_, 0, sizeof previewInfo_);
  previewInfo_.dataType = PREVIEW_TEMPERATURE;
  previewInfo_.callback = &CInputIr::previewCallback;
  previewInfo_.userData = this;
  const int preview = Ostrel_StartPreview(loginId_, &previewInfo_);
  if (preview < 0) {
    // No half-open state: the login goes with the failed start.
    Ostrel_Logout(loginId_);
    loginId_ = -1;
    applyOnGui([this, gear] { applyGear(gear.first, gear.second); });
    return preview;
  }
  previewId_ = preview;
  setOpenFlag(true);

  const int w = cameraInfo_.dataWidth, h = cameraInfo_.dataHeight, fps = cameraInfo_.dataFps;
  const int den = ratioOrOne(cameraInfo_.sendRatio);
  CameraBasicInfoRecord rec = cameraInfo_;
  applyOnGui([this, w, h, fps, den, rec, gear] {
    dataWidth_ = w;
    dataHeight_ = h;
    dataFpsNum_ = fps;
    dataFpsDen_ = den;
    inputTypeName_ = QStringLiteral("CAMERA");
    dataSize_ = QStringLiteral("%1x%2@%3/%4").arg(w).arg(h).arg(fps).arg(den);
    applyIdentity(rec.cameraId, rec.cameraType);
    applyGear(gear.first, gear.second);
    // The open flag may have been cleared again by a close that ran meanwhile.
    setConnected(isOpen());
  });
  return 0;
}

std::pair<bool, int> CInputIr::loadDeviceConf() {
  Ostrel_GetFixInfo(loginId_, &fixInfo_);

  const std::string_view sw = boundedText(cameraInfo_.softwareId, sizeof cameraInfo_.softwareId);
  const bool hasGear = sw.find("QB") != std::string_view::npos || sw.find("QF") != std::string_view::npos;
  int level = 0;
  if (hasGear) {
    ControlInfoX x = control::request(control::kGearGet);
    if (Ostrel_SendControlX(loginId_, &x) == 0) std::memcpy(&level, x.payload, sizeof level);
  }

  const QByteArray path = deviceConfPath().toUtf8();
  const bool read = ostrel::fileReadExact(path.constData(), &deviceConfSaved_, sizeof deviceConfSaved_) == 0;
  if (!read) std::memset(&deviceConfSaved_, 0, sizeof deviceConfSaved_);
  if (read && deviceConfSaved_.magic == kConfMagic)
    deviceConf_ = deviceConfSaved_;
  else
    deviceConf_ = defaultConf();
  return {hasGear, level};
}

TempFileConf CInputIr::defaultConf() {
  TempFileConf c;
  std::memset(&c, 0, sizeof c);
  c.magic = kConfMagic;
  c.paletteIndex = 5;
  StretchCtl ctl;
  std::memset(&ctl, 0, sizeof ctl);
  ctl.strechType = 1;
  ctl.gain = 2.0f;
  static_assert(sizeof ctl == sizeof c.stretchCtl, "StretchCtl size");
  std::memcpy(c.stretchCtl, &ctl, sizeof ctl);
  const uint32_t grey = 0xFF808080u;
  std::memcpy(c.meaItems[0] + offsetof(MeaItem, meaColor), &grey, sizeof grey);
  return c;
}

void CInputIr::applyGear(bool enable, int level) {
  if (gearEnable_ != enable) {
    gearEnable_ = enable;
    emit gearEnableChanged();
  }
  if (gearLevel_ != level) {
    gearLevel_ = level;
    emit gearLevelChanged();
  }
}

void CInputIr::close() {
  if (!isOpen()) return;
  Ostrel_StopPreview(previewId_);
  previewId_ = -1;
  Ostrel_Logout(loginId_);
  loginId_ = -1;
  setOpenFlag(false);
  applyOnGui([this] { setConnected(isOpen()); });
}

int CInputIr::pausePreview(bool pause) {
  if (!isOpen()) return -7;
  return Ostrel_PausePreview(previewId_, pause ? 1 : 0);
}

int CInputIr::setImage(int paletteIndex, const StretchCtl& ctl) {
  if (!isOpen()) return -7;
  StretchCtl copy = ctl;
  copy.flags = kSetImageFlags;
  return Ostrel_PreviewSetImage(previewId_, &copy, paletteIndex);
}

int CInputIr::executeFFC() {
  if (!isOpen()) return -7;
  ControlInfo c = control::oneWay(control::kFlatField);
  return Ostrel_SendControl(loginId_, &c);
}

void CInputIr::setGearLevel(int level) {
  if (!gearEnable_ || level == gearLevel_ || !isOpen()) return;
  ControlInfoX x = control::requestI32(control::kGearSet, level);
  if (Ostrel_SendControlX(loginId_, &x) != 0) return;
  gearLevel_ = level;
  emit gearLevelChanged();
}

bool CInputIr::isDeviceConfChanged() const {
  return std::memcmp(&deviceConf_, &deviceConfSaved_, sizeof deviceConf_) != 0;
}

int CInputIr::saveDeviceConf() {
  if (!isDeviceConfChanged()) return 0;
  const QByteArray path = deviceConfPath().toUtf8();
  const int r = ostrel::fileWriteAll(path.constData(), &deviceConf_, sizeof deviceConf_);
  if (r == 1) deviceConfSaved_ = deviceConf_;
  return r;
}

void CInputIr::refreshFromRecord(const CameraBasicInfoRecord& record) {
  if (isOpen()) return;
  dataWidth_ = record.dataWidth;
  dataHeight_ = record.dataHeight;
  dataFpsNum_ = record.dataFps;
  dataFpsDen_ = 1;
  const std::string_view id = boundedText(record.cameraId, sizeof record.cameraId);
  deviceId_ = QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size()));
}

int CInputIr::testLogin(const QString& address, CameraBasicInfoRecord* out) {
  LoginInfo info;
  fillLogin(info, address);
  CameraBasicInfoRecord rec{};
  const int user = Ostrel_Login(&info, &rec);
  if (out != nullptr) *out = rec;
  if (user < 0) return user;
  Ostrel_Logout(user);
  return 0;
}

void CInputIr::previewCallback(int status, PreviewFrame* frame, void* user) {
  auto* self = static_cast<CInputIr*>(user);
  if (self == nullptr || self->consumer_ == nullptr) return;
  if (status == 0) {
    if (frame == nullptr) return;
    const uint32_t n = self->counter_++;
    FrameSlot& slot = self->ring_[n & (kRingSize - 1)];
    slot.head = frame->head;
    slot.data = frame->data;
    slot.image = frame->image;
    self->consumer_(0, &slot, self->consumerUser_, n);
    return;
  }
  // Loss and restore reports leave the ring and the counter alone.
  self->consumer_(status, nullptr, self->consumerUser_, self->counter_);
}
