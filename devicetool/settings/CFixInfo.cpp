#include "CFixInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"atmosphericTemperature", 0, K::F32, 0, 0, true},
    {"relativeHumidity", 4, K::F32, 0, 0, true},
    {"visibility", 8, K::F32, 0, 0, true},
    {"rainfallIntensity", 12, K::F32, 0, 0, true},
    {"snowfallIntensity", 16, K::F32, 0, 0, true},
    {"targetDistance", 20, K::F32, 0, 0, true},
    {"globalEmissivity", 24, K::F32, 0, 0, true},
    {"infraredWindowTrans", 28, K::F32, 0, 0, true},
    {"tempOffset", 32, K::F32, 0, 0, true},
    {"enableAtmFix", 36, K::Bool8, 0, 0, true},
    {"infraredWindowTempOffset", 40, K::F32, 0, 0, true},
};

}  // namespace

CFixInfo::CFixInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CFixInfo::writeDefaults(uint8_t* image) {
  using namespace settingsrec;
  putF32(image + 0, 20.0f);
  putF32(image + 4, 50.0f);
  putF32(image + 8, 20.0f);
  putF32(image + 20, 1000.0f);
  putF32(image + 24, 0.97f);
  putF32(image + 28, 1.0f);
}
