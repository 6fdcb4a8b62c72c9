#include "camsim/DigitalInputScript.h"

namespace camsim {

void DigitalInputScript::set(uint32_t index, uint8_t value) {
  std::lock_guard<std::mutex> lk(mutex_);
  steps_[index] = value;
}

void DigitalInputScript::clear() {
  std::lock_guard<std::mutex> lk(mutex_);
  steps_.clear();
}

uint8_t DigitalInputScript::at(uint32_t index) const {
  std::lock_guard<std::mutex> lk(mutex_);
  auto it = steps_.upper_bound(index);
  if (it == steps_.begin()) return 0;
  return std::prev(it)->second;
}

}  // namespace camsim
