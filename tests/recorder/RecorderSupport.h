// Shared pieces of the workstation recorder tests: a simulated camera on this suite's
// loopback addresses (third byte 24), a live camera module with its recorder, the recorder
// manager with its folders, and waits that run the event loop until a condition holds.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <string>

#include "NetKit.h"
#include "QtTestKit.h"
#include "OstrelSDK.h"
#include "PaintResources.h"
#include "StreamFacts.h"
#include "camsim/CameraSim.h"
#include "settings/CConfigManager.h"
#include "inputs/CInputIr.h"
#include "modules/CModuleInputIr.h"
#include "workspace/CTabManager.h"
#include "recorder/RecorderManager.h"

namespace rectest {

using ostrel::test::spinUntil;

using namespace std::chrono_literals;

inline std::string address(int host) { return ostrel::test::loopbackAddress(24, host); }
inline QString qaddr(int host) { return QString::fromStdString(address(host)); }

// Folders, the settings manager, a simulated camera on address(host) and its live module.
// Members end in reverse: module, camera, simulator, managers.
class RecorderRig {
 public:
  // `shmSave`: recordings go to tmpfs (/dev/shm), away from a disk other jobs keep busy.
  explicit RecorderRig(int host, camsim::CameraIdentity id = {}, bool shmSave = false) : host_(host) {
    EXPECT_TRUE(dir_.isValid());
    QDir(dir_.path()).mkpath(QStringLiteral("save"));
    if (shmSave && shm_.isValid()) saveDir_ = shm_.path();
    config_.setAppDir(dir_.path());
    config_.config()->setSaveDir(saveDir());
    manager_ = std::make_unique<RecorderManager>(&config_, nullptr, nullptr);
    tabs_.setManagers({.recorders = manager_.get()});
    camsim::CameraSimOptions o;
    o.address = address(host);
    o.identity = id;
    sim_ = std::make_unique<camsim::CameraSim>(o);
    EXPECT_EQ(sim_->start(), 0) << o.address;
    EXPECT_EQ(Ostrel_InitSDK(), 0);
  }
  ~RecorderRig() {
    module_.reset();
    camera_.reset();
    Ostrel_FreeSDK();
    sim_->stop();
  }

  // The camera input and its module; false when either could not be made.
  bool makeModule() {
    CameraBasicInfoRecord rec{};
    if (CInputIr::testLogin(qaddr(host_), &rec) != 0) return false;
    camera_ = std::make_unique<CInputIr>(qaddr(host_), rec);
    camera_->setConfigDir(dir_.path());
    frame_ = tabs_.tab_create()->frame(0);
    module_.reset(qobject_cast<CModuleInputIr*>(tabs_.module_create(1, camera_.get(), frame_)));
    return module_ != nullptr;
  }
  // Opens the camera and waits until the recorder is ready.
  bool open() {
    const int r = module_->loadData();
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(camera_->isOpen());
    if (r != 0 || !camera_->isOpen()) return false;
    // The configuration allocates and touches the ring and the pool: on a loaded machine that
    // takes a while at full size.
    const bool active = spinUntil([&] { return rec()->isActive(); }, 90s);
    EXPECT_TRUE(active) << "the recorder did not become ready";
    return active;
  }

  QString saveDir() const { return saveDir_.isEmpty() ? dir_.path() + QStringLiteral("/save") : saveDir_; }
  Recorder* rec() { return module_->recorder(); }
  CModuleInputIr* module() { return module_.get(); }
  camsim::CameraSim& sim() { return *sim_; }
  camsim::TempStreamServer& stream() { return *sim_->tempStream(); }
  RecorderManager& manager() { return *manager_; }
  CConfigManager& configManager() { return config_; }
  CTabManager& tabs() { return tabs_; }
  CFrame* frame() { return frame_; }
  void dropModule() { module_.reset(); }

  // Sends a trigger and waits until the recorder's state is `state`.
  bool triggerAndWait(int code, int state) {
    rec()->sendTrigger(code);
    return spinUntil([&] { return rec()->state() == state; });
  }
  // Waits until the recorder was handed `n` more frames.
  bool waitFrames(uint64_t n) {
    const uint64_t target = rec()->framesPushed() + n;
    return spinUntil([&] { return rec()->framesPushed() >= target; });
  }

 private:
  int host_;
  QTemporaryDir dir_;
  QTemporaryDir shm_{QStringLiteral("/dev/shm/recorder-test-XXXXXX")};
  QString saveDir_;
  CConfigManager config_;
  std::unique_ptr<RecorderManager> manager_;
  std::unique_ptr<camsim::CameraSim> sim_;
  CTabManager tabs_;
  CFrame* frame_ = nullptr;
  std::unique_ptr<CInputIr> camera_;
  std::unique_ptr<CModuleInputIr> module_;
};

}  // namespace rectest
