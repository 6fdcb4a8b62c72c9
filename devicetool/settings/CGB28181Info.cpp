#include "CGB28181Info.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"headVersion", 0, K::I32, 0, 0, true},  {"headEnable", 4, K::Bool32, 0, 0, true},
    {"serverId", 8, K::Text, 32, 0, true},   {"serverIp", 40, K::Text, 32, 0, true},
    {"serverPort", 72, K::I32, 0, 0, true},  {"deviceId", 76, K::Text, 32, 0, true},
    {"devicePort", 108, K::I32, 0, 0, true}, {"devicePortRtp", 112, K::I32, 0, 0, true},
    {"streamId", 116, K::Text, 32, 0, true}, {"username", 148, K::Text, 32, 0, true},
    {"password", 180, K::Text, 32, 0, true}, {"keepAliveInterval", 212, K::I32, 0, 0, true},
};

}  // namespace

CGB28181Info::CGB28181Info(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CGB28181Info::writeDefaults(uint8_t* image) {
  settingsrec::gb28181Defaults(image);
}
