// A bad-point list edited as a local file (".bad"/".bad2" in the dialogs): the camera id, the
// frame size and up to 4096 pixel positions. It never talks to the camera; the configurer sends
// the file and the camera takes at most 500 points.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>

class CComPoint : public QObject {
  Q_OBJECT
  Q_PROPERTY(int x READ x WRITE setX NOTIFY xChanged)
  Q_PROPERTY(int y READ y WRITE setY NOTIFY yChanged)

 public:
  explicit CComPoint(QObject* parent = nullptr) : QObject(parent) {}
  int x() const { return x_; }
  int y() const { return y_; }
  void setX(int v);
  void setY(int v);

 signals:
  void xChanged();
  void yChanged();

 private:
  int x_ = 0, y_ = 0;
};

class CComEditor : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString deviceId READ deviceId WRITE setDeviceId NOTIFY deviceIdChanged)
  Q_PROPERTY(int deviceWidth READ deviceWidth WRITE setDeviceWidth NOTIFY deviceWidthChanged)
  Q_PROPERTY(int deviceHeight READ deviceHeight WRITE setDeviceHeight NOTIFY deviceHeightChanged)
  Q_PROPERTY(QQmlListProperty<CComPoint> pointList READ pointList NOTIFY pointListChanged)

 public:
  explicit CComEditor(QObject* parent = nullptr) : QObject(parent) {}
  ~CComEditor() override;

  QString deviceId() const { return deviceId_; }
  int deviceWidth() const { return deviceWidth_; }
  int deviceHeight() const { return deviceHeight_; }
  void setDeviceId(const QString& v);
  void setDeviceWidth(int v);
  void setDeviceHeight(int v);
  QQmlListProperty<CComPoint> pointList();
  const QList<CComPoint*>& points() const { return points_; }

  // A file of exactly 44 + 4 x count bytes (count 0..4096): 0; -200; -194 for any other length.
  // A refused file changes nothing.
  Q_INVOKABLE int load(const QString& path);
  // 1; -200; -197 (an earlier file stays).
  Q_INVOKABLE int save(const QString& path);
  // Adds a copy of the point: -7 with 4096 points; -8 for a null point, coordinates outside
  // 0..65535 (the file holds 16 bits) or a position already listed.
  Q_INVOKABLE int point_create(CComPoint* point);
  // Removes that point object: -8 when it is not in the list.
  Q_INVOKABLE int point_delete(CComPoint* point);
  Q_INVOKABLE void point_clear();

 signals:
  void deviceIdChanged();
  void deviceWidthChanged();
  void deviceHeightChanged();
  void pointListChanged();

 private:
  QString deviceId_;
  // The id field of the last file loaded and the text it showed: saved as it came while unedited.
  QByteArray loadedIdBytes_;
  QString loadedId_;
  int deviceWidth_ = 0, deviceHeight_ = 0;
  QList<CComPoint*> points_;  // owned
};
