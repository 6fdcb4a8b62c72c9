// An option-list entry: a display name (a translation id resolved when the list is built) and the
// integer the model stores.
#pragma once

#include <QObject>
#include <QString>

class CNameValue : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
  Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)

 public:
  explicit CNameValue(QObject* parent = nullptr);
  CNameValue(QObject* parent, const QString& name, int value);

  QString name() const { return name_; }
  int value() const { return value_; }
  void setName(const QString& name);
  void setValue(int value);

 signals:
  void nameChanged();
  void valueChanged();

 private:
  QString name_;
  int value_ = 0;
};
