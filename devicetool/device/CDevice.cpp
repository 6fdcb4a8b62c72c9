#include "CDevice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThreadPool>
#include <cstring>

#include "AppFolders.h"
#include "CDeviceNode.h"
#include "ControlCommands.h"
#include "QmlListAccess.h"
#include "SaveFiles.h"
#include "TempCanvasItem.h"
#include "devicetool/ValueConvert.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace {

QString latin32(const char* p) {
  return QString::fromLatin1(p, qsizetype(strnlen(p, 32)));
}

// The trend chart's length as applied: the settings manager clamps it, but a device used before
// the settings are applied reads 0.
int appliedChartLength() {
  return std::clamp(calorset::chartLength.load(), 10, 9999);
}

}  // namespace

CDevice::CDevice(QObject* parent) : QObject(parent) {
  netd_ = NETD_Create();
  // Both slots run on the GUI thread when the signal comes from a worker or the receiver.
  connect(this, &CDevice::frameRecved, this, &CDevice::onFrameRecved);
  connect(this, &CDevice::qtc_workEnd, this, &CDevice::qtc_onWorkEnd);
}

CDevice::~CDevice() {
  // A start in flight is waited for and then stopped like a working device.
  waitWorker(false);
  if (qtcFlags_.load() == StepStarting) finishStart(0);
  if (previewId_ >= 0 || loginId_ >= 0) workStop();
  ring_.release(last_);
  last_ = nullptr;
  NETD_Free(&netd_);
}

QQmlListProperty<CPtzPreset> CDevice::ptzPresetList() {
  return readOnlyList(this, &presets_);
}

void CDevice::initChartAndPresets() {
  if (!presets_.isEmpty()) return;
  const struct {
    const char* name;
    QRgb colour;
  } kSeries[] = {{"FPA", 0xFFFF0000}, {"Shell", 0xFF00FF00}, {"ShellHW", 0xFF00FFFF}};
  // The chart hands its length to every series it takes.
  chart_.config()->setFifoSize(appliedChartLength());
  for (const auto& d : kSeries) {
    auto* series = new TCSeriesBase(&chart_);
    series->setSeriesName(QString::fromLatin1(d.name));
    series->setSeriesColor(QColor::fromRgba(d.colour));
    series_.append(series);
    chart_.series_create(series);
  }
  for (int id = 1; id <= 255; ++id) {
    auto* p = new CPtzPreset(this);
    p->setPreset(id, qtTrId("Preset") + QString::asprintf("%03d", id));
    presets_.append(p);
  }
}

void CDevice::setQtcFlags(int v, bool notify) {
  if (qtcFlags_.exchange(v) != v && notify) emit qtcFlagsChanged();
}

void CDevice::setFlags(int flags) {
  const int changed = flags_ ^ flags;
  flags_ = flags;
  if (changed & FlagWorking) emit isWorkingChanged();
  if (changed & FlagPaused) emit isPausedChanged();
  if (changed & FlagRecording) emit isRecordingChanged();
  if (changed & FlagRecovering) emit isRecoveringChanged();
}

void CDevice::runWorker(std::function<void()> job) {
  {
    std::lock_guard lock(workMutex_);
    workerBusy_ = true;
  }
  QThreadPool::globalInstance()->start([this, job = std::move(job)] {
    job();
    // The last touch of the device: after this the GUI thread may delete it.
    std::lock_guard lock(workMutex_);
    workerBusy_ = false;
    workDone_.notify_all();
  });
}

void CDevice::waitWorker(bool processEvents) {
  std::unique_lock lock(workMutex_);
  while (workerBusy_) {
    if (!processEvents) {
      workDone_.wait(lock);
      continue;
    }
    lock.unlock();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    lock.lock();
    workDone_.wait_for(lock, std::chrono::milliseconds(5));
  }
}

int CDevice::startWork(CDeviceNode* node) {
  if (isWorking()) return 0;
  if (qtcFlags_.load() != StepNone) return -7;
  if (node == nullptr) return -8;
  // The camera link streams over TCP only; anything else would fail inside the worker unseen.
  const int transport = calorset::streamTransType.load() & 0xFF;
  if (transport != 0) {
    OSTREL_LOG_AS("CDevice::startWork", "transType %d unsupported", transport);
    return -2;
  }
  const QString ip = node->deviceIp();
  if (ip != deviceIp_) {
    deviceIp_ = ip;
    emit deviceIpChanged();
  }
  if (!valueconv::loginText(ip.toUtf8().toStdString(), login_.ip)) return -8;
  std::memset(&preview_, 0, sizeof preview_);
  preview_.dataType = PREVIEW_TEMPERATURE;
  preview_.transport = uint8_t(transport);
  preview_.callback = &CDevice::onSdkFrame;
  preview_.userData = this;
  startError_ = 0;
  setQtcFlags(StepStarting);
  runWorker([this] { workStart(); });
  return 0;
}

void CDevice::workStart() {
  bool gearEnable = false;
  int gearLevel = 0;
  loginId_ = Ostrel_Login(&login_, &camera_);
  if (loginId_ >= 0) {
    if (calorset::debugNetdEnable() != 0 && netd_ != nullptr) {
      NetdConfig c{};
      c.width = camera_.dataWidth;
      c.height = camera_.dataHeight;
      c.frameCount = uint16_t(calorset::debugNetdFrameCount());
      c.interval = uint16_t(calorset::debugNetdCalcInterval());
      NETD_SetConfig(netd_, &c);
    }
    const char* sw = camera_.softwareId;
    const size_t swLen = strnlen(sw, 32);
    const std::string_view swText(sw, swLen);
    if (swText.find("QB") != std::string_view::npos || swText.find("QF") != std::string_view::npos) {
      ControlInfoX x = control::request(control::kGearGet);
      gearLevel = Ostrel_SendControlX(loginId_, &x) == 0 ? control::replyI32(x, 4) : 0;
      gearEnable = true;
    }
    Ostrel_GetFixInfo(loginId_, &fix_);
    width_ = camera_.dataWidth;
    height_ = camera_.dataHeight;
    const unsigned ratio = unsigned(camera_.dataRatio) * unsigned(camera_.sendRatio == 0 ? 1 : camera_.sendRatio);
    meter_.reset(ratio == 0 ? 0 : camera_.dataFps / ratio);
    previewId_ = Ostrel_StartPreview(loginId_, &preview_);
  } else {
    previewId_ = -1;
  }
  int result = 1;
  if (previewId_ < 0) {
    startError_ = loginId_ < 0 ? loginId_ : previewId_;
    OSTREL_LOG_AS("CDevice::workStart", "login %d, preview %d", loginId_, previewId_);
    if (loginId_ >= 0) Ostrel_Logout(loginId_);
    loginId_ = -1;
    result = 0;
  }
  gearEnableRead_ = gearEnable;
  gearLevelRead_ = gearLevel;
  emit qtc_workEnd(result);
}

void CDevice::workStop() {
  const int preview = previewId_ >= 0 ? Ostrel_StopPreview(previewId_) : 0;
  previewId_ = -1;
  const int logout = loginId_ >= 0 ? Ostrel_Logout(loginId_) : 0;
  loginId_ = -1;
  OSTREL_LOG_AS("CDevice::workStop", "preview stopped %d, logged out %d", preview, logout);
}

void CDevice::finishStart(int result) {
  if (result >= 0 && (result & FlagWorking)) {
    canvas_.beginUpdate(width_, height_);
    resetChart();
    const QString id = latin32(camera_.cameraId), sw = latin32(camera_.softwareId);
    if (id != deviceId_) {
      deviceId_ = id;
      emit deviceIdChanged();
    }
    if (sw != softwareId_) {
      softwareId_ = sw;
      emit softwareIdChanged();
    }
  }
  if (gearEnableRead_ != gearEnable_) {
    gearEnable_ = gearEnableRead_;
    emit gearEnableChanged();
  }
  if (gearLevelRead_ != gearLevel_) {
    gearLevel_ = gearLevelRead_;
    emit gearLevelChanged();
  }
  ring_.release(last_);
  last_ = nullptr;
  setFlags(result >= 0 ? result : 0);
  setQtcFlags(StepNone);
  if (isWorking()) setImageConfig();
  if (startError_ < 0) emit workFailed(startError_);
}

void CDevice::qtc_onWorkEnd(int flags) {
  // Only a start reports here; a start already finished by stopWork or the destructor is stale.
  if (qtcFlags_.load() != StepStarting) return;
  waitWorker(false);
  finishStart(flags);
}

void CDevice::stopWork() {
  if (qtcFlags_.load() == StepStarting) {
    // Let the start finish (it cannot be interrupted inside the SDK), then stop what it started.
    waitWorker(true);
    if (qtcFlags_.load() == StepStarting) finishStart(previewId_ >= 0 ? FlagWorking : 0);
  }
  if (!isWorking()) return;
  waitWorker(true);
  setFlags(flags_ & ~FlagWorking);
  canvas_.endUpdate();
  dataState_.reset();
  for (TCSeriesBase* series : series_) series->clear();
  chart_.refresh();
  setQtcFlags(StepStopping, false);
  runWorker([this] { workStop(); });
  waitWorker(true);
  ring_.release(last_);
  last_ = nullptr;
  setFlags(0);
  setQtcFlags(StepNone);
}

int CDevice::sendControl(int func) {
  if (!controlReady() || isRecording()) return -7;
  ControlInfo c;
  switch (func) {
    case 0: c = control::oneWayByte(control::kShutter, 0); break;
    case 1: c = control::oneWayByte(control::kShutter, 1); break;
    case 2: c = control::oneWay(control::kFlatField); break;
    case 3: c = control::oneWay(control::kRestart); break;
    default: return -8;
  }
  return Ostrel_SendControl(loginId_, &c);
}

int CDevice::applyGearLevel(int level) {
  if (isWorking() && level == gearLevel_) return 0;
  int r = -7;
  if (controlReady()) {
    // Like every other command it runs off the GUI thread: a slow camera must not freeze the window.
    ControlInfoX x = control::requestI32(control::kGearSet, level);
    r = runControlX(&x);
  }
  if (r < 0) {
    OSTREL_LOG_AS("CDevice::applyGearLevel", "level %d refused: %d, the camera keeps %d", level, r, gearLevel_);
    emit gearLevelChanged();
    return r;
  }
  setIntProperty(&gearLevel_, level, &CDevice::gearLevelChanged);
  return r;
}

void CDevice::setGearLevel(int level) {
  applyGearLevel(level);
}

void CDevice::setIntProperty(int* field, int value, void (CDevice::*changed)()) {
  if (*field == value) return;
  *field = value;
  emit(this->*changed)();
}

bool CDevice::controlReady() const {
  return isWorking() && qtcFlags_.load() == StepNone && loginId_ >= 0;
}

int CDevice::runCommand(const std::function<int(int)>& send) {
  int result = -1;
  setQtcFlags(StepControl);
  const int login = loginId_;
  // The worker only produces `result` (and fills the caller's record); the GUI thread waits for it
  // before reading either, so every property changes afterwards, on the GUI thread.
  runWorker([&send, &result, login] { result = send(login); });
  waitWorker(true);
  // While the command ran the window could stop the device and start it again; the step running
  // now is then that start, and clearing it would leave its login and stream unfinished.
  int expected = StepControl;
  if (qtcFlags_.compare_exchange_strong(expected, StepNone)) emit qtcFlagsChanged();
  return result;
}

void CDevice::refreshCorrection() {
  // When it cannot be read the record read before is kept.
  FixInfoRecord fresh{};
  if (runCommand([&fresh](int login) { return Ostrel_GetFixInfo(login, &fresh); }) >= 0) fix_ = fresh;
}

int CDevice::runControl(const ControlInfo& c) {
  return runCommand([&c](int login) { return Ostrel_SendControl(login, &c); });
}

int CDevice::runControlX(ControlInfoX* x) {
  return runCommand([x](int login) { return Ostrel_SendControlX(login, x); });
}

int CDevice::pauseWork(bool pause) {
  if (!isWorking() || qtcFlags_.load() != StepNone) return -7;
  const int r = Ostrel_PausePreview(previewId_, pause ? 1 : 0);
  if (r < 0) return r;
  setFlags(pause ? flags_ | FlagPaused : flags_ & ~FlagPaused);
  return 0;
}

int CDevice::beginSave(QString, int ft) {
  if (qtcFlags_.load() != StepNone || !isWorking() || isRecording()) return -7;
  // A stream file carries the login's correction record: read it now, so that an edit made since
  // the start (the configuration dialog writes through its own login) is the one recorded.
  refreshCorrection();
  if (qtcFlags_.load() != StepNone || !isWorking() || isRecording()) return -7;
  QString path;
  const int named = savefile::freeTimeFileName(calorset::saveDirUtf8(), QDateTime::currentDateTime(), ".stream", &path);
  if (named < 0) return named;
  const int r = Ostrel_BeginSave(previewId_, path.toUtf8().constData(), ft);
  OSTREL_LOG_AS("CDevice::beginSave", "%s type %d: %d", path.toUtf8().constData(), ft, r);
  if (r < 0) return r;
  saveType_ = ft;
  setFlags(flags_ | FlagRecording);
  return 0;
}

int CDevice::endSave(int ft) {
  if (qtcFlags_.load() != StepNone || !isWorking() || !isRecording()) return -7;
  // The recording ends as the kind it was begun as: a video begun with type 3 is not a stream.
  (void)ft;
  const int r = Ostrel_EndSave(previewId_, saveType_);
  if (r == -10 || r == -4) return r;
  // A stream that could not be written whole still ends (-197): the recording is over either way.
  setFlags(flags_ & ~FlagRecording);
  return r;
}

int CDevice::saveImage(QString) {
  if (qtcFlags_.load() != StepNone || !isWorking() || last_ == nullptr) return -7;
  // The correction record may have been changed since the start (the configuration dialog writes
  // it through its own login): the file carries what the camera holds now.
  refreshCorrection();
  // Events ran meanwhile: the device may have stopped.
  if (qtcFlags_.load() != StepNone || !isWorking() || last_ == nullptr) return -7;
  QString path;
  const int named = savefile::freeTimeFileName(calorset::saveDirUtf8(), QDateTime::currentDateTime(), ".jpg", &path);
  if (named < 0) return named;
  const DataFrameHead& head = *last_->head;
  const int w = head.width, h = head.height;
  const QByteArray block =
      savefile::temperatureBlock(camera_.cameraId, ostrel::nowFileTime(), w, h, fix_, head, last_->data);
  if (block.isEmpty()) return -7;
  const QByteArray jpg = savefile::encodeJpeg(last_->image, w, h);
  const int r = savefile::writeNewFile(path, {QByteArrayView(jpg), QByteArrayView(block)});
  OSTREL_LOG_AS("CDevice::saveImage", "%s: jpg %lld, block %lld, result %d", path.toUtf8().constData(),
                (long long)jpg.size(), (long long)block.size(), r);
  return r;
}

int CDevice::ptzControl(int act, int arg) {
  if (!controlReady()) return -7;
  ControlInfoX x = control::requestPtz(control::Ptz(uint8_t(act)), uint8_t(arg));
  return runControlX(&x);
}

int CDevice::ptzGetPTZ() {
  if (!controlReady()) return -7;
  ControlInfoX x = control::requestPtz(control::kPtzPositionGet, 0);
  const int r = runControlX(&x);
  if (r < 0) return r;
  setIntProperty(&ptzPan_, control::replyI32(x, 8), &CDevice::ptzPanChanged);
  setIntProperty(&ptzTilt_, control::replyI32(x, 12), &CDevice::ptzTiltChanged);
  return r;
}

int CDevice::ptzSetPTZ(int pan, int tilt, int zoom) {
  if (!controlReady()) return -7;
  ControlInfoX x = control::requestPtzPosition(pan, tilt, zoom);
  return runControlX(&x);
}

int CDevice::focusMFDelta(int delta) {
  if (!controlReady()) return -7;
  return runControl(control::oneWayI16(control::kFocusStep, int16_t(std::clamp(delta, -32768, 32767))));
}

int CDevice::focusMFConti(int dir) {
  if (!controlReady()) return -7;
  return runControl(control::oneWayByte(control::kFocusConti, uint8_t(dir)));
}

int CDevice::focusAF(TempCanvasItemBase* mea) {
  if (!controlReady()) return -7;
  int x0, y0, x1, y1;
  if (mea != nullptr && mea->def.meaType == 9) {
    x0 = mea->def.points[0].x;
    y0 = mea->def.points[0].y;
    x1 = mea->def.points[1].x;
    y1 = mea->def.points[1].y;
  } else {
    control::defaultFocusRegion(width_, height_, &x0, &y0, &x1, &y1);
  }
  ControlInfoX x = control::requestRegion(x0, y0, x1, y1);
  return runControlX(&x);
}

int CDevice::motorCommand(int type, int value, int* field, void (CDevice::*changed)(), bool fromReply) {
  if (!controlReady()) return -7;
  ControlInfoX x = control::requestI32(control::Request(type), value);
  const int r = runControlX(&x);
  if (r >= 0) setIntProperty(field, fromReply ? control::replyI32(x, 4) : 0, changed);
  return r;
}

int CDevice::focusXFRel(int step) {
  return motorCommand(control::kMotorRel, step, &xfCur_, &CDevice::xfCurChanged, true);
}

int CDevice::focusXFAbs(int position) {
  return motorCommand(control::kMotorAbs, position, &xfCur_, &CDevice::xfCurChanged, true);
}

int CDevice::filterReset(int timeMax) {
  // After a reset the wheel's position counts as 0.
  return motorCommand(control::kFilterReset, timeMax, &filterCur_, &CDevice::filterCurChanged, false);
}

int CDevice::filterGoto(int pos) {
  return motorCommand(control::kFilterGoto, pos, &filterCur_, &CDevice::filterCurChanged, true);
}

void CDevice::resetChart() {
  lastSampleTime_ = 0;
  chartCounter_ = 0;
  const int length = appliedChartLength();
  for (TCSeriesBase* series : series_) series->setFifoSize(length);
  chart_.config()->setFifoSize(length);
  chart_.config()->setXmode(TCConfig::Automatic);
  chart_.config()->setYmode(TCConfig::Automatic);
}

void CDevice::sampleChart(const DataFrameHead& head) {
  if (series_.size() != 3) return;
  const int64_t interval = std::max<int64_t>(calorset::chartSampleInterval.load(), 10000000);
  const int64_t dt = head.time - lastSampleTime_;
  if ((dt < 0 ? -dt : dt) < interval) return;
  lastSampleTime_ = head.time;
  const double x = double(chartCounter_++);
  series_[0]->append(x, head.fpaTemp / 1000.0);
  series_[1]->append(x, head.shellTemp / 1000.0);
  series_[2]->append(x, head.shellTempHW / 1000.0);
  if (chartCounter_ > 10000) {
    // Keeps x small: the samples kept move back by the same amount as the counter.
    const int d = appliedChartLength() - 10000;
    for (TCSeriesBase* series : series_) series->shift(d);
    chartCounter_ = uint32_t(int64_t(chartCounter_) + d);
  }
  chart_.refresh();
}

int CDevice::setImageConfig() {
  if (!isWorking() || qtcFlags_.load() != StepNone) return -7;
  StretchCtl ctl;
  std::memset(&ctl, 0, sizeof ctl);
  imageConfig_.toParams(&ctl);
  ctl.flags = 0x107DB;
  return Ostrel_PreviewSetImage(previewId_, &ctl, imageConfig_.paletteType());
}

void CDevice::onSdkFrame(int status, PreviewFrame* frame, void* user) {
  auto* self = static_cast<CDevice*>(user);
  if (status != 0 || frame == nullptr) {
    emit self->frameRecved(status != 0 ? status : -1, nullptr);
    return;
  }
  // Frames above the display cap are dropped before anything is copied.
  if (!self->meter_.onFrame(ostrel::nowFileTime(), calorset::displayFpsCap.load())) return;
  LiveFrame* slot = self->copyFrame(*frame);
  if (slot == nullptr) return;  // the GUI thread is behind: every slot is queued or held
  emit self->frameRecved(0, slot);
}

LiveFrame* CDevice::copyFrame(const PreviewFrame& frame) {
  LiveFrame* slot = ring_.put(frame.head, frame.data, frame.image);
  // The noise result is written into the copy's head, never into the SDK's frame.
  if (slot != nullptr && calorset::debugNetdEnable() != 0 && netd_ != nullptr)
    NETD_Execute(netd_, slot->head, slot->data, reinterpret_cast<uint8_t*>(slot->head) + 57);
  return slot;
}

void CDevice::onFrameRecved(int errorCode, LiveFrame* data) {
  if (errorCode != 0) {
    OSTREL_LOG_AS("CDevice::onFrameRecved", "errorCode %d", errorCode);
    return;
  }
  if (!ring_.take(data)) return;  // handed over before a restart and reused since
  // A frame posted before the pause took effect is not shown: once paused, the picture on screen
  // and what a snapshot saves stay the frame that was current when the user paused.
  if (!isWorking() || isPaused()) {
    ring_.release(data);
    return;
  }
  ring_.release(last_);
  last_ = data;
  dataState_.update(data->head);
  if (TempCanvasItemBase* g = canvas_.itemGlobal()) {
    dataState_.setMaxTemp(g->result.max);
    dataState_.setAvgTemp(g->result.avg);
    dataState_.setMinTemp(g->result.min);
  }
  if (calorset::debugNetdEnable() != 0) {
    float v[2];
    std::memcpy(v, reinterpret_cast<const uint8_t*>(data->head) + 57, sizeof v);
    dataState_.setNetd(v[0]);
    dataState_.setSstd(v[1]);
  }
  dataState_.setFps(meter_.fps());
  if (data->image != nullptr) {
    FrameSlot slot;  // the canvas copies what it shows before it returns
    slot.head = data->head;
    slot.data = data->data;
    slot.image = data->image;
    canvas_.updateData(&slot);
  }
  sampleChart(*data->head);
}
