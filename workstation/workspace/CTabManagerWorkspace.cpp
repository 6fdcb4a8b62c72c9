// The tab manager's type registration and its workspace-file operations.
#include <QFileInfo>
#include <QtQml>
#include <type_traits>

#include "foundation/Logger.h"
#include "inputs/CInputManager.h"
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
#include "workspace/CTabManager.h"
#include "workspace/WorkspaceFile.h"

namespace {

template <class T>
int registerType(const char* name) {
  if constexpr (std::is_default_constructible_v<T>)
    return qmlRegisterType<T>("Ostrel", 1, 0, name);
  else
    return qmlRegisterUncreatableType<T>("Ostrel", 1, 0, name, QStringLiteral("made by the workspace"));
}

template <class Visit>
void walkModules(const QList<CTab*>& tabs, Visit visit) {
  for (CTab* tab : tabs)
    for (int slot = 0; slot < CTab::kFrameCount; ++slot)
      if (CFrame* frame = tab->frame(slot))
        for (CModule* m : frame->modules()) visit(m);
}

}  // namespace

int CTabManager::init() {
  // The module classes of the other types register here as they join the program.
  registerType<CViewBackend>("CViewBackend");
  registerType<CTab>("CTab");
  registerType<CFrame>("CFrame");
  registerType<CModule>("CModule");
  registerType<CModuleInputIr>("CModuleInputIr");
  registerType<CModuleInputJpg>("CModuleInputJpg");
  registerType<CModuleInputStream>("CModuleInputStream");
  registerType<CModuleTableInput>("CModuleTableInput");
  registerType<CModuleTableMea>("CModuleTableMea");
  registerType<CModuleChartTime>("CModuleChartTime");
  registerType<CModuleChartSpace>("CModuleChartSpace");
  registerType<CPtzPreset>("CPtzPreset");
  registerType<CModulePtz>("CModulePtz");
  registerType<CModuleChartMesh>("CModuleChartMesh");
  registerType<CModuleTableRecorder>("CModuleTableRecorder");
  registerType<CTabManagerState>("CTabManagerState");
  const int rc = registerType<CTabManager>("CTabManager");
  registerInputQmlTypes();
  return rc < 0 ? rc : 0;
}

void CTabManager::setWorkspaceName(const QString& name) {
  if (name == workspaceName_) return;
  workspaceName_ = name;
  workspaceNameShort_ = name.isEmpty() ? QString() : QFileInfo(name).fileName();
  emit workspaceNameChanged();
  emit workspaceNameShortChanged();
}

int CTabManager::workspace_new() {
  if (!tabs_.isEmpty()) {
    OSTREL_LOG_AS("CTabManager::workspace_new", "call after workspace_newui");
    return -7;
  }
  if (CInputManager* inputs = managers_.inputs) inputs->file_deleteAll();
  setWorkspaceName(QString());
  return 0;
}

int CTabManager::workspace_load(const QString& path) {
  int fileSelected = 0;
  QList<CTab*> loaded;
  const int rc = workspaceRead(this, path, &fileSelected, &loaded);
  if (rc < 0) return rc;
  const int before = static_cast<int>(tabs_.size());
  tabs_.append(loaded);
  emit tabListChanged();
  setWorkspaceName(path);
  // The stored selection counts the file's own tabs, which now follow those already open.
  const int count = static_cast<int>(tabs_.size());
  const int selected = count == 0 ? -1 : qBound(0, before + fileSelected, count - 1);
  if (selected != before + fileSelected)
    OSTREL_LOG_AS("CTabManager::workspace_load", "tabSelected %d out of range: %d taken", fileSelected, selected);
  if (selected != tabSelected_) {
    tabSelected_ = selected;
    emit tabSelectedChanged();
  }
  return 0;
}

void CTabManager::workspace_loadBeforeView() {
  QList<CModule*> recorderTables;
  walkModules(tabs_, [&](CModule* m) {
    const int t = m->moduleType();
    if (t >= CModule::TypeInputIr && t <= CModule::TypeInputStream)
      m->loadModuleData();
    else if (t == CModule::TypeTableRecorder)
      recorderTables.append(m);
  });
  for (CModule* m : recorderTables) m->loadModuleData();
}

void CTabManager::workspace_loadAfterView() {
  QList<CModule*> later;
  walkModules(tabs_, [&](CModule* m) {
    const int t = m->moduleType();
    if (t > CModule::TypeInputStream && t != CModule::TypeTableRecorder) later.append(m);
  });
  for (CModule* m : later) m->loadModuleData();
}

int CTabManager::workspace_saveAnswered(const QString& path) {
  CModule::setStoringAnswered(true);
  const int rc = workspace_save(path);
  CModule::setStoringAnswered(false);
  return rc;
}

int CTabManager::workspace_save(const QString& path) {
  if (path.isEmpty()) {
    OSTREL_LOG_AS("CTabManager::workspace_save", "invalid workspace fn");
    return -8;
  }
  if (tabs_.isEmpty()) {
    OSTREL_LOG_AS("CTabManager::workspace_save", "empty workspace");
    return -7;
  }
  const int rc = workspaceWrite(tabSelected_, path, tabs_);
  return rc < 0 ? rc : 0;
}
