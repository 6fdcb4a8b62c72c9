#include "devicetool/FrameMeter.h"

void FrameMeter::reset(uint32_t interval) {
  interval_.store(interval == 0 ? 1 : interval, std::memory_order_relaxed);
  counter_.store(0, std::memory_order_relaxed);
  last_.store(0, std::memory_order_relaxed);
  fps_.store(0.0f, std::memory_order_relaxed);
  step_.store(1, std::memory_order_relaxed);
}

bool FrameMeter::onFrame(int64_t now, int cap) {
  const uint32_t n = interval_.load(std::memory_order_relaxed);
  const uint32_t count = counter_.load(std::memory_order_relaxed);
  if (count % n == 0) {
    const int64_t last = last_.load(std::memory_order_relaxed);
    if (last != 0 && now > last) {
      const double rate = double(n) * 10000000.0 / double(now - last);
      fps_.store(float(rate), std::memory_order_relaxed);
      const int c = cap < 1 ? 1 : cap;
      const double whole = rate < 2147483647.0 ? rate : 2147483647.0;
      const int64_t step = (int64_t(whole) + c - 1) / c;
      step_.store(step < 1 ? 1 : int(step), std::memory_order_relaxed);
    }
    last_.store(now, std::memory_order_relaxed);
  }
  const uint32_t shown = count + 1;
  counter_.store(shown, std::memory_order_relaxed);
  const int step = step_.load(std::memory_order_relaxed);
  return step <= 1 || shown % uint32_t(step) == 0;
}
