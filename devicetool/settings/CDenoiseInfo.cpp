#include "CDenoiseInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"type", 0, K::U16, 0, 0, true},
    {"gf_radius", 6, K::U16, 0, 0, true},
    {"gf_regular", 8, K::U16, 0, 0, true},
};

}  // namespace

CDenoiseInfo::CDenoiseInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CDenoiseInfo::writeDefaults(uint8_t* image) {
  (void)image;
}
