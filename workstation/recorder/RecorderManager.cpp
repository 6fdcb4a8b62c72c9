#include "recorder/RecorderManager.h"

#include <QDir>
#include <QtQml>
#include <cstring>

#include "OstrelSDK.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "settings/CConfigManager.h"
#include "inputs/CInputBase.h"
#include "recorder/RecordSource.h"
#include "recorder/Recorder.h"

RecorderManager::RecorderManager(CConfigManager* config, CCommonManager* names, CInputManager* inputs,
                                 QObject* parent)
    : QObject(parent), configManager_(config), names_(names), inputs_(inputs) {}

RecorderManager::~RecorderManager() {
  if (tf_ != nullptr) TF_Free(&tf_);
}

QString RecorderManager::configPath() const {
  const QString dir = configManager_ != nullptr ? configManager_->configDir() : QString();
  return dir + QStringLiteral("/RecorderConfig.bin");
}

QString RecorderManager::saveDir() const {
  return configManager_ != nullptr ? configManager_->config()->saveDir() : QString();
}

int RecorderManager::init() {
  qmlRegisterType<RecorderConfig>("Ostrel", 1, 0, "RecorderConfig");
  qmlRegisterType<RecorderFile>("Ostrel", 1, 0, "RecorderFile");
  qmlRegisterType<Recorder>("Ostrel", 1, 0, "Recorder");
  qmlRegisterType<RecorderManager>("Ostrel", 1, 0, "RecorderManager");
  RecorderConfigRecord rec;
  const QByteArray path = configPath().toUtf8();
  if (ostrel::fileReadExact(path.constData(), &rec, sizeof rec) != 0) rec = RecorderConfig::defaults();
  const bool same = std::memcmp(&rec, &config_.record(), sizeof rec) == 0;
  if (!same) config_.applyRecord(rec);
  if (configManager_ != nullptr)
    connect(configManager_->config(), &CAppConfig::saveDirChanged, this, &RecorderManager::refreshStorage);
  refreshStorage();
  return same ? 0 : 1;
}

int RecorderManager::saveConfig(RecorderConfig* edited) {
  if (edited == nullptr) return -8;
  if (std::memcmp(&edited->record(), &config_.record(), sizeof(RecorderConfigRecord)) == 0) return 0;
  config_.applyRecord(edited->record());
  const QByteArray path = configPath().toUtf8();
  QDir().mkpath(QFileInfo(configPath()).absolutePath());
  return ostrel::fileWriteAll(path.constData(), &config_.record(), sizeof(RecorderConfigRecord));
}

void RecorderManager::refreshStorage() {
  storage_.setPath(saveDir().isEmpty() ? QDir::currentPath() : saveDir());
  storage_.refresh();
  const double total = double(storage_.bytesTotal()) / double(1u << 30);
  const double free = double(storage_.bytesAvailable()) / double(1u << 30);
  if (total != storageTotal_) {
    storageTotal_ = total;
    emit storageTotalChanged();
  }
  if (free != storageFree_) {
    storageFree_ = free;
    emit storageFreeChanged();
  }
}

int RecorderManager::appendConf(const QString& fileName, RecordSource* module) {
  if (tf_ == nullptr) tf_ = TF_Create();
  if (tf_ == nullptr) return -5;
  const QByteArray path = fileName.toUtf8();
  int r = TF_Open(tf_, path.constData(), TfOpenType_Stream);
  if (r < 0) return r;
  TFRaw raw{};
  r = TF_WriteRawBegin(tf_, &raw);
  if (r >= 0) {
    raw.confSize = sizeof(TempFileConf);
    TempFileConf* conf = raw.conf;
    std::memset(conf, 0, sizeof *conf);
    if (module != nullptr) {
      if (CInputBase* in = module->recordInput()) in->fillCameraInfo(conf);
      module->fillRecordConf(conf);
    }
    r = TF_WriteRawEnd(tf_, &raw, nullptr);
  }
  TF_Close(tf_);
  if (r < 0) OSTREL_LOG("configuration block not stored in %s: %d", path.constData(), r);
  return r;
}
