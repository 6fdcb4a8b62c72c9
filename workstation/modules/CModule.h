// The base of every workspace module: listed in one frame, optionally bound to one input, with a
// type number, a name and a settings text. GUI thread only.
#pragma once

#include <QPointer>
#include <QString>

#include "inputs/CInputBase.h"
#include "modules/ModuleManagers.h"
#include "modules/CTabFrame.h"
#include "modules/CViewBackend.h"

struct MeaResultData;

class CModule : public CViewBackend {
  Q_OBJECT
  Q_PROPERTY(int moduleType READ moduleType CONSTANT)
  Q_PROPERTY(QString moduleName READ moduleName CONSTANT)
  Q_PROPERTY(QString moduleData READ moduleData WRITE setModuleData NOTIFY moduleDataChanged)
  Q_PROPERTY(CInputBase* input READ input NOTIFY inputChanged)
  Q_PROPERTY(CFrame* frame READ frame NOTIFY frameChanged)
  Q_PROPERTY(bool input_saveRequired READ input_saveRequired)
  Q_PROPERTY(bool input_saveConfirmed READ input_saveConfirmed WRITE setInput_saveConfirmed NOTIFY
                 input_saveConfirmedChanged)

 public:
  // Type numbers shared by the factory, the drag state, the workspace file and the modules.
  enum Type {
    TypeInputIr = 1,
    TypeInputJpg = 2,
    TypeInputStream = 3,
    TypeChartTime = 4,
    TypeChartSpace = 5,
    TypeTableInput = 6,
    TypeTableMea = 7,
    TypeTableRecorder = 8,
    TypePtz = 9,
    TypeChartMesh = 10,
  };

  explicit CModule(int moduleType, QObject* parent = nullptr);
  // A module still attached leaves its frame and releases its input.
  ~CModule() override;

  // Attaches once: lists the module in `frame` and binds `input`. -7 when already attached, or
  // when the input is already bound to another module (an input feeds one module only).
  Q_INVOKABLE virtual int init(CInputBase* input, CFrame* frame);
  // Releases the input and leaves the frame; nothing when detached.
  Q_INVOKABLE virtual void detach();
  // 0, or -7 when detached. Moving to the current frame changes nothing.
  Q_INVOKABLE virtual int moveTo(CFrame* frame);
  // Refreshes moduleData from the module's settings; the base keeps it.
  Q_INVOKABLE virtual void saveModuleData() {}
  // Applies the current moduleData; the base has nothing to apply.
  Q_INVOKABLE virtual void loadModuleData() {}
  // Whether the input's edited view configuration differs from what is stored.
  virtual bool input_saveRequired() { return false; }
  // Where the item at `canvasIndex` of this module's canvas will be found when the workspace is
  // opened again: while a workspace is stored after the save prompt was answered, an input
  // whose edits are dropped keeps only its stored items (their stored index, or -1); otherwise
  // the index itself.
  virtual int input_storedItemIndex(int canvasIndex) { return canvasIndex; }
  // Set while the workspace is stored after the save prompt was answered (GUI thread).
  static bool storingAnswered();
  static void setStoringAnswered(bool on);
  Q_INVOKABLE virtual void saveInput() {}
  // A whole-file measurement of `streamModule` is ready; the time chart takes it. The data stays
  // the caller's.
  virtual void applyMeaResultData(QObject* streamModule, const MeaResultData* data);
  // A whole-file measurement of `streamModule` failed with `code`; a time chart waiting for it
  // stops waiting.
  virtual void applyMeaResultFailed(QObject* streamModule, int code);

  // The managers this module works with; set by its creator before init.
  virtual void setManagers(const ModuleManagers& managers) { managers_ = managers; }
  const ModuleManagers& managers() const { return managers_; }

  bool isAttached() const { return attached_ != 0; }
  int moduleType() const { return moduleType_; }
  QString moduleName() const { return moduleName_; }
  QString moduleData() const { return moduleData_; }
  void setModuleData(const QString& text);
  CInputBase* input() const { return input_.data(); }
  CFrame* frame() const { return frame_.data(); }
  bool input_saveConfirmed() const { return input_saveConfirmed_; }
  void setInput_saveConfirmed(bool confirmed);

 signals:
  void moduleDataChanged();
  void inputChanged();
  void frameChanged();
  void input_saveConfirmedChanged();

 protected:
  // The base detach, also run by the destructor (no virtual dispatch there).
  void detachBase();
  void setModuleName(const QString& name) { moduleName_ = name; }

 private:
  int attached_ = 0;
  const int moduleType_;
  QString moduleName_;
  QString moduleData_;
  QPointer<CInputBase> input_;
  QPointer<CFrame> frame_;
  bool input_saveConfirmed_ = false;
  ModuleManagers managers_;
};
