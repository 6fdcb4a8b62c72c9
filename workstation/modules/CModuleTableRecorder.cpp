#include "modules/CModuleTableRecorder.h"

#include "inputs/CInputManager.h"
#include "modules/CModuleInputIr.h"

CModuleTableRecorder::CModuleTableRecorder(QObject* parent) : CModule(TypeTableRecorder, parent) {}

CModuleTableRecorder::~CModuleTableRecorder() {
  if (isAttached()) detach();
  ir_delete();
}

void CModuleTableRecorder::ir_create(QObject* object) {
  auto* ir = qobject_cast<CModuleInputIr*>(object);
  if (ir == nullptr || !ir_.isNull() || ir->subModuleRecorder() != nullptr) return;
  watch_ = connect(ir, &QObject::destroyed, this, [this] {
    // The camera is going: only the link is dropped; the table stays in its frame.
    disconnect(watch_);
    ir_ = nullptr;
  });
  ir_ = ir;
  ir->setSubModuleRecorder(this);
  emit irChanged();
  const QString name = QStringLiteral("tableRecorder-%1").arg(ir->input() != nullptr ? ir->input()->inputName() : QString());
  if (name != moduleName()) setModuleName(name);
}

void CModuleTableRecorder::ir_delete(QObject*) {
  if (ir_.isNull()) return;
  disconnect(watch_);
  if (ir_->subModuleRecorder() == this) ir_->setSubModuleRecorder(nullptr);
  ir_ = nullptr;
}

void CModuleTableRecorder::detach() {
  if (!isAttached()) return;
  CModule::detach();
  ir_delete();
}

void CModuleTableRecorder::saveModuleData() {
  CInputBase* in = ir_.isNull() ? nullptr : ir_->input();
  setModuleData(in != nullptr ? in->inputNameAbs() : QString());
}

void CModuleTableRecorder::loadModuleData() {
  CInputManager* inputs = managers().inputs;
  if (inputs == nullptr || moduleData().isEmpty() || !ir_.isNull()) return;
  auto* m = qobject_cast<CModule*>(inputs->input_findModule(moduleData()));
  if (m == nullptr || m->moduleType() != TypeInputIr) return;
  ir_create(m);
}
