// An option-list entry with a type code, name, description and icon (an SVG resource URL).
#pragma once

#include <QObject>
#include <QString>

class CTypeNameDescIcon : public QObject {
  Q_OBJECT
  Q_PROPERTY(int type READ type WRITE setType NOTIFY typeChanged)
  Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
  Q_PROPERTY(QString desc READ desc WRITE setDesc NOTIFY descChanged)
  Q_PROPERTY(QString icon READ icon WRITE setIcon NOTIFY iconChanged)

 public:
  explicit CTypeNameDescIcon(QObject* parent = nullptr);
  CTypeNameDescIcon(QObject* parent, int type, const QString& name, const QString& desc, const QString& icon);

  int type() const { return type_; }
  QString name() const { return name_; }
  QString desc() const { return desc_; }
  QString icon() const { return icon_; }
  void setType(int type);
  void setName(const QString& name);
  void setDesc(const QString& desc);
  void setIcon(const QString& icon);

 signals:
  void typeChanged();
  void nameChanged();
  void descChanged();
  void iconChanged();

 private:
  int type_ = 0;
  QString name_;
  QString desc_;
  QString icon_;
};
