#include "modules/CModuleTableInput.h"

#include "foundation/Logger.h"
#include "inputs/CInputBase.h"
#include "inputs/CInputManager.h"
#include "modules/ModuleDataText.h"

namespace {
int g_alive = 0;
}  // namespace

CModuleTableInput::CModuleTableInput(QObject* parent) : CModule(TypeTableInput, parent) {
  setModuleName(QStringLiteral("tableInput%1").arg(g_alive + 1));
  ++g_alive;
}

CModuleTableInput::~CModuleTableInput() {
  --g_alive;
  for (QObject* in : inputList_) disconnect(in, &QObject::destroyed, this, nullptr);
}

void CModuleTableInput::input_create(QObject* input) {
  if (input == nullptr) return;
  if (inputList_.contains(input)) {
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_INFO, "%s,%d,%s:\ninvalid input %p\n\n",
                      "TabFrameModule\\CModuleTableInput", __LINE__, "CModuleTableInput::input_create",
                      static_cast<void*>(input));
    return;
  }
  connect(input, &QObject::destroyed, this, &CModuleTableInput::onDestroyed);
  inputList_.append(input);
  emit inputListChanged();
}

void CModuleTableInput::input_delete(QObject* input) {
  if (input == nullptr) return;
  if (!inputList_.contains(input)) {
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_INFO, "%s,%d,%s:\ninvalid input %p\n\n",
                      "TabFrameModule\\CModuleTableInput", __LINE__, "CModuleTableInput::input_delete",
                      static_cast<void*>(input));
    return;
  }
  disconnect(input, &QObject::destroyed, this, nullptr);
  inputList_.removeAll(input);
  emit inputListChanged();
}

void CModuleTableInput::onDestroyed(QObject* input) {
  if (inputList_.removeAll(input) > 0) emit inputListChanged();
}

void CModuleTableInput::saveModuleData() {
  InputTableData record;
  for (QObject* o : inputList_)
    if (auto* in = qobject_cast<CInputBase*>(o)) record.infoList.append(in->inputName());
  QString text;
  encodeInputTableData(record, text);
  setModuleData(text);
}

void CModuleTableInput::loadModuleData() {
  const QString text = moduleData();
  if (text.isEmpty()) return;
  InputTableData record;
  decodeInputTableData(text, record);
  CInputManager* inputs = managers().inputs;
  if (inputs == nullptr) return;
  for (const QString& name : record.infoList) {
    auto* m = qobject_cast<CModule*>(inputs->input_findModule(name));
    if (m != nullptr && m->input() != nullptr) input_create(m->input());
  }
}
