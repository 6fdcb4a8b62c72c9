// Owns the live settings, loads "AppConfig.bin" at start-up and saves edited copies.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>

#include "settings/CAppConfig.h"

// The display frame-rate limit: displayFpsMax clamped to 10..100, 100 before the settings load.
// Written on the GUI thread, read by the live display decimation on the SDK's receiver thread.
extern std::atomic<uint32_t> displayFpsLimit;

class CConfigManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(CAppConfig* config READ config CONSTANT)

 public:
  explicit CConfigManager(QObject* parent = nullptr);

  CAppConfig* config() { return &config_; }

  // The folder of the executable, from which the configuration folder "<dir>/Calorvue-Config"
  // and the default save folder "<dir>/Calorvue-Data" are formed. Defaults to moduleDir.
  void setAppDir(const QString& dir);
  QString configDir() const;
  QString configFile() const;

  // Registers CAppConfig and CConfigManager in "Ostrel" 1.0, loads the file (defaults when it is
  // missing, short or of another magic) and applies it. -5 when the work buffer cannot be had;
  // 0 when the file's record equals the current one, 1 otherwise. GUI thread.
  int init();
  // 0 when `edited` equals the current settings and the file holds them (nothing written).
  // Otherwise applies it, writes the file through a temporary and a rename, applies the limits
  // and returns the write result: 1 written, -200 not opened, -197 short write or not replaced.
  // After a failed write the settings are applied but not stored, so the next save writes even
  // when nothing changed since. -8 for a null object.
  Q_INVOKABLE int save(CAppConfig* edited);

  // The record taken when the file is missing or foreign.
  AppConfigRecord defaults() const;

 private:
  void initConfig();
  int writeFile(const AppConfigRecord& rec);

  CAppConfig config_;
  QString appDir_;
};
