// Read-only list properties for the views: count and at over a QList the owner keeps.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>

template <typename T>
QQmlListProperty<T> readOnlyList(QObject* owner, QList<T*>* list) {
  auto count = [](QQmlListProperty<T>* p) -> qsizetype { return static_cast<QList<T*>*>(p->data)->size(); };
  auto at = [](QQmlListProperty<T>* p, qsizetype i) -> T* {
    auto* l = static_cast<QList<T*>*>(p->data);
    return (i >= 0 && i < l->size()) ? l->at(i) : nullptr;
  };
  return QQmlListProperty<T>(owner, list, count, at);
}
