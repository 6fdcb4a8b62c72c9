// The live camera's recorder as the module sees it. This one records nothing yet: it is idle and
// inactive and only counts the frames it is handed, so the hand-over can be measured and checked.
// pushFrame runs on the SDK's receiver thread; everything else on the GUI thread.
#pragma once

#include <QObject>
#include <atomic>
#include <cstdint>

#include "workstation/FrameSlot.h"

class Recorder : public QObject {
  Q_OBJECT
  Q_PROPERTY(int state READ state NOTIFY stateChanged)
  Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)

 public:
  explicit Recorder(QObject* parent = nullptr);

  // Takes one live frame (every frame, shown or not). No allocation, no lock.
  void pushFrame(TempData* frame);
  Q_INVOKABLE void reloadConfig() {}
  Q_INVOKABLE void sendTrigger(int) {}
  Q_INVOKABLE void snap() {}

  int state() const { return 0; }
  bool isActive() const { return false; }

  // Frames handed so far, and the frame numbers of the first and the last of them.
  uint64_t framesPushed() const { return pushed_.load(std::memory_order_acquire); }
  int32_t firstFrameNumber() const { return first_.load(std::memory_order_relaxed); }
  int32_t lastFrameNumber() const { return last_.load(std::memory_order_relaxed); }
  // Forgets the counts (GUI thread, while no frames flow).
  void resetCounts();

 signals:
  void stateChanged();
  void isActiveChanged();

 private:
  std::atomic<uint64_t> pushed_{0};
  std::atomic<int32_t> first_{-1};
  std::atomic<int32_t> last_{-1};
};
