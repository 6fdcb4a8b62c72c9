#include "TempImageConfig.h"

#include <ostrel/OstrelStretch.h>

#include <cmath>

TempImageConfig::TempImageConfig(QObject* parent) : QObject(parent) {}

#define OSTREL_SETTER(Setter, Type, field, signal) \
  void TempImageConfig::Setter(Type v) {           \
    if (field == v) return;                        \
    field = v;                                     \
    emit signal();                                 \
  }

OSTREL_SETTER(setPaletteType, int, paletteType_, paletteTypeChanged)
OSTREL_SETTER(setStrechType, int, strechType_, strechTypeChanged)
OSTREL_SETTER(setGain, float, gain_, gainChanged)
OSTREL_SETTER(setTemp2gray, int, temp2gray_, temp2grayChanged)
OSTREL_SETTER(setDdeLevel, int, ddeLevel_, ddeLevelChanged)
OSTREL_SETTER(setDenoise, int, denoise_, denoiseChanged)
OSTREL_SETTER(setMan_enable, bool, man_enable_, man_enableChanged)
OSTREL_SETTER(setMan_temp0, float, man_temp0_, man_temp0Changed)
OSTREL_SETTER(setMan_temp1, float, man_temp1_, man_temp1Changed)
OSTREL_SETTER(setCt_type, int, ct_type_, ct_typeChanged)
OSTREL_SETTER(setCt_temp0, float, ct_temp0_, ct_temp0Changed)
OSTREL_SETTER(setCt_temp1, float, ct_temp1_, ct_temp1Changed)
OSTREL_SETTER(setCt_color0, const QColor&, ct_color0_, ct_color0Changed)
OSTREL_SETTER(setCt_color1, const QColor&, ct_color1_, ct_color1Changed)
OSTREL_SETTER(setSmalltarget_bg, int, smalltarget_bg_, smalltarget_bgChanged)

#undef OSTREL_SETTER

int16_t TempImageConfig::toTenths(float degrees) {
  // NaN has no meaningful temperature; it is written as 0 rather than left undefined.
  if (std::isnan(degrees)) return 0;
  const double t = std::trunc(double(degrees) * 10.0);
  if (t <= -32768.0) return -32768;
  if (t >= 32767.0) return 32767;
  return int16_t(t);
}

float TempImageConfig::fromTenths(int16_t tenths) {
  return float(double(tenths) * 0.1);
}

QColor TempImageConfig::colorFromWord(uint32_t word) {
  return QColor(int((word >> 16) & 0xFF), int((word >> 8) & 0xFF), int(word & 0xFF), 255);
}

uint32_t TempImageConfig::wordFromColor(const QColor& c) {
  if (!c.isValid()) return 0xFF000000u;
  return 0xFF000000u | (uint32_t(c.rgb()) & 0x00FFFFFFu);
}

void TempImageConfig::fromParams(const StretchCtl* ctl) {
  if (!ctl) return;
  setStrechType(ctl->strechType);
  setGain(ctl->gain);
  setTemp2gray(ctl->temp2gray);
  setDdeLevel(ctl->ddeLevel);
  setDenoise(ctl->denoise);
  setMan_enable(ctl->man_enable != 0);
  setMan_temp0(fromTenths(ctl->man_temp0));
  setMan_temp1(fromTenths(ctl->man_temp1));
  setCt_type(ctl->ct_type);
  setCt_temp0(fromTenths(ctl->ct_temp0));
  setCt_temp1(fromTenths(ctl->ct_temp1));
  setCt_color0(colorFromWord(ctl->ct_color0));
  setCt_color1(colorFromWord(ctl->ct_color1));
  setSmalltarget_bg(ctl->smalltarget_bg);
}

void TempImageConfig::toParams(StretchCtl* ctl) const {
  if (!ctl) return;
  ctl->strechType = uint8_t(strechType_);
  ctl->gain = gain_;
  ctl->temp2gray = uint8_t(temp2gray_);
  ctl->ddeLevel = uint8_t(ddeLevel_);
  ctl->denoise = uint8_t(denoise_);
  ctl->man_enable = man_enable_ ? 1 : 0;
  ctl->man_temp0 = toTenths(man_temp0_);
  ctl->man_temp1 = toTenths(man_temp1_);
  ctl->ct_type = uint8_t(ct_type_);
  ctl->ct_temp0 = toTenths(ct_temp0_);
  ctl->ct_temp1 = toTenths(ct_temp1_);
  ctl->ct_color0 = wordFromColor(ct_color0_);
  ctl->ct_color1 = wordFromColor(ct_color1_);
  ctl->smalltarget_bg = uint8_t(smalltarget_bg_);
}
