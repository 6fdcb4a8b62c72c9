#include "CTvoutInfo.h"

#include "SettingsRecords.h"

namespace {

using K = CDeviceConfigBase::Kind;
const CDeviceConfigBase::Field kFields[] = {
    {"enableTvout", 0, K::Bool8, 0, 0, true},
    {"zoom", 5, K::U8, 0, 0, true},
    {"paletteType", 1, K::U8, 0, 0, true},
    {"strechType", 18, K::U8, 0, 0, true},
    {"gain", 8, K::F32, 0, 0, true},
    {"temp2gray", 25, K::U8, 0, 0, true},
    {"ddeLevel", 19, K::U8, 0, 0, true},
    {"xuiDisplayFlags", 6, K::U16, 0, 0, true},
    {"man_enable", 24, K::Bool8, 0, 0, true},
    {"man_temp0", 20, K::I16, 0, 0.1, true},
    {"man_temp1", 22, K::I16, 0, 0.1, true},
    {"ct_type", 27, K::U8, 0, 0, true},
    {"ct_temp0", 28, K::I16, 0, 0.1, true},
    {"ct_temp1", 30, K::I16, 0, 0.1, true},
    {"ct_color0", 32, K::ColorRgb, 0, 0, true},
    {"ct_color1", 36, K::ColorRgb, 0, 0, true},
    {"h264_bitrate", 12, K::I32, 0, 0, true},
    {"h264_gopSize", 16, K::U16, 0, 0, true},
};

}  // namespace

CTvoutInfo::CTvoutInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

void CTvoutInfo::writeDefaults(uint8_t* image) {
  using namespace settingsrec;
  image[1] = 5;
  image[5] = 1;
  image[18] = 1;
  putF32(image + 8, 2.0f);
  putLe32(image + 12, 4000000);
  putLe16(image + 16, 50);
}
