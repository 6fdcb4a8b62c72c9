#include "CFFCInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"frames_skipped_after_close", 0, K::U8, 0, 0, true},
    {"frames_accumlated_when_closed", 1, K::U8, 0, 0, true},
    {"frames_skipped_after_open", 2, K::U8, 0, 0, true},
    {"nst_enable", 3, K::Bool8, 0, 0, true},
    {"time_interval", 4, K::U16, 0, 0, true},
    {"temp_interval", 6, K::U16, 0, 0, true},
    {"af_rebound", 8, K::I8, 0, 0, true},
    {"fpa_shutter", 9, K::U8, 0, 0, true},
    {"time_interval_sec", 12, K::U16, 0, 0, true},
};

}  // namespace

CFFCInfo::CFFCInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CFFCInfo::writeDefaults(uint8_t* image) {
  (void)image;
}
