#include "CSerialPortInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"usage", 0, K::U8, 0, 0, true},    {"portAddr", 1, K::U8, 0, 0, true},
    {"baudRate", 2, K::U8, 0, 0, true}, {"dataBits", 3, K::U8, 0, 0, true},
    {"stopBits", 4, K::U8, 0, 0, true}, {"parity", 5, K::U8, 0, 0, true},
};

}  // namespace

CSerialPortInfo::CSerialPortInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CSerialPortInfo::writeDefaults(uint8_t* image) {
  (void)image;
}
