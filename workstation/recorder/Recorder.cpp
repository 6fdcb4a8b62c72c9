#include "recorder/Recorder.h"

#include <QDateTime>
#include <QFile>
#include <QThread>
#include <cstring>

#include <unistd.h>

#include "foundation/Helpers.h"
#include "inputs/CInputManager.h"
#include "recorder/RecordSource.h"
#include "recorder/RecorderManager.h"
#include "recorder/RecorderPrivate.h"

Q_DECLARE_METATYPE(recordcore::PoolFrame*)

namespace {

recordcore::NameSettings namingOf(const RecorderConfig& c, const QString& saveDir) {
  recordcore::NameSettings n;
  n.prefixEnable = c.fnPrefixEnable();
  n.prefix = c.fnPrefix().toStdString();
  n.countEnable = c.fnCountEnable();
  n.cameraIdentity = c.fnCameraIdentity();
  n.dateTime = c.fnDateTime();
  n.suffixEnable = c.fnSuffixEnable();
  n.suffix = c.fnSuffix().toStdString();
  n.saveDir = saveDir.toStdString();
  return n;
}

}  // namespace

Recorder::Recorder(QObject* parent) : QObject(parent) {
  qRegisterMetaType<recordcore::PoolFrame*>("recordcore::PoolFrame*");
  config_.applyRecord(RecorderConfig::defaults());
  counter_.store(config_.fnCount());
  thread_ = new QThread();
  worker_ = new RecorderPrivate(&pool_, &counter_);
  worker_->moveToThread(thread_);
  connect(this, &Recorder::triggerRecved, worker_, &RecorderPrivate::onTriggerRecved);
  connect(this, &Recorder::dataRecved, worker_, &RecorderPrivate::onDataRecved);
  connect(worker_, &RecorderPrivate::recordStateChanged, this, &Recorder::onRecordStateChanged);
  connect(worker_, &RecorderPrivate::isActiveChanged, this, &Recorder::isActiveChanged);
  connect(worker_, &RecorderPrivate::counterAdvanced, this, [this] { config_.setFnCount(counter_.load()); });
  thread_->start(QThread::InheritPriority);
}

void Recorder::setManager(RecorderManager* manager) {
  manager_ = manager;
  if (manager_ == nullptr) return;
  config_.cls2cls(manager_->config());
  counter_.store(config_.fnCount());
}

QString Recorder::saveDirNow() const { return manager_ != nullptr ? manager_->saveDir() : QString(); }

Recorder::~Recorder() {
  if (RecorderManager* m = manager_) m->saveConfig(&config_);
  finishWorker();
}

void Recorder::finishWorker() {
  if (worker_ == nullptr) return;
  thread_->quit();
  thread_->wait();
  // The worker thread has ended: its engine belongs to this thread now. A running recording is
  // ended here, and only then closed with its configuration block.
  disconnect(worker_, nullptr, this, nullptr);
  const bool wasRecording = worker_->engine().state() == 2;
  worker_->engine().finish();
  recordcore::RecordStats s, last;
  bool any = false;
  while (worker_->takeStats(&s)) {
    last = s;
    any = true;
  }
  if (wasRecording && any && !last.fileName.empty())
    if (RecorderManager* m = manager_) m->appendConf(QString::fromStdString(last.fileName), source());
  delete worker_;
  worker_ = nullptr;
  delete thread_;
  thread_ = nullptr;
}

RecordSource* Recorder::source() const { return dynamic_cast<RecordSource*>(parent()); }

bool Recorder::isActive() const { return worker_ != nullptr && worker_->isActive(); }

double Recorder::workerMicrosPerFrame() const {
  const uint64_t n = worker_->framesHandled();
  return n == 0 ? 0.0 : double(worker_->handleNs()) / 1000.0 / double(n);
}

void Recorder::setState(int s) {
  if (state_.exchange(s, std::memory_order_acq_rel) != s) emit stateChanged();
}

void Recorder::startConfig() {
  if (state() == 0) setState(1);
}

void Recorder::stopConfig() {
  if (state() != 1) return;
  RecorderManager* m = manager_;
  config_.refreshDesc(m != nullptr ? m->names() : nullptr);
  setState(0);
  sendConfig();
}

void Recorder::sendTrigger(int code) {
  if (state() != 1) emit triggerRecved(code);
}

void Recorder::reloadConfig() {
  if (state() != 0) return;
  RecorderManager* m = manager_;
  config_.refreshDesc(m != nullptr ? m->names() : nullptr);
  sendConfig();
}

recordcore::RecordSettings Recorder::makeSettings() const {
  recordcore::RecordSettings s;
  const RecorderConfig& c = config_;
  s.startTrigger = c.startTrigger();
  s.stopTrigger = c.stopTrigger();
  s.preEnable = c.preBufferEnable();
  s.preSeconds = c.preBuffer();
  s.postEnable = c.postBufferEnable();
  s.postSeconds = c.postBuffer();
  s.autoDelaySeconds = c.autoDelayStopBuffer();
  s.naming = namingOf(c, saveDirNow());
  if (RecordSource* m = source(); m != nullptr && m->recordInput() != nullptr) {
    CInputBase* in = m->recordInput();
    s.width = uint32_t(std::max(0, in->dataWidth()));
    s.height = uint32_t(std::max(0, in->dataHeight()));
    s.fpsNum = uint32_t(std::max(0, in->dataFpsNum()));
    s.fpsDen = uint32_t(std::max(0, in->dataFpsDen()));
    s.cameraModel = in->cameraModel().toStdString();
    TempFileConf conf;
    std::memset(&conf, 0, sizeof conf);
    in->fillCameraInfo(&conf);
    std::memcpy(s.capture.cameraId, conf.cameraId, sizeof s.capture.cameraId);
    std::memcpy(s.capture.fixInfo, conf.fixInfo, sizeof s.capture.fixInfo);
  }
  return s;
}

void Recorder::sendConfig() {
  // The counter follows the settings only while no recording may be taking a name.
  counter_.store(config_.fnCount(), std::memory_order_release);
  const recordcore::RecordSettings s = makeSettings();
  RecorderPrivate* w = worker_;
  QMetaObject::invokeMethod(w, [w, s] { w->initConfig(s); }, Qt::QueuedConnection);
}

void Recorder::setPoolBudget(uint64_t bytes) {
  RecorderPrivate* w = worker_;
  QMetaObject::invokeMethod(w, [w, bytes] { w->engine().setPoolBudget(bytes); }, Qt::QueuedConnection);
}

void Recorder::setWriteHook(recordcore::StreamFileWriter::WriteHook hook) {
  RecorderPrivate* w = worker_;
  QMetaObject::invokeMethod(w, [w, hook] { w->engine().setWriteHook(hook); }, Qt::QueuedConnection);
}

void Recorder::pushFrame(TempData* frame) {
  if (frame == nullptr) return;
  const uint64_t n = pushed_.load(std::memory_order_relaxed);
  if (n == 0) first_.store(frame->frameNumber, std::memory_order_relaxed);
  last_.store(frame->frameNumber, std::memory_order_relaxed);
  // Release: a reader that sees the count also sees the frame numbers stored before it.
  pushed_.store(n + 1, std::memory_order_release);
  if (frame->head == nullptr || state() == 1 || !isActive()) return;
  const uint64_t pixels = uint64_t(frame->head->width) * frame->head->height;
  if (pixels == 0 || pixels > recordcore::RecordEngine::kMaxPixels) return;
  // Head and codes are one block in the SDK's frame store.
  recordcore::PoolFrame* f =
      pool_.fill(reinterpret_cast<const uint8_t*>(frame->head), uint32_t(2 * pixels + 128),
                 reinterpret_cast<const uint8_t*>(frame->image), uint32_t(4 * pixels));
  if (f != nullptr) emit dataRecved(f);
}

void Recorder::resetCounts() {
  first_.store(-1, std::memory_order_relaxed);
  last_.store(-1, std::memory_order_relaxed);
  pushed_.store(0, std::memory_order_release);
}

void Recorder::updateStats(const recordcore::RecordStats& s) {
  file_.set(RecorderFile::FrameCount, QString::asprintf("%u PRE-%u POST-%u", s.framesWritten, s.preCount, s.postCount));
  file_.set(RecorderFile::StreamSize, QString::asprintf("%3.2f GB", double(s.bytesWritten) / double(1u << 30)));
  file_.set(RecorderFile::Duration, RecorderFile::durationText(s.durationMs));
}

void Recorder::onRecordStateChanged(int oldState, int newState) {
  recordcore::RecordStats s;
  if (worker_ == nullptr || !worker_->takeStats(&s)) return;
  lastStats_ = s;
  if (oldState == 0 && newState == 2) {
    filePrev_.copyFrom(file_);
    file_.set(RecorderFile::Fn, QString::fromStdString(s.fileName), true);
    file_.set(RecorderFile::FnShort, QString::fromStdString(s.fileNameShort), true);
    file_.set(RecorderFile::BeginTime, RecorderFile::dateTimeText(s.beginTime), true);
    for (auto f : {RecorderFile::EndTime, RecorderFile::Duration, RecorderFile::FrameCount, RecorderFile::StreamSize,
                   RecorderFile::Failure})
      file_.set(f, QString(), true);
  } else if (oldState == newState) {
    updateStats(s);
  } else if (oldState == 2 && newState == 0) {
    updateStats(s);
    file_.set(RecorderFile::EndTime, RecorderFile::dateTimeText(s.endTime));
    if (s.error != 0) file_.set(RecorderFile::Failure, QStringLiteral("write failed (%1)").arg(s.error));
    if (RecorderManager* m = manager_) {
      m->refreshStorage();
      m->appendConf(file_.fn(), source());
      if (config_.addToRecent() && m->inputs() != nullptr) m->inputs()->link_addRecent(file_.fn());
    }
  }
  setState(newState);
}

int Recorder::snap() {
  if (!pictureExport_) return -2;
  if (saveDirNow().isEmpty()) return -200;
  const qint64 fileTime = QDateTime::currentMSecsSinceEpoch() * 10000 + ostrel::kFileTimeUnixEpoch;
  QString model;
  if (RecordSource* m = source(); m != nullptr && m->recordInput() != nullptr)
    model = m->recordInput()->cameraModel();
  const recordcore::RecordName name =
      recordcore::composeName(namingOf(config_, saveDirNow()), model.toStdString(), fileTime, &counter_);
  if (name.counterUsed >= 0) config_.setFnCount(counter_.load());
  // The name is taken by creating the file, so a second shot in the same second gets its own.
  std::string taken;
  const int fd = recordcore::createExclusive(name.base, ".jpg", &taken);
  if (fd < 0) return -200;
  ::close(fd);
  const QString path = QString::fromStdString(taken);
  const int r = pictureExport_(path, 1, fileTime);
  if (r < 0) QFile::remove(path);
  return r;
}
