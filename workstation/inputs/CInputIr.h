// The input of one networked camera: logs in, loads the camera's settings file, starts the
// temperature preview and hands every frame to one consumer through a 16-slot ring without
// copying. open and close may run on a worker thread (the SDK calls block); every view-facing
// property is changed, and signalled, on the object's own (GUI) thread through queued calls.
#pragma once

#include <QString>
#include <functional>

#include "inputs/CInputBase.h"
#include "FrameSlot.h"

class CInputIr : public CInputDeviceBase {
  Q_OBJECT
  Q_PROPERTY(bool gearEnable READ gearEnable NOTIFY gearEnableChanged)
  Q_PROPERTY(int gearLevel READ gearLevel WRITE setGearLevel NOTIFY gearLevelChanged)

 public:
  static constexpr uint32_t kConfMagic = TF_CONF_MAGIC;
  static constexpr uint32_t kSetImageFlags = 0x107DB;
  static constexpr int kRingSize = 16;

  explicit CInputIr(QObject* parent = nullptr);
  CInputIr(const QString& address, const CameraBasicInfoRecord& record, QObject* parent = nullptr);
  ~CInputIr() override;

  void copyFrom(QObject* other) override;
  void fillCameraInfo(TempFileConf* out) override;

  // Folder of "Device-<id>.conf"; given by the input manager from the configuration manager.
  void setConfigDir(const QString& dir) { configDir_ = dir; }
  QString configDir() const { return configDir_; }
  // The path of this camera's settings file (from the identity of the last login).
  QString deviceConfPath() const;

  // The frame consumer; set before open (-7 while open).
  int setConsumer(FrameConsumerFn fn, void* user);

  // 0, -7 (already open or no consumer), or the SDK's code of the login or the preview start.
  int open();
  void close();
  int pausePreview(bool pause);
  int setImage(int paletteIndex, const StretchCtl& ctl);
  Q_INVOKABLE int executeFFC();

  bool gearEnable() const { return gearEnable_; }
  int gearLevel() const { return gearLevel_; }
  void setGearLevel(int level);

  // The current settings record (the module edits bytes 276 and on) and the copy last read or
  // written; a save writes only when they differ.
  TempFileConf* deviceConf() { return &deviceConf_; }
  const TempFileConf& deviceConfSaved() const { return deviceConfSaved_; }
  bool isDeviceConfChanged() const;
  // 0 when unchanged (the disk is not touched), else the write result: 1, -200, -197.
  int saveDeviceConf();

  // Takes a rediscovered camera's record; only while closed (an open camera keeps its login's).
  void refreshFromRecord(const CameraBasicInfoRecord& record);

  const CameraBasicInfoRecord& cameraInfo() const { return cameraInfo_; }
  int loginId() const { return loginId_; }
  int previewId() const { return previewId_; }

  // Logs in to the address and out again; 0 or the login's negative code. Any thread; touches
  // no input. `out` (optional) receives the camera's basic record.
  static int testLogin(const QString& address, CameraBasicInfoRecord* out = nullptr);

  // The SDK's frame hand-over (runs on the preview's receiving thread).
  static void previewCallback(int status, PreviewFrame* frame, void* user);

 signals:
  void gearEnableChanged();
  void gearLevelChanged();

 private:
  static void fillLogin(LoginInfo& info, const QString& address);
  static TempFileConf defaultConf();
  // Runs `fn` now when on the object's thread, else queues it there (dropped if the object dies).
  void applyOnGui(std::function<void()> fn);
  // Fix record, gear and settings file, right after the login. Returns the gear (enable, level).
  std::pair<bool, int> loadDeviceConf();
  void applyGear(bool enable, int level);

  LoginInfo loginInfo_{};
  PreviewInfo previewInfo_{};
  CameraBasicInfoRecord cameraInfo_{};
  FixInfoRecord fixInfo_{};
  int loginId_ = -1;
  int previewId_ = -1;
  TempFileConf deviceConf_{};
  TempFileConf deviceConfSaved_{};
  QString configDir_;

  FrameConsumerFn consumer_ = nullptr;
  void* consumerUser_ = nullptr;
  // Written only by the receiving thread of the running preview.
  FrameSlot ring_[kRingSize];
  uint32_t counter_ = 0;

  bool gearEnable_ = false;
  int gearLevel_ = 0;
};
