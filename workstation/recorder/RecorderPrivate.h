// The recorder's worker: lives on the recorder's own thread and runs the recording engine in queue
// order (configurations, triggers, frames). Its notifications reach the front through queued
// signals; the figures of each notification wait in a queue the front takes them from, so the
// front never reads what the worker is changing.
#pragma once

#include <QObject>
#include <atomic>
#include <deque>
#include <mutex>

#include "recordcore/RecordEngine.h"

class RecorderPrivate : public QObject {
  Q_OBJECT

 public:
  RecorderPrivate(recordcore::FramePool* pool, std::atomic<int>* counter);

  bool isActive() const { return active_.load(std::memory_order_acquire); }
  // The figures of the oldest notification not taken yet (false when none).
  bool takeStats(recordcore::RecordStats* out);
  // Frames handled and the time spent on them (nanoseconds), for the figures.
  uint64_t framesHandled() const { return handled_.load(std::memory_order_relaxed); }
  uint64_t handleNs() const { return busyNs_.load(std::memory_order_relaxed); }
  // Worker thread, or any thread once the worker thread has ended.
  recordcore::RecordEngine& engine() { return engine_; }

 signals:
  void recordStateChanged(int oldState, int newState);
  void isActiveChanged(bool active);
  void counterAdvanced();

 public slots:
  void onTriggerRecved(int code);
  void onDataRecved(recordcore::PoolFrame* frame);
  void initConfig(const recordcore::RecordSettings& settings);
  void endRecord();

 private:
  std::atomic<bool> active_{false};
  std::atomic<uint64_t> handled_{0}, busyNs_{0};
  std::mutex statsMutex_;
  std::deque<recordcore::RecordStats> stats_;  // guarded by statsMutex_
  recordcore::RecordEngine engine_;
};
