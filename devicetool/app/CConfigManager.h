// Owns the device tool's live settings: loads "AppConfig.bin" of the configuration folder at
// start-up, applies them to the process and saves edited copies. GUI thread.
#pragma once

#include <QObject>
#include <QString>

#include "CAppConfig.h"

namespace calorset {

class CConfigManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(calorset::CAppConfig* config READ config CONSTANT)

 public:
  explicit CConfigManager(QObject* parent = nullptr);

  CAppConfig* config() { return &config_; }
  QString configFile() const;
  // The record used when the file is missing, short or of another magic.
  static AppConfigRecord defaults();

  // Registers CAppConfig and CConfigManager, loads the file (defaults otherwise, nothing written)
  // and applies it. -5 out of memory; else 0 when the loaded record equals the current one, 1
  // when it was applied.
  int init();
  // 0 when `edited` equals the current settings (nothing written); else applies it, writes the
  // file through a temporary and a rename and returns 1, or -200 / -197 (memory holds the new
  // settings then too). -8 for a null object.
  Q_INVOKABLE int save(calorset::CAppConfig* edited);

 private:
  void initConfig();

  CAppConfig config_;
};

}  // namespace calorset
