// The workstation's persistent settings as view properties, over the fixed-layout record stored
// in "AppConfig.bin".
#pragma once

#include <QObject>
#include <QString>
#include <cstddef>
#include <cstdint>

// "AppConfig.bin": 2068 bytes, little-endian, no header beyond the magic.
struct AppConfigRecord {
  int32_t magic;
  int32_t language;           // index into the language list: 0 "zh_CN", 1 "en_US"
  char saveDir[1024];         // UTF-8, NUL-terminated, zero-filled
  char workspaceLast[1024];   // UTF-8 path of the last workspace, NUL-terminated, zero-filled
  int32_t fileSaveMode;       // save mode: 0 ask, 1 always, 2 never
  int32_t workspaceSaveMode;  // same codes
  int32_t displayFpsMax;      // display frame-rate limit as stored (clamped only when applied)
};
static_assert(sizeof(AppConfigRecord) == 2068, "AppConfigRecord size");
static_assert(offsetof(AppConfigRecord, saveDir) == 8, "saveDir offset");
static_assert(offsetof(AppConfigRecord, workspaceLast) == 1032, "workspaceLast offset");
static_assert(offsetof(AppConfigRecord, fileSaveMode) == 2056, "fileSaveMode offset");
static_assert(offsetof(AppConfigRecord, displayFpsMax) == 2064, "displayFpsMax offset");

constexpr int32_t kAppConfigMagic = 20240101;

class CAppConfig : public QObject {
  Q_OBJECT
  Q_PROPERTY(int language READ language WRITE setLanguage NOTIFY languageChanged)
  Q_PROPERTY(QString saveDir READ saveDir WRITE setSaveDir NOTIFY saveDirChanged)
  Q_PROPERTY(QString workspaceLast READ workspaceLast WRITE setWorkspaceLast NOTIFY workspaceLastChanged)
  Q_PROPERTY(int fileSaveMode READ fileSaveMode WRITE setFileSaveMode NOTIFY fileSaveModeChanged)
  Q_PROPERTY(
      int workspaceSaveMode READ workspaceSaveMode WRITE setWorkspaceSaveMode NOTIFY workspaceSaveModeChanged)
  Q_PROPERTY(int displayFpsMax READ displayFpsMax WRITE setDisplayFpsMax NOTIFY displayFpsMaxChanged)

 public:
  // All-zero record with the magic set, empty texts.
  explicit CAppConfig(QObject* parent = nullptr);

  int language() const { return record_.language; }
  QString saveDir() const { return saveDir_; }
  QString workspaceLast() const { return workspaceLast_; }
  int fileSaveMode() const { return record_.fileSaveMode; }
  int workspaceSaveMode() const { return record_.workspaceSaveMode; }
  int displayFpsMax() const { return record_.displayFpsMax; }

  void setLanguage(int v);
  // A text whose UTF-8 form is 1024 bytes or longer does not fit its field: it is dropped and the
  // old value stays.
  void setSaveDir(const QString& v);
  void setWorkspaceLast(const QString& v);
  void setFileSaveMode(int v);
  void setWorkspaceSaveMode(int v);
  void setDisplayFpsMax(int v);

  // Whether a text fits the save folder's field (its UTF-8 form shorter than 1024 bytes): a text
  // that does not is dropped by setSaveDir, so views mark it and refuse to save it.
  Q_INVOKABLE bool saveDirFits(const QString& v) const;

  // Applies another object's record to this one, emitting the signal of each field that changes.
  Q_INVOKABLE void cls2cls(CAppConfig* other);

  const AppConfigRecord& record() const { return record_; }
  // Applies a raw record: magic forced, then the fields in record order (the two save modes with
  // the workspace mode first), each stored and signalled only when it changes.
  void applyRecord(const AppConfigRecord& rec);

 signals:
  void languageChanged();
  void saveDirChanged();
  void workspaceLastChanged();
  void fileSaveModeChanged();
  void workspaceSaveModeChanged();
  void displayFpsMaxChanged();

 private:
  static bool storeText(const QString& v, QString& copy, char (&field)[1024]);

  AppConfigRecord record_;
  QString saveDir_;
  QString workspaceLast_;
};
