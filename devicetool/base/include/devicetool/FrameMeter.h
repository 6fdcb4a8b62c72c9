// The live device's frame-rate meter and display step. Frames are counted on the SDK's receiver
// thread; the GUI thread reads the measured rate. Each field is one independent number, so relaxed
// atomics suffice.
#pragma once

#include <atomic>
#include <cstdint>

class FrameMeter {
 public:
  // Before frames flow: rate 0, no measure yet, frame counter 0, display step 1, and a measure
  // every `interval` frames. An interval of 0 (a camera reporting no rate or ratio) counts as 1.
  void reset(uint32_t interval);

  // Receiver thread, once per frame. Every `interval` frames the rate is measured against `now`
  // (100-ns ticks) and the display step derived from `cap` (highest shown frames per second,
  // at least 1): step = ceil(rate / cap). A clock that stands still or steps back gives no
  // measure; the next one is taken against the new time. Returns whether the frame is shown.
  bool onFrame(int64_t now, int cap);

  float fps() const { return fps_.load(std::memory_order_relaxed); }
  int displayStep() const { return step_.load(std::memory_order_relaxed); }
  uint32_t frames() const { return counter_.load(std::memory_order_relaxed); }
  uint32_t interval() const { return interval_.load(std::memory_order_relaxed); }

 private:
  std::atomic<uint32_t> interval_{1};
  std::atomic<uint32_t> counter_{0};
  std::atomic<int64_t> last_{0};  // 0: no measure yet
  std::atomic<float> fps_{0.0f};
  std::atomic<int> step_{1};
};
