// Shared pieces of the file-input suite: the struct-written fixture files
// (generated once per test process), a scratch copy per case, waits that run the event loop until
// a condition holds, and a windowless canvas that records what it is handed.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QObject>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "QtTestKit.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "modules/ModuleCanvas.h"

namespace fileinputs {

using ostrel::test::spinUntil;

using namespace std::chrono_literals;

constexpr int kW = 160, kH = 120, kFrames = 100;

// The fixture ramp: code(x, y, f) as the script writes it.
inline int16_t rampCode(int x, int y, int f) {
  return static_cast<int16_t>(2000 + x + 7 * y + 50 * f);
}

// Runs a command line; its exit status and standard output.
inline int runCommand(const std::string& cmd, std::string* output = nullptr) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return -1;
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = pclose(p);
  if (output) *output = out;
  return status;
}

class Fixtures {
 public:
  static Fixtures& get() {
    static Fixtures f;
    return f;
  }
  bool ok() const { return ok_; }
  std::string dir() const { return dir_; }
  // A fresh folder of this case with copies of the named fixtures (written on first use).
  QString caseDir(const std::vector<std::string>& names) {
    std::string missing;
    for (const auto& n : names)
      if (!std::filesystem::exists(dir_ + "/" + n)) missing += " " + n;
    if (!missing.empty()) {
      const std::string cmd =
          std::string(OSTREL_SYSTEM_PYTHON) + " " + OSTREL_TEST_SOURCE_DIR + "/make_fixtures.py " + dir_ + missing;
      EXPECT_EQ(runCommand(cmd), 0) << cmd;
    }
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string d = dir_ + "/case-" + info->test_suite_name() + "-" + info->name();
    std::filesystem::remove_all(d);
    std::filesystem::create_directories(d);
    for (const auto& n : names) std::filesystem::copy_file(dir_ + "/" + n, d + "/" + n);
    return QString::fromStdString(d);
  }

 private:
  Fixtures() {
    dir_ = std::string(OSTREL_TEST_BINARY_DIR) + "/fixtures-" + std::to_string(getpid());
    std::filesystem::remove_all(dir_);
    std::error_code ec;
    ok_ = std::filesystem::create_directories(dir_, ec);
  }
  ~Fixtures() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string dir_;
  bool ok_ = false;
};

// A canvas without a window: keeps the item definitions it is given with one object per item,
// and checks every frame against the ramp of the frame's own head index while the call lasts.
class RecordingCanvas : public QObject, public ModuleCanvas {
 public:
  void setTfm_module(QObject* module) override { module_ = module; }
  int beginUpdate(int width, int height) override {
    ++begins;
    width_ = width;
    height_ = height;
    return 0;
  }
  void endUpdate() override { ++ends; }
  int updateData(TempData* frame) override {
    if (frame == nullptr || frame->head == nullptr || frame->data == nullptr) {
      ++badFrames;
      return -8;
    }
    const int f = frame->head->frameIndex;
    indices.push_back(frame->frameIndex);
    if (f != frame->frameIndex) ++badFrames;
    bool same = frame->head->width == kW && frame->head->height == kH;
    for (int y = 0; same && y < kH; ++y)
      for (int x = 0; same && x < kW; ++x) same = frame->data[y * kW + x] == rampCode(x, y, f);
    if (!same) ++tornFrames;
    return 0;
  }
  void setItemDefs(const MeaItem* defs, int count) override {
    defs_.assign(defs, defs + count);
    items.clear();
    for (int i = 0; i < count; ++i) items.push_back(std::make_unique<QObject>());
  }
  int getItemDefs(MeaItem* out, int max) override {
    const int n = std::min<int>(max, static_cast<int>(defs_.size()));
    for (int i = 0; i < n; ++i) out[i] = defs_[i];
    return n;
  }
  QList<QObject*> itemObjects() override {
    QList<QObject*> out;
    for (auto& o : items) out.append(o.get());
    return out;
  }
  void setInfoText(const QString& text) override { infoText = text; }
  void setShowInfo(bool show) override { overlay = show; }
  void setPaletteType(int type) override { paletteType = type; }

  // Adds an item on the canvas (after the others).
  QObject* addItem(const MeaItem& def) {
    defs_.push_back(def);
    items.push_back(std::make_unique<QObject>());
    return items.back().get();
  }
  void removeItem(int index) {
    defs_.erase(defs_.begin() + index);
    items.erase(items.begin() + index);
  }

  QObject* module() const { return module_; }
  std::vector<MeaItem> defs_;
  std::vector<std::unique_ptr<QObject>> items;
  std::vector<int32_t> indices;
  int begins = 0, ends = 0, badFrames = 0, tornFrames = 0, paletteType = -1;
  bool overlay = false;
  QString infoText;
  int width_ = 0, height_ = 0;

 private:
  QObject* module_ = nullptr;
};

inline MeaItem pointDef(int x, int y) {
  MeaItem d{};
  d.meaType = MEA_TYPE_POINT;
  d.pointCount = 1;
  d.points[0] = {static_cast<uint16_t>(x), static_cast<uint16_t>(y)};
  return d;
}

inline MeaItem frameDef() {
  MeaItem d{};
  d.meaType = MEA_TYPE_FRAME;
  return d;
}

}  // namespace fileinputs
