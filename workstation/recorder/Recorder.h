// The live camera's recorder as the views see it (GUI thread), in front of its worker thread.
// The SDK's receiving thread hands every frame to pushFrame, which copies it into the recorder's
// own frame pool before queueing it: the SDK's frame memory is reused soon after. Settings travel
// to the worker as a copy with each configuration. Snapshots go through the camera module's
// picture export, which the module installs with setPictureExport.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

#include "recordcore/FramePool.h"
#include "recordcore/RecordEngine.h"
#include "FrameSlot.h"
#include "recorder/RecorderConfig.h"

class QThread;
class RecorderManager;
class RecorderPrivate;

class Recorder : public QObject {
  Q_OBJECT
  Q_PROPERTY(RecorderConfig* config READ config CONSTANT)
  Q_PROPERTY(RecorderFile* file READ file CONSTANT)
  Q_PROPERTY(RecorderFile* filePrev READ filePrev CONSTANT)
  Q_PROPERTY(int state READ state NOTIFY stateChanged)
  Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)

 public:
  // Writes a picture of the camera's current frame to `path` (export kind, FILETIME of the
  // shot); the export's result.
  using PictureExportFn = std::function<int(const QString& path, int kind, qint64 fileTime)>;

  // The parent is the live camera module. The settings are the defaults until a manager is set.
  explicit Recorder(QObject* parent = nullptr);
  // Saves this recorder's settings as the global ones, ends the worker (a running recording is
  // ended and then closed with its configuration block).
  ~Recorder() override;
  // Ends the worker as the destructor does, keeping the object: a running recording is ended and
  // closed with its configuration block. For a program that must end at once (its display went
  // away); nothing comes to this recorder afterwards. Later calls do nothing.
  void finishWorker();

  RecorderConfig* config() { return &config_; }
  RecorderFile* file() { return &file_; }
  RecorderFile* filePrev() { return &filePrev_; }
  int state() const { return state_.load(std::memory_order_acquire); }
  bool isActive() const;

  // The manager of the global settings, save folder and finished recordings (may be null). Set
  // while idle: the settings become a copy of the global ones.
  void setManager(RecorderManager* manager);

  Q_INVOKABLE void startConfig();
  Q_INVOKABLE void stopConfig();
  Q_INVOKABLE void sendTrigger(int code);
  Q_INVOKABLE void reloadConfig();
  // A picture named by the naming rule (".jpg", an existing name gets "-1", "-2", ...) through
  // the picture export: its result, -2 when no export is installed, -200 when no name can be
  // created.
  Q_INVOKABLE int snap();
  void setPictureExport(PictureExportFn fn) { pictureExport_ = std::move(fn); }

  // SDK receiving thread: copies the frame (head and codes, the picture only when a cover is
  // due) and queues it for the worker. No wait on the worker.
  void pushFrame(TempData* frame);

  // Frames handed so far, and the frame numbers of the first and the last of them.
  uint64_t framesPushed() const { return pushed_.load(std::memory_order_acquire); }
  int32_t firstFrameNumber() const { return first_.load(std::memory_order_relaxed); }
  int32_t lastFrameNumber() const { return last_.load(std::memory_order_relaxed); }
  void resetCounts();
  // Frames the full pool could not take, and the most frames out of it at once.
  uint64_t framesDropped() const { return pool_.dropped(); }
  uint32_t poolPeak() const { return pool_.peakInUse(); }
  uint32_t poolCapacity() const { return pool_.capacity(); }
  // Tuning for tests and benchmarks, before the next configuration: pool bytes and a write hook
  // of the worker's file (called on the worker thread).
  void setPoolBudget(uint64_t bytes);
  void setWriteHook(recordcore::StreamFileWriter::WriteHook hook);
  // Mean time the worker spent on one frame, in microseconds (0 before any frame).
  double workerMicrosPerFrame() const;
  // The worker's figures of the last notification handled.
  const recordcore::RecordStats& lastStats() const { return lastStats_; }

 signals:
  void stateChanged();
  void isActiveChanged();
  void triggerRecved(int code);
  void dataRecved(recordcore::PoolFrame* frame);

 public slots:
  void onRecordStateChanged(int oldState, int newState);

 private:
  recordcore::RecordSettings makeSettings() const;
  void sendConfig();
  void setState(int s);
  void updateStats(const recordcore::RecordStats& s);
  class RecordSource* source() const;
  QString saveDirNow() const;

  QPointer<RecorderManager> manager_;  // null when none was set or it has gone
  RecorderConfig config_;
  RecorderFile file_, filePrev_;
  std::atomic<int> state_{0};
  std::atomic<int> counter_{1};
  recordcore::FramePool pool_;
  QThread* thread_ = nullptr;
  RecorderPrivate* worker_ = nullptr;
  PictureExportFn pictureExport_;
  recordcore::RecordStats lastStats_;

  std::atomic<uint64_t> pushed_{0};
  std::atomic<int32_t> first_{-1};
  std::atomic<int32_t> last_{-1};
};
