#include "foundation_qt/CNameValue.h"

CNameValue::CNameValue(QObject* parent) : QObject(parent) {}

CNameValue::CNameValue(QObject* parent, const QString& name, int value)
    : QObject(parent), name_(name), value_(value) {}

void CNameValue::setName(const QString& name) {
  if (name_ == name) return;
  name_ = name;
  emit nameChanged();
}

void CNameValue::setValue(int value) {
  if (value_ == value) return;
  value_ = value;
  emit valueChanged();
}
