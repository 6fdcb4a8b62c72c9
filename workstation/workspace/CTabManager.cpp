#include "workspace/CTabManager.h"

#include <QQmlEngine>
#include <cstdlib>

#include "modules/CModuleInputIr.h"
#include "modules/CModuleInputJpg.h"
#include "modules/CModuleInputStream.h"
#include "modules/CModuleTableInput.h"
#include "modules/CModuleTableMea.h"
#include "charts/CModuleChartMesh.h"
#include "charts/CModuleChartSpace.h"
#include "charts/CModuleChartTime.h"
#include "modules/CModulePtz.h"
#include "modules/CModuleTableRecorder.h"

CTabManager::CTabManager(QObject* parent) : CViewBackend(parent), state_(this) {}

CTabManager::~CTabManager() {
  const QList<CTab*> tabs = tabs_;
  tabs_.clear();
  for (CTab* t : tabs) delete t;
}

QQmlListProperty<CTab> CTabManager::tabListProperty() {
  return QQmlListProperty<CTab>(
      this, nullptr, [](QQmlListProperty<CTab>* p) { return static_cast<CTabManager*>(p->object)->tabs_.size(); },
      [](QQmlListProperty<CTab>* p, qsizetype i) { return static_cast<CTabManager*>(p->object)->tabs_.value(i); });
}

QQmlListProperty<CModule> CTabManager::saveModuleListProperty() {
  return QQmlListProperty<CModule>(
      this, nullptr,
      [](QQmlListProperty<CModule>* p) { return static_cast<CTabManager*>(p->object)->saveModuleList_.size(); },
      [](QQmlListProperty<CModule>* p, qsizetype i) {
        return static_cast<CTabManager*>(p->object)->saveModuleList_.value(i);
      });
}

void CTabManager::setFrameSelected(CFrame* frame) {
  if (frameSelected_.data() == frame) return;
  frameSelected_ = frame;
  emit frameSelectedChanged();
}

CTab* CTabManager::tab_create() {
  const qsizetype n = tabs_.size();
  auto* tab = new CTab(nullptr);
  tab->setViewName(QString::asprintf("%d", static_cast<int>(n + 1)));
  QQmlEngine::setObjectOwnership(tab, QQmlEngine::CppOwnership);
  tabs_.append(tab);
  if (tabSelected_ != n) {
    tabSelected_ = static_cast<int>(n);
    emit tabSelectedChanged();
  }
  emit tabListChanged();
  return tab;
}

void CTabManager::tab_delete(int index) {
  if (index < 0 || index >= tabs_.size()) return;
  const qsizetype oldCount = tabs_.size();
  CTab* tab = tabs_.takeAt(index);
  emit tabListChanged();
  tab->detachAll();
  tab->deleteLater();
  tabSelected_ = index == oldCount - 1 ? static_cast<int>(oldCount - 2) : index;
  emit tabSelectedChanged();
}

void CTabManager::tab_select(int index) {
  if (index < 0 || index >= tabs_.size() || index == tabSelected_) return;
  tabSelected_ = index;
  emit tabSelectedChanged();
}

void CTabManager::detachAll() {
  for (CTab* t : tabs_) t->detachAll();
}

template <class Fill>
void CTabManager::beginMove(const QObject* picked, Fill fill) {
  if (state_.moving() || picked == nullptr) return;
  if (QQuickItem* item = view()) item->setFocus(true);
  fill();
  state_.setMoving(true);
}

void CTabManager::beginMoveModule(QObject* module) {
  beginMove(module, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(0);
    state_.setModule(module);
  });
}

void CTabManager::beginMoveDevice(CInputBase* input) {
  if (input == nullptr || input->inputType() != 1) return;
  beginMove(input, [&] {
    state_.setInputType(1);
    state_.setModuleTypeForEndMove(CModule::TypeInputIr);
    state_.setInput(input);
  });
}

void CTabManager::beginMoveFile(int type, const QString& fileName) {
  if (type != 2 && type != 3) return;
  // The file name is the picked object here; only a move in progress refuses it.
  beginMove(this, [&] {
    state_.setInputType(type);
    state_.setModuleTypeForEndMove(type);
    state_.setFileName(fileName);
  });
}

void CTabManager::beginMoveMea(QObject* mea, int statsType, int dimType) {
  beginMove(mea, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(dimType == 2 ? CModule::TypeChartTime : CModule::TypeChartSpace);
    state_.setMea(mea);
    state_.setMeaStatsType(statsType);
    state_.setMeaDimType(dimType);
  });
}

void CTabManager::beginMoveTableInput(CInputBase* input) {
  beginMove(input, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(CModule::TypeTableInput);
    state_.setInput(input);
  });
}

void CTabManager::beginMoveTableMea(QObject* mea) {
  beginMove(mea, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(CModule::TypeTableMea);
    state_.setMea(mea);
  });
}

void CTabManager::beginMoveTableRecorder(QObject* module) {
  beginMove(module, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(CModule::TypeTableRecorder);
    state_.setModule(module);
  });
}

void CTabManager::beginMovePtz(QObject* module) {
  beginMove(module, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(CModule::TypePtz);
    state_.setModule(module);
  });
}

void CTabManager::beginMoveChartMesh(QObject* module) {
  // Only a picture module takes a mesh chart, and only one.
  auto* m = qobject_cast<CModule*>(module);
  if (m == nullptr || m->moduleType() != CModule::TypeInputJpg) return;
  if (m->property("subModuleChartMesh").value<QObject*>() != nullptr) return;
  beginMove(module, [&] {
    state_.setInputType(0);
    state_.setModuleTypeForEndMove(CModule::TypeChartMesh);
    state_.setModule(module);
  });
}

void CTabManager::endMove(int, QObject*) {
  if (!state_.moving()) return;
  state_.setMoving(false);
  state_.setInputType(0);
  state_.setModuleTypeForEndMove(0);
  state_.setFileName(QString());
  state_.setModule(nullptr);
  state_.setInput(nullptr);
  state_.setMea(nullptr);
  state_.setMeaStatsType(1);
  state_.setMeaDimType(0);
}

CModule* CTabManager::module_create(int type, CInputBase* input, CFrame* frame) {
  if (type < 1 || type > 10) return nullptr;
  if (type <= 3 && (input == nullptr || input->inputType() != type)) return nullptr;
  // The charts, tables, pan-tilt and mesh modules are made without an input and bind to their
  // objects afterwards; an input handed to them would be silently dropped.
  if (type > 3 && input != nullptr) return nullptr;
  CModule* m = nullptr;
  switch (type) {
    case CModule::TypeInputIr:
      m = new CModuleInputIr();
      break;
    case CModule::TypeInputJpg:
      m = new CModuleInputJpg();
      break;
    case CModule::TypeInputStream: {
      auto* s = new CModuleInputStream();
      connect(s, &CModuleInputStream::meaResultDataCreated, this, &CTabManager::onMeaResultDataCreated);
      connect(s, &CModuleInputStream::meaResultDataFailed, this, &CTabManager::onMeaResultDataFailed);
      m = s;
      break;
    }
    case CModule::TypeTableInput:
      m = new CModuleTableInput();
      break;
    case CModule::TypeTableMea:
      m = new CModuleTableMea();
      break;
    case CModule::TypeChartTime:
      m = new CModuleChartTime();
      break;
    case CModule::TypeChartSpace:
      m = new CModuleChartSpace();
      break;
    case CModule::TypePtz:
      m = new CModulePtz();
      break;
    case CModule::TypeChartMesh:
      m = new CModuleChartMesh();
      break;
    case CModule::TypeTableRecorder:
      m = new CModuleTableRecorder();
      break;
    default:
      break;
  }
  if (m == nullptr) return nullptr;
  m->setManagers(managers_);
  // A module that refused its input would sit unlisted and unowned: it is not handed out.
  if (m->init(input, frame) < 0) {
    delete m;
    return nullptr;
  }
  QQmlEngine::setObjectOwnership(m, QQmlEngine::CppOwnership);
  return m;
}

void CTabManager::module_delete(CModule* module) {
  if (module == nullptr) return;
  module->detach();
  module->deleteLater();
}

int CTabManager::module_move(CModule* module, CFrame* frame) {
  if (module == nullptr) return -7;
  return module->moveTo(frame);
}

template <class Visit>
void CTabManager::forEachModule(CTab* onlyTab, Visit visit) const {
  auto visitTab = [&](CTab* t) {
    for (int i = 0; i < CTab::kFrameCount; ++i) {
      // A copy: a visit may change the list.
      const QList<CModule*> modules = t->frame(i)->modules();
      for (CModule* m : modules) visit(m);
    }
  };
  if (onlyTab != nullptr) {
    visitTab(onlyTab);
    return;
  }
  for (CTab* t : tabs_) visitTab(t);
}

int CTabManager::save_getModuleList(CTab* tab) {
  saveModuleList_.clear();
  forEachModule(tab, [&](CModule* m) {
    if (!m->input_saveRequired()) return;
    m->setInput_saveConfirmed(true);
    saveModuleList_.append(m);
  });
  return static_cast<int>(saveModuleList_.size());
}

void CTabManager::onMeaResultDataCreated(QObject* streamModule, MeaResultData* data) {
  if (data == nullptr) return;
  forEachModule(nullptr, [&](CModule* m) {
    if (m->moduleType() == CModule::TypeChartTime) m->applyMeaResultData(streamModule, data);
  });
  std::free(data);
}

void CTabManager::onMeaResultDataFailed(QObject* streamModule, int code) {
  forEachModule(nullptr, [&](CModule* m) {
    if (m->moduleType() == CModule::TypeChartTime) m->applyMeaResultFailed(streamModule, code);
  });
}
