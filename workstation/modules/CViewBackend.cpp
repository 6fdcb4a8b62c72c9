#include "modules/CViewBackend.h"

CViewBackend::CViewBackend(QObject* parent) : QObject(parent) {}

void CViewBackend::setView(QQuickItem* item) {
  if (view_.data() == item) return;
  view_ = item;
  emit viewChanged();
}

void CViewBackend::setViewName(const QString& name) {
  if (viewName_ == name) return;
  viewName_ = name;
  emit viewNameChanged();
}

void CViewBackend::setViewIndex(int index) {
  if (viewIndex_ == index) return;
  viewIndex_ = index;
  emit viewIndexChanged();
}
