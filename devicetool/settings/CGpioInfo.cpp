#include "CGpioInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"input0", 0, K::U8, 0, 0, true},
    {"input1", 1, K::U8, 0, 0, true},
    {"output0", 2, K::U8, 0, 0, true},
    {"output1", 3, K::U8, 0, 0, true},
};

}  // namespace

CGpioInfo::CGpioInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CGpioInfo::writeDefaults(uint8_t* image) {
  (void)image;
}
