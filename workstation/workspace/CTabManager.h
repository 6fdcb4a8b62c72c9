// The workspace: the tab list and its selection, the placement gesture's state, the module
// factory and module deletion and moving. GUI thread only.
#pragma once

#include <QList>
#include <QPointer>
#include <QQmlListProperty>

#include "modules/CModule.h"
#include "modules/CTabFrame.h"
#include "workspace/CTabManagerState.h"
#include "modules/CViewBackend.h"

struct MeaResultData;

class CTabManager : public CViewBackend {
  Q_OBJECT
  Q_PROPERTY(QQmlListProperty<CTab> tabList READ tabListProperty NOTIFY tabListChanged)
  Q_PROPERTY(int tabSelected READ tabSelected NOTIFY tabSelectedChanged)
  Q_PROPERTY(CFrame* frameSelected READ frameSelected WRITE setFrameSelected NOTIFY frameSelectedChanged)
  Q_PROPERTY(CTabManagerState* state READ state CONSTANT)
  Q_PROPERTY(QString workspaceName READ workspaceName NOTIFY workspaceNameChanged)
  Q_PROPERTY(QString workspaceNameShort READ workspaceNameShort NOTIFY workspaceNameShortChanged)
  Q_PROPERTY(QQmlListProperty<CModule> save_moduleList READ saveModuleListProperty)

 public:
  explicit CTabManager(QObject* parent = nullptr);
  // Deletes every tab still listed; their frames detach the modules left in them.
  ~CTabManager() override;

  const QList<CTab*>& tabs() const { return tabs_; }
  QQmlListProperty<CTab> tabListProperty();
  int tabSelected() const { return tabSelected_; }
  CFrame* frameSelected() const { return frameSelected_.data(); }
  void setFrameSelected(CFrame* frame);
  CTabManagerState* state() { return &state_; }
  QString workspaceName() const { return workspaceName_; }
  QString workspaceNameShort() const { return workspaceNameShort_; }
  const QList<CModule*>& saveModuleList() const { return saveModuleList_; }
  QQmlListProperty<CModule> saveModuleListProperty();

  // A new tab named after the new tab count ("1", "2", ...), appended and selected.
  Q_INVOKABLE CTab* tab_create();
  // Takes the tab out, detaches its modules and deletes it later; out-of-range is ignored.
  Q_INVOKABLE void tab_delete(int index);
  Q_INVOKABLE void tab_select(int index);
  void detachAll();

  // The placement gesture. Each begin is ignored while a move runs or for a null object.
  Q_INVOKABLE void beginMoveModule(QObject* module);
  Q_INVOKABLE void beginMoveDevice(CInputBase* input);
  Q_INVOKABLE void beginMoveFile(int type, const QString& fileName);
  Q_INVOKABLE void beginMoveMea(QObject* mea, int statsType, int dimType);
  Q_INVOKABLE void beginMoveTableInput(CInputBase* input);
  Q_INVOKABLE void beginMoveTableMea(QObject* mea);
  Q_INVOKABLE void beginMoveTableRecorder(QObject* module);
  Q_INVOKABLE void beginMovePtz(QObject* module);
  Q_INVOKABLE void beginMoveChartMesh(QObject* module);
  // Resets every field of the state; creates and moves nothing.
  Q_INVOKABLE void endMove(int = 0, QObject* = nullptr);

  // The module of `type` attached to `input` and `frame`, or null when the input does not suit
  // the type, the type has no class here, or the module refused the input.
  Q_INVOKABLE CModule* module_create(int type, CInputBase* input, CFrame* frame);
  Q_INVOKABLE void module_delete(CModule* module);
  Q_INVOKABLE int module_move(CModule* module, CFrame* frame);
  // Collects the modules whose inputs have unsaved view changes (of one tab, or all for null),
  // marking each as confirmed; returns how many.
  Q_INVOKABLE int save_getModuleList(CTab* tab);

  // The managers every module made here is handed; the application object sets them once.
  void setManagers(const ModuleManagers& managers) { managers_ = managers; }
  const ModuleManagers& managers() const { return managers_; }

  // Registers the workspace and input types in "Ostrel" 1.0; the last registration's result.
  int init();

  // The workspace file. New: -7 while tabs exist, else forgets the file inputs and the name.
  Q_INVOKABLE int workspace_new();
  // Appends the file's tabs and selects its tab; 0, -200 unreadable, -194 not a workspace.
  Q_INVOKABLE int workspace_load(const QString& path);
  // Settings of the input and recorder-table modules, before their views exist.
  Q_INVOKABLE void workspace_loadBeforeView();
  // Settings of every other module, once the views exist.
  Q_INVOKABLE void workspace_loadAfterView();
  // 0; -8 empty path, -7 no tabs, -200 not opened, -197 not completely written (the old file
  // stays as it was).
  Q_INVOKABLE int workspace_save(const QString& path);
  // As workspace_save, once the save prompt was answered: the inputs' confirmations are final,
  // so tables and charts name only the items of a dropped input's stored settings.
  Q_INVOKABLE int workspace_saveAnswered(const QString& path);
  void setWorkspaceName(const QString& name);

 public slots:
  // Hands a stream's whole-file measurement to the time charts tracking that stream, then frees
  // the block (allocated with malloc by the stream input) in every case.
  void onMeaResultDataCreated(QObject* streamModule, MeaResultData* data);
  // Tells the time charts tracking the stream that its whole-file measurement failed.
  void onMeaResultDataFailed(QObject* streamModule, int code);

 signals:
  void tabListChanged();
  void tabSelectedChanged();
  void frameSelectedChanged();
  void workspaceNameChanged();
  void workspaceNameShortChanged();

 private:
  // Focus to the manager's item, then `fill`, then moving := true; false when refused.
  template <class Fill>
  void beginMove(const QObject* picked, Fill fill);
  template <class Visit>
  void forEachModule(CTab* onlyTab, Visit visit) const;

  QList<CTab*> tabs_;
  int tabSelected_ = -1;
  QPointer<CFrame> frameSelected_;
  CTabManagerState state_;
  QString workspaceName_, workspaceNameShort_;
  int workspaceTabSelected_ = 0;
  QList<CModule*> saveModuleList_;
  ModuleManagers managers_;
};
