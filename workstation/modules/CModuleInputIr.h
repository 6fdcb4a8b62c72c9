// The live camera module: shows one networked camera on its canvas at the display rate limit,
// hands every frame to the camera's recorder, measures the camera's real frame rate and opens and
// closes the camera on the thread pool while the interface stays live.
//
// Threads: frameCallback runs on the SDK's receiver thread; everything else on the GUI thread.
// Frames reach the GUI one at a time: a shown frame is copied on the receiver thread into one of
// the module's two own frames, the one the GUI does not hold, and only while no frame is pending
// (an atomic flag the GUI slot clears after the canvas took the frame). A stalled GUI therefore
// skips frames instead of reading ring slots the SDK has refilled.
#pragma once

#include <QPointer>
#include <atomic>

#include "inputs/CInputIr.h"
#include "modules/CModuleInputIrBase.h"
#include "FpsMeter.h"
#include "FrameCopy.h"
#include "recorder/RecordSource.h"
#include "recorder/Recorder.h"

class CModuleInputIr : public CModuleInputIrBase, public RecordSource {
  Q_OBJECT
  Q_PROPERTY(bool isPaused READ isPaused NOTIFY isPausedChanged)
  Q_PROPERTY(bool isReconnecting READ isReconnecting NOTIFY isReconnectingChanged)
  Q_PROPERTY(Recorder* recorder READ recorder CONSTANT)
  Q_PROPERTY(CModule* subModuleRecorder READ subModuleRecorder NOTIFY subModuleRecorderChanged)
  Q_PROPERTY(CModule* subModulePtz READ subModulePtz NOTIFY subModulePtzChanged)

 public:
  explicit CModuleInputIr(QObject* parent = nullptr);
  // Still attached: closes the camera (after any open or close under way) and detaches.
  ~CModuleInputIr() override;

  // -8 (and an ERROR line) when the input is not a camera input; -7 when attached or the camera
  // is bound elsewhere or already running. Registers the module as the camera's frame consumer.
  // Hands the recorder manager on to this module's recorder.
  void setManagers(const ModuleManagers& managers) override;
  int init(CInputBase* input, CFrame* frame) override;
  // Closes the camera, gives up the frame consumer and detaches.
  void detach() override;
  bool input_saveRequired() override;
  bool storedViewConf(TempFileConf* out) override;
  void saveInput() override;

  // Opens the camera on the thread pool and waits, processing events. 0 when open or when the
  // open ended (a failure shows as isPaused); -7 while an open or close runs, or when detached.
  Q_INVOKABLE int loadData();
  Q_INVOKABLE void unloadData();
  Q_INVOKABLE int applyImageConfig();
  Q_INVOKABLE int pause(bool flag);

  bool isPaused() const { return isPaused_; }
  bool isReconnecting() const { return isReconnecting_; }
  Recorder* recorder() const { return recorder_; }
  CModule* subModuleRecorder() const { return subModuleRecorder_.data(); }
  CModule* subModulePtz() const { return subModulePtz_.data(); }
  // Set by the recorder table and the pan-tilt module that bind to this camera.
  void setSubModuleRecorder(CModule* m);
  void setSubModulePtz(CModule* m);

  // The receiver thread's frame hand-over (the camera input's consumer).
  static void frameCallback(int status, FrameSlot* slot, void* user, uint32_t sequence);

  double measuredFps() const { return meter_.fps(); }
  uint32_t decimation() const { return meter_.decimation(); }
  uint32_t fpsInterval() const { return meter_.interval(); }
  // Frames due to be shown that did not reach the canvas: the previous one was still pending,
  // or the frame came while the camera was not (or not yet) loaded.
  uint64_t framesSkipped() const { return skipped_.load(std::memory_order_relaxed); }
  int busy() const { return busy_; }

  // What this module's recorder records, and this module's part of a stream's configuration block.
  CInputBase* recordInput() const override { return input(); }
  void fillRecordConf(TempFileConf* conf) override;

 signals:
  void isPausedChanged();
  void isReconnectingChanged();
  void subModuleRecorderChanged();
  void subModulePtzChanged();
  void dataRecved_Signal(int status, TempData* frame);
  void dataRecved_SignalExternal(int status, TempData* frame);
  void qtc_workEnd(int result);

 public slots:
  void dataRecved_Slot(int status, TempData* frame);
  void qtc_onWorkEnd(int result);

 private:
  CInputIr* ir() const { return qobject_cast<CInputIr*>(input()); }
  void onFrame(FrameSlot* slot);
  // Both return false when the module was deleted while events were processed: the caller must
  // then touch nothing of it.
  bool waitWhileBusy();
  bool runOnPool(int busyValue, bool open);
  void setPaused(bool paused);
  void setReconnecting(bool reconnecting);
  void release();

  bool isPaused_ = false;
  bool isReconnecting_ = false;
  FpsMeter meter_;
  int busy_ = 0;  // 0 idle, 1 opening, 100 closing
  bool loaded_ = false;
  Recorder* recorder_;
  QPointer<CModule> subModuleRecorder_;
  QPointer<CModule> subModulePtz_;
  StretchCtl settings_{};
  // The camera an open or close task works on (kept while the task runs).
  QPointer<CInputIr> taskInput_;

  FrameCopy own_[2];
  std::atomic<bool> framePending_{false};
  std::atomic<int> guiFrame_{-1};  // which own frame the GUI holds, -1 none
  std::atomic<uint64_t> skipped_{0};
};
