#include "CDestripInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"type", 0, K::U16, 0, 0, true},        {"s0_radius", 6, K::U16, 0, 0, true},
    {"s0_regular", 8, K::U16, 0, 0, true},  {"s1_radius", 10, K::U16, 0, 0, true},
    {"s1_regular", 12, K::U16, 0, 0, true}, {"sub_y", 14, K::U8, 0, 0, true},
    {"sub_t", 15, K::U8, 0, 0, true},
};

}  // namespace

CDestripInfo::CDestripInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CDestripInfo::writeDefaults(uint8_t* image) {
  (void)image;
}
