// The single owner of every input: discovers cameras, test-logs in before a camera input is
// made, sniffs picture files, keeps the lists the store views show and builds save-file names.
// Lists change on the GUI thread only. An input leaving a list is removed, the change signalled,
// and only then deleted later, so views and modules still holding it never see freed memory.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>

#include "inputs/CFileLink.h"
#include "inputs/CInputFileBase.h"
#include "inputs/CInputIr.h"

class CConfigManager;

// Registers the input classes and the manager in "Ostrel" 1.0 (for the workspace's start-up).
void registerInputQmlTypes();

class CInputManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(QQmlListProperty<CInputIr> deviceList READ deviceList NOTIFY deviceListChanged)
  Q_PROPERTY(QQmlListProperty<CInputBase> fileList READ fileList NOTIFY fileListChanged)
  Q_PROPERTY(QQmlListProperty<CFileLink> linkDirList READ linkDirList NOTIFY linkDirListChanged)
  Q_PROPERTY(QQmlListProperty<CFileLink> linkRecentList READ linkRecentList NOTIFY linkRecentListChanged)

 public:
  enum WorkState { Idle = 0, Discovering = 1, LoginTest = 2 };

  // `config` supplies the configuration folder (camera settings files) and the save folder.
  explicit CInputManager(CConfigManager* config = nullptr, QObject* parent = nullptr);
  ~CInputManager() override;

  // Start-up step; nothing to prepare. Returns 0.
  int init();

  Q_INVOKABLE void device_scan();
  Q_INVOKABLE CInputIr* device_createIr(const QString& address, bool test);
  Q_INVOKABLE CInputIr* device_createIr(const QString& address);
  Q_INVOKABLE bool file_checkJpg(const QString& path) const;
  Q_INVOKABLE CInputJpg* file_createJpg(const QString& path);
  Q_INVOKABLE CInputStream* file_createStream(const QString& path);
  Q_INVOKABLE CInputBase* file_find(const QString& path) const;
  Q_INVOKABLE QString createFn(const QString& prefix, const QString& suffix) const;
  Q_INVOKABLE void link_refresh(const QString& folder);
  Q_INVOKABLE void link_delete(CFileLink* link);
  Q_INVOKABLE void link_deleteAll();

  Q_INVOKABLE void file_delete(CInputBase* input);
  void file_deleteAll();
  QObject* input_findModule(const QString& name) const;
  void link_addRecent(const QString& path);
  CInputIr* device_find(const QString& address) const;

  // "<saveDir>/<yyyyMMdd_hhmmss><suffix>" at the current local time.
  static QString createFnIn(const QString& saveDir, const QString& suffix);

  int workState() const { return state_.load(); }
  const QList<CInputIr*>& devices() const { return devices_; }
  const QList<CInputBase*>& files() const { return files_; }
  const QList<CFileLink*>& linkDir() const { return linkDir_; }
  const QList<CFileLink*>& linkRecent() const { return linkRecent_; }

  QQmlListProperty<CInputIr> deviceList();
  QQmlListProperty<CInputBase> fileList();
  QQmlListProperty<CFileLink> linkDirList();
  QQmlListProperty<CFileLink> linkRecentList();

 signals:
  void deviceListChanged();
  void fileListChanged();
  void linkDirListChanged();
  void linkRecentListChanged();
  // Emitted by a pool task when it ends; handled on the GUI thread.
  void qtc_workEnd(int code);

 private slots:
  void qtc_onWorkEnd(int code);

 private:
  QString configDir() const;
  CInputIr* newCamera(const QString& address, const CameraBasicInfoRecord& record);
  void mergeDiscovery(DiscoverNode* nodes);
  // Runs `task` on the global pool; the destructor waits for every such task.
  template <class F>
  void runOnPool(F task);

  CConfigManager* config_;
  QList<CInputIr*> devices_;
  QList<CInputBase*> files_;
  QList<CFileLink*> linkDir_, linkRecent_;

  std::atomic<int> state_{Idle};
  std::atomic<DiscoverNode*> found_{nullptr};
  std::atomic<int> loginResult_{0};
  CameraBasicInfoRecord loginRecord_{};  // written by the login task before qtc_workEnd

  std::mutex taskMutex_;
  std::condition_variable taskCv_;
  int tasksRunning_ = 0;  // guarded by taskMutex_
};
