// The root of the device tool's device side: the configurer and the live device, held by value,
// and the list of cameras found by discovery (sorted by camera id) or typed in by the user.
#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <condition_variable>
#include <mutex>

#include "CComEditor.h"
#include "CCustEditor.h"
#include "CDevice.h"
#include "CDeviceConfiger.h"
#include "CDeviceNode.h"
#include "CDeviceUtilV7R2K.h"
#include "CFixDistEditor.h"
#include "CWeiJuEditor.h"
#include "CXCaliEditor.h"
#include "OstrelSDK.h"

class CDeviceManager : public QObject {
  Q_OBJECT
  Q_PROPERTY(QQmlListProperty<CDeviceNode> nodeList READ nodeList NOTIFY nodeListChanged)
  Q_PROPERTY(CDeviceConfiger* deviceConfiger READ deviceConfiger CONSTANT)
  Q_PROPERTY(CCustEditor* custEditor READ custEditor CONSTANT)
  Q_PROPERTY(CWeiJuEditor* weijuEditor READ weijuEditor CONSTANT)
  Q_PROPERTY(CFixDistEditor* fixdistEditor READ fixdistEditor CONSTANT)
  Q_PROPERTY(CComEditor* comEditor READ comEditor CONSTANT)
  Q_PROPERTY(CDevice* device READ device CONSTANT)
  Q_PROPERTY(CDeviceUtilV7R2K* utilV7R2K READ utilV7R2K CONSTANT)
  Q_PROPERTY(CXCaliEditor* xcaliEditor READ xcaliEditor CONSTANT)
  // A discovery runs (it takes the seconds the cameras are given to answer).
  Q_PROPERTY(bool isBusy READ isBusy NOTIFY isBusyChanged)

 public:
  explicit CDeviceManager(QObject* parent = nullptr);
  // Waits for a discovery in flight, stops the live device, logs the configurer out.
  ~CDeviceManager() override;

  // Registers the device-side types in "Ostrel" 1.0 and makes the live device's presets. 0.
  int init();

  QQmlListProperty<CDeviceNode> nodeList();
  const QList<CDeviceNode*>& nodes() const { return nodes_; }
  CDeviceConfiger* deviceConfiger() { return &configer_; }
  CDevice* device() { return &device_; }
  CCustEditor* custEditor() { return &custEditor_; }
  CWeiJuEditor* weijuEditor() { return &weijuEditor_; }
  CFixDistEditor* fixdistEditor() { return &fixdistEditor_; }
  CComEditor* comEditor() { return &comEditor_; }
  CDeviceUtilV7R2K* utilV7R2K() { return &util_; }
  CXCaliEditor* xcaliEditor() { return &xcaliEditor_; }
  bool isBusy() const { return busy_ != 0; }

  // Starts a discovery on the thread pool unless one runs.
  Q_INVOKABLE void node_refresh();
  // Appends a node for a typed address unless a discovery runs or the address is listed.
  Q_INVOKABLE void node_create(const QString& ip);

 signals:
  void qtc_workEnd(int flags);
  void nodeListChanged();
  void isBusyChanged();

 public slots:
  void qtc_onWorkEnd(int flags);

 private:
  void waitDiscovery();

  QList<CDeviceNode*> nodes_;
  CDeviceConfiger configer_;
  CCustEditor custEditor_;
  CWeiJuEditor weijuEditor_;
  CFixDistEditor fixdistEditor_;
  CComEditor comEditor_;
  CDevice device_;
  CDeviceUtilV7R2K util_;
  CXCaliEditor xcaliEditor_;
  int busy_ = 0;                      // GUI thread
  DiscoverNode* found_ = nullptr;     // written by the worker before qtc_workEnd
  std::mutex mutex_;
  std::condition_variable done_;
  bool workerBusy_ = false;  // guarded by mutex_
};
