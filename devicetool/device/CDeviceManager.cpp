#include "CDeviceManager.h"

#include <QThreadPool>
#include <QtQml/qqml.h>

#include "CPtzPreset.h"
#include "QmlListAccess.h"
#include "TempDataState.h"

CDeviceManager::CDeviceManager(QObject* parent) : QObject(parent) {
  connect(this, &CDeviceManager::qtc_workEnd, this, &CDeviceManager::qtc_onWorkEnd);
}

CDeviceManager::~CDeviceManager() {
  waitDiscovery();
  Ostrel_DiscoverCamerasFree(&found_);
  device_.stopWork();
  custEditor_.free();
  weijuEditor_.free();
  fixdistEditor_.free();
  util_.free();
  xcaliEditor_.free();
  configer_.stopWork();
  qDeleteAll(nodes_);
  nodes_.clear();
}

int CDeviceManager::init() {
  qmlRegisterType<CDeviceNode>("Ostrel", 1, 0, "CDeviceNode");
  qmlRegisterType<CDeviceConfiger>("Ostrel", 1, 0, "CDeviceConfiger");
  qmlRegisterType<CCustPoint>("Ostrel", 1, 0, "CCustPoint");
  qmlRegisterType<CCustFile>("Ostrel", 1, 0, "CCustFile");
  qmlRegisterType<CCustEditor>("Ostrel", 1, 0, "CCustEditor");
  qmlRegisterType<CComPoint>("Ostrel", 1, 0, "CComPoint");
  qmlRegisterType<CComEditor>("Ostrel", 1, 0, "CComEditor");
  qmlRegisterType<CWeiJuItem>("Ostrel", 1, 0, "CWeiJuItem");
  qmlRegisterType<CWeiJuFile>("Ostrel", 1, 0, "CWeiJuFile");
  qmlRegisterType<CWeiJuEditor>("Ostrel", 1, 0, "CWeiJuEditor");
  qmlRegisterType<CFixDistItem>("Ostrel", 1, 0, "CFixDistItem");
  qmlRegisterType<CFixDistFile>("Ostrel", 1, 0, "CFixDistFile");
  qmlRegisterType<CFixDistEditor>("Ostrel", 1, 0, "CFixDistEditor");
  qmlRegisterType<CDeviceManager>("Ostrel", 1, 0, "CDeviceManager");
  qmlRegisterType<CPtzPreset>("Ostrel", 1, 0, "CPtzPreset");
  qmlRegisterType<CDevice>("Ostrel", 1, 0, "CDevice");
  qmlRegisterType<CDeviceUtilV7R2K>("Ostrel", 1, 0, "CDeviceUtilV7R2K");
  qmlRegisterType<TempDataState>("Ostrel", 1, 0, "TempDataState");
  qmlRegisterType<CCameraBasicInfo>("Ostrel", 1, 0, "CCameraBasicInfo");
  CDeviceConfiger::registerSettingsTypes();
  CXCali::registerTypes();
  device_.initChartAndPresets();
  return 0;
}

QQmlListProperty<CDeviceNode> CDeviceManager::nodeList() {
  return readOnlyList(this, &nodes_);
}

void CDeviceManager::waitDiscovery() {
  std::unique_lock lock(mutex_);
  done_.wait(lock, [this] { return !workerBusy_; });
}

void CDeviceManager::node_refresh() {
  if (busy_ != 0) return;
  busy_ = 1;
  emit isBusyChanged();
  {
    std::lock_guard lock(mutex_);
    workerBusy_ = true;
  }
  QThreadPool::globalInstance()->start([this] {
    DiscoverNode* list = Ostrel_DiscoverCameras(7);
    {
      std::lock_guard lock(mutex_);
      found_ = list;
    }
    emit qtc_workEnd(1);
    std::lock_guard lock(mutex_);
    workerBusy_ = false;
    done_.notify_all();
  });
}

void CDeviceManager::qtc_onWorkEnd(int) {
  if (busy_ == 1) {
    waitDiscovery();
    qDeleteAll(nodes_);
    nodes_.clear();
    for (DiscoverNode* n = found_; n != nullptr; n = n->next) {
      auto* node = new CDeviceNode();
      node->fromDiscovery(*n);
      nodes_.append(node);
    }
    std::stable_sort(nodes_.begin(), nodes_.end(),
                     [](const CDeviceNode* a, const CDeviceNode* b) { return a->deviceId() < b->deviceId(); });
    Ostrel_DiscoverCamerasFree(&found_);
    emit nodeListChanged();
  }
  if (busy_ != 0) {
    busy_ = 0;
    emit isBusyChanged();
  }
}

void CDeviceManager::node_create(const QString& ip) {
  if (busy_ != 0) return;
  for (const CDeviceNode* n : nodes_)
    if (n->deviceIp() == ip) return;
  auto* node = new CDeviceNode();
  node->setDeviceIpQuiet(ip);
  nodes_.append(node);
  emit nodeListChanged();
}
