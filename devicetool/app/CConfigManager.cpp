#include "CConfigManager.h"

#include <algorithm>

#include <QDir>
#include <QtQml/qqml.h>
#include <cstring>
#include <memory>
#include <new>

#include "AppFolders.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace calorset {

CConfigManager::CConfigManager(QObject* parent) : QObject(parent) {}

QString CConfigManager::configFile() const {
  return configDir() + QStringLiteral("/AppConfig.bin");
}

AppConfigRecord CConfigManager::defaults() {
  AppConfigRecord rec;
  std::memset(&rec, 0, sizeof rec);
  rec.magic = kAppConfigMagic;
  const QByteArray dir = dataDir().toUtf8();
  if (dir.size() < qsizetype(sizeof rec.saveDir)) std::memcpy(rec.saveDir, dir.constData(), size_t(dir.size()));
  rec.chartFifoSize = 500;
  rec.chartUpdateInterval = 1;
  rec.displayFpsMax = 100;
  return rec;
}

int CConfigManager::init() {
  qmlRegisterType<CAppConfig>("Ostrel", 1, 0, "CAppConfig");
  qmlRegisterType<CConfigManager>("Ostrel", 1, 0, "CConfigManager");
  std::unique_ptr<AppConfigRecord> rec(new (std::nothrow) AppConfigRecord);
  if (!rec) return -5;
  const QByteArray path = configFile().toUtf8();
  if (!calorset::isSettingsFile(path.constData()) ||
      ostrel::fileReadExact(path.constData(), rec.get(), sizeof *rec) != 0 || rec->magic != kAppConfigMagic)
    *rec = defaults();
  const int result = std::memcmp(rec.get(), &config_.record(), sizeof *rec) == 0 ? 0 : 1;
  if (result != 0) {
    config_.applyRecord(*rec);
    initConfig();
  }
  return result;
}

void CConfigManager::initConfig() {
  const QString dir = config_.saveDir();
  if (!dir.isEmpty() && !QDir(dir).exists()) {
    QDir().mkpath(dir);
    OSTREL_LOG_AS("initConfig", "make saveDir %s", dir.toUtf8().constData());
  }
  setSaveDirUtf8(dir.toUtf8());
  // Stored values stay as typed; the process takes what the trend chart can hold: at least one
  // second between samples, and a length the counter's shift below 10000 keeps bounded.
  chartSampleInterval.store(int64_t(std::max(config_.chartUpdateInterval(), 1)) * 10000000);
  chartLength.store(std::clamp(config_.chartFifoSize(), 10, 9999));
  streamTransType.store(config_.transType());
  const int fps = config_.displayFpsMax();
  displayFpsCap.store(fps < 10 ? 10 : fps > 100 ? 100 : fps);
}

int CConfigManager::save(CAppConfig* edited) {
  if (edited == nullptr) return -8;
  if (std::memcmp(&edited->record(), &config_.record(), sizeof(AppConfigRecord)) == 0) return 0;
  const AppConfigRecord rec = edited->record();
  config_.applyRecord(rec);
  const QByteArray path = configFile().toUtf8();
  const int result = ostrel::fileWriteAll(path.constData(), &config_.record(), sizeof(AppConfigRecord));
  initConfig();
  return result;
}

}  // namespace calorset
