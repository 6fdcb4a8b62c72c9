// Shared pieces of the workspace tests: a simulated camera on this suite's own loopback range, a windowless canvas that checks every frame it is handed, and waits that
// run the event loop until a condition holds.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QObject>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "NetKit.h"
#include "SimCameraEnv.h"
#include "QtTestKit.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "camsim/CameraSim.h"
#include "modules/ModuleCanvas.h"

namespace workspace {

using ostrel::test::spinUntil;

using namespace std::chrono_literals;

inline std::string address(int host) {
  return ostrel::test::loopbackAddress(19, host);
}
inline QString qaddr(int host) {
  return QString::fromStdString(address(host));
}

// A simulated camera on address(host) and an initialised SDK for one test case.
struct CameraEnv : ostrel::test::SimCameraEnv {
  explicit CameraEnv(int host, camsim::CameraIdentity id = {}) : SimCameraEnv(address(host), id) {}
};

// A canvas without a window. It checks each frame against the simulator's content for the
// frame's own head index while the call lasts (the record is valid only then).
class CheckingCanvas : public QObject, public ModuleCanvas {

 public:
  explicit CheckingCanvas(const camsim::TempStreamConfig* config = nullptr) : config_(config) {}

  void setTfm_module(QObject* module) override { module_ = module; }
  int beginUpdate(int width, int height) override {
    ++begins;
    width_ = width;
    height_ = height;
    return 0;
  }
  void endUpdate() override { ++ends; }
  int updateData(TempData* frame) override {
    if (frame == nullptr || frame->head == nullptr) {
      ++badFrames;
      return -8;
    }
    numbers.push_back(frame->frameNumber);
    if (frame->head->frameIndex != static_cast<uint16_t>(frame->frameNumber)) ++badFrames;
    if (config_ != nullptr) {
      camsim::FrameContent::codes(*config_, frame->head->frameIndex, expected_);
      const size_t pixels = size_t(frame->head->width) * frame->head->height;
      bool same = pixels == expected_.size();
      for (size_t i = 0; same && i < pixels; ++i) same = frame->data[i] == expected_[i];
      if (!same) ++tornFrames;
    }
    return 0;
  }
  void setItemDefs(const MeaItem*, int count) override { itemDefs = count; }
  int getItemDefs(MeaItem*, int) override { return 0; }
  void setInfoText(const QString& text) override { infoText = text; }
  void setShowInfo(bool show) override { overlay = show; }
  void setPaletteType(int type) override { paletteType = type; }

  QObject* module() const { return module_; }

  std::vector<int32_t> numbers;  // frame numbers in the order shown
  int begins = 0, ends = 0, badFrames = 0, tornFrames = 0, itemDefs = -1, paletteType = -1;
  bool overlay = false;
  QString infoText;
  int width_ = 0, height_ = 0;

 private:
  const camsim::TempStreamConfig* config_;
  QObject* module_ = nullptr;
  std::vector<int16_t> expected_;
};

}  // namespace workspace
