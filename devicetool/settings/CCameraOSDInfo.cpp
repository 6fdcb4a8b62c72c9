#include "CCameraOSDInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"loc_enable", 0, K::Bool16, 0, 0, true}, {"loc_x", 2, K::U16, 0, 0, true},
    {"loc_y", 4, K::U16, 0, 0, true},         {"time_enable", 6, K::Bool16, 0, 0, true},
    {"time_x", 8, K::U16, 0, 0, true},        {"time_y", 10, K::U16, 0, 0, true},
    {"loc_name", 12, K::Text, 128, 0, true},  {"color", 140, K::ColorRgb, 0, 0, true},
};

}  // namespace

CCameraOSDInfo::CCameraOSDInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CCameraOSDInfo::writeDefaults(uint8_t* image) {
  using namespace settingsrec;
  putLe16(image + 2, 300);
  putLe16(image + 4, 400);
  putLe16(image + 8, 200);
  putLe16(image + 10, 100);
  putText(image + 12, 128, "loc");
  putLe32(image + 140, 0x00FFFF);
}
