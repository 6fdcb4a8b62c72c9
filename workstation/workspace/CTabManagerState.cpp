#include "workspace/CTabManagerState.h"

CTabManagerState::CTabManagerState(QObject* parent) : QObject(parent) {}


void CTabManagerState::setMoving(bool v) {
  if (moving_ == v) return;
  moving_ = v;
  emit movingChanged();
}

void CTabManagerState::setInputType(int v) {
  if (inputType_ == v) return;
  inputType_ = v;
  emit inputTypeChanged();
}

void CTabManagerState::setModuleTypeForEndMove(int v) {
  if (moduleTypeForEndMove_ == v) return;
  moduleTypeForEndMove_ = v;
  emit moduleTypeForEndMoveChanged();
}

void CTabManagerState::setModule(QObject* v) {
  if (module_.data() == v) return;
  module_ = v;
  emit moduleChanged();
}

void CTabManagerState::setFileName(const QString& v) {
  if (fileName_ == v) return;
  fileName_ = v;
  emit fileNameChanged();
}

void CTabManagerState::setInput(CInputBase* v) {
  if (input_.data() == v) return;
  input_ = v;
  emit inputChanged();
}

void CTabManagerState::setMea(QObject* v) {
  if (mea_.data() == v) return;
  mea_ = v;
  emit meaChanged();
}

void CTabManagerState::setMeaStatsType(int v) {
  if (meaStatsType_ == v) return;
  meaStatsType_ = v;
  emit meaStatsTypeChanged();
}

void CTabManagerState::setMeaDimType(int v) {
  if (meaDimType_ == v) return;
  meaDimType_ = v;
  emit meaDimTypeChanged();
}
