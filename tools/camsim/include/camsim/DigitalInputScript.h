// The camera's digital input as the temperature stream reports it (frame head byte 25), scripted
// by frame index: each step sets the value from its frame on. Thread-safe: tests script it while
// the stream runs.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>

namespace camsim {

class DigitalInputScript {
 public:
  // From frame `index` on (until a later step) the input reads `value`.
  void set(uint32_t index, uint8_t value);
  void clear();
  // The value frame `index` carries (0 before the first step).
  uint8_t at(uint32_t index) const;

 private:
  mutable std::mutex mutex_;
  std::map<uint32_t, uint8_t> steps_;  // guarded by mutex_
};

}  // namespace camsim
