// The pan-tilt and lens module: drives a live camera's pan-tilt head, lens focus and filter wheel
// with the camera's control commands. Each command runs on the global thread pool while the GUI
// thread keeps processing events; one command at a time.
//
// Threads: the busy flag and the command's result are written by the pool task and read by the
// GUI thread through release/acquire atomics; every property changes and signals on the GUI
// thread. The camera's login is read when each command starts, so a camera that logged in again
// is reached under its new login, and a closed camera is refused with -7.
#pragma once

#include <QList>
#include <QPointer>
#include <atomic>

#include "CPtzPreset.h"
#include "modules/CModule.h"

class CModuleInputIr;

class CModulePtz : public CModule {
  Q_OBJECT
  Q_PROPERTY(CModuleInputIr* ir READ ir NOTIFY irChanged)
  Q_PROPERTY(int qtcFlags READ qtcFlags NOTIFY qtcFlagsChanged)
  Q_PROPERTY(int ptzPan READ ptzPan NOTIFY ptzPanChanged)
  Q_PROPERTY(int ptzTilt READ ptzTilt NOTIFY ptzTiltChanged)
  Q_PROPERTY(int xfCur READ xfCur NOTIFY xfCurChanged)
  Q_PROPERTY(int filterCur READ filterCur NOTIFY filterCurChanged)
  Q_PROPERTY(QList<QObject*> ptzPresetList READ ptzPresetList CONSTANT)

 public:
  static constexpr int kPresetCount = 255;

  explicit CModulePtz(QObject* parent = nullptr);
  // Waits for a running command, then detaches and unbinds.
  ~CModulePtz() override;

  static int aliveCount();

  CModuleInputIr* ir() const;
  int qtcFlags() const { return qtcFlags_.load(std::memory_order_acquire); }
  int ptzPan() const { return ptzPan_; }
  int ptzTilt() const { return ptzTilt_; }
  int xfCur() const { return xfCur_; }
  int filterCur() const { return filterCur_; }
  QList<QObject*> ptzPresetList() const { return presets_; }
  // The SDK login the next command would use: -1 when unbound or the camera is not open.
  int currentHandle() const;

  // A chart-less module: attaching lists it in the frame only.
  int init(CInputBase* input, CFrame* frame) override;
  void detach() override;
  void saveModuleData() override;
  void loadModuleData() override;

  // Binds to a live camera module that has no pan-tilt module yet; ignored otherwise.
  Q_INVOKABLE void ir_create(QObject* module);
  Q_INVOKABLE void ir_delete(QObject* module = nullptr);

  // Each returns -7 without sending while a command runs or when no open camera is bound,
  // else the SDK's result (negative on failure; positions change only on success).
  Q_INVOKABLE int ptzControl(int action, int value);
  Q_INVOKABLE int ptzGetPTZ();
  Q_INVOKABLE int ptzSetPTZ(int pan, int tilt, int zoom);
  Q_INVOKABLE int focusAF(QObject* item);
  Q_INVOKABLE int focusXFAbs(int v);
  Q_INVOKABLE int focusXFRel(int v);
  Q_INVOKABLE int filterReset(int v);
  Q_INVOKABLE int filterGoto(int v);
  Q_INVOKABLE int focusMFConti(int v);
  Q_INVOKABLE int focusMFDelta(int v);

 signals:
  void irChanged();
  void qtcFlagsChanged();
  void ptzPanChanged();
  void ptzTiltChanged();
  void xfCurChanged();
  void filterCurChanged();
  void qtc_workEnd(int result);

 public slots:
  void qtc_onWorkEnd(int result);

 private:
  // Run one command on the pool and wait for it; -7 when busy or unbound.
  int sendControl(ControlInfo* record);
  int sendControlX(ControlInfoX* record);
  template <class Call>
  int runCommand(Call call);
  void setQtcFlags(int v);
  void setInt(int* field, int v, void (CModulePtz::*changed)());
  void unbind();

  QPointer<CModuleInputIr> ir_;
  QList<QObject*> presets_;
  std::atomic<int> qtcFlags_{0};
  int ptzPan_ = 0, ptzTilt_ = 0, xfCur_ = 0, filterCur_ = 0;
};
