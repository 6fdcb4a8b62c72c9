#include "FpsMeter.h"

#include <time.h>

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;
// Far above any camera; keeps the unsigned conversion of a rate from a tiny delta defined.
constexpr double kMaxFps = 1.0e6;
}  // namespace

int64_t FpsMeter::monotonicTicks() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 10000000 + ts.tv_nsec / 100;
}

void FpsMeter::reset(uint32_t interval) {
  setInterval(interval);
  fps_.store(0.0, kRelaxed);
  lastTick_.store(0, kRelaxed);
  lastCounter_.store(0, kRelaxed);
  counter_.store(0, kRelaxed);
  decimation_.store(1, kRelaxed);
}

void FpsMeter::setInterval(uint32_t interval) {
  interval_.store(interval == 0 ? 1 : interval, kRelaxed);
}

bool FpsMeter::onFrame(uint32_t displayLimit) {
  // Only the receiver thread writes the counter, so load and store need no read-modify-write.
  const uint32_t old = counter_.load(kRelaxed);
  const uint32_t now = old + 1;
  counter_.store(now, kRelaxed);
  const uint32_t n = interval_.load(kRelaxed);
  if (old % n == 0) {
    const int64_t t = clock_();
    const int64_t last = lastTick_.load(kRelaxed);
    if (last != 0) {
      const int64_t delta = t - last;
      if (delta > 0) {
        // The frames really counted since the last measurement: the interval may have changed.
        const uint32_t frames = old - lastCounter_.load(kRelaxed);
        double fps = static_cast<double>(frames) * 10000000.0 / static_cast<double>(delta);
        if (fps > kMaxFps) fps = kMaxFps;
        fps_.store(fps, kRelaxed);
        const uint64_t limit = displayLimit == 0 ? 1 : displayLimit;
        const uint64_t d = (static_cast<uint64_t>(fps) + limit - 1) / limit;
        decimation_.store(static_cast<uint32_t>(d), kRelaxed);
        lastTick_.store(t, kRelaxed);
        lastCounter_.store(old, kRelaxed);
      } else if (delta < 0) {
        // A clock that went back gives no rate; measure afresh from here.
        lastTick_.store(t, kRelaxed);
        lastCounter_.store(old, kRelaxed);
      }
    } else {
      lastTick_.store(t, kRelaxed);
      lastCounter_.store(old, kRelaxed);
    }
  }
  const uint32_t d = decimation_.load(kRelaxed);
  return d <= 1 || now % d == 0;
}
