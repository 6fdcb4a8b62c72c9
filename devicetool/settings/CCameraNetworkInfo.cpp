#include "CCameraNetworkInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"useStaticIp", 0, K::Bool8, 0, 0, true}, {"staticIp", 4, K::IPv4, 0, 0, true},
    {"subnetMask", 8, K::IPv4, 0, 0, true},   {"gateway", 12, K::IPv4, 0, 0, true},
    {"macAddr", 20, K::Mac, 0, 0, true},      {"dns", 28, K::IPv4, 0, 0, true},
    {"dns2", 32, K::IPv4, 0, 0, true},        {"mtu", 26, K::U16, 0, 0, true},
};

}  // namespace

CCameraNetworkInfo::CCameraNetworkInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CCameraNetworkInfo::writeDefaults(uint8_t* image) {
  using namespace settingsrec;
  putIPv4(image + 4, "192.168.1.201");
  putIPv4(image + 12, "192.168.1.1");
  putIPv4(image + 8, "255.255.255.0");
  putIPv4(image + 28, "8.8.8.8");
  putIPv4(image + 32, "114.114.114.114");
}
