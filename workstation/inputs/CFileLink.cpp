#include "inputs/CFileLink.h"

#include <QDir>
#include <QUrl>

CFileLink::CFileLink(QObject* parent) : QObject(parent) {}

CFileLink::CFileLink(const QString& path, QObject* parent) : QObject(parent) {
  fill(QFileInfo(path));
}

CFileLink::CFileLink(const QFileInfo& entry, QObject* parent) : QObject(parent) {
  fill(entry);
}

void CFileLink::fill(const QFileInfo& info) {
  abs_ = QDir::cleanPath(info.absoluteFilePath());
  short_ = info.fileName();
  url_ = QUrl::fromLocalFile(abs_).toString();
  size_ = static_cast<double>(info.size());
}
