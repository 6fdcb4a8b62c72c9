#include "TempDataState.h"

#include <cmath>

namespace {
// A float counts as changed when it differs or either side is not a number.
bool storeFloat(float& field, float v) {
  if (field == v && !std::isnan(field) && !std::isnan(v)) return false;
  field = v;
  return true;
}
}  // namespace

void TempDataState::setFps(float v) {
  if (storeFloat(fps_, v)) emit fpsChanged();
}
void TempDataState::setMaxTemp(float v) {
  if (storeFloat(maxTemp_, v)) emit maxTempChanged();
}
void TempDataState::setAvgTemp(float v) {
  if (storeFloat(avgTemp_, v)) emit avgTempChanged();
}
void TempDataState::setMinTemp(float v) {
  if (storeFloat(minTemp_, v)) emit minTempChanged();
}
void TempDataState::setNetd(float v) {
  if (storeFloat(netd_, v)) emit netdChanged();
}
void TempDataState::setSstd(float v) {
  if (storeFloat(sstd_, v)) emit sstdChanged();
}
void TempDataState::setGpioInput(int v) {
  if (gpioInput_ == v) return;
  gpioInput_ = v;
  emit gpioInputChanged();
}

void TempDataState::update(const DataFrameHead* head) {
  if (head == nullptr) return;
  if (storeFloat(fpaTemp_, float(head->fpaTemp) / 1000.0f)) emit fpaTempChanged();
  if (storeFloat(shellTemp_, float(head->shellTemp) / 1000.0f)) emit shellTempChanged();
  if (storeFloat(shellTempHW_, float(head->shellTempHW) / 1000.0f)) emit shellTempHWChanged();
  setGpioInput(head->gpioInput);
}

void TempDataState::reset() {
  setFps(0);
  if (storeFloat(fpaTemp_, 0)) emit fpaTempChanged();
  if (storeFloat(shellTemp_, 0)) emit shellTempChanged();
  if (storeFloat(shellTempHW_, 0)) emit shellTempHWChanged();
  setMaxTemp(0);
  setAvgTemp(0);
  setMinTemp(0);
  setGpioInput(0);
  setNetd(0);
  setSstd(0);
}
