#include "recorder/RecorderPrivate.h"

#include <chrono>

RecorderPrivate::RecorderPrivate(recordcore::FramePool* pool, std::atomic<int>* counter)
    : engine_(pool, counter,
              recordcore::RecordEngine::Hooks{
                  [this](int o, int n, const recordcore::RecordStats& s) {
                    {
                      std::lock_guard<std::mutex> lk(statsMutex_);
                      stats_.push_back(s);
                    }
                    emit recordStateChanged(o, n);
                  },
                  [this](bool a) {
                    active_.store(a, std::memory_order_release);
                    emit isActiveChanged(a);
                  },
                  [this](int) { emit counterAdvanced(); },
                  {}}) {}

bool RecorderPrivate::takeStats(recordcore::RecordStats* out) {
  std::lock_guard<std::mutex> lk(statsMutex_);
  if (stats_.empty()) return false;
  *out = std::move(stats_.front());
  stats_.pop_front();
  return true;
}

void RecorderPrivate::onTriggerRecved(int code) { engine_.trigger(code); }

void RecorderPrivate::onDataRecved(recordcore::PoolFrame* frame) {
  const auto t0 = std::chrono::steady_clock::now();
  engine_.frame(frame);
  const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - t0).count();
  busyNs_.fetch_add(uint64_t(ns), std::memory_order_relaxed);
  handled_.fetch_add(1, std::memory_order_relaxed);
}

void RecorderPrivate::initConfig(const recordcore::RecordSettings& settings) { engine_.configure(settings); }

void RecorderPrivate::endRecord() { engine_.finish(); }
