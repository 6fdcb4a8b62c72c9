// One entry of a linked-folder or recent-file list: a file's path, name, URL and size.
#pragma once

#include <QFileInfo>
#include <QObject>
#include <QString>

class CFileLink : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString fileNameAbs READ fileNameAbs CONSTANT)
  Q_PROPERTY(QString fileNameShort READ fileNameShort CONSTANT)
  Q_PROPERTY(QString fileNameUrl READ fileNameUrl CONSTANT)
  Q_PROPERTY(double fileSize READ fileSize CONSTANT)

 public:
  explicit CFileLink(QObject* parent = nullptr);
  // From a path, or from a directory listing entry; the same four values either way.
  explicit CFileLink(const QString& path, QObject* parent = nullptr);
  explicit CFileLink(const QFileInfo& entry, QObject* parent = nullptr);

  QString fileNameAbs() const { return abs_; }
  QString fileNameShort() const { return short_; }
  QString fileNameUrl() const { return url_; }
  double fileSize() const { return size_; }

 private:
  void fill(const QFileInfo& info);

  QString abs_, short_, url_;
  double size_ = 0;
};
