#include "modules/CModule.h"

CModule::CModule(int moduleType, QObject* parent) : CViewBackend(parent), moduleType_(moduleType) {}

namespace {
bool g_storingAnswered = false;
}  // namespace

bool CModule::storingAnswered() { return g_storingAnswered; }
void CModule::setStoringAnswered(bool on) { g_storingAnswered = on; }

CModule::~CModule() {
  detachBase();
}

int CModule::init(CInputBase* input, CFrame* frame) {
  if (attached_ != 0) return -7;
  // Two modules on one input would both register as its frame consumer and both open it.
  if (input != nullptr && input->module() != nullptr && input->module() != this) return -7;
  if (frame_ != frame) {
    frame_ = frame;
    emit frameChanged();
  }
  if (frame != nullptr) frame->addModule(this);
  if (input_ != input) {
    input_ = input;
    emit inputChanged();
  }
  if (input != nullptr && input->module() != this) input->setModule(this);
  attached_ = 1;
  return 0;
}

void CModule::detach() {
  detachBase();
}

void CModule::detachBase() {
  if (attached_ == 0) return;
  CInputBase* in = input_.data();
  if (in != nullptr && in->module() != nullptr) in->setModule(nullptr);
  if (input_ != nullptr) {
    input_ = nullptr;
    emit inputChanged();
  }
  if (CFrame* f = frame_.data()) f->removeModule(this);
  if (frame_ != nullptr) {
    frame_ = nullptr;
    emit frameChanged();
  }
  attached_ = 0;
}

int CModule::moveTo(CFrame* frame) {
  if (attached_ == 0) return -7;
  if (frame == frame_.data()) return 0;
  if (CFrame* old = frame_.data()) old->removeModule(this);
  frame_ = frame;
  if (frame != nullptr) frame->addModule(this);
  emit frameChanged();
  return 0;
}

void CModule::applyMeaResultData(QObject*, const MeaResultData*) {}

void CModule::applyMeaResultFailed(QObject*, int) {}

void CModule::setModuleData(const QString& text) {
  if (moduleData_ == text) return;
  moduleData_ = text;
  emit moduleDataChanged();
}

void CModule::setInput_saveConfirmed(bool confirmed) {
  if (input_saveConfirmed_ == confirmed) return;
  input_saveConfirmed_ = confirmed;
  emit input_saveConfirmedChanged();
}
