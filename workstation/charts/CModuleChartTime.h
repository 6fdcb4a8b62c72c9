// The time chart: statistics of the measurement items of one image module over time. A live
// camera adds one sample per shown frame; a stream is measured over the whole file at once.
// GUI thread only.
#pragma once

#include <QPointer>

#include "charts/CModuleChartBase.h"
#include "FrameSlot.h"

class CModuleChartTime : public CModuleChartBase {
  Q_OBJECT
  Q_PROPERTY(bool building READ building NOTIFY buildingChanged)

 public:
  explicit CModuleChartTime(QObject* parent = nullptr);
  ~CModuleChartTime() override;

  static int aliveCount();

  // dimType 2 only, and only items of the tracked module (any module while none is tracked).
  Q_INVOKABLE void series_create(QObject* mea, int statsType, int dimType);
  Q_INVOKABLE void series_delete(QObject* series);
  Q_INVOKABLE void clearData();
  // Asks the tracked stream module for a measurement over the whole file.
  Q_INVOKABLE void buildData();
  void loadModuleData() override;

  // The tracked stream's whole-file measurement: fills every series whose item the stream
  // measured, then ends the build. A null result ends the build and changes no series.
  void applyMeaResultData(QObject* streamModule, const MeaResultData* data) override;
  // The tracked stream's measurement failed: the series stay as they are and the build ends.
  void applyMeaResultFailed(QObject* streamModule, int code) override;
  void finishBuild();

  bool building() const { return building_; }
  CModule* trackedModule() const { return tracked_.data(); }

 signals:
  void buildingChanged();

 public slots:
  void onLiveFrame(int status, TempData* frame);

 protected:
  void onSeriesRemoved() override;

 private:
  void track(CModule* m);
  void untrack();
  void setBuilding(bool b);
  void refreshChart();

  QPointer<CModule> tracked_;
  bool started_ = false;
  int base_ = 0;
  bool building_ = false;
};
