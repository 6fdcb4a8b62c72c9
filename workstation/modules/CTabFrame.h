// A tab of the workspace and its four frames. A tab owns its frames; a frame lists the modules
// placed in it (in insertion order, one of them selected) but does not own them. GUI thread only.
#pragma once

#include <QList>
#include <QQmlListProperty>
#include <array>

#include "modules/CViewBackend.h"

class CModule;
class CTab;

class CFrame : public CViewBackend {
  Q_OBJECT
  Q_PROPERTY(CTab* tab READ tab CONSTANT)
  Q_PROPERTY(QQmlListProperty<CModule> moduleList READ moduleListProperty NOTIFY moduleListChanged)
  Q_PROPERTY(int moduleSelected READ moduleSelected WRITE setModuleSelected NOTIFY moduleSelectedChanged)

 public:
  explicit CFrame(CTab* tab);
  // Modules still listed are detached, so none keeps a pointer to this frame.
  ~CFrame() override;

  CTab* tab() const { return tab_; }
  const QList<CModule*>& modules() const { return modules_; }
  QQmlListProperty<CModule> moduleListProperty();
  int moduleSelected() const { return moduleSelected_; }
  void setModuleSelected(int index);

  // Appends the module and selects it; a module already listed changes nothing.
  void addModule(CModule* module);
  // Removes the module; the selection stays on the removed position, or moves to the new last
  // entry when the last one went (-1 when the list becomes empty).
  void removeModule(CModule* module);
  // Detaches every listed module (each removes itself from the list).
  void detachAll();

 signals:
  void moduleListChanged();
  void moduleSelectedChanged();

 private:
  CTab* tab_;
  QList<CModule*> modules_;
  int moduleSelected_ = -1;
};

class CTab : public CViewBackend {
  Q_OBJECT
  Q_PROPERTY(int layoutType READ layoutType WRITE setLayoutType NOTIFY layoutTypeChanged)
  Q_PROPERTY(QQmlListProperty<CFrame> frameList READ frameListProperty NOTIFY frameListChanged)

 public:
  static constexpr int kFrameCount = 4;

  explicit CTab(QObject* parent = nullptr);
  ~CTab() override;

  int layoutType() const { return layoutType_; }
  void setLayoutType(int type);
  CFrame* frame(int slot) const { return slot >= 0 && slot < kFrameCount ? frames_[slot] : nullptr; }
  QQmlListProperty<CFrame> frameListProperty();

  void detachAll();

 signals:
  void layoutTypeChanged();
  void frameListChanged();

 private:
  int layoutType_ = 0;
  std::array<CFrame*, kFrameCount> frames_{};
};
