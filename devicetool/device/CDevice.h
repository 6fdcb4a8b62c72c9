// The device tool's one live camera: logs in, starts the temperature stream, shows every frame on
// its canvas and keeps the live data state. Login and stream start and stop run on Qt's global
// thread pool; frames arrive on the SDK's receiver thread and are copied into an owned ring
// before they are queued to the GUI thread, where every view-facing property changes.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "CPtzPreset.h"
#include "OstrelSDK.h"
#include "TCSeries.h"
#include "TempCanvas.h"
#include "TempChart.h"
#include "TempDataState.h"
#include "TempImageConfig.h"
#include "devicetool/FrameMeter.h"
#include "devicetool/FrameRing.h"

class CDeviceNode;
class TempCanvasItemBase;

class CDevice : public QObject {
  Q_OBJECT
  Q_PROPERTY(int qtcFlags READ qtcFlags NOTIFY qtcFlagsChanged)
  Q_PROPERTY(TempCanvas* canvas READ canvas CONSTANT)
  Q_PROPERTY(TempImageConfig* imageConfig READ imageConfig CONSTANT)
  Q_PROPERTY(TempDataState* dataState READ dataState CONSTANT)
  Q_PROPERTY(QString deviceId READ deviceId NOTIFY deviceIdChanged)
  Q_PROPERTY(QString softwareId READ softwareId NOTIFY softwareIdChanged)
  Q_PROPERTY(QString deviceIp READ deviceIp NOTIFY deviceIpChanged)
  Q_PROPERTY(bool isWorking READ isWorking NOTIFY isWorkingChanged)
  Q_PROPERTY(bool isPaused READ isPaused NOTIFY isPausedChanged)
  Q_PROPERTY(bool isRecording READ isRecording NOTIFY isRecordingChanged)
  Q_PROPERTY(bool isRecovering READ isRecovering NOTIFY isRecoveringChanged)
  Q_PROPERTY(bool gearEnable READ gearEnable NOTIFY gearEnableChanged)
  Q_PROPERTY(int gearLevel READ gearLevel WRITE setGearLevel NOTIFY gearLevelChanged)
  Q_PROPERTY(QQmlListProperty<CPtzPreset> ptzPresetList READ ptzPresetList CONSTANT)
  Q_PROPERTY(TempChart* chart READ chart CONSTANT)
  Q_PROPERTY(int ptzPan READ ptzPan NOTIFY ptzPanChanged)
  Q_PROPERTY(int ptzTilt READ ptzTilt NOTIFY ptzTiltChanged)
  Q_PROPERTY(int xfCur READ xfCur NOTIFY xfCurChanged)
  Q_PROPERTY(int filterCur READ filterCur NOTIFY filterCurChanged)

 public:
  enum Step { StepNone = 0, StepStarting = 1, StepControl = 2, StepStopping = 100 };
  enum Flag { FlagWorking = 1, FlagPaused = 2, FlagRecording = 4, FlagRecovering = 8 };

  explicit CDevice(QObject* parent = nullptr);
  // Stops a working device and waits for any worker, so no SDK callback can reach a freed device.
  ~CDevice() override;

  int qtcFlags() const { return qtcFlags_.load(); }
  TempCanvas* canvas() { return &canvas_; }
  TempImageConfig* imageConfig() { return &imageConfig_; }
  TempDataState* dataState() { return &dataState_; }
  QString deviceId() const { return deviceId_; }
  QString softwareId() const { return softwareId_; }
  QString deviceIp() const { return deviceIp_; }
  bool isWorking() const { return flags_ & FlagWorking; }
  bool isPaused() const { return flags_ & FlagPaused; }
  bool isRecording() const { return flags_ & FlagRecording; }
  bool isRecovering() const { return flags_ & FlagRecovering; }
  bool gearEnable() const { return gearEnable_; }
  int gearLevel() const { return gearLevel_; }
  QQmlListProperty<CPtzPreset> ptzPresetList();
  TempChart* chart() { return &chart_; }
  const QList<TCSeriesBase*>& chartSeries() const { return series_; }
  int chartCounter() const { return int(chartCounter_); }
  int ptzPan() const { return ptzPan_; }
  int ptzTilt() const { return ptzTilt_; }
  int xfCur() const { return xfCur_; }
  int filterCur() const { return filterCur_; }

  // Logs in to the node's address and starts the stream on the thread pool. 0 when started (or
  // already working); -7 while a step runs; -8 without a node; -2 when the configured transport
  // is not TCP (the only one the camera link streams). A start that fails later reports through
  // `workFailed`.
  Q_INVOKABLE int startWork(CDeviceNode* node);
  // Stops the stream and logs out, waiting until that is done; waits for a start in flight first.
  Q_INVOKABLE void stopWork();
  // Pauses or resumes the stream. -7 unless working and idle.
  Q_INVOKABLE int pauseWork(bool pause);
  // Records the stream (type 2, a ".stream" file named by the time in the save folder). -7 unless
  // working, idle and not recording; -8 when the save folder gives no usable name.
  Q_INVOKABLE int beginSave(QString fn, int ft);
  // Ends the recording: -7 unless working, idle and recording; else the SDK's result.
  Q_INVOKABLE int endSave(int ft);
  // Snapshot of the last frame shown: its JPEG followed by the temperature block, as a new ".jpg"
  // named by the time in the save folder. 0; -7 without a frame; -8 without a usable name; -200,
  // -197 when the file cannot be written whole (nothing is left behind).
  Q_INVOKABLE int saveImage(QString fn);
  // The lens, filter and pan-tilt commands: each runs on the thread pool while the GUI thread keeps
  // processing events, with qtcFlags 2 meanwhile. -7 unless working and idle; else the SDK's result
  // (-1 for a reply of another type, which changes no property).
  Q_INVOKABLE int ptzControl(int act, int arg);
  Q_INVOKABLE int ptzGetPTZ();
  Q_INVOKABLE int ptzSetPTZ(int pan, int tilt, int zoom);
  Q_INVOKABLE int focusMFDelta(int delta);
  Q_INVOKABLE int focusMFConti(int dir);
  // The region of a selected rectangle item, else the middle half of the frame.
  Q_INVOKABLE int focusAF(TempCanvasItemBase* mea);
  Q_INVOKABLE int focusXFRel(int x);
  Q_INVOKABLE int focusXFAbs(int x);
  Q_INVOKABLE int filterReset(int timeMax);
  Q_INVOKABLE int filterGoto(int pos);
  // One-way commands: 0, 1 shutter open and close; 2 flat-field correction; 3 restart. -7 unless
  // working, idle and not recording; -8 for another kind.
  Q_INVOKABLE int sendControl(int func);
  // The lens gear: `gearLevel` changes only when the camera took the level. Otherwise the result
  // (-7 unless working and idle, else the SDK's) is returned and `gearLevelChanged` is emitted
  // all the same, so a view showing the level it asked for goes back to the camera's.
  Q_INVOKABLE int applyGearLevel(int level);
  void setGearLevel(int level);
  // Applies the image settings to the running preview. -7 unless working and idle.
  Q_INVOKABLE int setImageConfig();

  // Made once by the device manager: the trend chart's three series and the 255 pan-tilt presets.
  void initChartAndPresets();
  // One trend-chart step for a shown frame's head: a sample of the three temperatures when the
  // sampling interval has passed since the last one. GUI thread.
  void sampleChart(const DataFrameHead& head);
  // The frame the GUI holds (the last one shown), or null. GUI thread.
  const LiveFrame* lastFrame() const { return last_; }
  const FrameRing& ring() const { return ring_; }
  const FrameMeter& meter() const { return meter_; }

  // The SDK's preview callback: SDK receiver thread.
  static void onSdkFrame(int status, PreviewFrame* frame, void* user);
  // The receiver's part of a frame the display step keeps: the copy into a free ring slot (and
  // the noise measurement on the copy). Null when every slot is queued or held.
  LiveFrame* copyFrame(const PreviewFrame& frame);

 signals:
  void qtcFlagsChanged();
  void deviceIdChanged();
  void softwareIdChanged();
  void deviceIpChanged();
  void isWorkingChanged();
  void isPausedChanged();
  void isRecordingChanged();
  void isRecoveringChanged();
  void gearEnableChanged();
  void gearLevelChanged();
  void ptzPanChanged();
  void ptzTiltChanged();
  void xfCurChanged();
  void filterCurChanged();
  // From a worker: the step's result (bit 0 set when the stream runs).
  void qtc_workEnd(int flags);
  // From the receiver thread: a frame copied into the ring, or a connection status with null.
  void frameRecved(int errorCode, LiveFrame* data);
  // A start that could not log in or start the stream, with the SDK's code.
  void workFailed(int errorCode);

 public slots:
  void qtc_onWorkEnd(int flags);
  void onFrameRecved(int errorCode, LiveFrame* data);

 private:
  void workStart();
  void workStop();
  // Runs `job` on the global thread pool; waitWorker() returns once it has finished.
  void runWorker(std::function<void()> job);
  void waitWorker(bool processEvents);
  void setQtcFlags(int v, bool notify = true);
  void setFlags(int flags);
  void finishStart(int result);
  void resetChart();
  // Runs one command on the thread pool and processes events until it is answered; the result.
  int runCommand(const std::function<int(int login)>& send);
  // Reads the camera's correction record again through the live login (the SDK keeps it as the
  // login's copy for recordings); on success it is the one snapshots carry.
  void refreshCorrection();
  int runControl(const ControlInfo& c);
  int runControlX(ControlInfoX* x);
  bool controlReady() const;
  // A lens or filter motor command with an i32 at 4; on success `field` takes the reply's i32 at 4
  // (or 0 when `fromReply` is false).
  int motorCommand(int type, int value, int* field, void (CDevice::*changed)(), bool fromReply);
  void setIntProperty(int* field, int value, void (CDevice::*changed)());

  TempCanvas canvas_;
  TempImageConfig imageConfig_;
  TempDataState dataState_;
  FrameRing ring_;
  FrameMeter meter_;
  NetdContext* netd_ = nullptr;
  QList<CPtzPreset*> presets_;
  TempChart chart_;
  QList<TCSeriesBase*> series_;
  int64_t lastSampleTime_ = 0;
  uint32_t chartCounter_ = 0;
  int ptzPan_ = 0, ptzTilt_ = 0, xfCur_ = 0, filterCur_ = 0;

  std::atomic<int> qtcFlags_{StepNone};
  int flags_ = 0;
  QString deviceId_, softwareId_, deviceIp_;
  bool gearEnable_ = false;
  int gearLevel_ = 0;
  // Written by the start worker before qtc_workEnd, read on the GUI thread after it.
  int loginId_ = -1;
  int previewId_ = -1;
  int startError_ = 0;
  int saveType_ = 2;  // the type the running recording was begun with
  bool gearEnableRead_ = false;
  int gearLevelRead_ = 0;
  LoginInfo login_{};
  CameraBasicInfoRecord camera_{};
  FixInfoRecord fix_{};
  PreviewInfo preview_{};
  int width_ = 0, height_ = 0;
  const LiveFrame* last_ = nullptr;  // GUI thread

  std::mutex workMutex_;
  std::condition_variable workDone_;
  bool workerBusy_ = false;  // guarded by workMutex_
};
