#include "workstation/Recorder.h"

Recorder::Recorder(QObject* parent) : QObject(parent) {}

void Recorder::pushFrame(TempData* frame) {
  if (frame == nullptr) return;
  const uint64_t n = pushed_.load(std::memory_order_relaxed);
  if (n == 0) first_.store(frame->frameNumber, std::memory_order_relaxed);
  last_.store(frame->frameNumber, std::memory_order_relaxed);
  // Release: a reader that sees the count also sees the frame numbers stored before it.
  pushed_.store(n + 1, std::memory_order_release);
}

void Recorder::resetCounts() {
  first_.store(-1, std::memory_order_relaxed);
  last_.store(-1, std::memory_order_relaxed);
  pushed_.store(0, std::memory_order_release);
}
