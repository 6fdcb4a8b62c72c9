// The device tool's controller of one camera's settings: logs in by address, reads and writes the
// thirteen configuration channels through their settings objects, moves files to and from the
// camera, re-addresses cameras by broadcast, sends the clock, shutter, GPIO, restart and reset
// commands and offers the correction calculators. GUI thread, synchronous.
#pragma once

#include <QObject>
#include <QString>

#include "CCameraBasicInfo.h"
#include "CCameraNetworkInfo.h"
#include "CCameraOSDInfo.h"
#include "CCameraPluginInfo.h"
#include "CCameraTimeInfo.h"
#include "CDenoiseInfo.h"
#include "CDestripInfo.h"
#include "CFFCInfo.h"
#include "CFixInfo.h"
#include "CGB28181Info.h"
#include "CGpioInfo.h"
#include "CSerialPortInfo.h"
#include "CTvoutInfo.h"
#include "OstrelSDK.h"

class CDeviceNode;

class CDeviceConfiger : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool configIpEnable READ configIpEnable CONSTANT)
  Q_PROPERTY(CCameraBasicInfo* basicInfo READ basicInfo CONSTANT)
  Q_PROPERTY(CFixInfo* fixInfo READ fixInfo CONSTANT)
  Q_PROPERTY(CCameraNetworkInfo* networkInfo READ networkInfo CONSTANT)
  Q_PROPERTY(CCameraTimeInfo* timeInfo READ timeInfo CONSTANT)
  Q_PROPERTY(CTvoutInfo* tvoutInfo READ tvoutInfo CONSTANT)
  Q_PROPERTY(CCameraOSDInfo* osdInfo READ osdInfo CONSTANT)
  Q_PROPERTY(CSerialPortInfo* serialPortInfo READ serialPortInfo CONSTANT)
  Q_PROPERTY(CGpioInfo* gpioInfo READ gpioInfo CONSTANT)
  Q_PROPERTY(CFFCInfo* ffcInfo READ ffcInfo CONSTANT)
  Q_PROPERTY(CDestripInfo* destripInfo READ destripInfo CONSTANT)
  Q_PROPERTY(CDenoiseInfo* denoiseInfo READ denoiseInfo CONSTANT)
  Q_PROPERTY(CCameraPluginInfo* pluginInfo READ pluginInfo CONSTANT)
  Q_PROPERTY(CGB28181Info* gb28181Info READ gb28181Info CONSTANT)

 public:
  static constexpr int kChannels = 13;

  enum DeviceFileType {
    DeviceFileType_bin = 0,
    DeviceFileType_cali = 1,
    DeviceFileType_com = 2,
    DeviceFileType_log = 3,
    DeviceFileType_cali2 = 4,
    DeviceFileType_cali3 = 5,
    DeviceFileType_bad = 6,
    DeviceFileType_c2m = 7,
    DeviceFileType_c2m2 = 8,
    DeviceFileType_cust = 9,
    DeviceFileType_cust2 = 10,
    DeviceFileType_gaowen = 11,
  };
  Q_ENUM(DeviceFileType)
  enum DeviceGpioOutputFlag {
    DeviceGpioOutputFlag_light = 1,
    DeviceGpioOutputFlag_ledy = 2,
    DeviceGpioOutputFlag_ledb = 4,
    DeviceGpioOutputFlag_alarm = 8,
    DeviceGpioOutputFlag_buzz = 16,
  };
  Q_ENUM(DeviceGpioOutputFlag)

  explicit CDeviceConfiger(QObject* parent = nullptr);
  // Logs out when logged in.
  ~CDeviceConfiger() override;

  bool configIpEnable() const { return configIpEnable_; }
  CCameraBasicInfo* basicInfo() { return &basicInfo_; }
  CFixInfo* fixInfo() { return &fixInfo_; }
  CCameraNetworkInfo* networkInfo() { return &networkInfo_; }
  CCameraTimeInfo* timeInfo() { return &timeInfo_; }
  CTvoutInfo* tvoutInfo() { return &tvoutInfo_; }
  CCameraOSDInfo* osdInfo() { return &osdInfo_; }
  CSerialPortInfo* serialPortInfo() { return &serialPortInfo_; }
  CGpioInfo* gpioInfo() { return &gpioInfo_; }
  CFFCInfo* ffcInfo() { return &ffcInfo_; }
  CDestripInfo* destripInfo() { return &destripInfo_; }
  CDenoiseInfo* denoiseInfo() { return &denoiseInfo_; }
  CCameraPluginInfo* pluginInfo() { return &pluginInfo_; }
  CGB28181Info* gb28181Info() { return &gb28181Info_; }
  bool isLoggedIn() const { return loginId_ >= 0; }
  // The channel classes of channels 2..13 as QML types (a panel may make its own object).
  static void registerSettingsTypes();
  // The settings object of a channel 1..13, null otherwise.
  CDeviceConfigBase* channelObject(int configType);

  // The file name suffix of a file type (".bin", ".log", ...); empty for any other value.
  Q_INVOKABLE QString ft2suffix(int ft) const;
  // Logs in to the node's address. 0; -7 when already logged in (the first login stays); -8
  // without a node or for an address that does not fit the login text; the SDK's code otherwise.
  // The login's camera record becomes channel 1, loaded.
  Q_INVOKABLE int startWork(CDeviceNode* node);
  // Logs out when logged in.
  Q_INVOKABLE void stopWork();
  // Reads a channel from the camera (channel 1 right after the login is the login's own record,
  // not asked for again). -8 outside 1..13; -7 not logged in; else the SDK's result.
  Q_INVOKABLE int getConfig(int configType);
  // Reads every channel not read yet, 1..13, ignoring failures. 0; -7 not logged in.
  Q_INVOKABLE int getConfigAll();
  // Writes a channel from its settings object; the record goes back byte for byte where nothing
  // was edited. -7 not logged in, or the channel was not read since this login (its image would
  // be an earlier camera's); -8 outside 1..13 or an address or MAC that is not one (nothing is
  // sent); else the SDK's result.
  Q_INVOKABLE int setConfig(int configType);

  // Sends a firmware (".bin") or bad-point (".bad") file; a firmware name must begin with the
  // maker's prefix or the camera's software family, a bad-point list must fit the camera. -7 not
  // logged in; -8 a refused name or type; -2 custom correction data (sent by its editor); the
  // check's or the SDK's code.
  Q_INVOKABLE int uploadFile(int fileType, const QString& fn);
  // The names uploadFile takes as firmware, in words, for the camera of a software id: a refused
  // name is only "-8" otherwise, and the prefixes are known nowhere else.
  Q_INVOKABLE QString firmwareNameRule(const QString& softwareId) const;
  // Fetches the camera's file of a type into fn. -7 not logged in; the SDK's code.
  Q_INVOKABLE int downloadFile(int fileType, const QString& fn);
  // The path a camera's file is downloaded to: dir/id-ip+suffix, with the camera-supplied id and
  // address made safe as file-name parts (no separators, no leading dot, no control characters).
  Q_INVOKABLE QString downloadTarget(const QString& dir, const QString& deviceId, const QString& deviceIp,
                                     int fileType) const;
  // New network settings for the camera with this id, by broadcast (no login). -8 for a missing
  // object or an address or MAC that is not one (nothing is sent); the SDK's code otherwise.
  Q_INVOKABLE int configIp(CCameraNetworkInfo* networkInfo, const QString& cameraId);

  Q_INVOKABLE int control_setGpioOutput(int gpioFlag, int gpioValue);
  // mode 0: the current UTC date and time; any other mode: the camera's own clock command.
  Q_INVOKABLE int control_setTime(int mode);
  // "YYYY-MM-DDTHH:MM:SSZ" of the camera's clock; empty on any failure.
  Q_INVOKABLE QString control_getTime();
  Q_INVOKABLE int control_setShutter(int value);
  Q_INVOKABLE int control_restoreFactory();
  Q_INVOKABLE int control_restartDevice();

  // Window transmittance from the window temperature and two blackbody readings; 0 without a login.
  Q_INVOKABLE double calcTrans(double envTemp, double t1, double t2);
  // The temperature a reading at emissivity e1 shows at e2; 0 without a login or for an
  // emissivity outside (0.09, 1.01).
  Q_INVOKABLE double calcEmiTemp(double envTemp, double t1, double e1, double e2);
  // dir != 0: the energy of temperature x; dir 0: the temperature of energy x. No login needed.
  Q_INVOKABLE double calcTemp2Energy(int dir, int irType, double x);

 private:
  int checkedUpload(int fileType, const QByteArray& path);
  int readChannel(int configType);
  int writeChannel(int configType);
  int sendControlX(ControlInfoX* x);

  bool configIpEnable_ = false;
  int loginId_ = -1;
  int tableSelector_ = 0;
  bool loaded_[kChannels + 1] = {};
  bool fresh_[kChannels + 1] = {};  // read by the login itself and not asked for since
  LoginInfo login_{};
  CameraBasicInfoRecord camera_{};
  CCameraBasicInfo basicInfo_;
  CFixInfo fixInfo_;
  CCameraNetworkInfo networkInfo_;
  CCameraTimeInfo timeInfo_;
  CTvoutInfo tvoutInfo_;
  CCameraOSDInfo osdInfo_;
  CSerialPortInfo serialPortInfo_;
  CGpioInfo gpioInfo_;
  CFFCInfo ffcInfo_;
  CDestripInfo destripInfo_;
  CDenoiseInfo denoiseInfo_;
  CCameraPluginInfo pluginInfo_;
  CGB28181Info gb28181Info_;
};
