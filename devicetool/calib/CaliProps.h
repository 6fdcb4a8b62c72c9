// The view-facing values of the calibration tables. A value typed by a person must be a number:
// a setter ignores one that is not finite, so a table never stores NaN or infinity that was not
// already in the camera's block. Loading from a record goes through loadValue, which takes any
// value (NaN included) and emits only when the bits changed.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstring>

namespace caliprops {

template <typename T>
bool sameBits(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Equal as a record compares a stored float: the same number, or not-a-number on both sides.
// A value that did not change is not written, so the camera's own bits stay.
inline bool sameFloat(float a, float b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

// The name of a table cell in an editor's invalidFields list: "<list>.<row>.<property>".
inline QString cellName(const char* list, int row, const char* property) {
  return QStringLiteral("%1.%2.%3").arg(QLatin1String(list)).arg(row).arg(QLatin1String(property));
}

}  // namespace caliprops

// Declares `float name` with setter `setter` (finite values only) and signal `name##Changed`.
#define CALI_FLOAT_PROPERTY(name, setter)                                  \
  Q_PROPERTY(float name READ name WRITE setter NOTIFY name##Changed)       \
 public:                                                                   \
  float name() const { return name##_; }                                   \
  void setter(float v) {                                                   \
    if (!std::isfinite(v) || v == name##_) return;                         \
    name##_ = v;                                                           \
    emit name##Changed();                                                  \
  }                                                                        \
  void load_##name(float v) {                                              \
    if (caliprops::sameBits(v, name##_)) return;                           \
    name##_ = v;                                                           \
    emit name##Changed();                                                  \
  }                                                                        \
  Q_SIGNAL void name##Changed();                                           \
                                                                           \
 private:                                                                  \
  float name##_ = 0;

// Declares `int name` whose writes outside [lo, hi] are ignored (from the view and from a record).
#define CALI_INT_PROPERTY(name, setter, lo, hi)                            \
  Q_PROPERTY(int name READ name WRITE setter NOTIFY name##Changed)         \
 public:                                                                   \
  int name() const { return name##_; }                                     \
  void setter(int v) {                                                     \
    if (v < (lo) || v > (hi) || v == name##_) return;                      \
    name##_ = v;                                                           \
    emit name##Changed();                                                  \
  }                                                                        \
  Q_SIGNAL void name##Changed();                                           \
                                                                           \
 private:                                                                  \
  int name##_ = 0;
