#include "CDeviceConfigBase.h"

#include <QColor>
#include <QMetaProperty>
#include <QString>
#include <cmath>
#include <cstring>

#include "devicetool/ValueConvert.h"

namespace {

using Kind = CDeviceConfigBase::Kind;

uint32_t getLe(const uint8_t* p, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint32_t(p[i]) << (8 * i);
  return v;
}

void putLe(uint8_t* p, int bytes, uint32_t v) {
  for (int i = 0; i < bytes; ++i) p[i] = uint8_t(v >> (8 * i));
}

int widthOf(Kind k) {
  switch (k) {
    case Kind::U8:
    case Kind::I8:
    case Kind::Bool8: return 1;
    case Kind::U16:
    case Kind::I16:
    case Kind::Bool16: return 2;
    default: return 4;
  }
}

valueconv::FieldKind rangeKind(Kind k) {
  switch (k) {
    case Kind::U8: return valueconv::FieldKind::U8;
    case Kind::I8: return valueconv::FieldKind::I8;
    case Kind::U16: return valueconv::FieldKind::U16;
    case Kind::I16: return valueconv::FieldKind::I16;
    case Kind::U32: return valueconv::FieldKind::U32;
    default: return valueconv::FieldKind::I32;
  }
}

int64_t signedRaw(Kind k, uint32_t u) {
  switch (k) {
    case Kind::I8: return int8_t(u);
    case Kind::I16: return int16_t(u);
    case Kind::I32: return int32_t(u);
    default: return int64_t(u);
  }
}

}  // namespace

CDeviceConfigBase::CDeviceConfigBase(const Field* fields, int fieldCount, int recordSize, QObject* parent)
    : QObject(parent), fields_(fields), fieldCount_(fieldCount), image_(size_t(recordSize), 0) {}

void CDeviceConfigBase::setEdit_isvalid(bool v) {
  if (edit_isvalid_ == v) return;
  edit_isvalid_ = v;
  emit edit_isvalidChanged();
}

QStringList CDeviceConfigBase::invalidFields() const {
  QStringList names;
  const QMetaObject* mo = metaObject();
  for (int i = 0; i < fieldCount_; ++i) {
    const Field& f = fields_[i];
    if (f.kind != Kind::F32 || !f.writable) continue;
    const float v = mo->property(mo->indexOfProperty(f.property)).read(this).toFloat();
    if (!std::isfinite(v)) names.append(QString::fromLatin1(f.property));
  }
  return names;
}

void CDeviceConfigBase::writeDefaults(uint8_t*) {}

int CDeviceConfigBase::reset() {
  std::fill(image_.begin(), image_.end(), 0);
  writeDefaults(image_.data());
  return fromRecord(image_.data(), recordSize());
}

void CDeviceConfigBase::fieldRange(const Field& f, double* lo, double* hi) {
  const auto k = rangeKind(f.kind);
  const double s = f.scale != 0.0 ? f.scale : 1.0;
  *lo = double(valueconv::fieldMin(k)) * s;
  *hi = double(valueconv::fieldMax(k)) * s;
}

QVariant CDeviceConfigBase::readField(const uint8_t* record, const Field& f) const {
  const uint8_t* p = record + f.offset;
  switch (f.kind) {
    case Kind::Text: return QString::fromUtf8(valueconv::fieldText(p, size_t(f.width)));
    case Kind::Bool8:
    case Kind::Bool16:
    case Kind::Bool32: return getLe(p, widthOf(f.kind)) != 0;
    case Kind::F32: {
      const uint32_t u = getLe(p, 4);
      float v;
      std::memcpy(&v, &u, 4);
      return v;
    }
    case Kind::ColorRgb: {
      const uint32_t u = getLe(p, 4);
      return QColor(int((u >> 16) & 255), int((u >> 8) & 255), int(u & 255), 255);
    }
    case Kind::IPv4: return QString::fromStdString(valueconv::formatIPv4(getLe(p, 4)));
    case Kind::Mac: return QString::fromStdString(valueconv::formatMac(p));
    default: {
      const int64_t raw = signedRaw(f.kind, getLe(p, widthOf(f.kind)));
      if (f.scale != 0.0) return float(valueconv::rawToScaled(raw, f.scale));
      return f.kind == Kind::U32 ? QVariant(qlonglong(raw)) : QVariant(int(raw));
    }
  }
}

void CDeviceConfigBase::writeField(uint8_t* record, const Field& f, const QVariant& v) const {
  uint8_t* p = record + f.offset;
  switch (f.kind) {
    case Kind::Text: {
      // A field the camera filled with bytes that are not UTF-8 reads with replacement characters;
      // while the text still reads the same it is the camera's and goes back as it came.
      const QString text = v.toString();
      if (QString::fromUtf8(valueconv::fieldText(p, size_t(f.width))) == text) return;
      valueconv::storeTextIfChanged(p, size_t(f.width), text.toUtf8().toStdString());
      return;
    }
    case Kind::Bool8:
    case Kind::Bool16:
    case Kind::Bool32: {
      // A field holding another non-zero value than 1 still reads true: left as it is.
      const bool now = getLe(p, widthOf(f.kind)) != 0;
      if (now != v.toBool()) putLe(p, widthOf(f.kind), v.toBool() ? 1 : 0);
      return;
    }
    case Kind::F32: {
      const float x = v.toFloat();
      uint32_t u;
      std::memcpy(&u, &x, 4);
      const uint32_t old = getLe(p, 4);
      float oldValue;
      std::memcpy(&oldValue, &old, 4);
      if (oldValue != x && !(std::isnan(oldValue) && std::isnan(x))) putLe(p, 4, u);
      return;
    }
    case Kind::ColorRgb: {
      const QColor c = v.value<QColor>();
      const uint32_t old = getLe(p, 4);
      const uint32_t rgb = uint32_t(c.red()) << 16 | uint32_t(c.green()) << 8 | uint32_t(c.blue());
      if ((old & 0xFFFFFFu) != rgb) putLe(p, 4, 0xFF000000u | rgb);
      return;
    }
    case Kind::IPv4: {
      // toRecord has checked the text.
      const auto a = valueconv::parseIPv4(v.toString().toStdString());
      if (a && getLe(p, 4) != *a) putLe(p, 4, *a);
      return;
    }
    case Kind::Mac: {
      uint8_t mac[6];
      if (valueconv::parseMac(v.toString().toStdString(), mac) && std::memcmp(p, mac, 6) != 0) std::memcpy(p, mac, 6);
      return;
    }
    default: {
      const auto k = rangeKind(f.kind);
      const int64_t lo = valueconv::fieldMin(k), hi = valueconv::fieldMax(k);
      const int64_t raw = f.scale != 0.0 ? valueconv::scaledToRaw(v.toDouble(), f.scale, lo, hi)
                                         : valueconv::clampToField(v.toLongLong(), lo, hi);
      if (signedRaw(f.kind, getLe(p, widthOf(f.kind))) != raw) putLe(p, widthOf(f.kind), uint32_t(raw));
      return;
    }
  }
}

int CDeviceConfigBase::fromRecord(const void* record, unsigned size) {
  if (record == nullptr || size < recordSize()) return -8;
  const auto* r = static_cast<const uint8_t*>(record);
  const QMetaObject* mo = metaObject();
  loading_ = true;
  for (int i = 0; i < fieldCount_; ++i) {
    const QMetaProperty prop = mo->property(mo->indexOfProperty(fields_[i].property));
    // A MEMBER property compares and emits its own change signal.
    prop.write(this, readField(r, fields_[i]));
  }
  loading_ = false;
  return 0;
}

int CDeviceConfigBase::toRecord(void* record, unsigned size) {
  if (record == nullptr || size < recordSize()) return -8;
  auto* r = static_cast<uint8_t*>(record);
  const QMetaObject* mo = metaObject();
  if (!invalidFields().isEmpty()) return -8;
  for (int i = 0; i < fieldCount_; ++i) {
    const Field& f = fields_[i];
    if (!f.writable || (f.kind != Kind::IPv4 && f.kind != Kind::Mac)) continue;
    const std::string text = mo->property(mo->indexOfProperty(f.property)).read(this).toString().toStdString();
    uint8_t mac[6];
    if (f.kind == Kind::IPv4 ? !valueconv::parseIPv4(text) : !valueconv::parseMac(text, mac)) return -8;
  }
  for (int i = 0; i < fieldCount_; ++i) {
    if (!fields_[i].writable) continue;
    const QMetaProperty prop = mo->property(mo->indexOfProperty(fields_[i].property));
    writeField(r, fields_[i], prop.read(this));
  }
  return 0;
}
