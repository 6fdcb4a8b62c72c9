#include "CDeviceConfiger.h"

#include <QDateTime>
#include <QQmlEngine>
#include <cstring>
#include <vector>

#include "CDeviceNode.h"
#include "ControlCommands.h"
#include "devicetool/ValueConvert.h"
#include "foundation/Logger.h"

namespace {

// One channel's typed read and write, on the object's record image.
template <typename R>
int readAs(int (*get)(int, R*), int id, uint8_t* image) {
  R rec;
  const int rc = get(id, &rec);
  if (rc >= 0) std::memcpy(image, &rec, sizeof rec);
  return rc;
}

template <typename R>
int writeAs(int (*set)(int, const R*), int id, const uint8_t* image) {
  R rec;
  std::memcpy(&rec, image, sizeof rec);
  return set(id, &rec);
}

// The 40-byte record a bad-point list is checked against: the camera id, then its frame size.
struct ComCheck {
  char cameraId[32];
  int32_t width;
  int32_t height;
};
static_assert(sizeof(ComCheck) == 40);

// Firmware files carry the maker's prefix or the first five characters of the software id.
constexpr char kFirmwarePrefix[] = "TOVMA";

}  // namespace

void CDeviceConfiger::registerSettingsTypes() {
  qmlRegisterType<CFixInfo>("Ostrel", 1, 0, "CFixInfo");
  qmlRegisterType<CCameraNetworkInfo>("Ostrel", 1, 0, "CCameraNetworkInfo");
  qmlRegisterType<CCameraTimeInfo>("Ostrel", 1, 0, "CCameraTimeInfo");
  qmlRegisterType<CTvoutInfo>("Ostrel", 1, 0, "CTvoutInfo");
  qmlRegisterType<CCameraOSDInfo>("Ostrel", 1, 0, "CCameraOSDInfo");
  qmlRegisterType<CSerialPortInfo>("Ostrel", 1, 0, "CSerialPortInfo");
  qmlRegisterType<CGpioInfo>("Ostrel", 1, 0, "CGpioInfo");
  qmlRegisterType<CFFCInfo>("Ostrel", 1, 0, "CFFCInfo");
  qmlRegisterType<CDestripInfo>("Ostrel", 1, 0, "CDestripInfo");
  qmlRegisterType<CDenoiseInfo>("Ostrel", 1, 0, "CDenoiseInfo");
  qmlRegisterType<CCameraPluginInfo>("Ostrel", 1, 0, "CCameraPluginInfo");
  qmlRegisterType<CGB28181Info>("Ostrel", 1, 0, "CGB28181Info");
}

CDeviceConfiger::CDeviceConfiger(QObject* parent) : QObject(parent) {
  configIpEnable_ = Ostrel_DiscoverConfigIP(nullptr) >= 0;
}

CDeviceConfiger::~CDeviceConfiger() {
  stopWork();
}

CDeviceConfigBase* CDeviceConfiger::channelObject(int configType) {
  CDeviceConfigBase* const objects[kChannels] = {
      &basicInfo_, &fixInfo_, &networkInfo_, &timeInfo_,    &tvoutInfo_,  &osdInfo_,    &serialPortInfo_,
      &gpioInfo_,  &ffcInfo_, &destripInfo_, &denoiseInfo_, &pluginInfo_, &gb28181Info_};
  return configType >= 1 && configType <= kChannels ? objects[configType - 1] : nullptr;
}

QString CDeviceConfiger::ft2suffix(int ft) const {
  static const char* const kSuffix[] = {".bin", ".cali", ".com",  ".log", ".cali2", ".cali3",
                                        ".bad", ".c2m",  ".c2m2", "",     "",       ".gaowen"};
  return ft >= 0 && ft < int(std::size(kSuffix)) ? QString::fromLatin1(kSuffix[ft]) : QString();
}

int CDeviceConfiger::startWork(CDeviceNode* node) {
  if (loginId_ >= 0) return -7;
  if (node == nullptr) return -8;
  if (!valueconv::loginText(node->deviceIp().toUtf8().toStdString(), login_.ip)) return -8;
  const int id = Ostrel_Login(&login_, &camera_);
  if (id < 0) {
    OSTREL_LOG_AS("CDeviceConfiger::startWork", "login %s: %d", login_.ip, id);
    return id;
  }
  loginId_ = id;
  for (bool& l : loaded_) l = false;
  for (int c = 1; c <= kChannels; ++c) channelObject(c)->setEdit_isvalid(false);
  // The login's record is channel 1 and becomes the object's image, so an Apply sends back what
  // the camera holds where nothing was edited. The login fills in a picture size of 0 and a send
  // ratio of 0 for its own use; the record as the camera sent it is taken when it can be had.
  CameraBasicInfoRecord raw;
  const bool haveRaw = Ostrel_GetInfo(loginId_, 0, &raw, int(sizeof raw)) == 0;
  std::memcpy(basicInfo_.recordData(), haveRaw ? &raw : &camera_, sizeof camera_);
  basicInfo_.fromRecord(basicInfo_.recordData(), basicInfo_.recordSize());
  basicInfo_.setEdit_isvalid(true);
  loaded_[1] = true;
  for (bool& f : fresh_) f = false;
  fresh_[1] = true;
  tableSelector_ = std::strncmp(camera_.softwareId, "VNR", 3) == 0 ? 1 : 0;
  return 0;
}

void CDeviceConfiger::stopWork() {
  if (loginId_ < 0) return;
  Ostrel_Logout(loginId_);
  loginId_ = -1;
}

int CDeviceConfiger::readChannel(int configType) {
  CDeviceConfigBase* o = channelObject(configType);
  uint8_t* img = o->recordData();
  switch (configType) {
    case 1: {
      std::vector<uint8_t> rec(o->recordSize());
      const int rc = Ostrel_GetInfo(loginId_, 0, rec.data(), int(rec.size()));
      if (rc >= 0) std::memcpy(img, rec.data(), rec.size());
      return rc;
    }
    case 2:
      return readAs(Ostrel_GetFixInfo, loginId_, img);
    case 3:
      return readAs(Ostrel_GetCameraNetworkInfo, loginId_, img);
    case 4:
      return readAs(Ostrel_GetCameraTimeInfo, loginId_, img);
    case 5:
      return readAs(Ostrel_GetTvoutInfo, loginId_, img);
    case 6:
      return readAs(Ostrel_GetCameraOSDInfo, loginId_, img);
    case 7:
      return readAs(Ostrel_GetSerialPortInfo, loginId_, img);
    case 8:
      return readAs(Ostrel_GetGpioInfo, loginId_, img);
    case 9:
      return readAs(Ostrel_GetFFCInfo, loginId_, img);
    case 10:
    case 11: {
      std::vector<uint8_t> rec(o->recordSize());
      const int rc = Ostrel_GetInfo(loginId_, configType + 1, rec.data(), int(rec.size()));
      if (rc >= 0) std::memcpy(img, rec.data(), rec.size());
      return rc;
    }
    case 12:
      return readAs(Ostrel_GetCameraPluginInfo, loginId_, img);
    case 13: {
      std::vector<char> rec(o->recordSize());
      int size = int(rec.size());
      const int rc = Ostrel_DownloadMem(loginId_, 2, rec.data(), &size);
      if (rc < 0) return rc;
      // A shorter block would leave the rest of the image an earlier camera's.
      if (size != int(rec.size())) return -194;
      std::memcpy(img, rec.data(), rec.size());
      return rc;
    }
  }
  return -8;
}

int CDeviceConfiger::writeChannel(int configType) {
  const uint8_t* img = channelObject(configType)->recordData();
  switch (configType) {
    case 1:
      return writeAs(Ostrel_SetCameraBasicInfo, loginId_, img);
    case 2:
      return writeAs(Ostrel_SetFixInfo, loginId_, img);
    case 3:
      return writeAs(Ostrel_SetCameraNetworkInfo, loginId_, img);
    case 4:
      return writeAs(Ostrel_SetCameraTimeInfo, loginId_, img);
    case 5:
      return writeAs(Ostrel_SetTvoutInfo, loginId_, img);
    case 6:
      return writeAs(Ostrel_SetCameraOSDInfo, loginId_, img);
    case 7:
      return writeAs(Ostrel_SetSerialPortInfo, loginId_, img);
    case 8:
      return writeAs(Ostrel_SetGpioInfo, loginId_, img);
    case 9:
      return writeAs(Ostrel_SetFFCInfo, loginId_, img);
    case 10:
    case 11:
      return Ostrel_SetInfo(loginId_, configType + 1, img, int(channelObject(configType)->recordSize()));
    case 12:
      return writeAs(Ostrel_SetCameraPluginInfo, loginId_, img);
    case 13:
      return Ostrel_UploadMem(loginId_, 2, reinterpret_cast<const char*>(img),
                              int(channelObject(configType)->recordSize()));
  }
  return -8;
}

int CDeviceConfiger::getConfig(int configType) {
  if (configType < 1 || configType > kChannels) return -8;
  if (loginId_ < 0) return -7;
  // Every read asks the camera again: another program, the live device or a restart may have
  // changed the channel since it was last shown. Only the login's own record of channel 1 is
  // taken as read once, right after the login that brought it.
  if (fresh_[configType]) {
    fresh_[configType] = false;
    return 0;
  }
  CDeviceConfigBase* o = channelObject(configType);
  const int rc = readChannel(configType);
  if (rc >= 0) {
    o->fromRecord(o->recordData(), o->recordSize());
    loaded_[configType] = true;
  }
  o->setEdit_isvalid(rc >= 0);
  return rc;
}

int CDeviceConfiger::getConfigAll() {
  if (loginId_ < 0) return -7;
  for (int c = 1; c <= kChannels; ++c)
    if (!loaded_[c]) getConfig(c);
  return 0;
}

int CDeviceConfiger::setConfig(int configType) {
  if (loginId_ < 0) return -7;
  if (configType < 1 || configType > kChannels) return -8;
  if (!loaded_[configType]) {
    OSTREL_LOG_AS("CDeviceConfiger::setConfig", "channel %d not read since the login", configType);
    return -7;
  }
  CDeviceConfigBase* o = channelObject(configType);
  const int rc = o->toRecord(o->recordData(), o->recordSize());
  if (rc < 0) return rc;
  return writeChannel(configType);
}

int CDeviceConfiger::uploadFile(int fileType, const QString& fn) {
  if (loginId_ < 0) return -7;
  const QByteArray path = fn.toUtf8();
  const int rc = checkedUpload(fileType, path);
  // Refusals are logged too: a row only shows the code.
  if (rc < 0) OSTREL_LOG_AS("CDeviceConfiger::uploadFile", "type %d %s: %d", fileType, path.constData(), rc);
  return rc;
}

int CDeviceConfiger::checkedUpload(int fileType, const QByteArray& path) {
  if (fileType == DeviceFileType_bin) {
    // The name is searched from 9 bytes before the end, so a short name is judged with the folder
    // in front of it; a path shorter than that starts at its first byte.
    const qsizetype len = path.size();
    qsizetype sep = -1;
    for (qsizetype i = std::max<qsizetype>(0, len - 9); i >= 0; --i)
      if (path[i] == '/' || path[i] == '\\') {
        sep = i;
        break;
      }
    if (sep < 0) return -8;
    const QByteArray name = path.mid(sep + 1);
    const QByteArray family = QByteArray(camera_.softwareId, int(strnlen(camera_.softwareId, 5)));
    if (name.size() < 6) return -8;
    if (!name.startsWith(kFirmwarePrefix) && !(family.size() == 5 && name.startsWith(family))) return -8;
  } else if (fileType == DeviceFileType_cust || fileType == DeviceFileType_cust2) {
    return -2;
  } else if (fileType == DeviceFileType_bad) {
    ComCheck check{};
    std::memcpy(check.cameraId, camera_.cameraId, sizeof check.cameraId);
    check.width = camera_.dataWidth;
    check.height = camera_.dataHeight;
    const int rc = Com_CheckFile(path.constData(), &check);
    if (rc < 0) return rc;
  } else {
    return -8;
  }
  return Ostrel_UploadFile(loginId_, path.constData(), fileType);
}

QString CDeviceConfiger::firmwareNameRule(const QString& softwareId) const {
  const QByteArray family = softwareId.toUtf8().left(5);
  if (family.size() == 5 && !family.contains('\0'))
    return qtTrId("FirmwareNameRule").arg(QLatin1String(kFirmwarePrefix), QString::fromUtf8(family));
  return qtTrId("FirmwareNameRuleMaker").arg(QLatin1String(kFirmwarePrefix));
}

int CDeviceConfiger::downloadFile(int fileType, const QString& fn) {
  if (loginId_ < 0) return -7;
  return Ostrel_DownloadFile(loginId_, fn.toUtf8().constData(), fileType);
}

QString CDeviceConfiger::downloadTarget(const QString& dir, const QString& deviceId, const QString& deviceIp,
                                        int fileType) const {
  const std::string id = valueconv::safeFileNamePart(deviceId.toUtf8().toStdString());
  const std::string ip = valueconv::safeFileNamePart(deviceIp.toUtf8().toStdString());
  return dir + QLatin1Char('/') + QString::fromStdString(id + "-" + ip) + ft2suffix(fileType);
}

int CDeviceConfiger::configIp(CCameraNetworkInfo* networkInfo, const QString& cameraId) {
  if (networkInfo == nullptr) return -8;
  const int rc = networkInfo->toRecord(networkInfo->recordData(), networkInfo->recordSize());
  if (rc < 0) return rc;
  ConfigIpInfo info{};
  const QByteArray id = cameraId.toUtf8();
  std::memcpy(info.cameraId, id.constData(), std::min<size_t>(size_t(id.size()), sizeof info.cameraId));
  std::memcpy(&info.network, networkInfo->recordData(), sizeof info.network);
  return Ostrel_DiscoverConfigIP(&info);
}

int CDeviceConfiger::sendControlX(ControlInfoX* x) {
  if (loginId_ < 0) return -7;
  return Ostrel_SendControlX(loginId_, x);
}

int CDeviceConfiger::control_setGpioOutput(int gpioFlag, int gpioValue) {
  ControlInfoX x = control::requestGpio(gpioFlag, gpioValue);
  return sendControlX(&x);
}

int CDeviceConfiger::control_setTime(int mode) {
  ControlInfoX x = mode == 0 ? control::requestClockSet(QDateTime::currentDateTimeUtc())
                             : control::request(control::kClockPlain);
  return sendControlX(&x);
}

QString CDeviceConfiger::control_getTime() {
  ControlInfoX x = control::request(control::kClockGet);
  return sendControlX(&x) < 0 ? QString() : control::replyClockText(x);
}

int CDeviceConfiger::control_setShutter(int value) {
  if (loginId_ < 0) return -7;
  const ControlInfo c = control::oneWayByte(control::kShutter, uint8_t(value));
  return Ostrel_SendControl(loginId_, &c);
}

int CDeviceConfiger::control_restoreFactory() {
  if (loginId_ < 0) return -7;
  const ControlInfo c = control::oneWay(control::kRestoreFactory);
  return Ostrel_SendControl(loginId_, &c);
}

int CDeviceConfiger::control_restartDevice() {
  if (loginId_ < 0) return -7;
  const ControlInfo c = control::oneWay(control::kRestart);
  return Ostrel_SendControl(loginId_, &c);
}

double CDeviceConfiger::calcTrans(double envTemp, double t1, double t2) {
  if (loginId_ < 0) return 0;
  return FixTrans_CalcTrans(envTemp, t1, t2, tableSelector_);
}

double CDeviceConfiger::calcEmiTemp(double envTemp, double t1, double e1, double e2) {
  const auto inRange = [](double e) { return e > 0.09 && e < 1.01; };
  if (loginId_ < 0 || !inRange(e1) || !inRange(e2)) return 0;
  return FixEmi_CalcTemp(envTemp, t1, e1, e2, tableSelector_);
}

double CDeviceConfiger::calcTemp2Energy(int dir, int irType, double x) {
  double t = 0, e = 0;
  (dir != 0 ? t : e) = x;
  FixTrans_Temp2Energy(dir, irType, &t, &e);
  return dir != 0 ? e : t;
}
