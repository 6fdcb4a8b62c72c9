#include "CCameraTimeInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"ntpServer", 0, K::Text, 32, 0, true},
    {"ntpServer2", 32, K::Text, 32, 0, true},
    {"timeZone", 64, K::Text, 32, 0, true},
};

}  // namespace

CCameraTimeInfo::CCameraTimeInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CCameraTimeInfo::writeDefaults(uint8_t* image) {
  using namespace settingsrec;
  putText(image + 0, 32, "0.pool.ntp.org");
  putText(image + 32, 32, "1.pool.ntp.org");
  putText(image + 64, 32, "Asia/Shanghai");
}
