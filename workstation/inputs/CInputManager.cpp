#include "inputs/CInputManager.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QQmlEngine>
#include <QThreadPool>
#include <QtQml/qqml.h>
#include <algorithm>
#include <set>

#include "foundation_qt/Ipv4Text.h"
#include "settings/CConfigManager.h"
#include "inputs/InputText.h"

void registerInputQmlTypes() {
  qmlRegisterUncreatableType<CInputBase>("Ostrel", 1, 0, "CInputBase", QStringLiteral("abstract input"));
  qmlRegisterUncreatableType<CInputFileBase>("Ostrel", 1, 0, "CInputFileBase", QStringLiteral("abstract input"));
  qmlRegisterType<CInputJpg>("Ostrel", 1, 0, "CInputJpg");
  qmlRegisterType<CInputStream>("Ostrel", 1, 0, "CInputStream");
  qmlRegisterUncreatableType<CInputDeviceBase>("Ostrel", 1, 0, "CInputDeviceBase", QStringLiteral("abstract input"));
  qmlRegisterType<CInputIr>("Ostrel", 1, 0, "CInputIr");
  qmlRegisterType<CFileLink>("Ostrel", 1, 0, "CFileLink");
  qmlRegisterUncreatableType<CInputManager>("Ostrel", 1, 0, "CInputManager", QStringLiteral("one per program"));
}

namespace {

template <class T>
QQmlListProperty<T> readOnlyList(QObject* owner, QList<T*>* list) {
  return QQmlListProperty<T>(
      owner, list, [](QQmlListProperty<T>* p) { return static_cast<QList<T*>*>(p->data)->size(); },
      [](QQmlListProperty<T>* p, qsizetype i) { return static_cast<QList<T*>*>(p->data)->value(i); });
}

void ownedByProgram(QObject* o) {
  QQmlEngine::setObjectOwnership(o, QQmlEngine::CppOwnership);
}

// Deletion after the removal has been signalled: by then views have dropped their delegates.
template <class T>
void releaseLater(const QList<T*>& gone) {
  for (T* o : gone) o->deleteLater();
}

}  // namespace

CInputManager::CInputManager(CConfigManager* config, QObject* parent) : QObject(parent), config_(config) {
  connect(this, &CInputManager::qtc_workEnd, this, &CInputManager::qtc_onWorkEnd, Qt::QueuedConnection);
}

CInputManager::~CInputManager() {
  {
    std::unique_lock<std::mutex> lk(taskMutex_);
    taskCv_.wait(lk, [this] { return tasksRunning_ == 0; });
  }
  DiscoverNode* left = found_.exchange(nullptr);
  Ostrel_DiscoverCamerasFree(&left);
  qDeleteAll(devices_);
  qDeleteAll(files_);
  qDeleteAll(linkDir_);
  qDeleteAll(linkRecent_);
}

int CInputManager::init() {
  return 0;
}

template <class F>
void CInputManager::runOnPool(F task) {
  {
    std::lock_guard<std::mutex> lk(taskMutex_);
    ++tasksRunning_;
  }
  QThreadPool::globalInstance()->start([this, task]() mutable {
    task();
    emit qtc_workEnd(0);
    // Last touch of `this`: the destructor waits for this count to reach zero.
    std::lock_guard<std::mutex> lk(taskMutex_);
    --tasksRunning_;
    taskCv_.notify_all();
  });
}

QString CInputManager::configDir() const {
  return config_ != nullptr ? config_->configDir() : QString();
}

CInputIr* CInputManager::newCamera(const QString& address, const CameraBasicInfoRecord& record) {
  auto* input = new CInputIr(address, record);
  input->setConfigDir(configDir());
  ownedByProgram(input);
  devices_.append(input);
  return input;
}

void CInputManager::device_scan() {
  int idle = Idle;
  if (!state_.compare_exchange_strong(idle, Discovering)) return;
  runOnPool([this] { found_.store(Ostrel_DiscoverCameras(0)); });
}

CInputIr* CInputManager::device_createIr(const QString& address) {
  return device_createIr(address, false);
}

CInputIr* CInputManager::device_createIr(const QString& address, bool test) {
  if (ipv4FromString(address) == 0) return nullptr;
  if (CInputIr* known = device_find(address)) return known;
  CameraBasicInfoRecord record{};
  if (test) {
    // Only the login test waits for idle; the plain path (a workspace being loaded) must not
    // lose its cameras to a discovery that happens to run.
    int idle = Idle;
    if (!state_.compare_exchange_strong(idle, LoginTest)) return nullptr;
    loginRecord_ = CameraBasicInfoRecord{};
    runOnPool([this, address] { loginResult_.store(CInputIr::testLogin(address, &loginRecord_)); });
    // The views stay live meanwhile; the task's queued qtc_workEnd wakes this loop.
    while (state_.load() != Idle) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (loginResult_.load() < 0) return nullptr;
    record = loginRecord_;
    // The views kept running: the address may have arrived meanwhile (a discovery, a workspace).
    if (CInputIr* known = device_find(address)) return known;
  }
  CInputIr* input = newCamera(address, record);
  emit deviceListChanged();
  return input;
}

void CInputManager::qtc_onWorkEnd(int) {
  if (state_.load() == Discovering) mergeDiscovery(found_.exchange(nullptr));
  state_.store(Idle);
}

void CInputManager::mergeDiscovery(DiscoverNode* nodes) {
  std::set<QString> seen;
  for (DiscoverNode* n = nodes; n != nullptr; n = n->next) seen.insert(ipv4ToString(n->ipv4));

  // Rediscovered cameras stay (and take the new record); vanished ones stay while a module shows
  // them; only vanished unattached ones leave.
  QList<CInputIr*> gone;
  for (qsizetype i = devices_.size() - 1; i >= 0; --i) {
    CInputIr* input = devices_[i];
    if (seen.count(input->device_ip()) == 0 && input->module() == nullptr) {
      gone.append(input);
      devices_.removeAt(i);
    }
  }
  for (DiscoverNode* n = nodes; n != nullptr; n = n->next) {
    const QString address = ipv4ToString(n->ipv4);
    if (CInputIr* known = device_find(address))
      known->refreshFromRecord(n->info);
    else
      newCamera(address, n->info);
  }
  Ostrel_DiscoverCamerasFree(&nodes);

  // Neighbour swaps only, so equal addresses keep their order.
  for (qsizetype end = devices_.size(); end > 1; --end)
    for (qsizetype i = 0; i + 1 < end; ++i)
      if (addressTextGreater(devices_[i]->device_ip(), devices_[i + 1]->device_ip())) devices_.swapItemsAt(i, i + 1);

  emit deviceListChanged();
  releaseLater(gone);
}

bool CInputManager::file_checkJpg(const QString& path) const {
  return checkRadiometricFile(path);
}

CInputJpg* CInputManager::file_createJpg(const QString& path) {
  if (!file_checkJpg(path)) return nullptr;
  auto* input = new CInputJpg();
  input->setPath(path);
  input->resetData(false);
  ownedByProgram(input);
  files_.append(input);
  emit fileListChanged();
  link_addRecent(path);
  return input;
}

CInputStream* CInputManager::file_createStream(const QString& path) {
  if (!QFile::exists(path)) return nullptr;
  auto* input = new CInputStream();
  input->setPath(path);
  input->resetData(true);
  ownedByProgram(input);
  files_.append(input);
  emit fileListChanged();
  link_addRecent(path);
  return input;
}

CInputBase* CInputManager::file_find(const QString& given) const {
  const QString path = CInputFileBase::cleanPath(given);
  for (CInputBase* f : files_)
    if (f->inputNameAbs() == path) return f;
  return nullptr;
}

void CInputManager::file_delete(CInputBase* input) {
  if (input == nullptr || !files_.removeOne(input)) return;
  emit fileListChanged();
  input->deleteLater();
}

void CInputManager::file_deleteAll() {
  QList<CInputBase*> gone;
  gone.swap(files_);
  emit fileListChanged();
  releaseLater(gone);
}

QObject* CInputManager::input_findModule(const QString& name) const {
  for (CInputBase* f : files_)
    if (f->inputName() == name) return f->module();
  for (CInputIr* d : devices_)
    if (d->inputName() == name) return d->module();
  return nullptr;
}

CInputIr* CInputManager::device_find(const QString& address) const {
  for (CInputIr* d : devices_)
    if (d->device_ip() == address) return d;
  return nullptr;
}

QString CInputManager::createFnIn(const QString& saveDir, const QString& suffix) {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  const QString stamp = QString::asprintf("%04d%02d%02d_%02d%02d%02d", d.year(), d.month(), d.day(), t.hour(),
                                          t.minute(), t.second());
  return QStringLiteral("%1/%2%3").arg(saveDir, stamp, suffix);
}

QString CInputManager::createFn(const QString&, const QString& suffix) const {
  return createFnIn(config_ != nullptr ? config_->config()->saveDir() : QString(), suffix);
}

void CInputManager::link_addRecent(const QString& given) {
  const QString path = CInputFileBase::cleanPath(given);
  for (CFileLink* l : linkRecent_)
    if (l->fileNameAbs() == path) return;
  auto* link = new CFileLink(path);
  ownedByProgram(link);
  linkRecent_.append(link);
  emit linkRecentListChanged();
}

void CInputManager::link_refresh(const QString& folder) {
  const QFileInfoList entries =
      QDir(folder).entryInfoList({QStringLiteral("*.jpg"), QStringLiteral("*.stream")}, QDir::Files,
                                 QDir::Time | QDir::Reversed);
  QList<CFileLink*> gone;
  gone.swap(linkDir_);
  for (const QFileInfo& e : entries) {
    const QString abs = e.absoluteFilePath();
    // The listing matches names without case, so "Upper.JPG" is checked like any other picture.
    if (abs.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive) && !file_checkJpg(abs)) continue;
    auto* link = new CFileLink(e);
    ownedByProgram(link);
    linkDir_.append(link);
  }
  emit linkDirListChanged();
  releaseLater(gone);
}

void CInputManager::link_delete(CFileLink* link) {
  if (link == nullptr || !linkRecent_.removeOne(link)) return;
  emit linkRecentListChanged();
  link->deleteLater();
}

void CInputManager::link_deleteAll() {
  QList<CFileLink*> gone;
  gone.swap(linkRecent_);
  emit linkRecentListChanged();
  releaseLater(gone);
}

QQmlListProperty<CInputIr> CInputManager::deviceList() {
  return readOnlyList(this, &devices_);
}

QQmlListProperty<CInputBase> CInputManager::fileList() {
  return readOnlyList(this, &files_);
}

QQmlListProperty<CFileLink> CInputManager::linkDirList() {
  return readOnlyList(this, &linkDir_);
}

QQmlListProperty<CFileLink> CInputManager::linkRecentList() {
  return readOnlyList(this, &linkRecent_);
}
