#include "CDeviceConfiger.h"

#include <cstring>

#include "CDeviceNode.h"
#include "devicetool/ValueConvert.h"
#include "foundation/Logger.h"

CDeviceConfiger::CDeviceConfiger(QObject* parent) : QObject(parent) {
  configIpEnable_ = Ostrel_DiscoverConfigIP(nullptr) >= 0;
}

CDeviceConfiger::~CDeviceConfiger() {
  stopWork();
}

CDeviceConfigBase* CDeviceConfiger::channelObject(int configType) {
  switch (configType) {
    case 1: return &basicInfo_;
    default: return nullptr;
  }
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
  for (int c = 1; c <= kChannels; ++c)
    if (CDeviceConfigBase* o = channelObject(c)) o->setEdit_isvalid(false);
  // The login's record is channel 1 and becomes the object's image, so an Apply sends back what
  // the camera holds where nothing was edited. The login fills in a picture size of 0 and a send
  // ratio of 0 for its own use; the record as the camera sent it is taken when it can be had.
  CameraBasicInfoRecord raw;
  const bool haveRaw = Ostrel_GetInfo(loginId_, 0, &raw, int(sizeof raw)) == 0;
  std::memcpy(basicInfo_.recordData(), haveRaw ? &raw : &camera_, sizeof camera_);
  basicInfo_.fromRecord(basicInfo_.recordData(), basicInfo_.recordSize());
  basicInfo_.setEdit_isvalid(true);
  loaded_[1] = true;
  tableSelector_ = std::strncmp(camera_.softwareId, "VNR", 3) == 0 ? 1 : 0;
  return 0;
}

void CDeviceConfiger::stopWork() {
  if (loginId_ < 0) return;
  Ostrel_Logout(loginId_);
  loginId_ = -1;
}

int CDeviceConfiger::getConfig(int configType) {
  if (configType < 1 || configType > kChannels) return -8;
  if (loginId_ < 0) return -7;
  if (loaded_[configType]) return 0;
  CDeviceConfigBase* o = channelObject(configType);
  if (o == nullptr) return -2;
  int rc = -2;
  if (configType == 1) {
    CameraBasicInfoRecord rec;
    rc = Ostrel_GetInfo(loginId_, 0, &rec, int(sizeof rec));
    if (rc >= 0) std::memcpy(o->recordData(), &rec, sizeof rec);
  }
  if (rc >= 0) {
    o->fromRecord(o->recordData(), o->recordSize());
    loaded_[configType] = true;
  }
  o->setEdit_isvalid(rc >= 0);
  return rc;
}

int CDeviceConfiger::setConfig(int configType) {
  if (loginId_ < 0) return -7;
  if (configType < 1 || configType > kChannels) return -8;
  CDeviceConfigBase* o = channelObject(configType);
  if (o == nullptr) return -2;
  o->toRecord(o->recordData(), o->recordSize());
  if (configType == 1) {
    CameraBasicInfoRecord rec;
    std::memcpy(&rec, o->recordData(), sizeof rec);
    return Ostrel_SetCameraBasicInfo(loginId_, &rec);
  }
  return -2;
}
