#include "settings/CConfigManager.h"

#include <QtQml/qqml.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "foundation/Helpers.h"
#include "foundation/Logger.h"

std::atomic<uint32_t> displayFpsLimit{100};

CConfigManager::CConfigManager(QObject* parent) : QObject(parent) {
  char dir[1024] = {};
  if (ostrel::moduleDir(dir, sizeof dir) > 0) appDir_ = QString::fromUtf8(dir);
}

void CConfigManager::setAppDir(const QString& dir) {
  appDir_ = dir;
}

QString CConfigManager::configDir() const {
  return appDir_ + QStringLiteral("/Calorvue-Config");
}

QString CConfigManager::configFile() const {
  return configDir() + QStringLiteral("/AppConfig.bin");
}

AppConfigRecord CConfigManager::defaults() const {
  AppConfigRecord rec;
  std::memset(&rec, 0, sizeof rec);
  rec.magic = kAppConfigMagic;
  rec.displayFpsMax = 100;
  QByteArray dir = (appDir_ + QStringLiteral("/Calorvue-Data")).toUtf8();
  if (dir.size() < static_cast<qsizetype>(sizeof rec.saveDir))
    std::memcpy(rec.saveDir, dir.constData(), static_cast<size_t>(dir.size()));
  return rec;
}

int CConfigManager::init() {
  qmlRegisterType<CAppConfig>("Ostrel", 1, 0, "CAppConfig");
  qmlRegisterType<CConfigManager>("Ostrel", 1, 0, "CConfigManager");

  std::unique_ptr<AppConfigRecord> rec(new (std::nothrow) AppConfigRecord);
  if (!rec) return -5;
  QByteArray path = configFile().toUtf8();
  if (ostrel::fileReadExact(path.constData(), rec.get(), sizeof *rec) != 0 || rec->magic != kAppConfigMagic)
    *rec = defaults();
  int result = std::memcmp(rec.get(), &config_.record(), sizeof *rec) == 0 ? 0 : 1;
  if (result != 0) config_.applyRecord(*rec);
  // Always: a file equal to a fresh record must still clamp the limit and make the folder.
  initConfig();
  return result;
}

void CConfigManager::initConfig() {
  const QString dir = config_.saveDir();
  if (!dir.isEmpty() && !QDir(dir).exists()) {
    QDir().mkpath(dir);
    OSTREL_LOG_AS("CConfigManager::initConfig", "make saveDir %s", dir.toUtf8().constData());
  }
  int fps = config_.displayFpsMax();
  displayFpsLimit.store(static_cast<uint32_t>(fps < 10 ? 10 : (fps > 100 ? 100 : fps)));
}

int CConfigManager::writeFile(const AppConfigRecord& rec) {
  // Written beside the file and renamed over it, so a failed write leaves the old file whole.
  const QByteArray finalPath = configFile().toUtf8();
  const QByteArray tmpPath = finalPath + ".tmp";
  FILE* f = ostrel::fopenUtf8(tmpPath.constData(), "wb");
  if (f == nullptr) return -200;
  bool ok = std::fwrite(&rec, 1, sizeof rec, f) == sizeof rec;
  ok = (std::fflush(f) == 0) && ok;
  ok = (fsync(fileno(f)) == 0) && ok;
  ok = (std::fclose(f) == 0) && ok;
  if (!ok || std::rename(tmpPath.constData(), finalPath.constData()) != 0) {
    std::remove(tmpPath.constData());
    return -197;
  }
  return 1;
}

int CConfigManager::save(CAppConfig* edited) {
  if (edited == nullptr) return -8;
  if (std::memcmp(&edited->record(), &config_.record(), sizeof(AppConfigRecord)) == 0) return 0;
  // The settings take effect only once they are on disk: after a failed write the program goes
  // on with what the file still holds, and a later Save or the next start cannot pick the
  // rejected edits up.
  CAppConfig next;
  next.applyRecord(edited->record());
  const int result = writeFile(next.record());
  if (result < 0) return result;
  config_.applyRecord(next.record());
  initConfig();
  return result;
}
