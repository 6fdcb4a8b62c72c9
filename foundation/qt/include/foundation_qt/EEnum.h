// The object published to QML as the singleton "EEnum": the carrier of the programs'
// enumerations. It has no members of its own yet; the option-list manager owns the one instance.
#pragma once

#include <QObject>

class EEnum : public QObject {
  Q_OBJECT

 public:
  explicit EEnum(QObject* parent = nullptr) : QObject(parent) {}
};
