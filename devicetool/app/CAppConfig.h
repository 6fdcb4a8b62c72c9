// The device tool's settings as view properties, over its own "AppConfig.bin" record (not the
// workstation's file of the same name: another size and magic).
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace calorset {

// "AppConfig.bin": exactly 1048 bytes, little-endian, no gaps.
struct AppConfigRecord {
  uint32_t magic;
  int32_t language;  // 1 English ("en_US"), anything else Chinese ("zh_CN")
  char saveDir[1024];  // snapshots and recordings, UTF-8, NUL-terminated, zero-filled
  int32_t transType;   // stream transport: 0 TCP, 1 UDP
  int32_t chartFifoSize;        // samples the live trend chart keeps
  int32_t chartUpdateInterval;  // seconds between two trend samples
  int32_t displayFpsMax;        // highest frame rate shown (clamped to 10..100 when applied)
};
static_assert(sizeof(AppConfigRecord) == 1048, "AppConfigRecord size");
static_assert(offsetof(AppConfigRecord, saveDir) == 8, "saveDir offset");
static_assert(offsetof(AppConfigRecord, transType) == 1032, "transType offset");
static_assert(offsetof(AppConfigRecord, displayFpsMax) == 1044, "displayFpsMax offset");

constexpr uint32_t kAppConfigMagic = 20240408;

class CAppConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(int language READ language WRITE setLanguage NOTIFY languageChanged)
  Q_PROPERTY(QString saveDir READ saveDir WRITE setSaveDir NOTIFY saveDirChanged)
  Q_PROPERTY(int transType READ transType WRITE setTransType NOTIFY transTypeChanged)
  Q_PROPERTY(int chartFifoSize READ chartFifoSize WRITE setChartFifoSize NOTIFY chartFifoSizeChanged)
  Q_PROPERTY(int chartUpdateInterval READ chartUpdateInterval WRITE setChartUpdateInterval NOTIFY
                 chartUpdateIntervalChanged)
  Q_PROPERTY(int displayFpsMax READ displayFpsMax WRITE setDisplayFpsMax NOTIFY displayFpsMaxChanged)

 public:
  // All zero except the magic.
  explicit CAppConfig(QObject* parent = nullptr);

  int language() const { return record_.language; }
  QString saveDir() const { return saveDir_; }
  int transType() const { return record_.transType; }
  int chartFifoSize() const { return record_.chartFifoSize; }
  int chartUpdateInterval() const { return record_.chartUpdateInterval; }
  int displayFpsMax() const { return record_.displayFpsMax; }

  void setLanguage(int v);
  // A text of 1024 UTF-8 bytes or more does not fit the field and is ignored.
  void setSaveDir(const QString& v);
  void setTransType(int v);
  void setChartFifoSize(int v);
  void setChartUpdateInterval(int v);
  void setDisplayFpsMax(int v);

  // Copies the other object's record into this one, field by field, emitting what changes.
  Q_INVOKABLE void cls2cls(CAppConfig* other);

  const AppConfigRecord& record() const { return record_; }
  void applyRecord(const AppConfigRecord& rec);

 signals:
  void languageChanged();
  void saveDirChanged();
  void transTypeChanged();
  void chartFifoSizeChanged();
  void chartUpdateIntervalChanged();
  void displayFpsMaxChanged();

 private:
  AppConfigRecord record_;
  QString saveDir_;
};

}  // namespace calorset
