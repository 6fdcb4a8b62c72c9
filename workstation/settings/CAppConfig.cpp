#include "settings/CAppConfig.h"

#include <QByteArray>
#include <cstring>

CAppConfig::CAppConfig(QObject* parent) : QObject(parent) {
  std::memset(&record_, 0, sizeof record_);
  record_.magic = kAppConfigMagic;
}

void CAppConfig::setLanguage(int v) {
  if (record_.language == v) return;
  record_.language = v;
  emit languageChanged();
}

bool CAppConfig::storeText(const QString& v, QString& copy, char (&field)[1024]) {
  if (v == copy) return false;
  QByteArray utf8 = v.toUtf8();
  if (utf8.size() >= static_cast<qsizetype>(sizeof field)) return false;
  std::memset(field, 0, sizeof field);
  std::memcpy(field, utf8.constData(), static_cast<size_t>(utf8.size()));
  copy = v;
  return true;
}

void CAppConfig::setSaveDir(const QString& v) {
  if (storeText(v, saveDir_, record_.saveDir)) emit saveDirChanged();
}

void CAppConfig::setWorkspaceLast(const QString& v) {
  if (storeText(v, workspaceLast_, record_.workspaceLast)) emit workspaceLastChanged();
}

void CAppConfig::setFileSaveMode(int v) {
  if (record_.fileSaveMode == v) return;
  record_.fileSaveMode = v;
  emit fileSaveModeChanged();
}

void CAppConfig::setWorkspaceSaveMode(int v) {
  if (record_.workspaceSaveMode == v) return;
  record_.workspaceSaveMode = v;
  emit workspaceSaveModeChanged();
}

void CAppConfig::setDisplayFpsMax(int v) {
  if (record_.displayFpsMax == v) return;
  record_.displayFpsMax = v;
  emit displayFpsMaxChanged();
}

void CAppConfig::cls2cls(CAppConfig* other) {
  if (other == nullptr || other == this) return;
  applyRecord(other->record());
}

void CAppConfig::applyRecord(const AppConfigRecord& in) {
  const AppConfigRecord rec = in;  // `in` may be this object's own record
  record_.magic = kAppConfigMagic;
  setLanguage(rec.language);
  // A field is read up to its first NUL, at most 1023 bytes, so an unterminated field still
  // leaves room for the terminator.
  setSaveDir(QString::fromUtf8(rec.saveDir, static_cast<qsizetype>(strnlen(rec.saveDir, 1023))));
  setWorkspaceLast(
      QString::fromUtf8(rec.workspaceLast, static_cast<qsizetype>(strnlen(rec.workspaceLast, 1023))));
  setWorkspaceSaveMode(rec.workspaceSaveMode);
  setFileSaveMode(rec.fileSaveMode);
  setDisplayFpsMax(rec.displayFpsMax);
}

bool CAppConfig::saveDirFits(const QString& v) const {
  return v.toUtf8().size() < static_cast<qsizetype>(sizeof record_.saveDir);
}
