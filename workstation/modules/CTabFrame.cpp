#include "modules/CTabFrame.h"

#include "modules/CModule.h"

namespace {

template <class T, class Owner>
QQmlListProperty<T> readOnlyList(Owner* owner, qsizetype (*count)(QQmlListProperty<T>*),
                                 T* (*at)(QQmlListProperty<T>*, qsizetype)) {
  return QQmlListProperty<T>(owner, nullptr, count, at);
}

}  // namespace

CFrame::CFrame(CTab* tab) : CViewBackend(nullptr), tab_(tab) {}

CFrame::~CFrame() {
  detachAll();
}

QQmlListProperty<CModule> CFrame::moduleListProperty() {
  return readOnlyList<CModule>(
      this, [](QQmlListProperty<CModule>* p) { return static_cast<CFrame*>(p->object)->modules_.size(); },
      [](QQmlListProperty<CModule>* p, qsizetype i) { return static_cast<CFrame*>(p->object)->modules_.value(i); });
}

void CFrame::setModuleSelected(int index) {
  if (moduleSelected_ == index) return;
  moduleSelected_ = index;
  emit moduleSelectedChanged();
}

void CFrame::addModule(CModule* module) {
  if (module == nullptr || modules_.contains(module)) return;
  modules_.append(module);
  setModuleSelected(static_cast<int>(modules_.size() - 1));
  emit moduleListChanged();
}

void CFrame::removeModule(CModule* module) {
  const qsizetype index = modules_.indexOf(module);
  if (index < 0) return;
  const bool wasLast = index == modules_.size() - 1;
  modules_.removeAt(index);
  setModuleSelected(static_cast<int>(wasLast ? index - 1 : index));
  emit moduleListChanged();
}

void CFrame::detachAll() {
  // Each detach removes its module from the list; a module that would not leave is dropped from
  // the list here so the loop always ends.
  while (!modules_.isEmpty()) {
    CModule* m = modules_.first();
    m->detach();
    if (!modules_.isEmpty() && modules_.first() == m) removeModule(m);
  }
}

CTab::CTab(QObject* parent) : CViewBackend(parent) {
  for (int i = 0; i < kFrameCount; ++i) {
    frames_[i] = new CFrame(this);
    frames_[i]->setViewIndex(i);
  }
}

CTab::~CTab() {
  for (CFrame*& f : frames_) {
    delete f;
    f = nullptr;
  }
}

void CTab::setLayoutType(int type) {
  if (layoutType_ == type) return;
  layoutType_ = type;
  emit layoutTypeChanged();
}

QQmlListProperty<CFrame> CTab::frameListProperty() {
  return readOnlyList<CFrame>(
      this, [](QQmlListProperty<CFrame>*) { return static_cast<qsizetype>(kFrameCount); },
      [](QQmlListProperty<CFrame>* p, qsizetype i) { return static_cast<CTab*>(p->object)->frame(static_cast<int>(i)); });
}

void CTab::detachAll() {
  for (CFrame* f : frames_)
    if (f != nullptr) f->detachAll();
}
