// The live module's frame-rate meter and display thinning. Frames are counted on the SDK's
// receiver thread while the GUI reads the measured rate, so every field is a relaxed atomic: each
// is one independent number, and no reader needs them to agree with one another.
#pragma once

#include <atomic>
#include <cstdint>

class FpsMeter {
 public:
  using Clock = int64_t (*)();  // 100-ns ticks of a clock that never steps back

  // A monotonic clock in 100-ns ticks (never 0 in practice: it counts from boot).
  static int64_t monotonicTicks();

  explicit FpsMeter(Clock clock = &FpsMeter::monotonicTicks) : clock_(clock) {}

  // Back to "nothing measured": rate 0, counter 0, decimation 1, and `interval` frames per
  // measurement (at least 1). Called before frames flow.
  void reset(uint32_t interval);
  // Frames per measurement, at least 1; may change while frames flow.
  void setInterval(uint32_t interval);

  // Counts one frame; measures the rate every `interval` frames and derives the decimation from
  // `displayLimit` (frames per second the screen is given). Returns whether the frame is shown.
  // Constant work; the clock is read once per measurement.
  bool onFrame(uint32_t displayLimit);

  double fps() const { return fps_.load(std::memory_order_relaxed); }
  uint32_t decimation() const { return decimation_.load(std::memory_order_relaxed); }
  uint32_t counter() const { return counter_.load(std::memory_order_relaxed); }
  uint32_t interval() const { return interval_.load(std::memory_order_relaxed); }

 private:
  Clock clock_;
  std::atomic<uint32_t> interval_{1};
  std::atomic<int64_t> lastTick_{0};      // 0: no measurement yet
  std::atomic<uint32_t> lastCounter_{0};  // the counter at lastTick_
  std::atomic<uint32_t> counter_{0};
  std::atomic<double> fps_{0.0};
  std::atomic<uint32_t> decimation_{1};
};
