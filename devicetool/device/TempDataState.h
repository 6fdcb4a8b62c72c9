// The live values of the running camera for the preview page: frame rate, detector and housing
// temperatures, GPIO inputs, the image's maximum, average and minimum and the optional noise
// measurement. Written on the GUI thread only.
#pragma once

#include <QObject>

#include "OstrelSDK.h"

class TempDataState : public QObject {
  Q_OBJECT
  Q_PROPERTY(float fps READ fps NOTIFY fpsChanged)
  Q_PROPERTY(float fpaTemp READ fpaTemp NOTIFY fpaTempChanged)
  Q_PROPERTY(float shellTemp READ shellTemp NOTIFY shellTempChanged)
  Q_PROPERTY(float shellTempHW READ shellTempHW NOTIFY shellTempHWChanged)
  Q_PROPERTY(int gpioInput READ gpioInput NOTIFY gpioInputChanged)
  Q_PROPERTY(float maxTemp READ maxTemp NOTIFY maxTempChanged)
  Q_PROPERTY(float avgTemp READ avgTemp NOTIFY avgTempChanged)
  Q_PROPERTY(float minTemp READ minTemp NOTIFY minTempChanged)
  Q_PROPERTY(float netd READ netd NOTIFY netdChanged)
  Q_PROPERTY(float sstd READ sstd NOTIFY sstdChanged)

 public:
  explicit TempDataState(QObject* parent = nullptr) : QObject(parent) {}

  float fps() const { return fps_; }
  float fpaTemp() const { return fpaTemp_; }
  float shellTemp() const { return shellTemp_; }
  float shellTempHW() const { return shellTempHW_; }
  int gpioInput() const { return gpioInput_; }
  float maxTemp() const { return maxTemp_; }
  float avgTemp() const { return avgTemp_; }
  float minTemp() const { return minTemp_; }
  float netd() const { return netd_; }
  float sstd() const { return sstd_; }

  // Detector and housing temperatures (milli-degrees in the head) and the GPIO inputs.
  void update(const DataFrameHead* head);
  // Every value back to 0.
  void reset();

  void setFps(float v);
  void setMaxTemp(float v);
  void setAvgTemp(float v);
  void setMinTemp(float v);
  void setNetd(float v);
  void setSstd(float v);

 signals:
  void fpsChanged();
  void fpaTempChanged();
  void shellTempChanged();
  void shellTempHWChanged();
  void gpioInputChanged();
  void maxTempChanged();
  void avgTempChanged();
  void minTempChanged();
  void netdChanged();
  void sstdChanged();

 private:
  void setGpioInput(int v);

  float fps_ = 0, fpaTemp_ = 0, shellTemp_ = 0, shellTempHW_ = 0, maxTemp_ = 0, avgTemp_ = 0, minTemp_ = 0,
        netd_ = 0, sstd_ = 0;
  int gpioInput_ = 0;
};
