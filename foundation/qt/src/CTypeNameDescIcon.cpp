#include "foundation_qt/CTypeNameDescIcon.h"

CTypeNameDescIcon::CTypeNameDescIcon(QObject* parent) : QObject(parent) {}

CTypeNameDescIcon::CTypeNameDescIcon(QObject* parent, int type, const QString& name, const QString& desc,
                                     const QString& icon)
    : QObject(parent), type_(type), name_(name), desc_(desc), icon_(icon) {}

void CTypeNameDescIcon::setType(int type) {
  if (type_ == type) return;
  type_ = type;
  emit typeChanged();
}

void CTypeNameDescIcon::setName(const QString& name) {
  if (name_ == name) return;
  name_ = name;
  emit nameChanged();
}

void CTypeNameDescIcon::setDesc(const QString& desc) {
  if (desc_ == desc) return;
  desc_ = desc;
  emit descChanged();
}

void CTypeNameDescIcon::setIcon(const QString& icon) {
  if (icon_ == icon) return;
  icon_ = icon;
  emit iconChanged();
}
