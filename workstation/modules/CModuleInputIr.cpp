#include "modules/CModuleInputIr.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>
#include <cstring>

#include "foundation/Logger.h"
#include "settings/CConfigManager.h"
#include "recorder/RecorderManager.h"

namespace {

constexpr int kBusyOpening = 1;
constexpr int kBusyClosing = 100;

uint32_t framesPerMeasurement(const CInputBase* in) {
  if (in == nullptr) return 1;
  const int den = in->dataFpsDen() > 0 ? in->dataFpsDen() : 1;
  const int n = in->dataFpsNum() / den;
  return n > 0 ? static_cast<uint32_t>(n) : 1;
}

}  // namespace

CModuleInputIr::CModuleInputIr(QObject* parent)
    : CModuleInputIrBase(TypeInputIr, parent), recorder_(new Recorder(this)) {
  qRegisterMetaType<TempData*>("TempData*");
  connect(this, &CModuleInputIr::dataRecved_Signal, this, &CModuleInputIr::dataRecved_Slot);
  connect(this, &CModuleInputIr::qtc_workEnd, this, &CModuleInputIr::qtc_onWorkEnd);
  // Snapshots are this module's picture export of the frame on show.
  recorder_->setPictureExport([this](const QString& path, int kind, qint64 fileTime) {
    return exportImage(path, kind, fileTime);
  });
}

void CModuleInputIr::fillRecordConf(TempFileConf* conf) {
  conf->paletteIndex = imageConfig()->paletteType();
  StretchCtl ctl{};
  imageConfig()->toParams(&ctl);
  static_assert(sizeof(StretchCtl) == sizeof conf->stretchCtl, "stretch record size");
  std::memcpy(conf->stretchCtl, &ctl, sizeof ctl);
  if (ModuleCanvas* c = canvas()) {
    MeaItem items[32];
    const int n = c->getItemDefs(items, 32);
    conf->meaCount = n < 0 ? 0 : (n > 32 ? 32 : n);
    std::memcpy(conf->meaItems, items, sizeof(MeaItem) * size_t(conf->meaCount));
  }
}

void CModuleInputIr::setManagers(const ModuleManagers& managers) {
  CModuleInputIrBase::setManagers(managers);
  recorder_->setManager(managers.recorders);
}

CModuleInputIr::~CModuleInputIr() {
  if (isAttached()) release();
  // The recorder closes a running recording with this module's settings: it goes while the
  // module and its input are still whole.
  delete recorder_;
  recorder_ = nullptr;
  detachBase();
}

int CModuleInputIr::init(CInputBase* input, CFrame* frame) {
  auto* in = qobject_cast<CInputIr*>(input);
  if (in == nullptr) {
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_ERROR, "%s,%d,%s:\ninvalid input, inputType %d\n\n",
                      "TabFrameModule\\CModuleInputIr", __LINE__, "CModuleInputIr::init",
                      input != nullptr ? input->inputType() : 0);
    return -8;
  }
  if (isAttached()) return -7;
  const int r = CModule::init(input, frame);
  if (r < 0) return r;
  setViewName(QStringLiteral("%1 [%2]").arg(in->device_id(), in->device_ip()));
  // Measure once per second of the camera's rate as far as it is known yet; loadData and the
  // end of the open refine it.
  meter_.reset(framesPerMeasurement(in));
  // An input that is already running belongs to someone else's consumer.
  if (in->setConsumer(&CModuleInputIr::frameCallback, this) < 0) {
    CModule::detach();
    return -7;
  }
  return 0;
}

void CModuleInputIr::detach() {
  if (!isAttached()) return;
  QPointer<CModuleInputIr> self(this);
  release();
  if (!self.isNull()) CModule::detach();
}

void CModuleInputIr::release() {
  QPointer<CModuleInputIr> self(this);
  unloadData();
  if (self.isNull()) return;
  // No preview runs any more: the camera must not keep a consumer pointing at this module.
  if (CInputIr* in = ir(); in != nullptr && !in->isOpen()) in->setConsumer(nullptr, nullptr);
}

void CModuleInputIr::frameCallback(int status, FrameSlot* slot, void* user, uint32_t) {
  auto* self = static_cast<CModuleInputIr*>(user);
  if (self == nullptr) return;
  if (status == 0) {
    if (slot != nullptr) self->onFrame(slot);
    return;
  }
  emit self->dataRecved_Signal(status, nullptr);
}

void CModuleInputIr::onFrame(FrameSlot* slot) {
  const bool shown = meter_.onFrame(displayFpsLimit.load(std::memory_order_relaxed));
  slot->frameNumber = slot->head != nullptr ? slot->head->frameIndex : 0;
  recorder_->pushFrame(slot);
  if (!shown) return;
  if (framePending_.load(std::memory_order_acquire)) {
    skipped_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  FrameCopy& dst = own_[guiFrame_.load(std::memory_order_acquire) == 0 ? 1 : 0];
  if (!dst.assign(*slot)) {
    skipped_.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  framePending_.store(true, std::memory_order_release);
  emit dataRecved_Signal(0, dst.record());
}

void CModuleInputIr::dataRecved_Slot(int status, TempData* frame) {
  if (status == 0) {
    // Frames that arrive before the open has ended wait for the canvas to learn the size.
    if (loaded_ && busy_ == 0 && frame != nullptr) {
      // From here on the receiver fills the other own frame.
      guiFrame_.store(frame == own_[0].record() ? 0 : 1, std::memory_order_release);
      currentFrame_ = frame;
      ModuleCanvas* c = canvas();
      if (c != nullptr && showInfo() && frame->head != nullptr) {
        c->setInfoText(QString::asprintf("fpa %3.1f | shell %3.1f | fps %3.1f", frame->head->fpaTemp / 1000.0,
                                         frame->head->shellTempHW / 1000.0, meter_.fps()));
      }
      if (c != nullptr) c->updateData(frame);
      emit dataRecved_SignalExternal(0, frame);
    } else if (frame != nullptr) {
      skipped_.fetch_add(1, std::memory_order_relaxed);
    }
    // Cleared in every case, or a frame dropped while unloaded would block the display for good.
    framePending_.store(false, std::memory_order_release);
    return;
  }
  if (!loaded_) return;
  if (status == -17)
    setReconnecting(true);
  else if (status == -18)
    setReconnecting(false);
}

bool CModuleInputIr::waitWhileBusy() {
  if (busy_ == 0) return true;
  // The events processed here may delete the module (a deferred delete posted by a handler
  // that runs inside this wait); its destructor waits for the task itself.
  QPointer<CModuleInputIr> self(this);
  // Each pass waits for an event, at most 100 ms (the timer), so the interface stays live.
  QTimer pass;
  pass.start(100);
  while (!self.isNull() && self->busy_ != 0)
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  return !self.isNull();
}

bool CModuleInputIr::runOnPool(int busyValue, bool open) {
  busy_ = busyValue;
  taskInput_ = ir();
  CInputIr* in = taskInput_.data();
  // The module outlives the task: every path that ends the module waits for busy to clear, and
  // busy clears only when the task's report has arrived.
  QThreadPool::globalInstance()->start([this, in, open] {
    if (in != nullptr) {
      if (open)
        in->open();
      else
        in->close();
    }
    emit qtc_workEnd(0);
  });
  return waitWhileBusy();
}

int CModuleInputIr::loadData() {
  CInputIr* in = ir();
  if (in == nullptr) return -7;
  if (in->isOpen()) return 0;
  if (busy_ != 0) return -7;
  loaded_ = true;
  if (ModuleCanvas* c = canvas()) c->setTfm_module(this);
  // Reset before the task starts: once the preview runs, the receiver owns the meter.
  meter_.reset(framesPerMeasurement(in));
  framePending_.store(false, std::memory_order_relaxed);
  guiFrame_.store(-1, std::memory_order_relaxed);
  skipped_.store(0, std::memory_order_relaxed);
  recorder_->resetCounts();
  for (FrameCopy& f : own_) f.reserve(in->dataWidth(), in->dataHeight());
  // The outcome shows in isPaused; the module may be gone by the time the wait ends.
  runOnPool(kBusyOpening, true);
  return 0;
}

void CModuleInputIr::qtc_onWorkEnd(int) {
  if (busy_ == kBusyOpening) {
    CInputIr* in = taskInput_.data();
    if (in != nullptr && in->isOpen()) {
      if (ModuleCanvas* c = canvas()) c->beginUpdate(in->dataWidth(), in->dataHeight());
      recorder_->reloadConfig();
      // Frames already flow: only the interval follows the camera's rate; the meter counts on.
      meter_.setInterval(framesPerMeasurement(in));
      applyConf(*in->deviceConf());
      setPaused(false);
    } else {
      setPaused(true);
    }
  }
  busy_ = 0;
  taskInput_ = nullptr;
}

void CModuleInputIr::unloadData() {
  // An open under way is waited for first: it may yet succeed, and its task uses this module.
  if (!waitWhileBusy()) return;
  CInputIr* in = ir();
  if (in == nullptr || !in->isOpen()) return;
  loaded_ = false;
  currentFrame_ = nullptr;
  guiFrame_.store(-1, std::memory_order_release);
  if (input_saveConfirmed()) saveInput();
  if (ModuleCanvas* c = canvas()) c->endUpdate();
  if (!runOnPool(kBusyClosing, false)) return;
  // A closed camera has no connection to be restored.
  setReconnecting(false);
}

int CModuleInputIr::pause(bool flag) {
  CInputIr* in = ir();
  if (in == nullptr || !in->isOpen() || busy_ != 0) return -7;
  const int r = in->pausePreview(flag);
  if (r == 0) setPaused(flag);
  return r;
}

int CModuleInputIr::applyImageConfig() {
  CInputIr* in = ir();
  if (in == nullptr || !in->isOpen()) return -7;
  const int palette = imageConfig()->paletteType();
  imageConfig()->toParams(&settings_);
  const int r = in->setImage(palette, settings_);
  showPalette();
  return r;
}

bool CModuleInputIr::input_saveRequired() {
  CInputIr* in = ir();
  if (in == nullptr || !in->isOpen()) return false;
  fillViewConf(in->deviceConf());
  return in->isDeviceConfChanged();
}

bool CModuleInputIr::storedViewConf(TempFileConf* out) {
  CInputIr* in = ir();
  if (in == nullptr || out == nullptr) return false;
  *out = in->deviceConfSaved();
  return true;
}

void CModuleInputIr::saveInput() {
  if (input_saveRequired()) ir()->saveDeviceConf();
}

void CModuleInputIr::setSubModuleRecorder(CModule* m) {
  if (subModuleRecorder_.data() == m) return;
  subModuleRecorder_ = m;
  emit subModuleRecorderChanged();
}

void CModuleInputIr::setSubModulePtz(CModule* m) {
  if (subModulePtz_.data() == m) return;
  subModulePtz_ = m;
  emit subModulePtzChanged();
}

void CModuleInputIr::setPaused(bool paused) {
  if (isPaused_ == paused) return;
  isPaused_ = paused;
  emit isPausedChanged();
}

void CModuleInputIr::setReconnecting(bool reconnecting) {
  if (isReconnecting_ == reconnecting) return;
  isReconnecting_ = reconnecting;
  emit isReconnectingChanged();
}
