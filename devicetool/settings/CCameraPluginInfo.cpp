#include "CCameraPluginInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"version", 0, K::I32, 0, 0, false},         {"onvif_version", 4, K::I32, 0, 0, false},
    {"gb28181_version", 8, K::I32, 0, 0, false}, {"modbus_version", 12, K::I32, 0, 0, false},
    {"username", 16, K::Text, 16, 0, true},      {"password", 32, K::Text, 16, 0, true},
    {"onvif_enable", 48, K::Bool8, 0, 0, true},  {"gb28181_enable", 49, K::Bool8, 0, 0, true},
    {"modbus_enable", 50, K::U8, 0, 0, true},    {"kqdatavm_enable", 51, K::U8, 0, 0, true},
    {"h5_enable", 52, K::Bool8, 0, 0, true},
};

}  // namespace

CCameraPluginInfo::CCameraPluginInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CCameraPluginInfo::writeDefaults(uint8_t* image) {
  using namespace settingsrec;
  putText(image + 16, 16, "admin");
  putText(image + 32, 16, "tulep");
}
