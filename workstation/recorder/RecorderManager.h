// The recorders' shared side: the global settings ("RecorderConfig.bin" in the configuration
// folder), the free and total space of the save folder, and the closing of finished recordings
// (the camera's view and measurement configuration appended to the stream file). GUI thread.
#pragma once

#include <QObject>
#include <QStorageInfo>
#include <QString>

#include "recorder/RecorderConfig.h"

class CConfigManager;
class CCommonManager;
class CInputManager;
class RecordSource;
struct TFContext;

class RecorderManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(RecorderConfig* config READ config CONSTANT)
  Q_PROPERTY(double storageTotal READ storageTotal NOTIFY storageTotalChanged)
  Q_PROPERTY(double storageFree READ storageFree NOTIFY storageFreeChanged)

 public:
  // The managers outlive this one; any may be null (tests).
  RecorderManager(CConfigManager* config = nullptr, CCommonManager* names = nullptr, CInputManager* inputs = nullptr,
                  QObject* parent = nullptr);
  ~RecorderManager() override;

  RecorderConfig* config() { return &config_; }
  double storageTotal() const { return storageTotal_; }
  double storageFree() const { return storageFree_; }
  CCommonManager* names() const { return names_; }
  CInputManager* inputs() const { return inputs_; }

  // Registers the recorder types in "Ostrel" 1.0, loads the settings (defaults for a missing or
  // short file), follows the save folder. 0 when the file's record equals the current one, else 1.
  int init();
  // 0 when `edited` equals the global settings (nothing written); otherwise the global settings
  // take its values and the file is written: 1, -200, -197. -8 for null.
  Q_INVOKABLE int saveConfig(RecorderConfig* edited);
  void refreshStorage();
  // Appends the camera module's configuration block to a finished stream file: 0, or the file
  // layer's code (negative).
  int appendConf(const QString& fileName, RecordSource* module);

  QString configPath() const;
  QString saveDir() const;

 signals:
  void storageTotalChanged();
  void storageFreeChanged();

 private:
  CConfigManager* configManager_;
  CCommonManager* names_;
  CInputManager* inputs_;
  RecorderConfig config_;
  QStorageInfo storage_;
  double storageTotal_ = 0, storageFree_ = 0;
  TFContext* tf_ = nullptr;
};
