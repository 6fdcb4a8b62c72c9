#include "CFPAInfo.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include "QmlListAccess.h"
#include "XCaliLayout.h"
#include "devicetool/ValueConvert.h"
#include "foundation/ByteOrder.h"

namespace {

using K = CDeviceConfigBase::Kind;
namespace bo = ostrel::bytes;

using xcali::assign;

int clampByte(int v) {
  return int(valueconv::clampToField(v, 0, 255));
}

const CDeviceConfigBase::Field kVnrFields[] = {
    {"ad_offset0", 16, K::I8, 0, 0, true}, {"ad_offset1", 17, K::I8, 0, 0, true},
    {"ad_offset2", 18, K::I8, 0, 0, true}, {"ad_offset3", 19, K::I8, 0, 0, true},
    {"tint", 20, K::I32, 0, 0, true},      {"gain", 25, K::U8, 0, 0, true},
};
constexpr size_t kVoltOffsets[5] = {0, 2, 4, 6, 8};  // vdda, vddo, gpol, vr, subpv

const CDeviceConfigBase::Field kQjFields[] = {
    {"tint", 0, K::U8, 0, 0, true},       {"int_cap", 2, K::U8, 0, 0, true},   {"fos", 5, K::U8, 0, 0, true},
    {"dll_trim", 1, K::U8, 0, 0, true},   {"ibias", 3, K::U8, 0, 0, true},     {"ad_gain", 4, K::U8, 0, 0, true},
    {"svrd", 6, K::U8, 0, 0, true},       {"nucr", 7, K::U8, 0, 0, true},      {"spwr", 8, K::U8, 0, 0, true},
    {"agc_lg_l", 9, K::U8, 0, 0, true},   {"srd", 10, K::U8, 0, 0, true},      {"x1_trim_v2", 11, K::U8, 0, 0, true},
    {"x1_xrdm", 12, K::U8, 0, 0, true},   {"x1_c3", 13, K::U8, 0, 0, true},    {"x2_adg", 16, K::U8, 0, 0, true},
    {"x2_srg", 14, K::U8, 0, 0, true},    {"x2_svrs", 17, K::U8, 0, 0, true},  {"x2_lg_en", 15, K::U8, 0, 0, true},
    {"x2_srsm0", 18, K::U8, 0, 0, true},  {"x2_srsm1", 19, K::U8, 0, 0, true}, {"x2_srsm2", 20, K::U8, 0, 0, true},
    {"x3_tos", 21, K::U8, 0, 0, true},    {"x3_srdm", 22, K::U8, 0, 0, true},  {"x3_sagcr", 23, K::U8, 0, 0, true},
    {"x3_poc", 24, K::U8, 0, 0, true},    {"item_count", 31, K::U8, 0, 0, true},
};
constexpr size_t kQjItemBase = 32, kQjItemSize = 8;

}  // namespace

// ---- VNR ----------------------------------------------------------------------------------------

CFPAInfoVNR::CFPAInfoVNR(QObject* parent)
    : CDeviceConfigBase(kVnrFields, int(std::size(kVnrFields)), kRecordSize, parent) {}

void CFPAInfoVNR::setVolts(int i, double v) {
  if (!std::isfinite(v) || volts_[i] == v) return;
  volts_[i] = v;
  switch (i) {
    case 0: emit ad_vddaChanged(); break;
    case 1: emit ad_vddoChanged(); break;
    case 2: emit ad_gpolChanged(); break;
    case 3: emit ad_vrChanged(); break;
    default: emit ad_subpvChanged(); break;
  }
}

void CFPAInfoVNR::fromRecord(const uint8_t* record) {
  CDeviceConfigBase::fromRecord(record, kRecordSize);
  for (int i = 0; i < 5; ++i) {
    loadedCounts_[i] = bo::readU16(record, kRecordSize, kVoltOffsets[i]);
    setVolts(i, loadedCounts_[i] * valueconv::kVoltsPerCountVnr);
  }
  // A camera's origin above 3 is none the tool knows: the shown one stays.
  if (record[24] <= 3) assign(this, origin_, int(record[24]), &CFPAInfoVNR::originChanged);
  loadedOrigin_ = origin_;
}

void CFPAInfoVNR::toRecord(uint8_t* record) {
  CDeviceConfigBase::toRecord(record, kRecordSize);
  for (int i = 0; i < 5; ++i)
    bo::putU16(record + kVoltOffsets[i],
               uint16_t(xcali::nearestRaw(volts_[i], valueconv::kVoltsPerCountVnr, 0, 65535, loadedCounts_[i])));
  // An origin the tool does not know stays the camera's until one is chosen.
  if (record[24] <= 3 || origin_ != loadedOrigin_) record[24] = uint8_t(clampByte(origin_));
}

// ---- QJ -----------------------------------------------------------------------------------------

void CQJItem::setFpa(double v) {
  if (!std::isfinite(v)) return;
  assign(this, fpa_, v, &CQJItem::fpaChanged);
}
void CQJItem::setFos(int v) {
  assign(this, fos_, v, &CQJItem::fosChanged);
}
void CQJItem::setTint(int v) {
  assign(this, tint_, v, &CQJItem::tintChanged);
}
void CQJItem::setCap(int v) {
  assign(this, cap_, v, &CQJItem::capChanged);
}

void CQJItem::fromRecord(const uint8_t* item) {
  setFpa(bo::readI16(item, kQjItemSize, 0) / 100.0);
  setFos(item[2]);
  setTint(item[3]);
  setCap(item[4]);
}

void CQJItem::toRecord(uint8_t* item) const {
  // Hundredths by the shared scaled-field rule: a value read from the camera goes back as the
  // same count, a typed one is cut toward zero and clamped to the i16.
  bo::putI16(item, int16_t(valueconv::scaledToRaw(fpa_, 0.01, -32768, 32767)));
  item[2] = uint8_t(clampByte(fos_));
  item[3] = uint8_t(clampByte(tint_));
  item[4] = uint8_t(clampByte(cap_));
}

CFPAInfoQJ::CFPAInfoQJ(QObject* parent)
    : CDeviceConfigBase(kQjFields, int(std::size(kQjFields)), kRecordSize, parent) {
  for (int k = 0; k < kItems; ++k) items_.append(new CQJItem(this));
}

QQmlListProperty<CQJItem> CFPAInfoQJ::item_array() {
  return readOnlyList(this, &items_);
}

void CFPAInfoQJ::fromRecord(const uint8_t* record) {
  CDeviceConfigBase::fromRecord(record, kRecordSize);
  for (int k = 0; k < kItems; ++k) items_[k]->fromRecord(record + kQjItemBase + kQjItemSize * size_t(k));
}

void CFPAInfoQJ::toRecord(uint8_t* record) {
  CDeviceConfigBase::toRecord(record, kRecordSize);
  for (int k = 0; k < kItems; ++k) items_[k]->toRecord(record + kQjItemBase + kQjItemSize * size_t(k));
}

// ---- External blackbody -------------------------------------------------------------------------

void CExtBbConfig::setTemp(double v) {
  if (!std::isfinite(v) || v == temp_) return;
  temp_ = v;
  tenths_ = int(valueconv::scaledToRaw(v, 0.1, -32768, 32767));
  emit tempChanged();
}

void CExtBbConfig::fromRecord(const uint8_t* payload) {
  assign(this, enable_, bo::readI16(payload, kPayloadSize, 0) != 0, &CExtBbConfig::enableChanged);
  setTemp(bo::readI16(payload, kPayloadSize, 2) / 10.0);
  assign(this, x_, int(bo::readU16(payload, kPayloadSize, 4)), &CExtBbConfig::xChanged);
  assign(this, y_, int(bo::readU16(payload, kPayloadSize, 6)), &CExtBbConfig::yChanged);
  assign(this, radius_, int(bo::readU16(payload, kPayloadSize, 8)), &CExtBbConfig::radiusChanged);
}

void CExtBbConfig::toRecord(uint8_t* payload) const {
  std::memset(payload, 0, kPayloadSize);
  bo::putI16(payload, enable_ ? 1 : 0);
  bo::putI16(payload + 2, int16_t(tenths_));
  bo::putU16(payload + 4, uint16_t(valueconv::clampToField(x_, 0, 65535)));
  bo::putU16(payload + 6, uint16_t(valueconv::clampToField(y_, 0, 65535)));
  bo::putU16(payload + 8, uint16_t(valueconv::clampToField(radius_, 0, 65535)));
}
