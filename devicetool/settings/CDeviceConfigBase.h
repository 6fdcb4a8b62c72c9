// Base of the device tool's channel settings classes. Each class describes its record once, as a
// table {property, offset, kind, scale, writable}; loading, storing and the editors' limits all
// follow that table through the shared conversion rules (devicetool/ValueConvert.h).
#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <cmath>
#include <cstdint>
#include <vector>

class CDeviceConfigBase : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool edit_isvalid READ edit_isvalid WRITE setEdit_isvalid NOTIFY edit_isvalidChanged)
  // The floating-point properties whose value is not a finite number (as the camera sent it):
  // the fields to mark; toRecord refuses while any is listed.
  Q_PROPERTY(QStringList invalidFields READ invalidFields NOTIFY invalidFieldsChanged)

 public:
  // IPv4: a u32 shown as dotted text; Mac: six bytes shown as colon-separated hex.
  enum class Kind { Text, U8, I8, U16, I16, I32, U32, F32, Bool8, Bool16, Bool32, ColorRgb, IPv4, Mac };
  struct Field {
    const char* property;
    int offset;
    Kind kind;
    int width;        // bytes of a text field
    double scale;     // value = raw x scale for scaled integers (0: not scaled)
    bool writable;    // false: shown, never written back (identities, sizes the camera sets)
  };

  CDeviceConfigBase(const Field* fields, int fieldCount, int recordSize, QObject* parent = nullptr);

  bool edit_isvalid() const { return edit_isvalid_; }
  void setEdit_isvalid(bool v);
  QStringList invalidFields() const;

  // Loads every property from a channel record without modifying it; a property emits only when
  // its value changes. -8 when `size` is below the record size (nothing changes).
  virtual int fromRecord(const void* record, unsigned size);
  // Stores the writable properties into a channel record: a field is written only when the
  // property differs from what the field holds, so an untouched record goes back byte for byte.
  // Bytes no property covers keep what the buffer held. -8 when `size` is below the record size,
  // and -8 with nothing written when an address or MAC text is not a strict address (a wrapped or
  // guessed address would send the camera to another host), and -8 with nothing written while a
  // floating-point property is not finite (a camera's NaN or infinity never goes back to it).
  virtual int toRecord(void* record, unsigned size);
  // The class defaults into the object's own record image, then fromRecord of it.
  Q_INVOKABLE virtual int reset();

  // The record image the configurer reads into and writes from.
  uint8_t* recordData() { return image_.data(); }
  unsigned recordSize() const { return unsigned(image_.size()); }
  const Field* fields(int* count) const {
    *count = fieldCount_;
    return fields_;
  }
  // The range of a field's values as the editors show them (scaled), for inputs' limits.
  static void fieldRange(const Field& f, double* lo, double* hi);

 signals:
  void edit_isvalidChanged();
  void invalidFieldsChanged();

 protected:
  // The setter of a floating-point property: a value that is not finite is refused, except while
  // a record loads, where the camera's own value is kept so that it shows and cannot go back.
  template <class T>
  void setFloatProperty(float* field, float v, void (T::*changed)()) {
    if (!std::isfinite(v) && !loading_) return;
    if (*field == v) return;
    const bool wasFinite = std::isfinite(*field);
    *field = v;
    emit(static_cast<T*>(this)->*changed)();
    if (wasFinite != bool(std::isfinite(v))) emit invalidFieldsChanged();
  }

  // Writes the class defaults into a zeroed image.
  virtual void writeDefaults(uint8_t* image);

 private:
  QVariant readField(const uint8_t* record, const Field& f) const;
  void writeField(uint8_t* record, const Field& f, const QVariant& v) const;

  const Field* fields_;
  int fieldCount_;
  std::vector<uint8_t> image_;
  bool edit_isvalid_ = false;
  bool loading_ = false;  // fromRecord is writing the properties
};
